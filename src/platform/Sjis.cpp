#include "Sjis.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <iterator>
#include <string_view>

namespace dorimek::platform {
namespace {

// windows-31j is code page 932 proper (NEC and IBM extensions, FULLWIDTH
// TILDE for 0x8160); plain Shift_JIS is the fallback for a Qt built without it.
const char* encodingName() {
    static const char* name = QStringDecoder("windows-31j").isValid() ? "windows-31j" : "Shift_JIS";
    return name;
}

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

// The converter's code page 932 tables come from IBM's, which swap three
// control codes with one another (0x1A, 0x1C, 0x7F); Windows maps each to
// itself. 0x1A ends a file to the old tools and to our readers, so a control
// character typed or read must keep its own byte both ways. Each byte stands
// alone: none of them is ever the second byte of a character.
constexpr char kSwappedBytes[] = {0x1A, 0x1C, 0x7F};

struct ControlCodes {
    char16_t decoded[std::size(kSwappedBytes)] = {};  // what the converter makes of each byte
    bool swapped = false;
};

const ControlCodes& controlCodes() {
    static const ControlCodes codes = [] {
        ControlCodes c;
        QStringDecoder decoder(encodingName(), QStringConverter::Flag::Stateless);
        for (size_t i = 0; i < std::size(kSwappedBytes); ++i) {
            const QString u = decoder(QByteArrayView(&kSwappedBytes[i], 1));
            c.decoded[i] = u.size() == 1 ? u.at(0).unicode() : char16_t(kSwappedBytes[i]);
            c.swapped = c.swapped || c.decoded[i] != char16_t(kSwappedBytes[i]);
        }
        return c;
    }();
    return codes;
}

// After decoding: each control code as the byte it came from.
QString withOwnControlCodes(QString text, std::string_view sjis) {
    const ControlCodes& codes = controlCodes();
    if (!codes.swapped ||
        sjis.find_first_of(std::string_view(kSwappedBytes, 3)) == std::string_view::npos)
        return text;
    for (QChar& ch : text) {
        for (size_t i = 0; i < std::size(kSwappedBytes); ++i) {
            if (ch.unicode() == codes.decoded[i]) {
                ch = QChar(char16_t(kSwappedBytes[i]));
                break;
            }
        }
    }
    return text;
}

QString inCodePageForms(const QString& text) {
    const ControlCodes& codes = controlCodes();
    QString out = text;
    for (QChar& c : out) {
        for (const TypedForm& f : kTypedForms) {
            if (c.unicode() == f.typed) {
                c = QChar(f.codePage);
                break;
            }
        }
        if (!codes.swapped || c.unicode() > 0x7F) continue;
        for (size_t i = 0; i < std::size(kSwappedBytes); ++i) {
            if (c.unicode() == char16_t(kSwappedBytes[i])) {
                c = QChar(codes.decoded[i]);  // what the converter turns into this byte
                break;
            }
        }
    }
    return out;
}

}  // namespace

QString toUnicode(std::string_view sjis) {
    QStringDecoder decoder(encodingName(), QStringConverter::Flag::Stateless);
    return withOwnControlCodes(
        decoder(QByteArrayView(sjis.data(), static_cast<qsizetype>(sjis.size()))), sjis);
}

SjisBatchDecoder::SjisBatchDecoder()
    : decoder_(encodingName(), QStringConverter::Flag::Stateless) {}

QString SjisBatchDecoder::operator()(std::string_view sjis) {
    return withOwnControlCodes(
        decoder_(QByteArrayView(sjis.data(), static_cast<qsizetype>(sjis.size()))), sjis);
}

std::string fromUnicode(const QString& text, bool* ok) {
    QStringEncoder encoder(encodingName(), QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder(inCodePageForms(text));
    if (ok) *ok = !encoder.hasError();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
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
