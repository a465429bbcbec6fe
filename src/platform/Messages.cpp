#include "Messages.h"

#include "Sjis.h"

#include <cstdio>

namespace dorimek::platform {
namespace {
MessageSink* g_sink = nullptr;
}

MessageSink* setMessageSink(MessageSink* sink) {
    MessageSink* old = g_sink;
    g_sink = sink;
    return old;
}

MessageSink* messageSink() { return g_sink; }

void showMessage(const QString& text, const QString& caption) {
    if (g_sink) {
        g_sink->showMessage(text, caption);
        return;
    }
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

void showMessageSjis(std::string_view sjisText, const QString& caption) {
    showMessage(toUnicode(sjisText), caption);
}

void notify(const QString& text, int seconds, const QString& caption) {
    if (g_sink) {
        g_sink->notify(text, caption, seconds);
        return;
    }
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

bool confirm(const QString& text, const QString& caption) {
    if (g_sink) return g_sink->confirm(text, caption);
    std::fprintf(stderr, "%s (answered No)\n", text.toLocal8Bit().constData());
    return false;
}

int choose(const QString& text, const QStringList& buttons, const QString& caption) {
    if (g_sink) return g_sink->choose(text, caption, buttons);
    std::fprintf(stderr, "%s (cancelled)\n", text.toLocal8Bit().constData());
    return -1;
}

}  // namespace dorimek::platform
