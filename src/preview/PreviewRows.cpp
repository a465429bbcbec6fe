#include "PreviewRows.h"

#include "prescription/PrescriptionSource.h"
#include "masterfile/LineRecord.h"
#include "masterfile/MasterFileLimits.h"
#include "platform/Sjis.h"
#include "sheets/PhotoBox.h"
#include "sheets/SheetRow.h"
#include "sheets/UsageSplit.h"

#include <QStringList>

#include <algorithm>

namespace dorimek::preview {
namespace {

QString linesLabel(const std::vector<int>& lines) {
    QStringList numbers;
    for (int line : lines) numbers.append(QString::number(line));
    return numbers.join(QStringLiteral("・")) + QStringLiteral("行目");
}

void addProblem(std::vector<PreviewProblem>& problems, int line, const QString& text) {
    // The same file named by several lines, or the same unreadable master
    // file for every row, is told once with all its lines.
    auto same = std::find_if(problems.begin(), problems.end(),
                             [&](const PreviewProblem& p) { return p.text == text; });
    if (same != problems.end()) {
        same->lines.push_back(line);
    } else {
        problems.push_back({{line}, text});
    }
}

void appendSection(QStringList& out, const QString& heading,
                   const std::vector<PreviewProblem>& problems) {
    if (problems.empty()) return;
    if (!out.isEmpty()) out.append(QString());
    out.append(heading);
    for (const PreviewProblem& p : problems) {
        out.append(QStringLiteral("・%1: %2").arg(linesLabel(p.lines), p.text));
    }
}

}  // namespace

QString PreviewRows::problemMessage() const {
    QStringList out;
    appendSection(out, QStringLiteral("次の写真を表示できません。写真の欄は空けてあります。"),
                  undecodablePhotos);
    appendSection(
        out, QStringLiteral("次の行の薬剤を薬剤ファイルから読めません。その行は空けてあります。"),
        unreadableRecords);
    appendSection(out,
                  QStringLiteral("次の行の薬剤が薬剤ファイル（yakujo.txt）に見つかりません。"
                                 "薬剤名だけ表示しています。"),
                  recordsNotFound);
    return out.join(QLatin1Char('\n'));
}

PreviewRows buildPreviewRows(const prescription::PrescriptionSource& source, QSize photoPixels,
                             const QString& masterPath) {
    PreviewRows result;
    const prescription::PrescriptionState& state = source.prescription();
    const int shown = std::min(state.lineCount(), kRowCount);
    for (int line = 1; line <= shown; ++line) {
        PreviewRow& row = result.rows[static_cast<size_t>(line - 1)];
        row.line = line;
        // The usage belongs to the line, not to its record: it is shown even
        // when the drug's own cells can't be.
        row.usage = sheets::splitUsage(source.usageText(line));

        const int index = state.masterIndex(line);
        if (state.isUnknown(line)) {
            // A drug the master list doesn't know: its name, as the sheets
            // print it, and nothing else of it.
            row.name = state.unknownDrugName(-index - 2);
            continue;
        }
        const auto record = masterfile::ReadLineRecord(index, state.lineText(line), masterPath);
        if (!record) {
            addProblem(result.unreadableRecords, line, record.error());
            continue;
        }
        if (!record->has_value()) {
            // The master file no longer holds this drug: its name only, never
            // whatever record now stands at its old number.
            row.name = state.lineText(line);
            addProblem(result.recordsNotFound, line, masterfile::messageName(row.name));
            continue;
        }
        sheets::SheetRow fields = sheets::walkRecordLine((*record)->line);
        row.name = std::move(fields.displayName);
        row.form = std::move(fields.shapeCode);
        row.package = std::move(fields.package);
        row.efficacy = std::move(fields.efficacy);
        row.caution = std::move(fields.caution);
        row.photo = sheets::loadPhotoCell(fields.photoFileName, sheets::kPhotoProportionStyle3,
                                          photoPixels);
        if (row.photo.state == sheets::PhotoCell::State::Undecodable) {
            addProblem(result.undecodablePhotos, line, row.photo.error);
        }
    }
    return result;
}

}  // namespace dorimek::preview
