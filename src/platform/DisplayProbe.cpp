#include "DisplayProbe.h"

#include <QStringList>

#include <dlfcn.h>

namespace dorimek::platform {
namespace {

// The few xcb calls the check needs, from the library Qt's xcb plugin loads
// anyway; without it the check falls back to DISPLAY being set.
struct Xcb {
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    void* library = nullptr;
    Connect connect = nullptr;
    HasError hasError = nullptr;
    Disconnect disconnect = nullptr;

    Xcb() {
        library = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
        if (!library) return;
        connect = reinterpret_cast<Connect>(dlsym(library, "xcb_connect"));
        hasError = reinterpret_cast<HasError>(dlsym(library, "xcb_connection_has_error"));
        disconnect = reinterpret_cast<Disconnect>(dlsym(library, "xcb_disconnect"));
    }
    ~Xcb() {
        if (library) dlclose(library);
    }
    bool usable() const { return connect && hasError && disconnect; }
};

DisplayProbe x11Display() {
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) return {false, QStringLiteral("DISPLAY が設定されていません")};
    Xcb xcb;
    if (!xcb.usable()) return {};
    void* connection = xcb.connect(display.constData(), nullptr);
    const bool failed = !connection || xcb.hasError(connection) != 0;
    if (connection) xcb.disconnect(connection);
    if (failed)
        return {false,
                QStringLiteral("DISPLAY=%1 に接続できません").arg(QString::fromLocal8Bit(display))};
    return {};
}

DisplayProbe waylandDisplay() {
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {false, QStringLiteral("WAYLAND_DISPLAY が設定されていません")};
    return {};
}

}  // namespace

DisplayProbe probeDisplay(const QString& platformArgument) {
    QString platforms = platformArgument;
    if (platforms.isEmpty()) platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platforms.isEmpty()) {
        // Qt's own choice: Wayland where a Wayland session says so, else X11.
        if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) return {};
        return x11Display();
    }
    // "wayland;xcb": Qt tries each in turn, so one that works is enough.
    DisplayProbe last;
    for (const QString& entry : platforms.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = entry.section(QLatin1Char(':'), 0, 0).trimmed();
        if (name == QLatin1String("xcb"))
            last = x11Display();
        else if (name.startsWith(QLatin1String("wayland")))
            last = waylandDisplay();
        else
            return {};  // offscreen, minimal, vnc, eglfs, linuxfb: no display needed
        if (last.available) return last;
    }
    return last;
}

}  // namespace dorimek::platform
