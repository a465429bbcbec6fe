#pragma once

#include "Messages.h"

#include <QDateTime>
#include <QPointer>
#include <QStringList>

class QPlainTextEdit;
class QWidget;

namespace dorimek::platform {

// The sink of a run that nobody may be watching (the host system's "auto"
// start): no word waits for an answer. Each one is added to a window of the
// run's own, shown without taking the keyboard from whatever has it, so a
// box of an earlier run can't swallow the keys meant for this one; the run
// goes on at once. Questions get their safe answer: No, and cancel.
class UnattendedMessageSink : public MessageSink {
  public:
    // title tells this run's window from another run's.
    explicit UnattendedMessageSink(QString title);
    ~UnattendedMessageSink() override;

    void showMessage(const QString& text, const QString& caption) override;
    bool confirm(const QString& text, const QString& caption) override;
    int choose(const QString& text, const QString& caption, const QStringList& buttons) override;
    void notify(const QString& text, const QString& caption, int seconds) override;

    // Every word of the run so far, in order (questions with the answer given).
    const QStringList& words() const { return words_; }

    // The run's last word, shown also when there was none before when
    // mustShow; then waits until the window is closed or seconds have passed
    // since its newest word, so that someone looking up can still read it.
    void finish(const QString& summary, bool mustShow, int seconds);

  private:
    void add(const QString& text);

    QString title_;
    QStringList words_;
    QPointer<QWidget> window_;
    QPlainTextEdit* text_ = nullptr;
    QDateTime lastWord_;
};

}  // namespace dorimek::platform
