#include "WindowBench.h"

#include "BenchSupport.h"
#include "main/Main.h"
#include "masterfile/Hensyuu.h"
#include "platform/PeakMemory.h"
#include "preview/Visprev.h"
#include "sheets/Yakujo.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace dorimek::bench {
namespace {

// Everything the event loop would do between two clicks, deferred deletes
// included, so what a closed window gives back is given back now.
void settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

void fillPrescription(mainwin::TForm3& form, int records, int first) {
    form.Button49Click();
    for (int n = 0; n < 7; ++n) {
        const int r = recordFor((first + n) % kLines, records);
        form.appendKnownLine(form.masterList()[static_cast<size_t>(r)], r);
    }
}

void measure(const char* kind, int operations, const std::function<void(int)>& operation) {
    long first = 0;
    for (int i = 0; i < operations; ++i) {
        operation(i);
        settle();
        if (i == 0) first = platform::currentResidentKilobytes();
    }
    std::printf("%s %d %ld %ld\n", kind, operations, first, platform::currentResidentKilobytes());
    std::fflush(stdout);
}

}  // namespace

int measureWindowMemory(int argc, char** argv) {
    // argv: bench --window-memory folder records operations
    if (argc != 5) return 2;
    QApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const int records = QString::fromLocal8Bit(argv[3]).toInt();
    const int operations = QString::fromLocal8Bit(argv[4]).toInt();
    if (!useMaster(folder, records)) return 1;

    mainwin::TForm3 form({QStringLiteral("dorimek")},
                         QDir(folder).absolutePath() + QLatin1Char('/'));
    form.setUseScreenPreview(true);
    form.show();
    settle();
    fillPrescription(form, records, 0);

    measure("preview", operations, [&](int) {
        form.Button38Click();
        if (preview::TForm6* p = preview::TForm6::current()) p->Button2Click();
    });
    // The report engine's own preview (older platforms): it returns when
    // its window is closed, so the window is closed from the event loop.
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->objectName() == QLatin1String("ReportPreviewWindow")) w->close();
        }
    });
    measure("engine-view", operations, [&](int) {
        closer.start();
        form.sheetForStyle(3)->Yakujorep.Preview();
        closer.stop();
    });
    measure("grid", operations, [&](int) {
        form.Button50Click();
        if (masterfile::TForm2* g = masterfile::TForm2::current()) g->Button4Click();
    });
    // What the front desk does all day: a new prescription, its preview,
    // a look into the master file now and then.
    measure("prescription", operations, [&](int i) {
        fillPrescription(form, records, i);
        form.Button38Click();
        if (preview::TForm6* p = preview::TForm6::current()) p->Button2Click();
        if (i % 10 == 0) {
            form.Button50Click();
            if (masterfile::TForm2* g = masterfile::TForm2::current()) g->Button4Click();
        }
    });
    return 0;
}

}  // namespace dorimek::bench
