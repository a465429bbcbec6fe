#pragma once

#include <QString>

namespace dorimek::mainwin::messages {

// The main window's fixed texts. The first five are the system's own and are
// compared byte for byte by the people who support the clinics, so they stay
// exactly as they are.
inline const QString kMasterFileMissing = QStringLiteral("yakujo.txtがみつかりません");
inline const QString kSettingsMissing =
    QStringLiteral("設定ファイルがないので通常使うプリンタで印刷します");
inline const QString kSettingsNotWritable = QStringLiteral("設定ファイル sorbenk.iniを開けません");
// The fixed text with what the system said, in Japanese.
inline QString settingsNotWritableBecause(const QString& reason) {
    return kSettingsNotWritable + QStringLiteral("\n（%1。設定は保存されていません）").arg(reason);
}
inline const QString kCannotLockDeviceMode = QStringLiteral("can not GlobalLock");

inline const QString kPrescriptionFull =
    QStringLiteral("処方は24行までです。これ以上は追加できません。");
// What the window does when the printer asked for isn't there; a run started
// by the host doesn't, so that no sheet comes out at a printer nobody watches.
inline const QString kFallbackToDefault = QStringLiteral("通常使うプリンタで印刷します。");
// %1: the index asked for, %2: the number of installed printers.
inline const QString kPrinterIndexMissing =
    QStringLiteral("プリンタ番号 %1 のプリンタはありません(使用可能なプリンタは %2 台です)。");
// What mends it in the window; a name from the old PC is the usual cause.
inline const QString kChooseInListAndSave =
    QStringLiteral("「使用可能プリンタ」の一覧で使うプリンタを選び、「設定保存」を押してください。");
inline const QString kPrinterIndexOutOfRange = kPrinterIndexMissing + QStringLiteral("\n") +
                                               kFallbackToDefault + QStringLiteral("\n") +
                                               kChooseInListAndSave;
// %1: the queue name stored in the settings file.
// A name from another computer (the old PC's printer) is the usual cause.
inline const QString kStoredPrinterMissing = QStringLiteral(
    "設定ファイルのプリンタ %1 はこのコンピュータに登録されていません"
    "（別のコンピュータのプリンタか、削除されたか、名前が変わりました）。");
inline const QString kStoredPrinterGone = kStoredPrinterMissing + QStringLiteral("\n") +
                                          kFallbackToDefault + QStringLiteral("\n") +
                                          kChooseInListAndSave;
// %1: the host's third argument as it came.
inline const QString kPrinterArgumentNotANumber =
    QStringLiteral("基幹システムから指定されたプリンタ番号「%1」は番号ではありません。");
// After any of the three, in a run started by the host that was to print.
inline const QString kAutoRunNotPrinted = QStringLiteral("提供書は印刷していません。");
inline const QString kChooseThePrinter = QStringLiteral(
    "画面の「使用可能プリンタ」からプリンタを選んで「設定保存」を押すか、"
    "基幹システムのプリンタ番号の設定を直してください。");
inline const QString kNoPrinters = QStringLiteral("使用可能なプリンタがありません。");
// %1: the field's label.
inline const QString kLineBreakInField =
    QStringLiteral("「%1」に改行は入れられません。設定は保存されませんでした。");
// %1: the field's label.
inline const QString kTabInField =
    QStringLiteral("「%1」にタブは入れられません。設定は保存されませんでした。");
// %1: the field's label, %2: the character.
inline const QString kUnencodableInField = QStringLiteral(
    "「%1」の文字「%2」は設定ファイルに保存できません。設定は保存されませんでした。");

// %1: the prescription line, %2: the character.
inline const QString kUnprintableUsage = QStringLiteral(
    "%1 行目の用法の文字「%2」は印刷できません（Shift-JIS にない文字です）。用法を直してください。");

// Printing with no prescription line: no job is sent.
inline const QString kNothingToPrint =
    QStringLiteral("処方に薬がないため、印刷するものがありません。提供書は印刷していません。");

// What closing would lose, one line each in kDropUnsaved.
inline const QString kUnsavedGrid =
    QStringLiteral("・ﾌｧｲﾙ編集の画面に、保存していない変更があります。");
inline const QString kUnsavedDrugEdit =
    QStringLiteral("・個別編集の欄に、「編集終了」で保存していない変更があります。");
// %1: the lines above.
inline const QString kDropUnsaved = QStringLiteral(
    "%1\n保存せずに終了すると、これらの変更は失われます。\n"
    "保存せずに終了してよろしいですか？");
// %1: the number of editor windows whose edits were kept.
inline const QString kUnsavedKept = QStringLiteral(
    "前回、ﾌｧｲﾙ編集の変更が保存されないまま終了しました（編集画面 %1 つ分）。\n"
    "変更は yakujo.txt にはまだ書かれていません。\n"
    "編集画面に戻すと、内容を確かめてから「保存して終了」で保存できます。\n"
    "破棄すると、その変更は失われます。");
inline const QString kRestoreUnsaved = QStringLiteral("編集画面に戻す");
inline const QString kDiscardUnsaved = QStringLiteral("破棄する");
// %1: the recovery file's name.
inline const QString kUnsavedBroken = QStringLiteral(
    "前回保存されなかった変更のファイル %1 が壊れているため、戻せませんでした。"
    "ファイルは削除しました。");

}  // namespace dorimek::mainwin::messages
