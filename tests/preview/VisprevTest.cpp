#include "PreviewFixture.h"
#include "RecordingMessageSink.h"
#include "TestFiles.h"
#include "platform/FontMap.h"
#include "preview/Visprev.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

#include <memory>

using dorimek::preview::TForm6;
using dorimek::preview::testing::FakeSource;
using dorimek::preview::testing::ProgramFolder;
namespace fixture = dorimek::preview::testing;

class VisprevTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void controlGeometry_data();
    void controlGeometry();
    void everyControlExistsWithItsCaption();
    void windowPlacementAndFont();
    void tabRunsRowByRowThenButtons();
    void rowsShowTheFirstSevenLines();
    void pagesThroughEveryLine();
    void longFieldsShowWhole();
    void memo16StartsWithAnEmptyLine_data();
    void memo16StartsWithAnEmptyLine();
    void printButtonCallsThePrintCallback();
    void closeHidesTheWindowWithoutFreeingIt_data();
    void closeHidesTheWindowWithoutFreeingIt();
    void twoPreviewsOpenAtOnce();
    void damagedPhotosAreToldInOneMessage();
    void missingPhotoIsNamed();

  private:
    std::unique_ptr<TForm6> open(const FakeSource& source, std::function<void()> print = {});
    template <class T>
    static T* control(const QWidget* form, const char* name) {
        T* c = form->findChild<T*>(QString::fromLatin1(name));
        if (!c) qWarning("no control %s", name);
        return c;
    }
    static QString memo(const QWidget* form, const char* name) {
        auto* m = control<QPlainTextEdit>(form, name);
        return m ? m->toPlainText() : QStringLiteral("<missing>");
    }
    static QString edit(const QWidget* form, const char* name) { return memo(form, name); }
    static bool hasPhoto(const QWidget* form, const char* name) {
        auto* l = control<QLabel>(form, name);
        return l && !l->pixmap().isNull();
    }

    std::unique_ptr<ProgramFolder> folder_;
};

void VisprevTest::init() {
    folder_ = std::make_unique<ProgramFolder>();
    fixture::writeStandardFolder(*folder_);
}

void VisprevTest::cleanup() { folder_.reset(); }

std::unique_ptr<TForm6> VisprevTest::open(const FakeSource& source, std::function<void()> print) {
    return std::make_unique<TForm6>(source, std::move(print));
}

void VisprevTest::controlGeometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("geometry");

    const auto row = [](const char* name, const char* cls, int x, int y, int w, int h) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(cls)
                            << QRect(x, y, w, h);
    };
    row("Label1", "QLabel", 16, 8, 36, 12);
    row("Label3", "QLabel", 16, 40, 54, 12);
    row("Label7", "QLabel", 520, 8, 24, 12);
    row("Button1", "QPushButton", 168, 24, 105, 25);
    row("Button2", "QPushButton", 288, 24, 105, 25);
    // Row 1.
    row("Shape1", "QFrame", 8, 56, 553, 1);
    row("Memo1", "QPlainTextEdit", 8, 64, 97, 25);
    row("Edit1", "QPlainTextEdit", 8, 96, 89, 20);
    row("Edit2", "QPlainTextEdit", 8, 120, 89, 20);
    row("Memo2", "QPlainTextEdit", 104, 64, 153, 73);
    row("Memo3", "QPlainTextEdit", 256, 64, 161, 73);
    row("Image1", "QLabel", 424, 64, 82, 76);
    row("Memo4", "QPlainTextEdit", 512, 64, 49, 73);
    // Row 4.
    row("Shape4", "QFrame", 8, 320, 553, 1);
    row("Memo13", "QPlainTextEdit", 8, 328, 97, 25);
    row("Edit8", "QPlainTextEdit", 8, 384, 89, 20);
    row("Memo16", "QPlainTextEdit", 512, 328, 49, 73);
    // Row 7 and the closing rule.
    row("Memo25", "QPlainTextEdit", 8, 592, 97, 25);
    row("Edit13", "QPlainTextEdit", 8, 624, 89, 20);
    row("Memo27", "QPlainTextEdit", 256, 592, 161, 73);
    row("Image7", "QLabel", 424, 592, 82, 76);
    row("Memo28", "QPlainTextEdit", 512, 592, 49, 73);
    row("Shape8", "QFrame", 8, 680, 553, 1);
}

