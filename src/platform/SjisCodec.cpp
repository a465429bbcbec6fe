#include "SjisCodec.h"
#include "Sjis.h"

#include <QStringDecoder>
#include <QStringEncoder>

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
    QByteArray bytes = encoder(inCodePageForms(text));
    if (ok) *ok = !encoder.hasError();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace dorimek::platform
