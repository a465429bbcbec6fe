#include "SjisCodec.h"
#include "Sjis.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <iterator>
#include <string>
#include <string_view>

// Code page 932 through Qt's converters, which have it where Qt is built with
// ICU (as on Debian).
namespace dorimek::platform {
namespace {

// windows-31j is code page 932 proper (NEC and IBM extensions, FULLWIDTH
// TILDE for 0x8160); plain Shift_JIS is the fallback for a Qt built without it.
const char* encodingName() {
    static const char* name = QStringDecoder("windows-31j").isValid() ? "windows-31j" : "Shift_JIS";
    return name;
}

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

// Decodes with each control code as its own character. The codes are cut out
// of the bytes before the converter sees them, rather than mapped back after,
// because the converter's stand-in for a bad byte is one of the swapped
// characters; and each stands alone, so no character is cut in two.
template <class Decode>
QString decodeWithOwnControlCodes(std::string_view sjis, Decode&& decode) {
    const std::string_view controls(kSwappedBytes, std::size(kSwappedBytes));
    size_t next = controlCodes().swapped ? sjis.find_first_of(controls) : std::string_view::npos;
    if (next == std::string_view::npos) return decode(sjis);
    QString out;
    out.reserve(static_cast<qsizetype>(sjis.size()));
    size_t from = 0;
    while (next != std::string_view::npos) {
        if (next > from) {
            // A lead byte right before a control code is a bad byte, as before
            // any other single byte, not half a character at the text's end:
            // a blank after it (never a second byte) shows the converter so.
            std::string part(sjis.substr(from, next - from));
            part += ' ';
            QString decoded = decode(part);
            decoded.chop(1);
            out += decoded;
        }
        out += QChar(char16_t(sjis[next]));
        from = next + 1;
        next = sjis.find_first_of(controls, from);
    }
    if (from < sjis.size()) out += decode(sjis.substr(from));
    return out;
}

// Before encoding: each control code as what the converter turns into its
// own byte.
QString withConverterControlCodes(QString text) {
    const ControlCodes& codes = controlCodes();
    if (!codes.swapped) return text;
    for (QChar& c : text) {
        if (c.unicode() > 0x7F) continue;
        for (size_t i = 0; i < std::size(kSwappedBytes); ++i) {
            if (c.unicode() == char16_t(kSwappedBytes[i])) {
                c = QChar(codes.decoded[i]);
                break;
            }
        }
    }
    return text;
}

}  // namespace

QString toUnicode(std::string_view sjis) {
    QStringDecoder decoder(encodingName(), QStringConverter::Flag::Stateless);
    return decodeWithOwnControlCodes(sjis, [&decoder](std::string_view part) -> QString {
        return decoder(QByteArrayView(part.data(), static_cast<qsizetype>(part.size())));
    });
}

SjisBatchDecoder::SjisBatchDecoder()
    : decoder_(encodingName(), QStringConverter::Flag::Stateless) {}

QString SjisBatchDecoder::operator()(std::string_view sjis) {
    return decodeWithOwnControlCodes(sjis, [this](std::string_view part) -> QString {
        return decoder_(QByteArrayView(part.data(), static_cast<qsizetype>(part.size())));
    });
}

std::string fromUnicode(const QString& text, bool* ok) {
    QStringEncoder encoder(encodingName(), QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder(withConverterControlCodes(inCodePageForms(text)));
    if (ok) *ok = !encoder.hasError();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace dorimek::platform
