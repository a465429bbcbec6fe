#include "StartupProbe.h"

#include "platform/PeakMemory.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace dorimek::app {
namespace {

class Probe : public QObject {
  public:
    explicit Probe(QWidget* drawn) : QObject(drawn) {
        drawn->installEventFilter(this);
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
                [this] {
                    if (!painted_ || done_) return;
                    done_ = true;
                    timespec now{};
                    clock_gettime(CLOCK_MONOTONIC, &now);
                    std::printf("startup-idle %lld %ld\n",
                                static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                                platform::peakResidentKilobytes());
                    std::fflush(stdout);
                    QCoreApplication::quit();
                });
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted_ = true;
        return false;
    }

  private:
    bool painted_ = false;
    bool done_ = false;
};

}  // namespace

void armStartupProbe(QWidget* drawn) {
    if (qEnvironmentVariableIsEmpty("DORIMEK_STARTUP_PROBE")) return;
    new Probe(drawn);
}

}  // namespace dorimek::app
