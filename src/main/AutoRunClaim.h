#pragma once

#include "platform/FileStamp.h"

#include <QString>

#include <chrono>

namespace dorimek::mainwin {

// Tells a host-started run that the same prescription was just handled by
// another one: the host's button clicked twice starts two runs a few
// milliseconds apart, which would print two identical sheets. A small record
// in the program's folder holds the last handled rp.csv content (its size
// and hash) and when it was taken; the runs take it in turn under a lock.
class AutoRunClaim {
  public:
    static inline const QString kFileName = QStringLiteral(".dorimek-autorun");
    // Within this time the same content is the same click; after it, or
    // with other content, it is a new request and prints.
    static constexpr std::chrono::seconds kWindow{5};

    enum class Verdict { First, SameJustRun };

    // Answers SameJustRun when the record holds this content, taken less
    // than window before nowMs. Otherwise records it with nowMs and answers
    // First. A record that can't be locked, read or written answers First:
    // the check must never cost a patient the sheet.
    static Verdict claim(const platform::FileStamp& content, const QString& recordPath = kFileName,
                         qint64 nowMs = currentMs(), std::chrono::milliseconds window = kWindow);

    // Gives the claim on content back, when the record still holds it: a run
    // that printed nothing must not make the host's retry a repeat.
    static void release(const platform::FileStamp& content, const QString& recordPath = kFileName);

    static qint64 currentMs();
};

}  // namespace dorimek::mainwin
