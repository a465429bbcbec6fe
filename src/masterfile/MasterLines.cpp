#include "MasterLines.h"

#include <QStringList>

namespace dorimek::masterfile {
namespace {

QString lineList(const platform::LineDebris::Lines& lines) {
    QStringList numbers;
    for (int n : lines.first) numbers << QString::number(n);
    QString text = numbers.join(QStringLiteral("、")) + QStringLiteral("行目");
    if (lines.count > static_cast<int>(lines.first.size())) {
        text += QStringLiteral(" ほか%1行").arg(lines.count - static_cast<int>(lines.first.size()));
    }
    return text;
}

}  // namespace

bool MasterLines::isBlank(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

bool MasterLines::next(std::string_view& line) {
    while (reader_.next(line)) {
        if (!isBlank(line)) return true;
        reader_.noteBlankLine();
    }
    return false;
}

bool MasterLines::next(std::string& line) {
    std::string_view view;
    if (!next(view)) return false;
    line.assign(view);
    return true;
}

QString debrisMessage(const platform::LineDebris& debris, const QString& fileName) {
    QStringList found;
    if (debris.blankLines().count > 0) {
        found << QStringLiteral("空の行: %1").arg(lineList(debris.blankLines()));
    }
    if (debris.nulLines().count > 0) {
        found << QStringLiteral("NUL文字（0x00）: %1").arg(lineList(debris.nulLines()));
    }
    if (debris.textAfterEndMark()) {
        found << QStringLiteral("%1行目のファイル終端記号（0x1A）より後ろ: 読み込んでいません")
                     .arg(*debris.endMarkLine());
    }
    if (found.isEmpty()) return {};
    return QStringLiteral(
               "%1 に薬剤の行でないものがあります。次のものは読み飛ばしました"
               "（%1 はそのままです。ﾌｧｲﾙ編集で保存すると取り除かれます）。\n")
               .arg(fileName) +
           found.join(QLatin1Char('\n'));
}

}  // namespace dorimek::masterfile
