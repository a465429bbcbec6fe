#pragma once

#include <QObject>

#include <initializer_list>

class QSocketNotifier;

namespace dorimek::platform {

// Turns the signals that end the program with nobody to ask (SIGTERM from
// the session or an administrator, SIGHUP when the terminal goes) into a Qt
// signal on the GUI thread, so that unsaved work can be kept before the
// program ends. The handler only writes the signal's number into a pipe;
// everything else happens in the event loop. One instance at a time; the
// signals' earlier handling comes back when it is destroyed.
class TerminationSignals : public QObject {
    Q_OBJECT
  public:
    explicit TerminationSignals(std::initializer_list<int> signalNumbers,
                                QObject* parent = nullptr);
    ~TerminationSignals() override;

    bool installed() const { return notifier_ != nullptr; }

  signals:
    void received(int signalNumber);

  private:
    void drain();

    QSocketNotifier* notifier_ = nullptr;
    int signals_[4] = {};
    int count_ = 0;
};

}  // namespace dorimek::platform
