#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QString>

#include <string_view>

namespace dorimek::platform {

// What a file held at one moment, to tell later whether anything has written
// to it since. The content decides: a save of the same bytes, or a touch,
// is no change; an edit that keeps the size and lands in the same second as
// the last one is.
struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    QByteArray digest;  // of the whole content

    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file as it is now; a missing file has a stamp of its own.
// Fails when the file is there but can't be read to its end.
Result<FileStamp> stampFile(const QString& path);
// The stamp a file holding exactly bytes has: what a writer expects to find
// at its next save after writing them.
FileStamp stampOf(std::string_view bytes);

}  // namespace dorimek::platform
