// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "network/protocol.h"

#include <QObject>
#include <QThread>

namespace network {

class PhoneWorker;

// The caller's side of the players' phones: every call returns at once and the serving
// happens on a thread of its own; claims and the count of phones come back as signals.
class PhoneServer : public QObject {
    Q_OBJECT
public:
    explicit PhoneServer(QObject *parent = nullptr);
    ~PhoneServer() override;

    // Listens on every address; `started` or `failed` (a problem text for the dialog) follows.
    void start(quint16 port, const QString &token);
    // Returns once the port is closed and every phone dropped.
    void stop();
    // Every phone connected with the old token is dropped and must scan the new code.
    void setToken(const QString &token);
    void publish(const LiveState &state);
    // The caller's verdict on a claim, shown on the phone that sent it.
    void answer(quint64 phone, const QString &verdict);

signals:
    void started(quint16 port);
    void failed(const QString &problem);
    void phoneCountChanged(int count);
    void claimReceived(quint64 phone, int prize, const QString &code, const QString &name);
    // A phone's connection has closed: its claims wait for no one.
    void phoneLeft(quint64 phone);
    // A connection's hello: the page's own id (empty from a page that has none), its player's
    // name (maybe empty) and the codes of its cartelle, as printed.
    void phoneGreeted(quint64 phone, const QString &id, const QString &name, const QStringList &codes);

private:
    void makeWorker();
    void sendState(const QByteArray &message, quint8 gone);

    QThread thread_;
    PhoneWorker *worker_ = nullptr;
    QByteArray waitingState_;
    quint8 waitingGone_ = 0;
};

} // namespace network
