#pragma once

#include "PreviewLayout.h"
#include "masterfile/DrugMasterFile.h"
#include "sheets/LineProblems.h"
#include "sheets/PhotoCell.h"

#include <QSize>
#include <QString>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace dorimek::prescription {
class PrescriptionSource;
}

namespace dorimek::preview {

// What one row of the preview shows (texts are Shift-JIS bytes, as read). A row
// past the prescription, or one whose record couldn't be read, is all empty.
struct PreviewRow {
    int line = 0;  // the prescription line shown; 0 for a row past the list
    std::string name;
    std::string form;
    std::string package;
    std::string efficacy;
    std::string caution;
    sheets::PhotoCell photo;
    std::vector<std::string> usage;  // one word per memo line
};

struct PreviewRows {
    // One per prescription line, in order; the window pages through them
    // seven at a time.
    std::vector<PreviewRow> rows;
    // What the user is told once the window is open, as the sheets tell it
    // after printing: photos that are missing or can't be shown (their
    // cells empty), and lines whose record is gone or whose master file couldn't
    // be read (shown by name only). The rows are still shown as far as they can be.
    sheets::LineProblems problems;

    // The one message that tells the user about every problem above, or an
    // empty text when there is none.
    QString problemMessage() const {
        return problems.message(sheets::LineProblems::Medium::Screen);
    }
};

// Reads the rows for every line of the prescription: the master file once
// per known drug (a line whose drug the master file doesn't give shows its
// name only, as on the sheets), each row's photo decoded for photoPixels device pixels and padded
// to the image's proportion, and each line's usage split into words. A row's
// trouble never keeps the rows after it from being filled.
// progress, when given, hears after each line how many of how many are done.
PreviewRows buildPreviewRows(const prescription::PrescriptionSource& source, QSize photoPixels,
                             const QString& masterPath = masterfile::kMasterFileName,
                             const std::function<void(int done, int total)>& progress = {});

}  // namespace dorimek::preview
