#include "AutoRunOutcome.h"

#include <array>

namespace dorimek::mainwin {
namespace {

constexpr std::array kTexts{
    AutoRunOutcomeText{AutoRunOutcome::Done, "印刷した（または設定どおりプレビューを表示した）",
                       "printed (or the preview was shown as configured)"},
    AutoRunOutcomeText{AutoRunOutcome::NoPrescriptionFile, "処方ファイル rp.csv が無いか読めない",
                       "the prescription file rp.csv is missing or unreadable"},
    AutoRunOutcomeText{AutoRunOutcome::PrescriptionIncomplete,
                       "rp.csv が書きかけのまま（最後の行が終わっていない）",
                       "rp.csv is still being written (its last line is unfinished)"},
    AutoRunOutcomeText{AutoRunOutcome::NothingToPrint, "処方に印刷できる薬がない",
                       "the prescription has nothing to print"},
    AutoRunOutcomeText{AutoRunOutcome::MasterUnreadable, "薬剤ファイル yakujo.txt が読めない",
                       "the drug master yakujo.txt can't be read"},
    AutoRunOutcomeText{AutoRunOutcome::SettingsUnreadable,
                       "設定ファイル sorbenk.ini が読めないか、その設定では動けない",
                       "the settings file sorbenk.ini can't be read or its settings can't work"},
    AutoRunOutcomeText{AutoRunOutcome::UsageUnprintable, "用法を印刷できない行がある",
                       "a line's usage can't be printed"},
    AutoRunOutcomeText{AutoRunOutcome::SamePrescriptionJustRun,
                       "同じ rp.csv を直前に処理したので、重ねて印刷しなかった",
                       "the same rp.csv was handled moments ago; not printed twice"},
    AutoRunOutcomeText{AutoRunOutcome::NoUsablePrinter, "使えるプリンタが無い",
                       "no usable printer"},
    AutoRunOutcomeText{AutoRunOutcome::PrinterRefused, "プリンタが印刷を受け付けなかった",
                       "the printer refused the job"},
    AutoRunOutcomeText{AutoRunOutcome::SpoolerDown, "印刷サービス（CUPS）に接続できない",
                       "the print spooler can't be reached"},
    AutoRunOutcomeText{AutoRunOutcome::NoDisplay, "画面（ディスプレイ）を開けない",
                       "no display could be opened"},
    AutoRunOutcomeText{AutoRunOutcome::InternalError, "その他の理由で止まった",
                       "stopped for another reason"},
};

const AutoRunOutcomeText* find(AutoRunOutcome outcome) {
    for (const auto& t : kTexts) {
        if (t.outcome == outcome) return &t;
    }
    return nullptr;
}

}  // namespace

std::span<const AutoRunOutcomeText> autoRunOutcomeTexts() { return kTexts; }

QString autoRunOutcomeJapanese(AutoRunOutcome outcome) {
    const auto* t = find(outcome);
    return t ? QString::fromUtf8(t->japanese) : QString();
}

AutoRunOutcome outcomeOfPrintFailure(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::NoPrinter:
            return AutoRunOutcome::NoUsablePrinter;
        case ErrorKind::PrinterRefused:
            return AutoRunOutcome::PrinterRefused;
        case ErrorKind::SpoolerDown:
            return AutoRunOutcome::SpoolerDown;
        default:
            return AutoRunOutcome::InternalError;
    }
}

QString autoRunOutcomeEnglish(AutoRunOutcome outcome) {
    const auto* t = find(outcome);
    return t ? QString::fromUtf8(t->english) : QString();
}

}  // namespace dorimek::mainwin
