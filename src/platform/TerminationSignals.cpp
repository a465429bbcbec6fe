#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace dorimek::platform {
namespace {

int pipeEnds[2] = {-1, -1};
struct sigaction previous[NSIG];

// Only async-signal-safe calls here: write() of one byte, errno kept.
void onSignal(int number) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    if (pipeEnds[1] >= 0) (void)::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : TerminationSignals({SIGTERM, SIGHUP}, parent) {}

TerminationSignals::TerminationSignals(std::initializer_list<int> signalNumbers, QObject* parent)
    : QObject(parent) {
    if (pipeEnds[0] >= 0 || ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    for (int number : signalNumbers) {
        if (count_ == static_cast<int>(std::size(signals_)) || number <= 0 || number >= NSIG)
            continue;
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        if (::sigaction(number, &action, &previous[number]) == 0) signals_[count_++] = number;
    }
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::drain);
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_) return;
    for (int i = 0; i < count_; ++i) ::sigaction(signals_[i], &previous[signals_[i]], nullptr);
    delete notifier_;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void TerminationSignals::drain() {
    unsigned char bytes[16];
    ssize_t n;
    while ((n = ::read(pipeEnds[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < n; ++i) emit received(bytes[i]);
    }
}

}  // namespace dorimek::platform
