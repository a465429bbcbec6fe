#pragma once

#include <QString>
#include <QStringList>

#include <string_view>

namespace dorimek::platform {

// Where the program's plain message boxes go. The program installs a sink that
// shows a modal box and waits for OK; tests install one that records.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    // A plain box with one OK button; returns when the user has closed it.
    virtual void showMessage(const QString& text, const QString& caption) = 0;
    // A box with Yes and No; true for Yes.
    virtual bool confirm(const QString& text, const QString& caption) = 0;
    // A box with one button per caption and a cancel button; the index of the
    // button pressed, or -1 for cancel. A sink that can't ask chooses nothing.
    virtual int choose(const QString& text, const QString& caption, const QStringList& buttons) {
        (void)text, (void)caption, (void)buttons;
        return -1;
    }
    // A word that nobody may be there to read: a box that closes by itself
    // after seconds (or on OK). By default a plain message.
    virtual void notify(const QString& text, const QString& caption, int seconds) {
        (void)seconds;
        showMessage(text, caption);
    }
};

// Installs the sink used from now on (nullptr: messages go to standard error
// and confirmations are answered No). Returns the sink it replaces.
MessageSink* setMessageSink(MessageSink* sink);
MessageSink* messageSink();

void showMessage(const QString& text, const QString& caption = QString());
// For texts that arrive as Shift-JIS bytes (a drug name read from a file).
void showMessageSjis(std::string_view sjisText, const QString& caption = QString());
bool confirm(const QString& text, const QString& caption = QString());
// One of buttons (its index), or -1 when the user cancels.
int choose(const QString& text, const QStringList& buttons, const QString& caption = QString());
// Shown without waiting for anyone longer than seconds.
void notify(const QString& text, int seconds, const QString& caption = QString());

}  // namespace dorimek::platform
