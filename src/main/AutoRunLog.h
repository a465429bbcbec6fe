#pragma once

#include "AutoRunOutcome.h"
#include "platform/Result.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>

namespace dorimek::mainwin {

// What one host-started run leaves behind for whoever looks after the host:
// when it ran, how it ended, which prescription file and which printer.
struct AutoRunRecord {
    QDateTime when;
    AutoRunOutcome outcome = AutoRunOutcome::Done;
    QString rpCsvPath;  // as an absolute path; empty when the run never got that far
    QString printer;    // the queue, or the name or number the run was told to use
    QStringList words;  // what the run showed on the screen, in order
};

// The run log in the program folder: one line per run, UTF-8, its fields
// separated by tabs, newest last. It keeps only its newest lines once it has
// grown past a megabyte, and runs that end at once each add their own line.
class AutoRunLog {
  public:
    static inline const QString kFileName = QStringLiteral("dorimek-auto.log");
    static constexpr std::int64_t kMaxBytes = 1024 * 1024;
    static constexpr std::int64_t kKeepBytes = kMaxBytes / 2;
    // A run's words are many only when something is badly wrong; the first
    // of them say what.
    static constexpr qsizetype kMaxWordChars = 400;

    // Date and time, exit status, cause, rp.csv, printer, words; without the
    // line end. Tabs and line breaks inside a field become blanks.
    static std::string formatLine(const AutoRunRecord& record);

    static Status append(const QString& programFolder, const AutoRunRecord& record);
};

}  // namespace dorimek::mainwin
