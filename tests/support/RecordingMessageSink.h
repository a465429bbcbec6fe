#pragma once

#include "platform/Messages.h"

#include <QStringList>

namespace dorimek::testing {

// Records every message instead of showing it; installs itself for its
// lifetime. confirm() answers with confirmAnswer.
class RecordingMessageSink : public platform::MessageSink {
public:
    RecordingMessageSink() { previous_ = platform::setMessageSink(this); }
    ~RecordingMessageSink() override { platform::setMessageSink(previous_); }

    void showMessage(const QString& text, const QString&) override { messages.append(text); }
    bool confirm(const QString& text, const QString&) override {
        confirmations.append(text);
        return confirmAnswer;
    }

    int choose(const QString& text, const QString&, const QStringList& buttons) override {
        choices.append(text);
        choiceButtons = buttons;
        return choiceAnswer;
    }

    QStringList messages;
    QStringList confirmations;
    bool confirmAnswer = false;
    QStringList choices;
    QStringList choiceButtons;  // offered by the last choice
    int choiceAnswer = -1;      // the button pressed; -1 cancels

  private:
    platform::MessageSink* previous_ = nullptr;
};

}  // namespace dorimek::testing
