// The engine's own windows: preview, progress and printer setup.
#include "EngineTestSupport.h"

#include "RecordingMessageSink.h"
#include "TestFiles.h"
#include "platform/QtTranslations.h"
#include "sheets/engine/PrinterChooserDialog.h"
#include "sheets/engine/ReportPreviewWindow.h"
#include "sheets/engine/ReportProgressDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

using namespace dorimek::report;
using dorimek::testing::sjis;
using enginetest::SampleReport;

namespace {

ReportPreviewWindow* openPreview() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* p = qobject_cast<ReportPreviewWindow*>(w); p && p->isVisible()) return p;
    }
    return nullptr;
}

int openPreviews() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<ReportPreviewWindow*>(w) && w->isVisible()) ++n;
    }
    return n;
}

QString pageText(ReportPreviewWindow* w) {
    return w->findChild<QLabel*>("pageLabel")->text().simplified();
}

void click(ReportPreviewWindow* w, const char* button) {
    auto* b = w->findChild<QPushButton*>(button);
    QVERIFY2(b, button);
    QTest::mouseClick(b, Qt::LeftButton);
}

// Runs check once the preview window is up, then closes it. The run lets
// events through before every row, so the window may take a moment.
void whilePreviewOpen(std::function<void(ReportPreviewWindow*)> check) {
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, check] {
        ReportPreviewWindow* w = openPreview();
        if (!w && ++*tries < 500) return;
        poll->stop();
        poll->deleteLater();
        if (!w) {
            qWarning("no preview window opened");
            return;
        }
        check(w);
        click(w, "closeButton");
    });
    poll->start(10);
}

}  // namespace

class PreviewWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void previewReturnsWhenClosedAndPagesThrough();
    void zoomButtonsChangeTheScale();
    void previewWhileOpenDoesNotNest();
    void printFromPreviewIsANewRun();
    void declinedRunOpensNoWindow();
    void zoomForFitsThePage_data();
    void zoomForFitsThePage();
    void progressDialogCancels();
    void printerChooserPresetsAndReturnsTheChoice();
    void printerSetupIsTranslatedAndCannotPrint();
    void previewSaysWhenThePageIsReduced();
};

void PreviewWindowTest::previewReturnsWhenClosedAndPagesThrough() {
    SampleReport s;
    for (int i = 1; i <= 12; ++i) s.rows.push_back(sjis("行") + std::to_string(i));
    QStringList seen;
    whilePreviewOpen([&](ReportPreviewWindow* w) {
        seen << pageText(w);
        click(w, "nextPageButton");
        seen << pageText(w);
        click(w, "nextPageButton");  // already on the last page
        seen << pageText(w);
        click(w, "firstPageButton");
        seen << pageText(w);
        click(w, "lastPageButton");
        seen << pageText(w);
        QCOMPARE(w->findChild<QPushButton*>("closeButton")->text(), QStringLiteral("閉じる(&C)"));
        // The page shown is the document's picture at the current zoom.
        const QLabel* view = w->findChild<QLabel*>("pageView");
        QVERIFY(!view->pixmap().isNull());
        QVERIFY(view->pixmap().width() > 100);
    });
    s.report.Preview();
    QCOMPARE(seen, (QStringList{"1 / 2 ページ", "2 / 2 ページ", "2 / 2 ページ", "1 / 2 ページ",
                                "2 / 2 ページ"}));
    QCOMPARE(s.beforePrintCalls, 1);
    QCOMPARE(openPreviews(), 0);
}

void PreviewWindowTest::zoomButtonsChangeTheScale() {
    SampleReport s;
    s.rows = {sjis("行1")};
    QList<int> zooms;
    whilePreviewOpen([&](ReportPreviewWindow* w) {
        click(w, "actualSizeButton");
        zooms << w->zoomPercent();
        click(w, "zoomInButton");
        zooms << w->zoomPercent();
        click(w, "zoomOutButton");
        click(w, "zoomOutButton");
        zooms << w->zoomPercent();
        const int width75 = w->findChild<QLabel*>("pageView")->pixmap().width();
        click(w, "actualSizeButton");
        const int width100 = w->findChild<QLabel*>("pageView")->pixmap().width();
        QVERIFY(qAbs(width75 * 4 - width100 * 3) < 8);
    });
    s.report.Preview();
    QCOMPARE(zooms, (QList<int>{100, 125, 75}));
}

void PreviewWindowTest::previewWhileOpenDoesNotNest() {
    SampleReport s;
    s.rows = {sjis("行1")};
    int during = -1;
    whilePreviewOpen([&](ReportPreviewWindow*) {
        s.report.Preview();  // returns at once: the open window is raised instead
        during = openPreviews();
    });
    s.report.Preview();
    QCOMPARE(during, 1);
    QCOMPARE(s.beforePrintCalls, 1);
}

void PreviewWindowTest::printFromPreviewIsANewRun() {
    // This test runs with no spooler: the print is refused with a message.
    dorimek::testing::RecordingMessageSink sink;
    SampleReport s;
    s.rows = {sjis("行1")};
    whilePreviewOpen([&](ReportPreviewWindow* w) { click(w, "printButton"); });
    s.report.Preview();
    QCOMPARE(sink.messages.size(), 1);
    QVERIFY(sink.messages[0].contains(QStringLiteral("プリンタ")));
}

