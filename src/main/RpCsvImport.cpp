#include "RpCsvImport.h"

#include "AutoRunClaim.h"
#include "masterfile/MasterFileLimits.h"
#include "platform/Messages.h"
#include "platform/Sjis.h"

#include <algorithm>

namespace dorimek::mainwin {
namespace {

// A message box must stay readable: long runs of left-out lines or drugs are
// summed up rather than listed.
constexpr qsizetype kMaxListed = 20;

// The host's own limit for a drug name, in bytes, for the refusal's message.
constexpr int kRpCsvNameLimit = 31;

// At most kMaxListed items are named; the rest are counted.
QString listOf(const QStringList& items, const QString& countWord) {
    QString listed = items.mid(0, kMaxListed).join(QStringLiteral("、"));
    if (items.size() > kMaxListed) {
        listed += QStringLiteral(" ほか%1%2").arg(items.size() - kMaxListed).arg(countWord);
    }
    return listed;
}

QString malformedMessage(const std::vector<int>& lines) {
    QStringList numbers;
    for (int n : lines) numbers << QString::number(n);
    return QStringLiteral("rp.csvの%1行目は薬剤名が読み取れないため取り込みませんでした")
        .arg(listOf(numbers, QStringLiteral("行")));
}

QString refusedMessage(const std::vector<RefusedDrug>& refused) {
    QStringList full;
    QStringList noSlot;
    QStringList absurd;
    for (const RefusedDrug& r : refused) {
        const QString name = masterfile::messageName(r.name);
        switch (r.reason) {
            case RefusedDrug::Reason::ListFull:
                full << name;
                break;
            case RefusedDrug::Reason::NoUnknownSlot:
                noSlot << name;
                break;
            case RefusedDrug::Reason::AbsurdName:
                absurd << name;
                break;
        }
    }
    QString text = QStringLiteral("次の薬剤は処方に入りきらないため取り込みませんでした。");
    if (!full.isEmpty()) {
        text += QStringLiteral("\n処方は%1行までです: %2")
                    .arg(prescription::PrescriptionState::kMaxLines)
                    .arg(listOf(full, QStringLiteral("件")));
    }
    if (!noSlot.isEmpty()) {
        text += QStringLiteral("\nリストにない薬剤は1回の取込で%1件までです: %2")
                    .arg(prescription::PrescriptionState::kUnknownSlots)
                    .arg(listOf(noSlot, QStringLiteral("件")));
    }
    if (!absurd.isEmpty()) {
        text += QStringLiteral(
                    "\n薬剤名が長すぎます（登録名は%1バイトまで、rp.csvの薬剤名は%"
                    "2バイトまでです）: %3")
                    .arg(masterfile::kNameLimit)
                    .arg(kRpCsvNameLimit)
                    .arg(listOf(absurd, QStringLiteral("件")));
    }
    return text;
}

QString unfinishedMessage(int line) {
    return QStringLiteral(
               "rp.csvの最後の行（%"
               "1行目）は基幹システムが書き終えていないため、取り込みませんでした。\n"
               "書き出しが終わってから「全消去」し、もう一度「処方取込」を押してください。")
        .arg(line);
}

}  // namespace

ImportReport RpCsvImport::runForAutoStart(const QString& path, const QString& claimPath,
                                          const masterfile::MasterNames& masterList,
                                          prescription::PrescriptionState& state,
                                          const RpCsvWait& wait) {
    Result<RpCsvContent> content = RpCsvFile::read(path, wait);
    if (!content) {
        ImportReport report;
        report.messages << content.error();
        return report;
    }
    if (content->unfinishedLine > 0) {
        ImportReport report;
        report.fileOpened = true;
        report.stopped = AutoRunOutcome::PrescriptionIncomplete;
        report.messages << QStringLiteral(
                               "rp.csvの最後の行（%1行目）は基幹システムが書き終えていません。\n"
                               "薬の欠けた提供書にならないよう、何も印刷しませんでした。")
                               .arg(content->unfinishedLine);
        return report;
    }
    // Claimed before anything is printed, so of two runs started together
    // exactly one prints.
    if (AutoRunClaim::claim(content->contentStamp, claimPath) ==
        AutoRunClaim::Verdict::SameJustRun) {
        ImportReport report;
        report.fileOpened = true;
        report.stopped = AutoRunOutcome::SamePrescriptionJustRun;
        report.messages << QStringLiteral(
            "同じ処方（rp.csv）の提供書を、数秒前に起動された dorimek が出しています。\n"
            "二重に印刷しないよう、この起動では印刷しませんでした。");
        return report;
    }
    ImportReport report = apply(*content, masterList, state);
    report.claimed = content->contentStamp;
    return report;
}

QString RpCsvImport::unknownDrugMessage(const std::string& name) {
    return masterfile::messageName(name) +
           QStringLiteral("がリストにありません 薬剤名だけ記載します");
}

ImportReport RpCsvImport::run(const QString& path, const masterfile::MasterNames& masterList,
                              prescription::PrescriptionState& state, const RpCsvWait& wait) {
    Result<RpCsvContent> content = RpCsvFile::read(path, wait);
    if (!content) {
        ImportReport report;
        report.messages << content.error();
        return report;
    }
    return apply(*content, masterList, state);
}

ImportReport RpCsvImport::apply(const RpCsvContent& content,
                                const masterfile::MasterNames& masterList,
                                prescription::PrescriptionState& state) {
    ImportReport report;
    report.fileOpened = true;
    report.malformedLines = content.malformedLines;
    state.clearUnknownNames();

    // The host writes a drug without its own usage right after the drug whose
    // usage it shares, so the usage carries over, but only within this file.
    std::string currentUsage;
    for (const RpRecord& record : content.records) {
        if (record.hasOwnUsage) currentUsage = record.usage;
        if (record.drugName.empty()) continue;  // left out and reported, usage still counts

        const auto found = std::find(masterList.begin(), masterList.end(), record.drugName);
        const bool known = found != masterList.end();
        const prescription::AppendResult appended =
            known ? state.appendKnown(record.drugName, static_cast<int>(found - masterList.begin()))
                  : state.appendUnknown(record.drugName);
        if (appended != prescription::AppendResult::Appended) {
            report.refused.push_back({record.fileLine, record.drugName,
                                      appended == prescription::AppendResult::ListFull
                                          ? RefusedDrug::Reason::ListFull
                                      : appended == prescription::AppendResult::AbsurdName
                                          ? RefusedDrug::Reason::AbsurdName
                                          : RefusedDrug::Reason::NoUnknownSlot});
            continue;
        }

        const int n = state.lineCount();
        ImportedLine line{n, record.drugName, state.masterIndex(n), std::nullopt};
        if (!known) {
            report.unknownNames.push_back(record.drugName);
            report.messages << unknownDrugMessage(record.drugName);
        }
        // An empty usage leaves the position's own: one typed ahead for it,
        // or left there by 全消去.
        if (!currentUsage.empty()) {
            line.usage = currentUsage;
            state.setUsage(n, currentUsage);
        }
        report.lines.push_back(std::move(line));
    }

    if (!report.malformedLines.empty()) report.messages << malformedMessage(report.malformedLines);
    if (!report.refused.empty()) report.messages << refusedMessage(report.refused);
    if (content.textAfterEndMarkLine) {
        report.messages << QStringLiteral(
                               "rp.csvの%1行目にファイル終端記号（0x1A）があります。"
                               "その後ろは今回の処方ではないため取り込みませんでした")
                               .arg(*content.textAfterEndMarkLine);
    }
    if (content.unfinishedLine > 0) report.messages << unfinishedMessage(content.unfinishedLine);
    if (!content.readError.isEmpty()) report.messages << content.readError;
    return report;
}

void RpCsvImport::showMessages(const ImportReport& report) {
    for (const QString& text : report.messages) platform::showMessage(text);
}

}  // namespace dorimek::mainwin