void VisprevTest::controlGeometry() {
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QRect, geometry);
    FakeSource source;
    auto form = open(source);
    QWidget* c = form->findChild<QWidget*>(name);
    QVERIFY2(c, qPrintable(name));
    QCOMPARE(QString::fromLatin1(c->metaObject()->className()), className);
    QCOMPARE(c->geometry(), geometry);
    QVERIFY2(form->rect().contains(c->geometry()), "control outside the client area");
}

void VisprevTest::everyControlExistsWithItsCaption() {
    FakeSource source;
    auto form = open(source);
    for (int i = 1; i <= 28; ++i) {
        QVERIFY(form->findChild<QPlainTextEdit*>(QStringLiteral("Memo%1").arg(i)));
    }
    for (int i = 1; i <= 14; ++i)
        QVERIFY(form->findChild<QPlainTextEdit*>(QStringLiteral("Edit%1").arg(i)));
    for (int i = 1; i <= 7; ++i)
        QVERIFY(form->findChild<QLabel*>(QStringLiteral("Image%1").arg(i)));
    for (int i = 1; i <= 8; ++i)
        QVERIFY(form->findChild<QFrame*>(QStringLiteral("Shape%1").arg(i)));

    const QStringList captions = {"薬剤名", "剤形・記号", "規格・包装", "効能",
                                  "注意",   "外観",       "用法"};
    for (int i = 0; i < captions.size(); ++i) {
        auto* label = form->findChild<QLabel*>(QStringLiteral("Label%1").arg(i + 1));
        QVERIFY(label);
        QCOMPARE(label->text(), captions[i]);
    }
    QCOMPARE(form->Button1->text(), QStringLiteral("印刷"));
    QCOMPARE(form->Button2->text(), QStringLiteral("終了"));
}

void VisprevTest::windowPlacementAndFont() {
    FakeSource source;
    auto form = open(source);
    QCOMPARE(form->windowTitle(), QStringLiteral("Form6"));
    QCOMPARE(form->pos(), QPoint(403, 32));
    QVERIFY(form->width() <= 578 && form->height() <= 732);
    QCOMPARE(form->font().pixelSize(), 12);
    QCOMPARE(form->font().family(),
             dorimek::platform::mappedFamily(dorimek::platform::kGothicFace));
}

void VisprevTest::tabRunsRowByRowThenButtons() {
    FakeSource source;
    auto form = open(source);
    form->show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));

    QStringList expected;
    for (int r = 0; r < 7; ++r) {
        const int m = 4 * r;
        const int e = 2 * r;
        expected << QStringLiteral("Memo%1").arg(m + 1) << QStringLiteral("Memo%1").arg(m + 2)
                 << QStringLiteral("Memo%1").arg(m + 3) << QStringLiteral("Edit%1").arg(e + 1)
                 << QStringLiteral("Edit%1").arg(e + 2) << QStringLiteral("Memo%1").arg(m + 4);
    }
    expected << "Button1"
             << "Button2"
             << "Memo1";

    control<QWidget>(form.get(), "Memo1")->setFocus(Qt::TabFocusReason);
    QStringList visited{QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                    : QString()};
    for (int i = 1; i < expected.size(); ++i) {
        // Tab in a memo moves on instead of typing a tab character.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                : QString());
    }
    QCOMPARE(visited, expected);
    QVERIFY(!memo(form.get(), "Memo1").contains(QLatin1Char('\t')));
}

