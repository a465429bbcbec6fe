#include "MasterFileLimits.h"

#include "platform/Sjis.h"

namespace dorimek::masterfile {

QString listedName(std::string_view name) { return platform::elidedText(name, kListedNameBytes); }

QString messageName(std::string_view name) { return platform::elidedText(name, kMessageNameBytes); }

bool absurdName(std::string_view name) { return name.size() > kAbsurdNameBytes; }

QString absurdNameMessage(std::string_view name) {
    return QStringLiteral(
               "「%1」は登録名が %2 バイトあるため、処方に加えません。"
               "\n薬剤マスタの登録名は %3 バイトまで、1 行は %4 バイトまでです。"
               "ﾌｧｲﾙ編集かバックアップからの復元で直してください。")
        .arg(messageName(name))
        .arg(name.size())
        .arg(kNameLimit)
        .arg(kLineLimit);
}

void LimitWatch::see(int recordNumber, std::string_view line, size_t nameBytes) {
    if (line.size() <= kAbsurdLineBytes && nameBytes <= kAbsurdNameBytes) return;
    ++count_;
    if (!first_) first_ = Finding{recordNumber, line.size(), nameBytes};
}

QString LimitWatch::message(const QString& fileName) const {
    if (!first_) return {};
    const Finding& f = *first_;
    QString text;
    if (f.nameBytes > kAbsurdNameBytes) {
        text = QStringLiteral("%1 の %2 行目は登録名だけで %3 バイトあります。")
                   .arg(fileName)
                   .arg(f.recordNumber + 1)
                   .arg(f.nameBytes);
    } else {
        text = QStringLiteral("%1 の %2 行目は %3 バイトあります。")
                   .arg(fileName)
                   .arg(f.recordNumber + 1)
                   .arg(f.lineBytes);
    }
    if (count_ > 1) text += QStringLiteral("（ほかに %1 行、同じように長い行があります）").arg(count_ - 1);
    text += QStringLiteral(
                "\n薬剤マスタの 1 行は %1 バイトまで、登録名は %2 バイトまでです。"
                "改行の無いファイルか、薬剤マスタではないファイルかもしれません。"
                "\n薬剤リストには長い登録名の先頭だけを表示します。ﾌｧｲﾙ編集か"
                "バックアップからの復元で直してください。")
                .arg(kLineLimit)
                .arg(kNameLimit);
    return text;
}

}  // namespace dorimek::masterfile
