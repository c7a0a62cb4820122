// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/lifetime.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QWindow>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

// The window's destruction notice from the X server (an X event of type 17).
class DestroyedWindowFilter : public QAbstractNativeEventFilter {
public:
    explicit DestroyedWindowFilter(QWindow *window) : window_(window) { }
    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        if (type != "xcb_generic_event_t" || !window_)
            return false;
        struct DestroyNotify {
            quint8 responseType, pad;
            quint16 sequence;
            quint32 event, window;
        };
        const auto *event = static_cast<const DestroyNotify *>(message);
        if ((event->responseType & 0x7f) == 17 && event->window == quint32(window_->winId()))
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
        return false;
    }

private:
    QPointer<QWindow> window_;
};

} // namespace

void quitOnTerminationSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, QCoreApplication::instance(), [] {
        char byte;
        [[maybe_unused]] const auto read = ::read(signalPipe[1], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
}

void quitWhenWindowDestroyed(QWindow *window)
{
    QCoreApplication::instance()->installNativeEventFilter(new DestroyedWindowFilter(window));
}