void VisprevTest::rowsShowTheFirstSevenLines() {
    using namespace fixture;
    FakeSource source;
    source.addKnown(kAmlodin, "朝昼夕 食後");
    source.addUnknown("院外の薬", "朝");
    source.addKnown(kGaster);
    source.addKnown(kLoxonin, "4時間 間隔");
    source.addKnown(kBroken, "夕 ");
    source.addKnown(kMucodyne);
    source.addKnown(kAmlodin);
    source.addKnown(kGaster, "寝る前");  // line 8: on the next page
    dorimek::testing::RecordingMessageSink sink;
    auto form = open(source);
    const QWidget* f = form.get();

    QCOMPARE(memo(f, "Memo1"), QStringLiteral("アムロジン錠5mg"));
    QCOMPARE(edit(f, "Edit1"), QStringLiteral("AM5"));
    QCOMPARE(edit(f, "Edit2"), QStringLiteral("5mg100錠"));
    QCOMPARE(memo(f, "Memo2"), QStringLiteral("高血圧症　狭心症"));
    QCOMPARE(memo(f, "Memo3"), QStringLiteral("めまいに注意"));
    QVERIFY(hasPhoto(f, "Image1"));
    QCOMPARE(memo(f, "Memo4"), QStringLiteral("朝昼夕\n食後"));

    // A drug the master list doesn't know: its name and usage only.
    QCOMPARE(memo(f, "Memo5"), QStringLiteral("院外の薬"));
    QCOMPARE(edit(f, "Edit3"), QString());
    QCOMPARE(edit(f, "Edit4"), QString());
    QCOMPARE(memo(f, "Memo6"), QString());
    QCOMPARE(memo(f, "Memo7"), QString());
    QVERIFY(!hasPhoto(f, "Image2"));
    QCOMPARE(memo(f, "Memo8"), QStringLiteral("朝"));

    QCOMPARE(memo(f, "Memo9"), QStringLiteral("ガスター錠20mg"));
    QCOMPARE(memo(f, "Memo11"), QStringLiteral("表示どおり飲む"));
    QVERIFY(!hasPhoto(f, "Image3"));
    QCOMPARE(memo(f, "Memo12"), QString());

    QCOMPARE(memo(f, "Memo13"), QStringLiteral("ロキソニン錠"));
    QVERIFY(hasPhoto(f, "Image4"));
    QCOMPARE(memo(f, "Memo16"), QStringLiteral("\n4時間\n間隔"));

    // Damaged photo: text shown, photo cell empty; a trailing blank leaves
    // the word and an empty line.
    QCOMPARE(memo(f, "Memo17"), QStringLiteral("こわれ錠"));
    QCOMPARE(edit(f, "Edit10"), QStringLiteral("1mg"));
    QVERIFY(!hasPhoto(f, "Image5"));
    QCOMPARE(memo(f, "Memo20"), QStringLiteral("夕\n"));

    QCOMPARE(memo(f, "Memo21"), QStringLiteral("ムコダイン錠"));
    QVERIFY(!hasPhoto(f, "Image6"));

    QCOMPARE(memo(f, "Memo25"), QStringLiteral("アムロジン錠5mg"));
    QVERIFY(hasPhoto(f, "Image7"));
    QCOMPARE(memo(f, "Memo28"), QString());

    for (auto* m : f->findChildren<QPlainTextEdit*>()) {
        QVERIFY2(!m->toPlainText().contains(QStringLiteral("寝る前")), qPrintable(m->objectName()));
    }
    QVERIFY(sink.messages.isEmpty());  // told only once the window is shown
}

void VisprevTest::pagesThroughEveryLine() {
    using namespace fixture;
    FakeSource source;
    for (int i = 0; i < 15; ++i) source.addKnown(i % 2 ? kGaster : kLoxonin);
    source.addUnknown("院外の薬", "寝る前");  // line 16, the second row of page 3
    auto form = open(source);
    const QWidget* f = form.get();
    const auto state = [&] {
        return QStringLiteral("%1 %2%3").arg(form->Label8->text(),
                                             form->Button3->isEnabled() ? "<" : "-",
                                             form->Button4->isEnabled() ? ">" : "-");
    };
    QCOMPARE(state(), QStringLiteral("1/3 ->"));
    QCOMPARE(memo(f, "Memo1"), QStringLiteral("ロキソニン錠"));
    form->Button4->click();
    QCOMPARE(state(), QStringLiteral("2/3 <>"));
    QCOMPARE(memo(f, "Memo1"), QStringLiteral("ガスター錠20mg"));   // line 8
    QCOMPARE(memo(f, "Memo25"), QStringLiteral("ガスター錠20mg"));  // line 14
    form->Button4->click();
    QCOMPARE(state(), QStringLiteral("3/3 <-"));
    QCOMPARE(memo(f, "Memo1"), QStringLiteral("ロキソニン錠"));  // line 15
    QCOMPARE(memo(f, "Memo5"), QStringLiteral("院外の薬"));
    QCOMPARE(memo(f, "Memo8"), QStringLiteral("寝る前"));
    // Rows past the prescription are empty as designed.
    QCOMPARE(memo(f, "Memo9"), QString());
    QCOMPARE(edit(f, "Edit5"), QString());
    QVERIFY(!hasPhoto(f, "Image3"));
    QCOMPARE(memo(f, "Memo16"), QString());
    form->Button4->click();  // disabled: stays on the last page
    QCOMPARE(state(), QStringLiteral("3/3 <-"));
    form->Button3->click();
    form->Button3->click();
    QCOMPARE(state(), QStringLiteral("1/3 ->"));
    QVERIFY(hasPhoto(f, "Image1"));
}

