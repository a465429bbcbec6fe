// The words of a run nobody may be watching: none may wait for an answer.
#include "platform/UnattendedMessageSink.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using dorimek::platform::UnattendedMessageSink;

class UnattendedMessageSinkTest : public QObject {
    Q_OBJECT

  private slots:
    // Each call returns at once with the answer that changes nothing, and
    // leaves its word on a screen that holds no modal box.
    void everyWordReturnsAtOnceWithTheSafeAnswer() {
        struct Case {
            const char* what;
            std::function<int(dorimek::platform::MessageSink&)> call;
            int answer;
        };
        const Case cases[] = {
            {"message",
             [](auto& s) {
                 s.showMessage(QStringLiteral("w"), QString());
                 return 0;
             },
             0},
            {"word that closes itself",
             [](auto& s) {
                 s.notify(QStringLiteral("w"), QString(), 3600);
                 return 0;
             },
             0},
            {"question", [](auto& s) { return int(s.confirm(QStringLiteral("w"), QString())); }, 0},
            {"choice",
             [](auto& s) {
                 return s.choose(QStringLiteral("w"), QString(), {QStringLiteral("a")});
             },
             -1},
        };
        for (const Case& c : cases) {
            UnattendedMessageSink sink(QStringLiteral("run"));
            // A box waiting for OK would be closed by this after a long while,
            // and the time taken would show it.
            QTimer rescue;
            rescue.setSingleShot(true);
            QObject::connect(&rescue, &QTimer::timeout, [] {
                if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
            });
            rescue.start(5000);
            QElapsedTimer took;
            took.start();
            QCOMPARE(c.call(sink), c.answer);
            QVERIFY2(took.elapsed() < 4000, c.what);
            QVERIFY2(!QApplication::activeModalWidget(), c.what);
            QCOMPARE(sink.words().size(), 1);
            QVERIFY2(sink.words().first().startsWith(QLatin1Char('w')), c.what);
        }
    }

    // The run's end stays on screen for its time, unless closed sooner; a
    // run that printed without a word shows nothing and ends at once.
    void theEndStaysForItsTimeUnlessClosed() {
        QElapsedTimer took;
        {
            UnattendedMessageSink quiet(QStringLiteral("run"));
            took.start();
            quiet.finish(QStringLiteral("done"), false, 60);
            QVERIFY(took.elapsed() < 10000);
            QVERIFY(quiet.words().isEmpty());
        }
        {
            UnattendedMessageSink failed(QStringLiteral("run"));
            took.start();
            failed.finish(QStringLiteral("not printed"), true, 1);
            QVERIFY(took.elapsed() >= 900);
            QCOMPARE(failed.words(), QStringList{QStringLiteral("not printed")});
        }
        {
            UnattendedMessageSink closed(QStringLiteral("run"));
            closed.showMessage(QStringLiteral("w"), QString());
            QTimer::singleShot(100, [] {
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    if (w->windowTitle() == QStringLiteral("run")) {
                        w->findChild<QPushButton*>()->click();
                    }
                }
            });
            took.start();
            closed.finish(QStringLiteral("not printed"), true, 600);
            QVERIFY(took.elapsed() < 60000);
        }
    }
};

QTEST_MAIN(UnattendedMessageSinkTest)
#include "UnattendedMessageSinkTest.moc"
