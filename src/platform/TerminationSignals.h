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
// signals' earlier handling comes back when it is destroyed. Windows ends a
// session through the application's commitDataRequest instead and has no
// such signals: there nothing is installed and nothing is ever received.
class TerminationSignals : public QObject {
    Q_OBJECT
  public:
    // The system's own: SIGTERM and SIGHUP.
    explicit TerminationSignals(QObject* parent = nullptr);
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
