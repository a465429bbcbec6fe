#pragma once

#include "sheets/engine/TReport.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace dorimek::report::enginetest {

// A small report shaped like the sheets: page B5 with the style 1 margins, a
// title, a column header with rules, a detail band with a stretching memo and
// a summary. Rows come from a list the test fills; every data request is
// recorded with the MoreData value it arrived with.
struct SampleReport {
    SampleReport();

    TReport report;
    std::vector<std::string> rows;  // Shift-JIS texts for RpMemo1, one per row
    std::vector<bool> presets;      // MoreData as each request arrived
    int beforePrintCalls = 0;
    size_t next = 0;

    TReportBand* title = nullptr;
    TReportBand* header = nullptr;
    TReportBand* detail = nullptr;
    TReportBand* summary = nullptr;
};

// Tenths of a millimetre compare to within this.
constexpr double kTol = 0.01;

// The line height of a font, in tenths of a millimetre.
double lineHeightOf(double pointSize);

// Where a program is on PATH; empty when not installed.
QString findTool(const char* name);
// Runs a tool and returns its standard output (empty on failure).
QString runTool(const QString& program, const QStringList& args);

}  // namespace dorimek::report::enginetest
