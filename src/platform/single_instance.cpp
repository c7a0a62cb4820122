// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/single_instance.h"

#include <QLocalSocket>
#include <QStandardPaths>

namespace {

QString runtimeFile(const QString &name)
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QLatin1Char('/') + name;
}

} // namespace

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent), socketPath_(runtimeFile(QStringLiteral("sorteggina.socket"))),
      lock_(runtimeFile(QStringLiteral("sorteggina.lock")))
{
    // Held for hours: only a dead owner makes the lock stale, never its age.
    lock_.setStaleLockTime(0);
}

bool SingleInstance::claim()
{
    if (lock_.tryLock(0)) {
        QLocalServer::removeServer(socketPath_);
        server_.setSocketOptions(QLocalServer::UserAccessOption);
        server_.listen(socketPath_);
        connect(&server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket *peer = server_.nextPendingConnection()) {
                connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
                emit showRequested();
            }
        });
        return true;
    }
    QLocalSocket running;
    running.connectToServer(socketPath_);
    if (running.waitForConnected(1000)) {
        running.write("show\n");
        running.waitForBytesWritten(500);
        running.disconnectFromServer();
    }
    return false;
}
