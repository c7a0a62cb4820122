// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/single_instance.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

const QString kNoRuntimeFolder = QStringLiteral(
    "Non c'è una cartella di esecuzione dell'utente (XDG_RUNTIME_DIR): si possono aprire più copie di Sorteggina.");
const QString kForeignFolder =
    QStringLiteral("La cartella di esecuzione %1 non è dell'utente: si possono aprire più copie di Sorteggina.");
const QString kCannotLock =
    QStringLiteral("Impossibile creare il blocco %1 (%2): si possono aprire più copie di Sorteggina.");
const QString kCannotListen = QStringLiteral("Impossibile attendere le altre copie di Sorteggina su %1 (%2).");
const QString kNobodyAnswers = QStringLiteral("nessuna copia in funzione risponde");
const QString kDenied = QStringLiteral("permesso negato");
const QString kFileSystemRefused = QStringLiteral("il file system non lo permette");
const QByteArray kShowRequest = "show\n";

} // namespace

SingleInstance::SingleInstance(QObject *parent, const QString &folder, const Clock *clock)
    : QObject(parent), clock_(clock ? clock : &steadyClock_),
      folder_(folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) : folder)
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &SingleInstance::closeSlowPeers);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::acceptPeers);
}

bool SingleInstance::runUnguarded(const QString &problem)
{
    problem_ = problem;
    std::fprintf(stderr, "sorteggina: %s\n", qPrintable(problem));
    return true;
}

bool SingleInstance::claim()
{
    // Never the root of the file system, nor a folder another user could empty under us.
    if (folder_.isEmpty())
        return runUnguarded(kNoRuntimeFolder);
    const QFileInfo folder(folder_);
    if (!folder.isDir() || folder.ownerId() != ::geteuid())
        return runUnguarded(kForeignFolder.arg(folder_));
    const QString lockPath = folder_ + QStringLiteral("/sorteggina.lock");
    const QString socketPath = folder_ + QStringLiteral("/sorteggina.socket");
    lock_.emplace(lockPath);
    // Held for hours: only a dead owner makes the lock stale, never its age.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        if (lock_->error() != QLockFile::LockFailedError)
            return runUnguarded(
                kCannotLock.arg(lockPath, lock_->error() == QLockFile::PermissionError ? kDenied : kFileSystemRefused));
        if (askRunningCopyToShow())
            return false;
        // A lock nobody answers for (one left unreadable) does not keep the program from starting.
        return runUnguarded(kCannotLock.arg(lockPath, kNobodyAnswers));
    }
    QLocalServer::removeServer(socketPath);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(socketPath))
        runUnguarded(kCannotListen.arg(socketPath, server_.errorString()));
    return true;
}

bool SingleInstance::askRunningCopyToShow()
{
    QLocalSocket running;
    running.connectToServer(folder_ + QStringLiteral("/sorteggina.socket"));
    if (!running.waitForConnected(1000))
        return false;
    running.write(kShowRequest);
    running.waitForBytesWritten(500);
    running.disconnectFromServer();
    return true;
}

void SingleInstance::acceptPeers()
{
    while (QLocalSocket *socket = server_.nextPendingConnection()) {
        if (peers_.size() >= maxPeers) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // Nothing beyond a request is ever read, nor buffered.
        socket->setReadBufferSize(kShowRequest.size());
        peers_.push_back({socket, clock_->nowMs(), {}});
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { closePeer(socket); });
        readRequest(socket);
    }
    armTimer();
}

void SingleInstance::readRequest(QLocalSocket *socket)
{
    const auto peer =
        std::find_if(peers_.begin(), peers_.end(), [socket](const Peer &p) { return p.socket == socket; });
    if (peer == peers_.end())
        return;
    peer->received += socket->read(kShowRequest.size() - peer->received.size());
    if (peer->received.size() < kShowRequest.size())
        return;
    const bool asked = peer->received == kShowRequest;
    closePeer(socket);
    if (asked)
        emit showRequested();
}

void SingleInstance::closePeer(QLocalSocket *socket)
{
    std::erase_if(peers_, [socket](const Peer &p) { return p.socket == socket; });
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    armTimer();
}

void SingleInstance::closeSlowPeers()
{
    const qint64 now = clock_->nowMs();
    std::vector<QLocalSocket *> slow;
    for (const Peer &peer : peers_)
        if (now - peer.sinceMs >= peerTimeoutMs)
            slow.push_back(peer.socket);
    for (QLocalSocket *socket : slow)
        closePeer(socket);
    armTimer();
}

void SingleInstance::armTimer()
{
    if (peers_.empty())
        return timer_.stop();
    const auto oldest = std::min_element(
        peers_.begin(), peers_.end(), [](const Peer &a, const Peer &b) { return a.sinceMs < b.sinceMs; });
    timer_.start(int(std::clamp<qint64>(oldest->sinceMs + peerTimeoutMs - clock_->nowMs(), 0, peerTimeoutMs)));
}
