#include "MasterFileLimits.h"

namespace dorimek::masterfile {

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
