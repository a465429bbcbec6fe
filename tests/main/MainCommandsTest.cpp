// The main window's commands wired to what they open: the import, the
// per-drug editing, the master file editor, the two previews and the
// automatic start. Real files in a temporary program folder; the report
// engine's preview and the on-screen preview are closed from the event loop.
#include "main/AutoStart.h"
#include "main/Main.h"
#include "main/MainMessages.h"
#include "main/SheetForms.h"
#include "masterfile/Hensyuu.h"
#include "masterfile/LineRecord.h"
#include "platform/PlatformVersion.h"
#include "platform/PrinterService.h"
#include "platform/Sjis.h"
#include "preview/Visprev.h"
#include "sheets/Picyak.h"
#include "sheets/Picyou.h"
#include "sheets/Yakujo.h"
#include "sheets/engine/ReportDocument.h"

#include "MasterSlice.h"
#include "RecordingMessageSink.h"
#include "TestFiles.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using dorimek::mainwin::AutoRunOutcome;
using dorimek::mainwin::AutoStart;
using dorimek::mainwin::SheetForms;
using dorimek::mainwin::TForm3;
using dorimek::testing::readBytes;
using dorimek::testing::RecordingMessageSink;
using dorimek::testing::sjis;
using dorimek::testing::writeBytes;

namespace {

const char* const kMasterLines[] = {
    "ｱﾑﾛｼﾞﾋﾟﾝ錠5mg,アムロジピン錠5mg,錠,白色錠 AML5,5mg PTP100錠,血圧を下げます。,"
    "めまいに注意してください。,photos/a.jpg",
    "ﾃﾙﾐｻﾙﾀﾝ錠40mg,テルミサルタン錠40mg,錠,白色割線錠,40mg PTP100錠,血圧を下げます。,"
    "ふらつきに注意。,",
    "ﾚﾊﾞﾐﾋﾟﾄﾞ錠100mg,レバミピド錠100mg,錠,白色錠,100mg,胃の粘膜を守ります。,発疹に注意。,",
    "ﾌｧﾓﾁｼﾞﾝ錠20mg,ファモチジン錠20mg,錠,白色錠,20mg,胃酸をおさえます。,相談してください。,",
};

// The texts the 用法 cell of a detail row (1-based) drew on the sheet.
QStringList usageCell(const dorimek::report::ReportDocument& doc, int row) {
    QStringList texts;
    for (const dorimek::report::ReportPage& page : doc.pages) {
        for (const dorimek::report::PlacedElement& placed : page.elements) {
            if (placed.name != QLatin1String("RpMemo4") || placed.row != row) continue;
            for (const dorimek::report::ReportOp& op : page.ops) {
                if (op.owner == placed.name && op.type == dorimek::report::ReportOp::Text &&
                    placed.rect.intersects(op.rect))
                    texts << op.text;
            }
        }
    }
    return texts;
}

std::string masterBytes() {
    std::string out;
    for (const char* line : kMasterLines) out += sjis(line) + "\r\n";
    return out;
}

// A data line of rp.csv; an empty usage flag means the drug shares the usage
// of the drug before it.
std::string rpRecord(const char* name, bool ownUsage, const char* usage = "") {
    return sjis("01,621501001,内服,1,") + (ownUsage ? "1" : "") + "," + sjis(name) +
           sjis(",1,錠,28,") + sjis(usage);
}

std::string rpFile(const std::vector<std::string>& records) {
    std::string out =
        sjis("患者番号,1\r\n患者氏名,ﾔﾏﾀﾞ\r\n生年月日,1\r\n処方日,1\r\nRp,コード\r\n");
    for (const std::string& r : records) out += r + "\r\n";
    return out;
}

QStringList listLines(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

// {ED} and {FA} stand for the two codes of 纊 (0xED40, 0xFA5C), which read
// back as the same character: the table writes and reads them apart.
std::string replaced(std::string s, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += to.size())
        s.replace(at, from.size(), to);
    return s;
}
std::string twinBytes(const QString& text) {
    const std::string b = dorimek::platform::fromUnicode(text);
    return replaced(replaced(b, "{ED}", "\xED\x40"), "{FA}", "\xFA\x5C");
}
QString twinText(const std::string& bytes) {
    return dorimek::platform::toUnicode(
        replaced(replaced(bytes, "\xED\x40", "{ED}"), "\xFA\x5C", "{FA}"));
}

}  // namespace

class MainCommandsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<RecordingMessageSink> sink;
    QList<QTimer*> closers;

    QString path(const QString& name) const { return dir->filePath(name); }
    QString qevFolder() const { return dir->path() + QStringLiteral("/qev/"); }

    // prev: preview instead of print in the "auto" start; style 0: none stored.
    void writeSettings(bool prev, int style) {
        std::string ini = "prindex=-1\r\nprinter=\r\nqevpath=" + qevFolder().toStdString() +
                          "\r\nclinic=" + sjis("さくら内科") +
                          "\r\ntel=0123\r\nprev=" + (prev ? "1" : "0") + "\r\n";
        if (style != 0) ini += "style=" + std::to_string(style) + "\r\n";
        writeBytes(path(QStringLiteral("sorbenk.ini")), ini);
        QDir().mkpath(qevFolder());  // a work folder that isn't there is named at start
    }
    void writeRp(const std::vector<std::string>& records) {
        writeBytes(qevFolder() + QStringLiteral("rp.csv"), rpFile(records));
    }
    std::unique_ptr<TForm3> open(QStringList extra = {}) {
        QStringList args{QStringLiteral("dorimek")};
        args += extra;
        auto form = std::make_unique<TForm3>(args, dir->path() + QLatin1Char('/'));
        return form;
    }
    // The three sheets of an ordinary start, as the program makes them.
    static void createSheets(TForm3& form) {
        for (int style = 1; style <= 3; ++style)
            SheetForms::create(style, form, form.sheetSettings(), &form);
    }
    static void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

    // From the event loop, closes every window titled title as it shows up,
    // telling seen() first.
    void closeWindowsTitled(const QString& title, std::function<void(QWidget*)> seen = {}) {
        auto* timer = new QTimer;
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, timer, [title, seen] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->isVisible() && w->windowTitle() == title) {
                    if (seen) seen(w);
                    w->close();
                }
            }
        });
        timer->start();
        closers << timer;
    }
    void closeEnginePreviews() { closeWindowsTitled(QStringLiteral("印刷プレビュー")); }

    // Which style's current sheet has run its report; 0 when none has.
    static int styleThatRan() {
        int ran = 0;
        for (int style = 1; style <= 3; ++style) {
            const dorimek::sheets::TForm1* sheet = SheetForms::current(style);
            if (sheet && sheet->Yakujorep.lastDocument()) {
                if (ran != 0) return -1;  // more than one
                ran = style;
            }
        }
        return ran;
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        sink = std::make_unique<RecordingMessageSink>();
        writeBytes(path(QStringLiteral("yakujo.txt")), masterBytes());
        writeSettings(false, 0);
        dorimek::platform::overrideMajorVersion(5);
    }
    void cleanup() {
        qDeleteAll(closers);
        closers.clear();
        sink.reset();
        dir.reset();
        dorimek::platform::overrideMajorVersion(std::nullopt);
    }

    // ------------------------------------------------------------ 処方取込

    void importAppendsLinesAndUsages_data() {
        QTest::addColumn<int>("linesBefore");
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<QByteArray>("rp");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<int>>("indices");
        QTest::addColumn<QStringList>("usages");  // boxes 1.. in order
        QTest::addColumn<QStringList>("messages");
        auto bytes = [](const std::vector<std::string>& records) {
            return QByteArray::fromStdString(rpFile(records));
        };

        QTest::newRow("into an empty list, usage carried to the next drug")
            << 0 << true
            << bytes({rpRecord("ｱﾑﾛｼﾞﾋﾟﾝ錠5mg", true, "朝"), rpRecord("ﾃﾙﾐｻﾙﾀﾝ錠40mg", false),
                      rpRecord("ﾚﾊﾞﾐﾋﾟﾄﾞ錠100mg", true, "朝昼夕 食後"),
                      rpRecord("ﾌｧﾓﾁｼﾞﾝ錠20mg", false)})
            << QStringList{"ｱﾑﾛｼﾞﾋﾟﾝ錠5mg", "ﾃﾙﾐｻﾙﾀﾝ錠40mg", "ﾚﾊﾞﾐﾋﾟﾄﾞ錠100mg", "ﾌｧﾓﾁｼﾞﾝ錠20mg"}
            << QList<int>{0, 1, 2, 3} << QStringList{"朝", "朝", "朝昼夕 食後", "朝昼夕 食後", ""}
            << QStringList{};
        QTest::newRow("after three lines, an unknown drug")
            << 3 << true
            << bytes({rpRecord("ﾌｧﾓﾁｼﾞﾝ錠20mg", true, "眠前"), rpRecord("ﾅｿﾞﾉｸｽﾘ", false)})
            << QStringList{"ｱﾑﾛｼﾞﾋﾟﾝ錠5mg", "ｱﾑﾛｼﾞﾋﾟﾝ錠5mg", "ｱﾑﾛｼﾞﾋﾟﾝ錠5mg", "ﾌｧﾓﾁｼﾞﾝ錠20mg",
                           "ﾅｿﾞﾉｸｽﾘ"}
            << QList<int>{0, 0, 0, 3, -2} << QStringList{"", "", "", "眠前", "眠前", ""}
            << QStringList{"ﾅｿﾞﾉｸｽﾘがリストにありません 薬剤名だけ記載します"};
        QTest::newRow("a name differing by a trailing blank is unknown")
            << 0 << true << bytes({rpRecord("ﾃﾙﾐｻﾙﾀﾝ錠40mg ", true, "朝,夕")})
            << QStringList{"ﾃﾙﾐｻﾙﾀﾝ錠40mg "} << QList<int>{-2} << QStringList{"朝,夕"}
            << QStringList{"ﾃﾙﾐｻﾙﾀﾝ錠40mg がリストにありません 薬剤名だけ記載します"};
        QTest::newRow("only the header") << 1 << true << bytes({}) << QStringList{"ｱﾑﾛｼﾞﾋﾟﾝ錠5mg"}
                                         << QList<int>{0} << QStringList{"", ""} << QStringList{};
        QTest::newRow("missing file changes nothing")
            << 2 << false << QByteArray() << QStringList{"ｱﾑﾛｼﾞﾋﾟﾝ錠5mg", "ｱﾑﾛｼﾞﾋﾟﾝ錠5mg"}
            << QList<int>{0, 0} << QStringList{"", "", ""} << QStringList{"rp.csvがありません"};
    }
    void importAppendsLinesAndUsages() {
        QFETCH(int, linesBefore);
        QFETCH(bool, fileExists);
        QFETCH(QByteArray, rp);
        QFETCH(QStringList, lines);
        QFETCH(QList<int>, indices);
        QFETCH(QStringList, usages);
        QFETCH(QStringList, messages);
        if (fileExists) writeBytes(qevFolder() + QStringLiteral("rp.csv"), rp.toStdString());

        auto form = open();
        for (int i = 0; i < linesBefore; ++i) form->appendKnownLine(form->masterList().at(0), 0);
        sink->messages.clear();
        // The folder read at start counts, not what the field shows now.
        form->edit(7)->setText(dir->path() + QStringLiteral("/elsewhere/"));

        click(form->button(54));

        QCOMPARE(listLines(form->listBox2()), lines);
        QCOMPARE(form->prescription().lineCount(), lines.size());
        for (int n = 1; n <= indices.size(); ++n)
            QCOMPARE(form->prescription().masterIndex(n), indices.at(n - 1));
        for (int n = 1; n <= usages.size(); ++n)
            QCOMPARE(form->comboBox(n)->currentText(), usages.at(n - 1));
        // A missing file is named with the path tried, after the fixed text.
        QStringList firstLines;
        for (const QString& m : sink->messages) firstLines << m.section(QLatin1Char('\n'), 0, 0);
        QCOMPARE(firstLines, messages);
        if (!fileExists)
            QVERIFY(sink->messages.first().endsWith(QStringLiteral(": ") + qevFolder() + "rp.csv"));
    }

    void secondImportReusesTheFirstUnknownSlot() {
        writeRp({rpRecord("ﾅｿﾞA", true, "朝"), rpRecord("ﾅｿﾞB", false)});
        auto form = open();
        click(form->button(54));
        writeRp({rpRecord("ﾅｿﾞC", false)});
        click(form->button(54));
        const auto& p = form->prescription();
        QCOMPARE(p.lineCount(), 3);
        QCOMPARE(p.masterIndex(1), -2);
        QCOMPARE(p.masterIndex(2), -3);
        QCOMPARE(p.masterIndex(3), -2);
        QCOMPARE(p.unknownDrugName(0), sjis("ﾅｿﾞC"));
        // Line 3's usage came from nowhere in its own file.
        QCOMPARE(form->comboBox(3)->currentText(), QString());
    }

    // ------------------------------------------------------------ the usage of every line

    // The 用法 cell of rows 1, 11, 12 and 24 of the printed style-3 sheet
    // ("" for an empty cell): usages typed into the box beside the line with
    // the list scrolled to it, imported from rp.csv, imported and then left
    // by 全消去 for the lines added next, and imported with line 1 removed
    // afterwards (the lines below take theirs along; the line added last
    // gets none).
    void everyLineCarriesItsUsageToTheSheet_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("printed");
        const QStringList own{"1回|食後", "11回|食後", "12回|食後", "24回|食後"};
        QTest::newRow("typed") << "typed" << own;
        QTest::newRow("imported") << "imported" << own;
        QTest::newRow("imported, 全消去, lines added again") << "cleared" << own;
        QTest::newRow("imported, line 1 removed, a line added")
            << "removed" << QStringList{"2回|食後", "12回|食後", "13回|食後", ""};
    }
    void everyLineCarriesItsUsageToTheSheet() {
        QFETCH(QString, how);
        QFETCH(QStringList, printed);
        const char* const names[] = {"ｱﾑﾛｼﾞﾋﾟﾝ錠5mg", "ﾃﾙﾐｻﾙﾀﾝ錠40mg", "ﾚﾊﾞﾐﾋﾟﾄﾞ錠100mg",
                                     "ﾌｧﾓﾁｼﾞﾝ錠20mg"};
        auto usage = [](int n) { return QStringLiteral("%1回 食後").arg(n); };
        std::vector<std::string> records;
        for (int n = 1; n <= 24; ++n)
            records.push_back(rpRecord(names[(n - 1) % 4], true, usage(n).toUtf8().constData()));
        writeRp(records);
        auto form = open();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->radioButton(3)->setChecked(true);
        QListWidget* list = form->listBox2();
        auto addLines = [&](int count) {
            for (int i = 0; i < count; ++i) form->appendKnownLine(form->masterList().at(0), 0);
        };
        // The box beside line n with the list scrolled to show it.
        auto boxOf = [&](int n) {
            list->scrollToItem(list->item(n - 1));
            const int box = n - list->verticalScrollBar()->value();
            return box >= 1 && box <= 11 ? form->comboBox(box) : nullptr;
        };

        if (how == "typed") {
            addLines(24);
            for (int n : {1, 11, 12, 24}) {
                QComboBox* box = boxOf(n);
                QVERIFY(box);
                box->setEditText(usage(n));
            }
        } else {
            click(form->button(54));
            QCOMPARE(form->prescription().lineCount(), 24);
            if (how == "cleared") {
                click(form->button(49));
                addLines(24);
            } else if (how == "removed") {
                list->setCurrentRow(0);
                form->ListBox2DblClick();
                addLines(1);
            }
        }
        // The boxes beside the lines show what prints.
        const int rows[] = {1, 11, 12, 24};
        for (int i = 0; i < 4; ++i) {
            QComboBox* box = boxOf(rows[i]);
            QVERIFY(box);
            QCOMPARE(box->currentText().replace(u' ', u'|'), printed[i]);
        }

        sink->messages.clear();
        auto* sheet = form->sheetForStyle(3);
        QCOMPARE(sheet->Yakujorep.run({false, {}}).outcome, dorimek::report::RunOutcome::Completed);
        // Every row finds its drug; only the photos, not in this folder, are told.
        for (const QString& m : sink->messages) {
            QVERIFY2(m.startsWith(QStringLiteral("次の写真を提供書に載せられませんでした。")),
                     qPrintable(m));
        }
        const auto doc = sheet->Yakujorep.lastDocument();
        QVERIFY(doc);
        QStringList got;
        for (int row : rows) got << usageCell(*doc, row).join(u'|');
        QCOMPARE(got, printed);
    }

    // ------------------------------------------------------------ 個別編集 / 編集終了

    // Records sharing a RegisteredName (a billing master's names are cut at
    // 20 characters): 個別編集 loads and 編集終了 rewrites the record the line
    // was picked from; an imported line of the name takes the first, as the
    // host binds names.
    void editLoadsTheRecordTheLineWasPickedFrom() {
        using namespace dorimek::testing;
        writeBytes(path(QStringLiteral("yakujo.txt")), masterSliceFile());
        writeRp({rpRecord("ｱﾑﾛｼﾞﾋﾟﾝﾍﾞｼﾙｻﾝｴﾝODｼﾞ", true, "朝")});
        auto form = open();
        form->listBox1()->setCurrentRow(kAmlodipineSecond);
        click(form->button(54));
        QCOMPARE(form->prescription().masterIndex(1), kAmlodipineSecond);
        QCOMPARE(form->prescription().masterIndex(2), kAmlodipineFirst);
        sink->messages.clear();

        form->listBox2()->setCurrentRow(0);
        click(form->button(51));
        QCOMPARE(form->edit(2)->text(), QStringLiteral("アムロジピンOD錠5mg「サワイ」"));
        QCOMPARE(form->editedRecordIndex(), kAmlodipineSecond);
        form->memo2()->setPlainText(QStringLiteral("新しい注意"));
        click(form->button52());
        QCOMPARE(sink->messages, QStringList());
        std::vector<std::string> expected = masterSliceLines();
        auto& line = expected[static_cast<size_t>(kAmlodipineSecond)];
        line.replace(line.find(sjis("グレープフルーツジュースは避けてください")),
                     sjis("グレープフルーツジュースは避けてください").size(), sjis("新しい注意"));
        std::string bytes;
        for (const std::string& l : expected) bytes += l + "\r\n";
        QCOMPARE(readBytes(path(QStringLiteral("yakujo.txt"))), bytes);

        form->listBox2()->setCurrentRow(1);
        click(form->button(51));
        QCOMPARE(form->edit(2)->text(), QStringLiteral("アムロジピンOD錠2.5mg「サワイ」"));
        QCOMPARE(form->editedRecordIndex(), kAmlodipineFirst);
    }

    void editRoundTripRewritesOnlyThatRecord() {
        auto form = open();
        form->appendKnownLine(form->masterList().at(0), 0);
        form->appendKnownLine(form->masterList().at(1), 1);
        form->listBox2()->setCurrentRow(1);
        sink->messages.clear();

        click(form->button(51));
        QCOMPARE(sink->messages, QStringList());
        QCOMPARE(form->edit(1)->text(), QStringLiteral("ﾃﾙﾐｻﾙﾀﾝ錠40mg"));
        QCOMPARE(form->edit(2)->text(), QStringLiteral("テルミサルタン錠40mg"));
        QCOMPARE(form->edit(3)->text(), QStringLiteral("錠"));
        QCOMPARE(form->edit(4)->text(), QStringLiteral("白色割線錠"));
        QCOMPARE(form->edit(5)->text(), QStringLiteral("40mg PTP100錠"));
        QCOMPARE(form->memo1()->toPlainText(), QStringLiteral("血圧を下げます。"));
        QCOMPARE(form->memo2()->toPlainText(), QStringLiteral("ふらつきに注意。"));
        QCOMPARE(form->edit(6)->text(), QString());
        QCOMPARE(form->editedRecordIndex(), 1);
        QVERIFY(form->button52()->isEnabled());

        form->edit(5)->setText(QStringLiteral("40mg PTP140錠"));
        form->edit(6)->setText(QStringLiteral("photos/t.jpg"));
        click(form->button52());

        QCOMPARE(sink->messages, QStringList());
        std::string expected = masterBytes();
        const std::string oldLine = sjis(kMasterLines[1]);
        expected.replace(expected.find(oldLine), oldLine.size(),
                         sjis("ﾃﾙﾐｻﾙﾀﾝ錠40mg,テルミサルタン錠40mg,錠,白色割線錠,40mg PTP140錠,"
                              "血圧を下げます。,ふらつきに注意。,photos/t.jpg"));
        QCOMPARE(readBytes(path(QStringLiteral("yakujo.txt"))), expected);
        QVERIFY(!form->button52()->isEnabled());
        // The fields keep what was saved; a second save needs a new load.
        QCOMPARE(form->edit(5)->text(), QStringLiteral("40mg PTP140錠"));
        form->edit(5)->setText(QStringLiteral("changed"));
        form->Button52Click();
        QCOMPARE(readBytes(path(QStringLiteral("yakujo.txt"))), expected);
    }

    // What staff type reaches the sheet and the files as code page 932 holds
    // it: the characters input methods type under other code points are
    // stored as the code page's own; what it lacks is refused, naming it.
    void typedCharactersReachSheetAndFiles_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("bytes");  // empty: refused
        QTest::newRow("wave dash") << QStringLiteral("\u301C") << QByteArray("\x81\x60");
        QTest::newRow("minus sign") << QStringLiteral("\u2212") << QByteArray("\x81\x7C");
        QTest::newRow("em dash") << QStringLiteral("\u2014") << QByteArray("\x81\x5C");
        QTest::newRow("double vertical line") << QStringLiteral("\u2016") << QByteArray("\x81\x61");
        QTest::newRow("cent") << QStringLiteral("\u00A2") << QByteArray("\x81\x91");
        QTest::newRow("pound") << QStringLiteral("\u00A3") << QByteArray("\x81\x92");
        QTest::newRow("not") << QStringLiteral("\u00AC") << QByteArray("\x81\xCA");
        QTest::newRow("fullwidth tilde") << QStringLiteral("\uFF5E") << QByteArray("\x81\x60");
        QTest::newRow("bullet, not in the code page") << QStringLiteral("\u2022") << QByteArray();
    }
    void typedCharactersReachSheetAndFiles() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, bytes);
        const bool refused = bytes.isEmpty();
        const std::string stored = bytes.toStdString();
        auto form = open();
        form->appendKnownLine(form->masterList().at(1), 1);
        form->radioButton(3)->setChecked(true);
        sink->messages.clear();

        // usage box -> sheet
        form->comboBox(1)->setEditText(QStringLiteral("1回1") + typed + QStringLiteral("2錠"));
        click(form->button(40));
        if (refused) {
            QCOMPARE(sink->messages.size(), 1);
            QVERIFY2(sink->messages.first().contains(typed), qPrintable(sink->messages.first()));
            QCOMPARE(styleThatRan(), 0);  // nothing ran, nothing printed
        } else {
            auto* sheet = form->sheetForStyle(3);
            QCOMPARE(sheet->Yakujorep.run({false, {}}).outcome,
                     dorimek::report::RunOutcome::Completed);
            QCOMPARE(sheet->Yakujorep.memo(QStringLiteral("RpMemo4"))->Lines.all(),
                     std::vector<std::string>{sjis("1回1") + stored + sjis("2錠")});
        }

        // per-drug editor -> yakujo.txt
        sink->messages.clear();
        form->listBox2()->setCurrentRow(0);
        click(form->button(51));
        form->edit(4)->setText(QStringLiteral("白") + typed);
        click(form->button52());
        const std::string master = readBytes(path(QStringLiteral("yakujo.txt")));
        QCOMPARE(sink->messages.size(), refused ? 1 : 0);
        QCOMPARE(master.find(sjis(",錠,白") + stored + ",") != std::string::npos, !refused);

        // 設定保存 -> sorbenk.ini
        sink->messages.clear();
        form->edit(8)->setText(QStringLiteral("医院") + typed);
        click(form->button(55));
        const std::string ini = readBytes(path(QStringLiteral("sorbenk.ini")));
        QCOMPARE(sink->messages.size(), refused ? 1 : 0);
        QCOMPARE(ini.find("clinic=" + sjis("医院") + stored + "\r\n") != std::string::npos,
                 !refused);
    }

    void refusedSaveKeepsTheUsersTexts_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::newRow("comma in 単位") << "Edit3"
                                       << "錠,錠";
        QTest::newRow("line break in 効能") << "Memo1"
                                            << "一行目\n二行目";
        QTest::newRow("character outside the code page") << "Edit2"
                                                         << "アムロ😀";
        QTest::newRow("empty 登録名") << "Edit1"
                                      << "";
    }
    void refusedSaveKeepsTheUsersTexts() {
        QFETCH(QString, control);
        QFETCH(QString, text);
        auto form = open();
        form->appendKnownLine(form->masterList().at(0), 0);
        form->listBox2()->setCurrentRow(0);
        click(form->button(51));
        sink->messages.clear();

        QWidget* w = form->findChild<QWidget*>(control);
        QVERIFY(w);
        auto setText = [w](const QString& t) {
            if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(t);
            if (auto* m = qobject_cast<QPlainTextEdit*>(w)) m->setPlainText(t);
        };
        auto textOf = [w] {
            if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
            return qobject_cast<QPlainTextEdit*>(w)->toPlainText();
        };
        setText(text);
        click(form->button52());

        QCOMPARE(sink->messages.size(), 1);
        QCOMPARE(readBytes(path(QStringLiteral("yakujo.txt"))), masterBytes());
        QCOMPARE(textOf(), text);
        QVERIFY(form->button52()->isEnabled());

        // Corrected, the same pending record saves.
        form->edit(1)->setText(QStringLiteral("ｱﾑﾛｼﾞﾋﾟﾝ錠5mg"));
        form->edit(2)->setText(QStringLiteral("アムロジピン錠5mg"));
        form->edit(3)->setText(QStringLiteral("錠"));
        form->memo1()->setPlainText(QStringLiteral("血圧を下げます。"));
        click(form->button52());
        QCOMPARE(sink->messages.size(), 1);
        QCOMPARE(readBytes(path(QStringLiteral("yakujo.txt"))), masterBytes());
        QVERIFY(!form->button52()->isEnabled());
    }

    void loadOfAnUnlistedDrugLoadsNothing() {
        auto form = open();
        form->appendKnownLine(form->masterList().at(2), 2);
        form->appendUnknownLine(sjis("ﾅｿﾞﾉｸｽﾘ"));
        form->listBox2()->setCurrentRow(0);
        click(form->button(51));
        form->edit(2)->setText(QStringLiteral("レバミピド錠100mg(改)"));
        sink->messages.clear();

        form->listBox2()->setCurrentRow(1);
        click(form->button(51));
        QCOMPARE(sink->messages.size(), 1);
        QVERIFY(sink->messages.first().contains(QStringLiteral("ﾅｿﾞﾉｸｽﾘ")));
        QCOMPARE(form->edit(1)->text(), QStringLiteral("ﾚﾊﾞﾐﾋﾟﾄﾞ錠100mg"));
        QCOMPARE(form->editedRecordIndex(), 2);
        QVERIFY(form->button52()->isEnabled());

        // "編集終了" still writes the record that was found, nothing else.
        click(form->button52());
        const std::string written = readBytes(path(QStringLiteral("yakujo.txt")));
        QVERIFY(written.find(sjis("ﾚﾊﾞﾐﾋﾟﾄﾞ錠100mg,レバミピド錠100mg(改),")) != std::string::npos);
        QVERIFY(written.find(sjis(kMasterLines[3])) != std::string::npos);
    }

    void loadWithoutSelectionDoesNothing() {
        auto form = open();
        form->appendKnownLine(form->masterList().at(0), 0);
        sink->messages.clear();
        click(form->button(51));
        QCOMPARE(sink->messages, QStringList());
        QCOMPARE(form->edit(1)->text(), QString());
        QVERIFY(!form->button52()->isEnabled());
        QCOMPARE(form->editedRecordIndex(), -1);
    }

    // ------------------------------------------------------------ ﾌｧｲﾙ編集

    void fileEditorOpensAnewAndRebuildsTheMasterList() {
        auto form = open();
        form->show();
        click(form->button(50));
        auto* first = dorimek::masterfile::TForm2::current();
        QVERIFY(first);
        click(form->button(50));
        auto* second = dorimek::masterfile::TForm2::current();
        QVERIFY(second && second != first);
        QVERIFY(first->isVisible() && second->isVisible());
        QVERIFY(!second->isModal());
        QVERIFY(second->isWindow());
        QCOMPARE(second->StringGrid1->item(3, 0)->text(), QStringLiteral("ﾌｧﾓﾁｼﾞﾝ錠20mg"));

        sink->messages.clear();
        second->StringGrid1->item(3, 0)->setText(QStringLiteral("ﾌｧﾓﾁｼﾞﾝOD錠20mg"));
        click(second->Button3);
        QCOMPARE(sink->messages, QStringList());
        QCOMPARE(form->listBox1()->text(3), QStringLiteral("ﾌｧﾓﾁｼﾞﾝOD錠20mg"));
        QCOMPARE(form->masterList().at(3), sjis("ﾌｧﾓﾁｼﾞﾝOD錠20mg"));
        QCOMPARE(form->listBox1()->count(), 4);
        // The editor opened first still holds what it loaded.
        QCOMPARE(first->StringGrid1->item(3, 0)->text(), QStringLiteral("ﾌｧﾓﾁｼﾞﾝ錠20mg"));
    }

    // After a grid save every line must still print its own drug, never what
    // now stands at its old number, and keep its usage beside it. Master
    // lines are "登録名,表示名". Picks: a record number, "?name" for a drug not
    // in the master list, "|" for a later import emptying those names. Edits
    // in order: "e<line>=name" renames by 個別編集/編集終了 before the grid
    // opens; then in the grid "r<row>=name", "d<row>" (行削除) and
    // "i<row>=name" (行挿入, then the new row's name). A line reads
    // "shown name>printed|usage": printed is the 表示名 of the record the
    // sheets reach, or "*name" for a line printed by its name only.
    void gridSaveKeepsEachLinePrintingItsDrug_data() {
        QTest::addColumn<QStringList>("master");
        QTest::addColumn<QStringList>("picks");
        QTest::addColumn<QStringList>("usages");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("message");
        const QStringList abcd{"A,a", "B,b", "C,c", "D,d"};
        const QString gone =
            QStringLiteral("薬剤ファイルが書き換えられ、処方の次の薬剤が見つからなくなりました。");
        QStringList eight, eightUsages, eightLines;
        for (int k = 1; k <= 8; ++k) {
            eight << QStringLiteral("?U%1").arg(k);
            eightUsages << QStringLiteral("u%1").arg(k);
            eightLines << QStringLiteral("U%1>*U%1|u%1").arg(k);
        }
        QTest::newRow("renamed in the grid")
            << abcd << QStringList{"1", "2"} << QStringList{"朝", "夕"} << QStringList{"r1=B2"}
            << QStringList{"B2>b|朝", "C>c|夕"} << QString();
        QTest::newRow("renamed by 編集終了, then a grid save")
            << abcd << QStringList{"1"} << QStringList{"朝"} << QStringList{"e1=B2"}
            << QStringList{"B2>b|朝"} << QString();
        QTest::newRow("two names swapped")
            << abcd << QStringList{"0", "1"} << QStringList{"朝", "夕"}
            << QStringList{"r0=B", "r1=A"} << QStringList{"B>a|朝", "A>b|夕"} << QString();
        QTest::newRow("row deleted: name only")
            << abcd << QStringList{"2", "0"} << QStringList{"朝", "夕"} << QStringList{"d0"}
            << QStringList{"C>c|朝", "A>*A|夕"} << gone + "\n薬剤名だけ記載します:\n  A";
        QTest::newRow("row of the same name inserted above")
            << abcd << QStringList{"1"} << QStringList{"朝"} << QStringList{"i0=B"}
            << QStringList{"B>b|朝"} << QString();
        QTest::newRow("twin names, one deleted, a row inserted")
            << QStringList{"{ED}錠,ed", "{FA}錠,fa", "C,c"} << QStringList{"1", "0", "2"}
            << QStringList{"朝", "昼", "夕"} << QStringList{"d0", "i0=新"}
            << QStringList{"{FA}錠>fa|朝", "{ED}錠>*{ED}錠|昼", "C>c|夕"}
            << gone + "\n薬剤名だけ記載します:\n  纊錠";
        QTest::newRow("name entry emptied by an import is still referred to")
            << abcd << QStringList{"?X", "|", "1"} << QStringList{"朝", "夕"} << QStringList{"d1"}
            << QStringList{"X>*|朝", "B>*B|夕"} << gone + "\n薬剤名だけ記載します:\n  B";
        QTest::newRow("eight name entries taken: the usages move up")
            << abcd << eight + QStringList{"0", "1", "2", "3"}
            << eightUsages + QStringList{"朝", "昼", "夕"} << QStringList{"d1"}
            << eightLines + QStringList{"A>a|朝", "C>c|夕", "D>d|"}
            << gone + "\n処方から外しました:\n  B";
        QTest::newRow("eight name entries taken: two lines removed")
            << abcd << eight + QStringList{"0", "1", "2", "3"}
            << eightUsages + QStringList{"朝", "昼", "夕"} << QStringList{"d0", "d0"}
            << eightLines + QStringList{"C>c|夕", "D>d|"}
            << gone + "\n処方から外しました:\n  A\n  B";
    }
    void gridSaveKeepsEachLinePrintingItsDrug() {
        QFETCH(QStringList, master);
        QFETCH(QStringList, picks);
        QFETCH(QStringList, usages);
        QFETCH(QStringList, edits);
        QFETCH(QStringList, lines);
        QFETCH(QString, message);
        std::string file;
        for (const QString& m : master) file += twinBytes(m) + ",,,,,,\r\n";
        writeBytes(path(QStringLiteral("yakujo.txt")), file);
        auto form = open();
        for (const QString& p : picks) {
            if (p == u'|')
                form->clearUnknownDrugNames();
            else if (p.startsWith(u'?'))
                form->appendUnknownLine(twinBytes(p.mid(1)));
            else
                form->appendKnownLine(form->masterList().at(p.toUInt()), p.toInt());
        }
        for (int n = 1; n <= usages.size(); ++n) form->comboBox(n)->setEditText(usages[n - 1]);

        dorimek::masterfile::TForm2* grid = nullptr;
        const auto openGrid = [&] {
            if (!grid) form->Button50Click();
            grid = dorimek::masterfile::TForm2::current();
        };
        for (const QString& e : edits) {
            const int at = e.mid(1).section(u'=', 0, 0).toInt();
            const QString name = e.section(u'=', 1);
            if (e[0] == u'e') {
                form->listBox2()->setCurrentRow(at - 1);
                form->Button51Click();
                form->edit(1)->setText(name);
                form->Button52Click();
                continue;
            }
            openGrid();
            grid->StringGrid1->setCurrentCell(at, 0);
            if (e[0] == u'd') grid->Button2Click();
            if (e[0] == u'i') grid->Button1Click();
            if (e[0] != u'd') grid->StringGrid1->setItem(at, 0, new QTableWidgetItem(name));
        }
        openGrid();
        QVERIFY(grid);
        sink->messages.clear();
        grid->Button3Click();
        QCOMPARE(sink->messages.join(u'|'), message);

        const dorimek::prescription::PrescriptionState& rx = form->prescription();
        QStringList got;
        for (int n = 1; n <= rx.lineCount(); ++n) {
            const int m = rx.masterIndex(n);
            QString printed = u'*' + twinText(m < -1 ? rx.unknownDrugName(-m - 2) : rx.lineText(n));
            if (m >= 0) {
                const auto record = dorimek::masterfile::ReadLineRecord(m, rx.lineText(n));
                QVERIFY(record);
                if (*record)
                    printed = twinText(dorimek::masterfile::splitFields((*record)->line).at(1));
            }
            QCOMPARE(form->listBox2()->item(n - 1)->text(),
                     dorimek::platform::toUnicode(rx.lineText(n)));
            got << twinText(rx.lineText(n)) + u'>' + printed + u'|' +
                       (n <= 11 ? form->comboBox(n)->currentText() : QString());
        }
        QCOMPARE(got, lines);
        QCOMPARE(form->listBox2()->count(), rx.lineCount());
    }

    // ------------------------------------------------------------ プレビュー / 印刷

    void previewUsesTheSheetOfTheCheckedStyle_data() {
        QTest::addColumn<int>("checked");  // 0: none
        QTest::addColumn<int>("style");
        QTest::newRow("none checked") << 0 << 1;
        QTest::newRow("画像なし用法なし") << 1 << 1;
        QTest::newRow("画像あり用法なし") << 2 << 2;
        QTest::newRow("画像あり用法あり") << 3 << 3;
    }
    void previewUsesTheSheetOfTheCheckedStyle() {
        QFETCH(int, checked);
        QFETCH(int, style);
        auto form = open();
        createSheets(*form);
        QVERIFY(!form->useScreenPreview());
        if (checked) form->radioButton(checked)->setChecked(true);
        form->appendKnownLine(form->masterList().at(1), 1);
        closeEnginePreviews();

        click(form->button(38));

        QCOMPARE(styleThatRan(), style);
        QVERIFY(qobject_cast<dorimek::sheets::TForm5*>(SheetForms::current(3)));
        QVERIFY(qobject_cast<dorimek::sheets::TForm4*>(SheetForms::current(2)));
        QCOMPARE(form->prescription().lineCount(), 1);
        QCOMPARE(form->prescription().masterIndex(1), 1);
    }

    void screenPreviewsOpenSideBySide() {
        dorimek::platform::overrideMajorVersion(6);
        auto form = open();
        createSheets(*form);
        QVERIFY(form->useScreenPreview());
        form->appendKnownLine(form->masterList().at(0), 0);
        form->show();

        click(form->button(38));
        auto* first = dorimek::preview::TForm6::current();
        click(form->button(38));
        auto* second = dorimek::preview::TForm6::current();
        QVERIFY(first && second && first != second);
        QVERIFY(first->isVisible() && second->isVisible());
        QVERIFY(!second->isModal());
        // The engine's preview never ran.
        QCOMPARE(styleThatRan(), 0);

        // Closing one leaves the other; the closed one gives its memory back.
        QPointer<dorimek::preview::TForm6> closed(first);
        click(first->Button2);
        QVERIFY(!first->isVisible());
        QVERIFY(second->isVisible());
        QCOMPARE(dorimek::preview::TForm6::current(), second);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!closed);
        QCOMPARE(dorimek::preview::TForm6::current(), second);
    }

    void sheetMissingForAStyleIsMadeWhenAsked() {
        auto form = open();
        // Only the automatic start's own sheet exists while its preview is open.
        SheetForms::create(3, *form, form->sheetSettings(), form.get());
        QVERIFY(!SheetForms::current(1));
        dorimek::sheets::TForm1* made = form->sheetForStyle(1);
        QVERIFY(made);
        QCOMPARE(SheetForms::current(1), made);
        QCOMPARE(form->sheetForStyle(1), made);
        QVERIFY(!qobject_cast<dorimek::sheets::TForm4*>(made));
        form.reset();
        QVERIFY(!SheetForms::current(1));  // freed with the window that owned it
    }

    // ------------------------------------------------------------ automatic start

    void onlyTheExactArgumentStartsAutomatically_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("automatic");
        QTest::newRow("auto") << "auto" << true;
        QTest::newRow("AUTO") << "AUTO" << false;
        QTest::newRow("Auto") << "Auto" << false;
        QTest::newRow("trailing blank") << "auto " << false;
        QTest::newRow("leading blank") << " auto" << false;
        QTest::newRow("autox") << "autox" << false;
        QTest::newRow("empty") << "" << false;
    }
    void onlyTheExactArgumentStartsAutomatically() {
        QFETCH(QString, argument);
        QFETCH(bool, automatic);
        QCOMPARE(AutoStart::isAutoArgument(argument), automatic);

        writeSettings(true, 2);  // engine preview, style 2
        writeRp({rpRecord("ﾃﾙﾐｻﾙﾀﾝ錠40mg", true, "朝")});
        closeEnginePreviews();
        auto form = open({argument});

        QCOMPARE(form->terminationRequested(), automatic);
        QCOMPARE(form->prescription().lineCount(), automatic ? 1 : 0);
        QCOMPARE(styleThatRan(), automatic ? 2 : 0);
        if (automatic) {
            QVERIFY(qobject_cast<dorimek::sheets::TForm4*>(SheetForms::current(2)));
            QCOMPARE(form->usageText(1), sjis("朝"));
        }
        QCOMPARE(sink->messages, QStringList());
    }

    void autoStartWaitsForTheScreenPreview() {
        dorimek::platform::overrideMajorVersion(6);
        writeSettings(true, 3);
        writeRp({rpRecord("ｱﾑﾛｼﾞﾋﾟﾝ錠5mg", true, "朝"), rpRecord("ﾚﾊﾞﾐﾋﾟﾄﾞ錠100mg", false)});
        bool constructed = false;
        int seenWhileStarting = 0;
        int rowsShown = 0;
        closeWindowsTitled(QStringLiteral("Form6"), [&](QWidget* w) {
            if (!constructed) ++seenWhileStarting;
            rowsShown = w->findChild<QPlainTextEdit*>(QStringLiteral("Memo5"))->toPlainText() ==
                                QStringLiteral("レバミピド錠100mg")
                            ? 2
                            : 0;
        });

        auto form = open({QStringLiteral("auto")});
        constructed = true;

        QCOMPARE(seenWhileStarting, 1);
        QCOMPARE(rowsShown, 2);
        QVERIFY(form->terminationRequested());
        auto* preview = dorimek::preview::TForm6::current();
        QVERIFY(preview);
        QVERIFY(!preview->isVisible());
        // The engine never ran: the preview is the on-screen one.
        QCOMPARE(styleThatRan(), 0);
        QVERIFY(qobject_cast<dorimek::sheets::TForm5*>(SheetForms::current(3)));
    }

    void waitingEndsAtOnceForAWindowNotShowing() {
        QWidget hidden;
        AutoStart::waitUntilClosed(&hidden);
        AutoStart::waitUntilClosed(nullptr);
        // A minimised window is still open; only closing ends the wait.
        QWidget shown;
        shown.show();
        bool closedByTimer = false;
        QTimer::singleShot(30, &shown, [&] {
            shown.showMinimized();
            QTimer::singleShot(30, &shown, [&] {
                closedByTimer = true;
                shown.close();
            });
        });
        AutoStart::waitUntilClosed(&shown);
        QVERIFY(closedByTimer);
    }

    void autoStartWithoutRpCsvShowsNoBlankSheetAndEnds() {
        writeSettings(true, 0);  // engine preview, no style stored
        closeEnginePreviews();
        auto form = open({QStringLiteral("auto")});
        QCOMPARE(sink->messages,
                 (QStringList{QStringLiteral("rp.csvがありません\n探したファイル: ") + qevFolder() +
                                  QStringLiteral("rp.csv"),
                              dorimek::mainwin::messages::kNothingToPrint}));
        QCOMPARE(form->prescription().lineCount(), 0);
        QCOMPARE(styleThatRan(), 0);
        QVERIFY(form->terminationRequested());
    }

    void autoStartWithTheOldPcsWorkFolderEndsAsSettingsUnreadable() {
        writeBytes(
            path(QStringLiteral("sorbenk.ini")),
            "prindex=-1\r\nprinter=\r\nqevpath=C:\\QEV\\\r\nclinic=c\r\ntel=t\r\nprev=1\r\n");
        closeEnginePreviews();
        auto form = open({QStringLiteral("auto")});
        QVERIFY(!sink->messages.isEmpty());
        QVERIFY2(sink->messages.first().startsWith(
                     QStringLiteral("QEVワークパス「C:\\QEV\\」はこのコンピュータでは使えません")),
                 qPrintable(sink->messages.first()));
        // The host learns why nothing came out, not just that nothing did.
        QCOMPARE(form->autoRunOutcome(), dorimek::mainwin::AutoRunOutcome::SettingsUnreadable);
        QVERIFY(form->terminationRequested());
    }

    // Nobody may be at the screen to carry on: the run ends with its cause.
    void autoStartWhosePrintFailsEndsWithItsCause() {
        if (dorimek::platform::PrinterService::instance().printerCount() > 0)
            QSKIP("printers are installed: the print would not fail");
        writeSettings(false, 2);  // print, style 2
        writeRp({rpRecord("ﾃﾙﾐｻﾙﾀﾝ錠40mg", true, "朝")});
        auto form = open({QStringLiteral("auto")});
        QCOMPARE(styleThatRan(), 0);
        QCOMPARE(sink->messages.size(), 1);  // the failure, told once
        QVERIFY(form->terminationRequested());
        QVERIFY(form->autoRunOutcome() == AutoRunOutcome::NoUsablePrinter ||
                form->autoRunOutcome() == AutoRunOutcome::SpoolerDown);
        QCOMPARE(form->prescription().lineCount(), 1);
    }

    void exitEndsAlsoWhileTheEnginePreviewIsOpen() {
        auto form = open();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->appendKnownLine(form->masterList().at(0), 0);
        bool exitPressed = false;
        auto* timer = new QTimer;
        closers << timer;
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, timer, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (!exitPressed && w->isVisible() &&
                    w->windowTitle() == QStringLiteral("印刷プレビュー")) {
                    exitPressed = true;
                    click(form->button(53));
                }
            }
        });
        timer->start();
        // Should 終了 leave the preview open, close it after a while so the
        // test ends and fails instead of hanging.
        bool rescued = false;
        QTimer::singleShot(5000, form.get(), [this, &rescued] {
            rescued = true;
            closeEnginePreviews();
        });
        form->Button38Click();  // returns when the preview has been closed
        timer->stop();
        QVERIFY(exitPressed);
        QVERIFY(!rescued);
        QVERIFY(!form->isVisible());
        for (QWidget* w : QApplication::topLevelWidgets()) {
            QVERIFY2(!w->isVisible(), qPrintable(w->windowTitle()));
        }
    }

    void autoStartWithoutMasterFileEndsWithItsCause() {
        QFile::remove(path(QStringLiteral("yakujo.txt")));
        writeSettings(true, 2);
        writeRp({rpRecord("ﾃﾙﾐｻﾙﾀﾝ錠40mg", true, "朝")});
        closeEnginePreviews();
        auto form = open({QStringLiteral("auto")});
        QCOMPARE(sink->messages, QStringList{QStringLiteral("yakujo.txtがみつかりません")});
        QVERIFY(form->terminationRequested());
        QVERIFY(form->autoRunOutcome() == AutoRunOutcome::MasterUnreadable);
        QCOMPARE(form->prescription().lineCount(), 0);
        QCOMPARE(styleThatRan(), 0);
    }
};

QTEST_MAIN(MainCommandsTest)
#include "MainCommandsTest.moc"