void PreviewWindowTest::declinedRunOpensNoWindow() {
    SampleReport s;
    s.report.BeforePrint = [](TReport&, bool& print) { print = false; };
    s.report.Preview();  // must not wait for a window that never opens
    QCOMPARE(openPreviews(), 0);
}

void PreviewWindowTest::zoomForFitsThePage_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QSize>("viewport");
    QTest::addColumn<int>("expected");
    // B5 at 96 dpi is 687.8 x 971.3 pixels; 24 pixels are kept free.
    QTest::newRow("fixed") << int(ReportPreviewWindow::Zoom::Percent) << 150 << QSize(100, 100)
                           << 150;
    QTest::newRow("fixed, clamped")
        << int(ReportPreviewWindow::Zoom::Percent) << 1000 << QSize(1, 1) << 400;
    QTest::newRow("fit width") << int(ReportPreviewWindow::Zoom::FitWidth) << 100 << QSize(712, 300)
                               << 100;
    QTest::newRow("fit page, tall window")
        << int(ReportPreviewWindow::Zoom::FitPage) << 100 << QSize(712, 2000) << 100;
    QTest::newRow("fit page, short window")
        << int(ReportPreviewWindow::Zoom::FitPage) << 100 << QSize(712, 510) << 50;
}

void PreviewWindowTest::zoomForFitsThePage() {
    QFETCH(int, mode);
    QFETCH(int, percent);
    QFETCH(QSize, viewport);
    QFETCH(int, expected);
    QCOMPARE(ReportPreviewWindow::zoomFor(static_cast<ReportPreviewWindow::Zoom>(mode), percent,
                                          QSizeF(1820, 2570), viewport, 96),
             expected);
}

void PreviewWindowTest::progressDialogCancels() {
    ReportProgressDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("印刷中"));
    auto* cancel = dialog.findChild<QPushButton*>("cancelButton");
    QVERIFY(cancel);
    QCOMPARE(cancel->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    QSignalSpy spy(&dialog, &ReportProgressDialog::cancelRequested);
    dialog.show();
    QTest::mouseClick(cancel, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QTest::keyClick(&dialog, Qt::Key_Escape);  // closing the window cancels too
    QCOMPARE(spy.count(), 2);
}

void PreviewWindowTest::printerChooserPresetsAndReturnsTheChoice() {
    const QStringList queues{"capture", "office", "rejecting"};
    PrinterChooserDialog preset(queues, "office", 2, 1);
    QCOMPARE(preset.printerIndex(), 2);
    auto* combo = preset.findChild<QComboBox*>("printerCombo");
    QCOMPARE(combo->count(), 4);
    QCOMPARE(combo->itemText(0), QStringLiteral("通常使うプリンタ (office)"));
    combo->setCurrentIndex(0);
    QCOMPARE(preset.printerIndex(), -1);
    combo->setCurrentIndex(1);
    QCOMPARE(preset.printerIndex(), 0);
    preset.findChild<QSpinBox*>("copiesSpin")->setValue(3);
    QCOMPARE(preset.copies(), 3);

    // An index that names no printer starts on the default printer.
    PrinterChooserDialog unknown(queues, QString(), 7, 0);
    QCOMPARE(unknown.printerIndex(), -1);
    QCOMPARE(unknown.copies(), 1);
}

void PreviewWindowTest::printerSetupIsTranslatedAndCannotPrint() {
    QVERIFY2(dorimek::platform::installQtJapanese(*QCoreApplication::instance()),
             "qtbase_ja.qm is not installed (package qt6-translations-l10n)");
    for (const std::optional<int> copies : {std::optional<int>(1), std::optional<int>()}) {
        PrinterChooserDialog dialog({"capture", "office"}, "office", 0, copies);
        QStringList texts;
        for (const QAbstractButton* b : dialog.findChildren<QAbstractButton*>()) texts << b->text();
        for (const QAction* a : dialog.findChildren<QAction*>()) texts << a->text();
        texts.sort();
        QCOMPARE(texts, (QStringList{QStringLiteral("OK"), QStringLiteral("キャンセル")}));
        QCOMPARE(dialog.findChild<QSpinBox*>("copiesSpin") != nullptr, copies.has_value());
    }
}

// The preview shows the page as the printer will get it, and says so when
// that is smaller than laid out.
void PreviewWindowTest::previewSaysWhenThePageIsReduced() {
    for (const bool crosses : {false, true}) {
        SampleReport s;
        s.rows = {sjis("行1")};
        s.report.Printable = crosses ? PrintableMargins{120, 120, 120, 120} : PrintableMargins{};
        QString notice;
        bool shown = false;
        whilePreviewOpen([&](ReportPreviewWindow* w) {
            const auto* label = w->findChild<QLabel*>("fitNotice");
            shown = label && label->isVisible();
            if (label) notice = label->text();
        });
        s.report.Preview();
        QCOMPARE(shown, crosses);
        if (crosses) QCOMPARE(notice, s.report.lastDocument()->fit.notice());
        if (crosses) QVERIFY(notice.contains(QStringLiteral("% に縮小します")));
    }
}

QTEST_MAIN(PreviewWindowTest)
#include "PreviewWindowTest.moc"
