#include "LineProblems.h"

#include "masterfile/LineRecord.h"
#include "masterfile/MasterFileLimits.h"
#include "platform/Sjis.h"

#include <QStringList>

#include <algorithm>

namespace dorimek::sheets {
namespace {

QString linesLabel(const std::vector<int>& lines) {
    QStringList numbers;
    for (int line : lines) numbers.append(QString::number(line));
    return numbers.join(QStringLiteral("・")) + QStringLiteral("行目");
}

}  // namespace

void LineProblems::add(Kind kind, int line, const QString& text) {
    std::vector<Problem>& list = problems_[static_cast<int>(kind)];
    auto same =
        std::find_if(list.begin(), list.end(), [&](const Problem& p) { return p.text == text; });
    if (same != list.end()) {
        same->lines.push_back(line);
    } else {
        list.push_back({{line}, text});
    }
}

const std::vector<LineProblems::Problem>& LineProblems::of(Kind kind) const {
    return problems_[static_cast<int>(kind)];
}

bool LineProblems::empty() const {
    return std::all_of(std::begin(problems_), std::end(problems_),
                       [](const std::vector<Problem>& l) { return l.empty(); });
}

void LineProblems::clear() {
    for (std::vector<Problem>& l : problems_) l.clear();
}

QString LineProblems::message(Medium medium) const {
    const QString nameOnly = medium == Medium::Screen ? QStringLiteral("薬剤名だけ表示しています。")
                                                      : QStringLiteral("薬剤名だけ記載しました。");
    const struct {
        Kind kind;
        QString heading;
    } sections[] = {
        {Kind::PhotoNotShown,
         medium == Medium::Screen
             ? QStringLiteral("次の写真を表示できません。写真の欄は空けてあります。")
             : QStringLiteral(
                   "次の写真を提供書に載せられませんでした。写真の欄は空けてあります。")},
        {Kind::UnreadableRecord,
         QStringLiteral("次の行の薬剤を薬剤ファイルから読めません。") + nameOnly},
        {Kind::RecordNotFound,
         QStringLiteral("次の行の薬剤が薬剤ファイル（yakujo.txt）に見つかりません。") + nameOnly},
    };
    QStringList out;
    for (const auto& section : sections) {
        const std::vector<Problem>& list = of(section.kind);
        if (list.empty()) continue;
        if (!out.isEmpty()) out.append(QString());
        out.append(section.heading);
        for (const Problem& p : list) {
            out.append(QStringLiteral("・%1: %2").arg(linesLabel(p.lines), p.text));
        }
    }
    return out.join(QLatin1Char('\n'));
}

LineContents readLineContents(int line, int masterIndex, std::string_view registeredName,
                              std::string_view unknownName, LineProblems& problems,
                              const QString& masterPath) {
    LineContents contents;
    if (masterIndex < -1) {
        contents.row.displayName = std::string(unknownName);
        return contents;
    }
    const auto record = masterfile::ReadLineRecord(masterIndex, registeredName, masterPath);
    if (record && record->has_value()) {
        contents.fromRecord = true;
        contents.row = walkRecordLine((*record)->line);
        return contents;
    }
    // Never whatever record now stands at the line's old number: the name
    // the user chose, and a word about why the rest is missing.
    contents.row.displayName = std::string(registeredName);
    if (!record) {
        problems.add(LineProblems::Kind::UnreadableRecord, line, record.error());
    } else {
        problems.add(LineProblems::Kind::RecordNotFound, line, masterfile::messageName(registeredName));
    }
    return contents;
}

}  // namespace dorimek::sheets
