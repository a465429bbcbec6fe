#include "Sjis.h"
#include "SjisCodec.h"

#include <windows.h>

#include <climits>

// Code page 932 through the system's own tables. Qt built for Windows without
// ICU has no Shift-JIS converter at all, and the ANSI code page converters
// are right only while the session's code page happens to be 932.
namespace dorimek::platform {
namespace {

constexpr UINT kCodePage = 932;
// Bad bytes decode as Qt's converter on the other systems decodes them, so
// that a damaged file shows, and is saved back, alike everywhere: a byte that
// is no character and a lead byte without its partner become U+001A, a pair
// the code page leaves unassigned U+FFFD, and a lead byte at the very end
// (half a character) nothing.
constexpr char16_t kBadByte = u'\x1A';
constexpr char16_t kUnassigned = u'\uFFFD';

bool isSingleByte(unsigned char b) { return b < 0x80 || (b >= 0xA1 && b <= 0xDF); }
bool isTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// True when every byte is a single-byte character or a lead byte followed by
// a trail byte: the text the system's converter handles as a whole.
bool wellFormed(std::string_view sjis) {
    const auto* p = reinterpret_cast<const unsigned char*>(sjis.data());
    for (size_t i = 0; i < sjis.size(); ++i) {
        if (isSingleByte(p[i])) continue;
        if (!isDbcsLeadByte(p[i]) || i + 1 >= sjis.size() || !isTrailByte(p[i + 1])) return false;
        ++i;
    }
    return true;
}

// Appends the decoding of bytes to out; false when the system calls any of
// them invalid.
bool decodeStrict(const char* bytes, int size, QString& out) {
    const int need = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes, size, nullptr, 0);
    if (need <= 0) return false;
    const qsizetype at = out.size();
    out.resize(at + need);
    MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes, size,
                        reinterpret_cast<wchar_t*>(out.data() + at), need);
    return true;
}

// A text with a bad byte somewhere: character by character.
QString decodeLenient(std::string_view sjis) {
    QString out;
    out.reserve(static_cast<qsizetype>(sjis.size()));
    const auto* p = reinterpret_cast<const unsigned char*>(sjis.data());
    const size_t n = sjis.size();
    for (size_t i = 0; i < n;) {
        const unsigned char b = p[i];
        if (isSingleByte(b)) {
            if (!decodeStrict(sjis.data() + i, 1, out)) out += QChar(kBadByte);
            ++i;
        } else if (!isDbcsLeadByte(b)) {
            out += QChar(kBadByte);
            ++i;
        } else if (i + 1 >= n) {
            ++i;  // half a character at the end
        } else if (isTrailByte(p[i + 1])) {
            if (!decodeStrict(sjis.data() + i, 2, out)) out += QChar(kUnassigned);
            i += 2;
        } else if (p[i + 1] < 0x40 || p[i + 1] == 0x7F) {
            out += QChar(kBadByte);  // the control character after it stands
            ++i;
        } else {
            out += QChar(kBadByte);
            out += QChar(kBadByte);
            i += 2;
        }
    }
    return out;
}

}  // namespace

QString toUnicode(std::string_view sjis) {
    if (sjis.empty()) return {};
    QString out;
    if (wellFormed(sjis) && sjis.size() <= static_cast<size_t>(INT_MAX) &&
        decodeStrict(sjis.data(), static_cast<int>(sjis.size()), out)) {
        return out;
    }
    return decodeLenient(sjis);
}

SjisBatchDecoder::SjisBatchDecoder() = default;

QString SjisBatchDecoder::operator()(std::string_view sjis) { return toUnicode(sjis); }

std::string fromUnicode(const QString& text, bool* ok) {
    if (ok) *ok = true;
    if (text.isEmpty()) return {};
    const QString forms = inCodePageForms(text);
    const auto* wide = reinterpret_cast<const wchar_t*>(forms.utf16());
    const int size = static_cast<int>(forms.size());
    // No best fit: a character the code page lacks must be reported, not
    // quietly stored as a look-alike.
    BOOL usedDefault = FALSE;
    const int need = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, size, nullptr, 0,
                                         nullptr, &usedDefault);
    if (need <= 0) {
        if (ok) *ok = false;
        return {};
    }
    std::string bytes(static_cast<size_t>(need), '\0');
    usedDefault = FALSE;
    WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, size, bytes.data(), need, nullptr,
                        &usedDefault);
    if (ok && usedDefault) *ok = false;
    return bytes;
}

}  // namespace dorimek::platform
