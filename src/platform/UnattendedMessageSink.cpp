#include "UnattendedMessageSink.h"

#include "FontMap.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>

namespace dorimek::platform {
namespace {

constexpr int kWindowWidth = 480;
constexpr int kWindowHeight = 240;
constexpr int kFontPx = 12;

}  // namespace

UnattendedMessageSink::UnattendedMessageSink(QString title) : title_(std::move(title)) {}

UnattendedMessageSink::~UnattendedMessageSink() { delete window_.data(); }

void UnattendedMessageSink::add(const QString& text) {
    words_ << text;
    lastWord_ = QDateTime::currentDateTimeUtc();
    // Also where no window can be shown, the host's log of standard error keeps it.
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;

    if (!window_) {
        auto* window = new QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
        window->setAttribute(Qt::WA_DeleteOnClose);
        // Shown beside the work of whoever sits at the screen: it must not
        // take their typing, nor hand an Enter meant for it to another box.
        window->setAttribute(Qt::WA_ShowWithoutActivating);
        window->setWindowTitle(title_);
        window->resize(kWindowWidth, kWindowHeight);
        window->setFont(windowFont(kGothicFace, kFontPx));
        auto* layout = new QVBoxLayout(window);
        layout->addWidget(new QLabel(
            QStringLiteral("基幹システムからの起動です。この表示はしばらくすると閉じます。"),
            window));
        text_ = new QPlainTextEdit(window);
        text_->setReadOnly(true);
        layout->addWidget(text_);
        auto* close = new QPushButton(QStringLiteral("閉じる"), window);
        close->setFocusPolicy(Qt::ClickFocus);
        QObject::connect(close, &QPushButton::clicked, window, &QWidget::close);
        layout->addWidget(close, 0, Qt::AlignRight);
        window_ = window;
    }
    text_->appendPlainText(text + QLatin1Char('\n'));
    window_->show();
    window_->raise();
    // Drawn now: the run may be busy for a while before the loop runs again.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void UnattendedMessageSink::showMessage(const QString& text, const QString& caption) {
    add(caption.isEmpty() ? text : caption + QStringLiteral(": ") + text);
}

void UnattendedMessageSink::notify(const QString& text, const QString& caption, int seconds) {
    (void)seconds;  // the window's own time applies
    showMessage(text, caption);
}

bool UnattendedMessageSink::confirm(const QString& text, const QString& caption) {
    showMessage(text + QStringLiteral("\n（自動起動のため「いいえ」としました）"), caption);
    return false;
}

int UnattendedMessageSink::choose(const QString& text, const QString& caption,
                                  const QStringList& buttons) {
    (void)buttons;
    showMessage(text + QStringLiteral("\n（自動起動のため「キャンセル」としました）"), caption);
    return -1;
}

void UnattendedMessageSink::finish(const QString& summary, bool mustShow, int seconds) {
    if (!window_ && !mustShow) return;
    // Words read already while the run went on (a preview kept open) need no
    // more time; a run that ended the moment it spoke gets it all.
    const qint64 shownFor =
        window_ ? lastWord_.msecsTo(QDateTime::currentDateTimeUtc()) : qint64(0);
    add(summary);
    const qint64 left = qint64(seconds) * 1000 - shownFor;
    if (!window_ || left <= 0) return;
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(left), &loop, &QEventLoop::quit);
    QObject::connect(window_.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace dorimek::platform
