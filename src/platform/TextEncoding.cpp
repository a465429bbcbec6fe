#include "TextEncoding.h"

namespace dorimek::platform {
namespace {

// Lead bytes of the rows code page 932 assigns characters to. 0x85, 0x86
// and 0xEB to 0xF9 are unassigned or user-defined: a clinic's text never has
// them, UTF-8 continuation and lead bytes often make them.
constexpr bool isAssignedLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x84) || (b >= 0x87 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEA) ||
           b == 0xED || b == 0xEE || (b >= 0xFA && b <= 0xFC);
}

constexpr bool isTrail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Every byte of a master file goes through here at start-up, so the byte
// classes come from a table rather than from comparisons per byte.
enum : unsigned char { kSingle, kLead, kInvalid };
struct SjisClasses {
    unsigned char of[256];
    bool trail[256];
    constexpr SjisClasses() : of(), trail() {
        for (int b = 0; b < 256; ++b) {
            const auto u = static_cast<unsigned char>(b);
            of[b] = (u < 0x80 || (u >= 0xA1 && u <= 0xDF)) ? kSingle
                    : isAssignedLead(u)                    ? kLead
                                                           : kInvalid;
            trail[b] = isTrail(u);
        }
    }
};
constexpr SjisClasses kSjis;

}  // namespace

bool isValidSjisText(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = kSjis.of[p[i]];
        if (c == kSingle) continue;
        if (c == kInvalid || i + 1 >= n || !kSjis.trail[p[i + 1]]) return false;
        ++i;
    }
    return true;
}

bool isValidUtf8(std::string_view bytes, bool* multiByte) {
    bool multi = false;
    for (size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        size_t len = 0;
        unsigned min = 0;
        unsigned cp = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2, min = 0x80, cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3, min = 0x800, cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4, min = 0x10000, cp = b & 0x07;
        } else {
            return false;
        }
        if (i + len > bytes.size()) return false;
        for (size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        multi = true;
        i += len;
    }
    if (multiByte) *multiByte = multi;
    return true;
}

void EncodingCheck::feedLine(std::string_view line) {
    // Lone CR line ends make the whole file one line with CRs inside it. A
    // CR inside one line of a file that has line feeds is that line's own
    // business (a stray byte, CR CR LF debris), not a line-end style.
    ++lines_;
    if (lines_ == 1) {
        const size_t cr = line.find('\r');
        firstLineSplitByCr_ = cr != std::string_view::npos && cr + 1 < line.size();
    }
    if (allUtf8_) {
        bool multi = false;
        if (!isValidUtf8(line, &multi)) {
            allUtf8_ = false;
        } else if (multi) {
            anyMultiByteUtf8_ = true;
        }
    }
    // Invalid Shift-JIS only counts in a file that is UTF-8 throughout; once
    // a line isn't UTF-8 the rest of the file needn't be checked byte by byte.
    if (allUtf8_ && !bom_ && !anyInvalidSjis_ && !isValidSjisText(line)) anyInvalidSjis_ = true;
}

EncodingProblem EncodingCheck::verdict() const {
    // A mark is as good a sign of UTF-8 as a character Shift-JIS lacks.
    if (allUtf8_ && anyMultiByteUtf8_ && (bom_ || anyInvalidSjis_)) {
        return bom_ ? EncodingProblem::Utf8Bom : EncodingProblem::Utf8;
    }
    if (lines_ == 1 && firstLineSplitByCr_) return EncodingProblem::LoneCr;
    return EncodingProblem::None;
}

QString wrongEncodingMessage(const QString& fileName, EncodingProblem problem) {
    switch (problem) {
        case EncodingProblem::None:
            return {};
        case EncodingProblem::Utf8Bom:
        case EncodingProblem::Utf8:
            return QStringLiteral(
                       "%1 は Shift-JIS ではなく UTF-8 で保存されているため、読み込みません。\n"
                       "%1 を Shift-JIS（改行は CR LF）で保存し直してください。")
                .arg(fileName);
        case EncodingProblem::LoneCr:
            return QStringLiteral(
                       "%1 の改行が CR だけのため、行に分けて読めません。読み込みません。\n"
                       "%1 を Shift-JIS（改行は CR LF）で保存し直してください。")
                .arg(fileName);
    }
    return {};
}

}  // namespace dorimek::platform
