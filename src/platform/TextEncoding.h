#pragma once

#include <QString>

#include <string_view>

namespace dorimek::platform {

// Every data file is Shift-JIS with CR LF line ends. A file saved by an editor
// that speaks UTF-8, or with the lone CR line ends of old Macs, still reads
// without an error, but as mojibake or as one giant line. These are the
// signs that tell such a file from a Shift-JIS one, checked the same way for
// every file the program reads.
enum class EncodingProblem {
    None,
    Utf8Bom,  // UTF-8 behind a byte-order mark (a mark before Shift-JIS is no problem)
    Utf8,     // valid UTF-8 with multi-byte characters, and no valid Shift-JIS
    LoneCr,   // lines ended by a CR alone: the reader sees one line
};

// Fed with the lines of one file in order (without their line ends, as
// LineReader gives them), it tells at the end whether the file is one of the
// above.
class EncodingCheck {
  public:
    // The file began with a UTF-8 byte-order mark, which the reader dropped
    // (old tools put one before Shift-JIS text too).
    void noteByteOrderMark() { bom_ = true; }
    void feedLine(std::string_view line);
    EncodingProblem verdict() const;

  private:
    bool bom_ = false;
    bool allUtf8_ = true;
    bool anyMultiByteUtf8_ = false;
    bool anyInvalidSjis_ = false;
    int lines_ = 0;
    bool firstLineSplitByCr_ = false;
};

// True when bytes are Shift-JIS (code page 932) text: single bytes, and lead
// bytes of assigned rows each followed by a trail byte.
bool isValidSjisText(std::string_view bytes);
// True when bytes are well-formed UTF-8; *multiByte tells whether any
// character took more than one byte.
bool isValidUtf8(std::string_view bytes, bool* multiByte = nullptr);

// What the user is told: which file, what is wrong and how to save it.
// Empty for EncodingProblem::None.
QString wrongEncodingMessage(const QString& fileName, EncodingProblem problem);

}  // namespace dorimek::platform
