#pragma once

#include "Messages.h"

namespace dorimek::platform {

// The program's own sink: a plain modal message box that waits for the user.
class MessageBoxSink : public MessageSink {
public:
    void showMessage(const QString& text, const QString& caption) override;
    bool confirm(const QString& text, const QString& caption) override;
    int choose(const QString& text, const QString& caption, const QStringList& buttons) override;
    void notify(const QString& text, const QString& caption, int seconds) override;
};

}  // namespace dorimek::platform