// Every field shows all of its text inside its box: in smaller type where the
// window's doesn't hold it, never cut.
void VisprevTest::longFieldsShowWhole() {
    folder_->writeMaster({
        "ｾﾌﾄﾘｱｷｿﾝﾅﾄﾘｳﾑ点滴用1g,セフトリアキソンナトリウム点滴用1g「ミナト」,瓶,"
        "白色〜淡黄白色の結晶性の粉末 凍結乾燥品,1g1瓶（溶解液付）生理食塩液100mL,"
        "肺炎、膀胱炎、腎盂腎炎、腹膜炎、胆嚢炎、胆管炎などの細菌による感染症を治療します。"
        "細菌の細胞壁の合成を妨げて殺菌的に作用します。広い範囲の細菌に効果があります。,"
        "発疹、かゆみ、息苦しさ、下痢があらわれたらすぐに連絡してください。"
        "アルコールを含む飲み物は控えてください。ほかの薬を飲んでいるときは伝えてください。,",
        "ｱ,ア,錠,,,,,",
    });
    FakeSource source;
    source.addKnown(0, "1日2回 朝夕食後30分以内に点滴");
    source.addKnown(1);
    auto form = open(source);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    for (const char* name : {"Memo1", "Edit1", "Edit2", "Memo2", "Memo3", "Memo4"}) {
        auto* box = control<QPlainTextEdit>(form.get(), name);
        QVERIFY(box);
        QVERIFY2(!box->toPlainText().isEmpty(), name);
        // Nothing lies past the box's visible lines.
        QCOMPARE(box->verticalScrollBar()->maximum(), 0);
        // Smaller type for all but the usage, which wraps in the window's own.
        QVERIFY2((box->font().pixelSize() < 12) != (name == std::string("Memo4")), name);
        QVERIFY2(box->font().pixelSize() >= 7, name);
    }
    // A short text keeps the window's type.
    QCOMPARE(control<QPlainTextEdit>(form.get(), "Memo5")->font().pixelSize(), 12);
    QCOMPARE(memo(form.get(), "Memo1"),
             QStringLiteral("セフトリアキソンナトリウム点滴用1g「ミナト」"));
}

void VisprevTest::memo16StartsWithAnEmptyLine_data() {
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("usage4");
    QTest::addColumn<QStringList>("blocks");
    QTest::newRow("empty prescription") << 0 << QString() << QStringList{QString()};
    QTest::newRow("line 4 without usage") << 4 << QString() << QStringList{QString()};
    QTest::newRow("line 4 with usage")
        << 4 << QStringLiteral("寝る前") << QStringList{QString(), QStringLiteral("寝る前")};
    QTest::newRow("two words") << 5 << QStringLiteral("4時間 間隔")
                               << QStringList{QString(), QStringLiteral("4時間"),
                                              QStringLiteral("間隔")};
}

void VisprevTest::memo16StartsWithAnEmptyLine() {
    QFETCH(int, lines);
    QFETCH(QString, usage4);
    QFETCH(QStringList, blocks);
    FakeSource source;
    for (int i = 1; i <= lines; ++i) {
        source.addKnown(fixture::kGaster, i == 4 ? usage4.toUtf8().constData() : "");
    }
    auto form = open(source);
    auto* m = control<QPlainTextEdit>(form.get(), "Memo16");
    QVERIFY(m);
    QStringList got;
    for (QTextBlock b = m->document()->begin(); b.isValid(); b = b.next()) got << b.text();
    QCOMPARE(got, blocks);
}

void VisprevTest::printButtonCallsThePrintCallback() {
    FakeSource source;
    source.addKnown(fixture::kGaster);
    int prints = 0;
    auto form = open(source, [&prints] { ++prints; });
    form->show();
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    QCOMPARE(prints, 1);
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    QCOMPARE(prints, 2);
    QVERIFY(form->isVisible());  // the preview stays open while printing

    // Without a callback the button is harmless.
    auto silent = open(source);
    silent->show();
    QTest::mouseClick(silent->Button1, Qt::LeftButton);
    QVERIFY(silent->isVisible());
}

