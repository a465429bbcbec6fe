#include "SjisCodec.h"
#include "Sjis.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <iterator>
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
    QByteArray bytes = encoder(withConverterControlCodes(inCodePageForms(text)));
    if (ok) *ok = !encoder.hasError();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace dorimek::platform
