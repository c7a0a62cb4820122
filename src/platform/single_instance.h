// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/clock.h"

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QTimer>
#include <optional>
#include <vector>

class QLocalSocket;

// One copy of the program per user. The first copy holds a lock in the user's runtime
// folder for its whole life and listens on a local socket beside it; a later start finds
// the lock taken, asks the running copy to come forward and ends. A lock left by a copy
// that was killed names a process that no longer runs, and is taken over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // Connections served at once; more are closed as they come.
    static constexpr int maxPeers = 8;
    // A connection that has not asked within this is closed.
    static constexpr qint64 peerTimeoutMs = 2000;

    // An empty folder means the user's runtime folder. Without a clock, the system's.
    explicit SingleInstance(QObject *parent = nullptr, const QString &folder = {}, const Clock *clock = nullptr);

    // False only when another copy holds the lock (it has been asked to show itself). Any other
    // trouble is told on standard error and in problem(), and the program runs unguarded.
    bool claim();
    QString problem() const { return problem_; }
    // Closes the connections that have had their time; the object's timer calls it.
    void closeSlowPeers();

signals:
    void showRequested();

private:
    struct Peer {
        QLocalSocket *socket;
        qint64 sinceMs;
        QByteArray received;
    };
    bool runUnguarded(const QString &problem);
    bool askRunningCopyToShow();
    void acceptPeers();
    void readRequest(QLocalSocket *socket);
    void closePeer(QLocalSocket *socket);
    void armTimer();

    SteadyClock steadyClock_;
    const Clock *clock_;
    QString folder_;
    std::optional<QLockFile> lock_;
    QLocalServer server_;
    std::vector<Peer> peers_;
    QTimer timer_;
    QString problem_;
};