void VisprevTest::closeHidesTheWindowWithoutFreeingIt_data() {
    QTest::addColumn<bool>("byButton");
    QTest::newRow("終了") << true;
    QTest::newRow("title-bar close") << false;
}

void VisprevTest::closeHidesTheWindowWithoutFreeingIt() {
    QFETCH(bool, byButton);
    FakeSource source;
    source.addKnown(fixture::kGaster);
    auto form = open(source);
    QPointer<TForm6> watch(form.get());
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    if (byButton) {
        QTest::mouseClick(form->Button2, Qt::LeftButton);
    } else {
        QVERIFY(form->close());
    }
    QCoreApplication::processEvents();
    QVERIFY(!form->isVisible());
    QVERIFY(watch);  // not freed
    QCOMPARE(memo(form.get(), "Memo1"), QStringLiteral("ガスター錠20mg"));
}

void VisprevTest::twoPreviewsOpenAtOnce() {
    FakeSource source;
    source.addKnown(fixture::kGaster);
    auto first = open(source);
    first->show();
    QCOMPARE(TForm6::current(), first.get());

    // A later change of the prescription doesn't reach the open preview.
    source.state.clear();
    source.addKnown(fixture::kLoxonin);
    auto second = open(source);
    second->show();
    QCOMPARE(TForm6::current(), second.get());
    QVERIFY(first->isVisible() && second->isVisible());
    QCOMPARE(memo(first.get(), "Memo1"), QStringLiteral("ガスター錠20mg"));
    QCOMPARE(memo(second.get(), "Memo1"), QStringLiteral("ロキソニン錠"));

    // Each "終了" closes its own window.
    QTest::mouseClick(second->Button2, Qt::LeftButton);
    QVERIFY(!second->isVisible());
    QVERIFY(first->isVisible());
    QCOMPARE(TForm6::current(), second.get());

    second.reset();
    QCOMPARE(TForm6::current(), nullptr);
}

void VisprevTest::damagedPhotosAreToldInOneMessage() {
    using namespace fixture;
    FakeSource source;
    source.addKnown(kBroken);
    source.addKnown(kGaster);
    source.addKnown(kBroken2);
    source.addKnown(kOtherBroken);
    source.addKnown(kLoxonin);
    dorimek::testing::RecordingMessageSink sink;
    auto form = open(source);
    QVERIFY(sink.messages.isEmpty());
    form->show();
    QTRY_COMPARE(sink.messages.size(), 1);
    const QString& text = sink.messages.first();
    // Each file on one line of the message: the master's name and the path.
    QCOMPARE(text.split(QLatin1Char('\n')).filter(QStringLiteral("broken.jpg")).size(), 1);
    QCOMPARE(text.split(QLatin1Char('\n')).filter(QStringLiteral("bad2.jpg")).size(), 1);
    QVERIFY(form->isVisible());

    // Every row is still filled; the damaged cells are empty.
    QCOMPARE(memo(form.get(), "Memo1"), QStringLiteral("こわれ錠"));
    QVERIFY(!hasPhoto(form.get(), "Image1"));
    QCOMPARE(memo(form.get(), "Memo13"), QStringLiteral("べつの錠"));
    QCOMPARE(memo(form.get(), "Memo17"), QStringLiteral("ロキソニン錠"));
    QVERIFY(hasPhoto(form.get(), "Image5"));

    // Shown again, the window doesn't tell it again.
    form->hide();
    form->show();
    QTest::qWait(20);
    QCOMPARE(sink.messages.size(), 1);
}

void VisprevTest::missingPhotoIsNamed() {
    FakeSource source;
    source.addKnown(fixture::kMucodyne);
    source.addKnown(fixture::kAmlodin);
    dorimek::testing::RecordingMessageSink sink;
    auto form = open(source);
    form->show();
    QTRY_COMPARE(sink.messages.size(), 1);
    QVERIFY2(sink.messages.first().contains(
                 QStringLiteral("・1行目: 「missing.jpg」: ファイルがありません")),
             qPrintable(sink.messages.first()));
    QVERIFY(!hasPhoto(form.get(), "Image1"));
    QVERIFY(hasPhoto(form.get(), "Image2"));
}

QTEST_MAIN(VisprevTest)
#include "VisprevTest.moc"
