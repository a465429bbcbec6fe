#include "JobWatch.h"

#include "PrinterService.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <memory>

namespace dorimek::platform {

Status JobWatch::waitForFate(const QString& printer, int jobId, int followMs) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const PrinterService::JobFate fate = PrinterService::jobFate(printer, jobId);
        if (fate.refused) {
            return Status::failure(PrinterService::refusedText(printer, fate),
                                   ErrorKind::PrinterRefused);
        }
        if (fate.done || clock.elapsed() >= followMs) return {};
        // Boxes that close by themselves and the window keep going meanwhile.
        if (QCoreApplication::instance()) {
            QEventLoop pause;
            QTimer::singleShot(kPollMs, &pause, &QEventLoop::quit);
            pause.exec();
        } else {
            QThread::msleep(kPollMs);
        }
    }
}

void JobWatch::follow(const QString& printer, int jobId,
                      std::function<void(const QString&)> onRefused, int followMs) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    // The timer belongs to the application, so it outlives the window that
    // printed, and ends itself once the job's fate is known or time is up.
    auto* timer = new QTimer(app);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, timer,
                     [timer, clock, printer, jobId, onRefused = std::move(onRefused), followMs] {
                         const PrinterService::JobFate fate =
                             PrinterService::jobFate(printer, jobId);
                         if (fate.done || clock->elapsed() >= followMs) {
                             timer->stop();
                             timer->deleteLater();
                         }
                         if (fate.refused && onRefused) {
                             onRefused(PrinterService::refusedText(printer, fate));
                         }
                     });
    timer->start(kPollMs);
}

}  // namespace dorimek::platform
