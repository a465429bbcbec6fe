#pragma once

#include "TextEncoding.h"

#include <QString>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorimek::platform {

// Bytes that old tools leave in text files and that are no part of any text,
// found while reading one file. Line numbers count every line of the file
// from 1, so a message can name the line an editor shows.
class LineDebris {
  public:
    // Messages list this many line numbers and count the rest.
    static constexpr size_t kListedLines = 20;
    struct Lines {
        std::vector<int> first;  // at most kListedLines, in file order
        int count = 0;
        bool operator==(const Lines&) const = default;
    };

    void noteNul(int line) { note(nul_, line); }
    void noteBlank(int line) { note(blank_, line); }
    void noteEndMark(int line, bool textAfter) {
        endMarkLine_ = line;
        textAfterEndMark_ = textAfter;
    }

    const Lines& nulLines() const { return nul_; }      // lines that held NUL bytes
    const Lines& blankLines() const { return blank_; }  // noted by the file's own reader
    // The line of the DOS end-of-file byte 0x1A, when the file has one.
    std::optional<int> endMarkLine() const { return endMarkLine_; }
    // Something besides line ends, blanks and NULs stood behind that byte.
    bool textAfterEndMark() const { return textAfterEndMark_; }

  private:
    static void note(Lines& lines, int line) {
        if (lines.first.size() < kListedLines) lines.first.push_back(line);
        ++lines.count;
    }
    Lines nul_;
    Lines blank_;
    std::optional<int> endMarkLine_;
    bool textAfterEndMark_ = false;
};

// Reads a text file line by line, lines of any length, the way the data files
// are defined: CR LF and a bare LF both end a line, and a last line without a
// line end is still a line. The returned text has no line end.
//
// Files from DOS-era tools may carry two kinds of debris, which no reader
// must take for text. The end-of-file byte 0x1A ends the file wherever it
// stands, as it did for the text-mode reads of the programs that wrote it (a
// file rewritten in place may hold an older, longer content behind it); the
// line it ends counts as ended. NUL bytes (padding, or a stray one inside a
// field) are dropped from the lines. Both are noted in debris(). A UTF-8
// byte-order mark, which some editors put before Shift-JIS text too, is no
// part of the first line.
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
    // The 1-based file line of the line last returned.
    int lineNumber() const { return lineNumber_; }
    // What was dropped so far; complete once next() has returned false.
    const LineDebris& debris() const { return debris_; }
    // Lets the file's own reader note the line last returned as a blank line
    // it skips, so that one report covers the file.
    void noteBlankLine() { debris_.noteBlank(lineNumber_); }

  private:
    // Reads more of the file behind what [begin_, end_) holds; false at its end.
    bool fill();
    // Cuts the file's text at the first end-of-file byte in [from, end_).
    void cutAtEndMark(size_t from);
    // True when the bytes from the current file position on hold any text.
    bool restOfFileHasText();

    std::FILE* file_ = nullptr;
    char* buffer_ = nullptr;
    size_t capacity_ = 0;
    size_t begin_ = 0;  // the next line starts here
    size_t end_ = 0;    // bytes read so far end here
    bool atEnd_ = false;
    bool allocationFailed_ = false;
    bool endMarkSeen_ = false;
    bool textAfterEnd_ = false;
    bool mayHoldNul_ = false;  // a NUL was read somewhere in the file
    int lineNumber_ = 0;
    bool textSeen_ = false;  // a line with more than blanks was read
    LineDebris debris_;
    bool checkUnterminated_ = true;
    QString openError_;
    EncodingCheck check_;
};

}  // namespace dorimek::platform
