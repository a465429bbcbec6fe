#include "Sjis.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace dorimek::platform {
namespace {

// windows-31j is code page 932 proper (NEC and IBM extensions, FULLWIDTH
// TILDE for 0x8160); plain Shift_JIS is the fallback for a Qt built without it.
const char* encodingName() {
    static const char* name = QStringDecoder("windows-31j").isValid() ? "windows-31j" : "Shift_JIS";
    return name;
}

}  // namespace

QString toUnicode(std::string_view sjis) {
    QStringDecoder decoder(encodingName(), QStringConverter::Flag::Stateless);
    return decoder(QByteArrayView(sjis.data(), static_cast<qsizetype>(sjis.size())));
}

SjisBatchDecoder::SjisBatchDecoder()
    : decoder_(encodingName(), QStringConverter::Flag::Stateless) {}

QString SjisBatchDecoder::operator()(std::string_view sjis) {
    return decoder_(QByteArrayView(sjis.data(), static_cast<qsizetype>(sjis.size())));
}

std::string fromUnicode(const QString& text, bool* ok) {
    QStringEncoder encoder(encodingName(), QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder(text);
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

}  // namespace dorimek::platform
