#pragma once

#include "TextEncoding.h"

#include <QString>

#include <cstdio>
#include <string>
#include <string_view>

namespace dorimek::platform {

// Reads a text file line by line, lines of any length, the way the data files
// are defined: CR LF and a bare LF both end a line, and a last line without a
// line end is still a line, unless it begins with the DOS end-of-file byte
// 0x1A. The returned text has no line end.
class LineReader {
public:
    explicit LineReader(const QString& path);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    // Why the file could not be opened, in Japanese.
    const QString& openError() const { return openError_; }

    // Reads the next line into text; false at the end of the file. hadLineEnd
    // tells whether the line was ended by a line end or by the end of file.
    bool next(std::string& text, bool* hadLineEnd = nullptr);
    // The same, without a copy: text points into the reader's own buffer and
    // stays valid until the next read. For readers that pass over most lines.
    bool next(std::string_view& text, bool* hadLineEnd = nullptr);
    // For a file that may still be being written: a last line without its
    // line end is no text yet, so its bytes (a character cut in two) don't
    // count against the file's encoding. A file whose lines end with a lone
    // CR is still told as such.
    void leaveUnterminatedLineUnchecked() { checkUnterminated_ = false; }
    // True when a read failed (as opposed to reaching the end).
    bool failed() const;
    // Whether the lines read so far show a file that isn't Shift-JIS text
    // with proper line ends; meaningful once the whole file has been read.
    EncodingProblem encodingProblem() const { return check_.verdict(); }

private:
    // Reads more of the file behind what [begin_, end_) holds; false at its end.
    bool fill();

    std::FILE* file_ = nullptr;
    char* buffer_ = nullptr;
    size_t capacity_ = 0;
    size_t begin_ = 0;  // the next line starts here
    size_t end_ = 0;    // bytes read so far end here
    bool atEnd_ = false;
    bool allocationFailed_ = false;
    bool checkUnterminated_ = true;
    QString openError_;
    EncodingCheck check_;
};

}  // namespace dorimek::platform
