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

    QStringList messages;
    QStringList confirmations;
    bool confirmAnswer = false;

private:
    platform::MessageSink* previous_ = nullptr;
};

}  // namespace dorimek::testing
