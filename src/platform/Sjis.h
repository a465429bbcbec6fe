#pragma once

#include <QString>
#include <QStringDecoder>

#include <string>
#include <string_view>

namespace dorimek::platform {

// Shift-JIS (code page 932) is the encoding of every file and of every text the
// core handles. Widgets speak Unicode; these two functions are the one place
// where the two meet.
QString toUnicode(std::string_view sjis);

// Decodes many texts with one decoder. Setting a decoder up costs more than
// converting a drug name, so lists of thousands of names go through one of
// these; each call converts exactly as toUnicode() would (no state carries
// from one text to the next: a lone lead byte at the end of one text never
// joins the first byte of the next).
class SjisBatchDecoder {
  public:
    SjisBatchDecoder();
    QString operator()(std::string_view sjis);

  private:
    QStringDecoder decoder_;
};

// Encodes text for a file or for the core. Characters that input methods type
// under another code point than code page 932 holds them (〜 U+301C, − U+2212,
// — U+2014, ‖ U+2016, ¢ £ ¬) are stored as the code page's own characters.
// Characters that code page 932 cannot hold make *ok false (their bytes are
// then meaningless), so that an editor can refuse them instead of silently
// storing something else.
std::string fromUnicode(const QString& text, bool* ok = nullptr);

// The first character of text that code page 932 cannot hold, or an empty
// string when every character can be stored.
QString firstUnencodable(const QString& text);

// True for a byte that begins a double-byte character in code page 932.
constexpr bool isDbcsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The first bytes of sjis, at most maxBytes, never ending inside a
// double-byte character.
std::string_view leadingBytes(std::string_view sjis, size_t maxBytes);

// sjis as text for a widget or a message: whole when it has at most maxBytes,
// else its leading bytes followed by "…". Only the shown part is decoded, so
// a text of megabytes costs no more than a short one.
QString elidedText(std::string_view sjis, size_t maxBytes);

}  // namespace dorimek::platform
