#include "Sjis.h"

#include "SjisCodec.h"

namespace dorimek::platform {
namespace {

// Input methods here type some characters under the code points of JIS X 0208
// as Unicode maps them, while code page 932 holds the same characters under
// the compatibility code points its decoder gives back. Each is stored under
// the code page's bytes, so that "4〜6時間毎" prints as typed and reads back
// as the same character (in its code page form).
struct TypedForm {
    char16_t typed;
    char16_t codePage;  // decodes from the bytes in the comment
};
constexpr TypedForm kTypedForms[] = {
    {u'\u301C', u'\uFF5E'},  // WAVE DASH             0x8160
    {u'\u2212', u'\uFF0D'},  // MINUS SIGN            0x817C
    {u'\u2014', u'\u2015'},  // EM DASH               0x815C
    {u'\u2016', u'\u2225'},  // DOUBLE VERTICAL LINE  0x8161
    {u'\u00A2', u'\uFFE0'},  // CENT SIGN             0x8191
    {u'\u00A3', u'\uFFE1'},  // POUND SIGN            0x8192
    {u'\u00AC', u'\uFFE2'},  // NOT SIGN              0x81CA
};

}  // namespace

QString inCodePageForms(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        for (const TypedForm& f : kTypedForms) {
            if (c.unicode() == f.typed) {
                c = QChar(f.codePage);
                break;
            }
        }
    }
    return out;
}

QString firstUnencodable(const QString& text) {
    // Almost every text is storable: one conversion answers that, and only a
    // text with a bad character is walked character by character.
    bool ok = true;
    fromUnicode(text, &ok);
    if (ok) return {};
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString ch = text.mid(i, len);
        bool ok = true;
        fromUnicode(ch, &ok);
        if (!ok) return ch;
        i += len;
    }
    return {};
}

std::string_view leadingBytes(std::string_view sjis, size_t maxBytes) {
    if (sjis.size() <= maxBytes) return sjis;
    size_t end = 0;
    while (end < sjis.size()) {
        const size_t step = isDbcsLeadByte(static_cast<unsigned char>(sjis[end])) ? 2 : 1;
        if (end + step > maxBytes) break;
        end += step;
    }
    return sjis.substr(0, end);
}

QString elidedText(std::string_view sjis, size_t maxBytes) {
    const std::string_view shown = leadingBytes(sjis, maxBytes);
    return shown.size() == sjis.size() ? toUnicode(sjis) : toUnicode(shown) + QChar(0x2026);
}

}  // namespace dorimek::platform
