#include "GridRows.h"

#include "platform/Sjis.h"

#include <algorithm>

namespace dorimek::masterfile {
namespace {

const std::array<QString, GridRows::kColumns> kLabels = {
    QStringLiteral("登録名"),   QStringLiteral("表示名"),       QStringLiteral("単位"),
    QStringLiteral("形状記号"), QStringLiteral("包装"),         QStringLiteral("効能"),
    QStringLiteral("注意"),     QStringLiteral("画像ファイル"),
};

}  // namespace

const QString& GridRows::columnLabel(int column) {
    return kLabels[static_cast<size_t>(std::clamp(column, 0, kColumns - 1))];
}

GridRows::GridRows(std::vector<Row> rows, std::vector<int> origins)
    : rows_(std::move(rows)), origins_(std::move(origins)) {
    origins_.resize(rows_.size(), -1);
}

GridRows GridRows::fromRecords(const std::vector<DrugRecord>& records) {
    const size_t count = std::max(records.size(), static_cast<size_t>(kMinimumRows));
    std::vector<Row> rows(count);
    std::vector<int> origins(count, -1);
    platform::SjisBatchDecoder decode;
    for (size_t r = 0; r < records.size(); ++r) {
        origins[r] = static_cast<int>(r);
        for (int c = 0; c < kColumns; ++c) {
            rows[r][static_cast<size_t>(c)] = decode(records[r].field(c));
        }
    }
    return GridRows(std::move(rows), std::move(origins));
}

int GridRows::dataEnd() const {
    for (int r = 0; r < rowCount(); ++r) {
        if (row(r)[0].isEmpty()) return r;
    }
    return rowCount();
}

bool GridRows::hasData(const Row& row) {
    return std::any_of(row.begin(), row.end(), [](const QString& s) { return !s.isEmpty(); });
}

std::optional<GridRows::Problem> GridRows::cellProblem(int row, int column, const QString& text) {
    const QString where = QStringLiteral("%1 行目の「%2」").arg(row + 1).arg(columnLabel(column));
    if (const auto bad = forbiddenCharacterIn(text)) {
        return Problem{row, column,
                       where + QStringLiteral("に%1があります。%2は使えません。")
                                   .arg(bad->name, bad->shortName)};
    }
    const QString bad = platform::firstUnencodable(text);
    if (!bad.isEmpty()) {
        return Problem{
            row, column,
            where + QStringLiteral("の文字「%1」は保存できません（Shift-JIS にない文字です）。")
                        .arg(bad)};
    }
    return std::nullopt;
}

GridRows::Plan GridRows::planSave(const std::vector<DrugRecord>& loaded) const {
    Plan plan;
    platform::SjisBatchDecoder decode;
    const int end = dataEnd();
    for (int r = 0; r < rowCount(); ++r) {
        const Row& cells = row(r);
        if (r >= end) {
            if (!hasData(cells)) continue;
            if (cells[0].isEmpty()) {
                plan.problem =
                    Problem{r, 0,
                            QStringLiteral("%1 行目は「登録名」が空のため保存できません。\n"
                                           "登録名を入れるか、行削除でこの行を消してください。")
                                .arg(r + 1)};
            } else {
                plan.problem =
                    Problem{r, 0,
                            QStringLiteral(
                                "%1 行目が空の行のため、その下の %2 行目から先が保存されません。\n"
                                "空の行を行削除で消してから保存してください。")
                                .arg(end + 1)
                                .arg(r + 1)};
            }
            plan.records.clear();
            plan.asRead.clear();
            plan.origins.clear();
            return plan;
        }
        const int from = origin(r);
        const DrugRecord* source =
            from >= 0 && from < static_cast<int>(loaded.size()) ? &loaded[static_cast<size_t>(from)]
                                                                 : nullptr;
        DrugRecord record;
        FieldMask asRead;
        for (int c = 0; c < kColumns; ++c) {
            const QString& text = cells[static_cast<size_t>(c)];
            if (source && text == decode(source->field(c))) {
                record.field(c) = source->field(c);
                asRead.set(static_cast<size_t>(c));
                continue;
            }
            if (auto problem = cellProblem(r, c, text)) {
                plan.problem = std::move(problem);
                plan.records.clear();
                plan.asRead.clear();
                plan.origins.clear();
                return plan;
            }
            record.field(c) = platform::fromUnicode(text);
        }
        // A last safety net for anything the cell checks above let through.
        const QString formatIssue = formatProblem(record, asRead);
        if (!formatIssue.isEmpty()) {
            plan.problem = Problem{r, 0, QStringLiteral("%1 行目: %2").arg(r + 1).arg(formatIssue)};
            plan.records.clear();
            plan.asRead.clear();
            plan.origins.clear();
            return plan;
        }
        plan.records.push_back(std::move(record));
        plan.asRead.push_back(asRead);
        plan.origins.push_back(from);
    }
    return plan;
}

int GridRows::editCount(const std::vector<DrugRecord>& loaded) const {
    platform::SjisBatchDecoder decode;
    std::vector<bool> kept(loaded.size(), false);
    int edits = 0;
    const int end = dataEnd();
    for (int r = 0; r < end; ++r) {
        const int from = origin(r);
        if (from < 0 || from >= static_cast<int>(loaded.size())) {
            ++edits;
            continue;
        }
        kept[static_cast<size_t>(from)] = true;
        const DrugRecord& source = loaded[static_cast<size_t>(from)];
        for (int c = 0; c < kColumns; ++c) {
            if (row(r)[static_cast<size_t>(c)] != decode(source.field(c))) {
                ++edits;
                break;
            }
        }
    }
    return edits + static_cast<int>(std::count(kept.begin(), kept.end(), false));
}

std::vector<std::string> GridRows::registeredNames(const std::vector<DrugRecord>& records) {
    std::vector<std::string> names;
    names.reserve(records.size());
    for (const DrugRecord& r : records) names.push_back(r.registeredName);
    return names;
}

}  // namespace dorimek::masterfile
