// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "network/access.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <array>
#include <memory>

class QWebSocket;

namespace network {

class PageServer;

// Serves the page and the phones' sockets on the thread it lives on; the GUI side reaches it
// only through queued calls, so a slow or hostile phone never holds up a draw.
class PhoneWorker : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxPhones = 1000;
    static constexpr qint64 kHelloTimeoutMs = 10'000;
    static constexpr qint64 kPingEveryMs = 20'000;
    static constexpr qint64 kSilenceLimitMs = 60'000;
    static constexpr qint64 kAnswerEveryMs = 1'000;
    // Messages a phone may send with less than kAnswerEveryMs between them.
    static constexpr int kMaxMessagesInBurst = 30;

    PhoneWorker();
    ~PhoneWorker() override;

public slots:
    void start(quint16 port, const QString &token);
    void stop();
    void setToken(const QString &token);
    void publish(const QByteArray &stateMessage, quint8 prizesGone);
    void answer(quint64 phone, const QString &verdict);
    // Drops the phones that never said hello or stopped answering pings, and pings the rest.
    void tick(qint64 nowMs);

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
    struct Phone {
        QPointer<QWebSocket> socket;
        qint64 connectedMs = 0;
        qint64 heardMs = 0;
        bool greeted = false;
        qint64 helloMs = -kAnswerEveryMs;
        qint64 refusedMs = -kAnswerEveryMs;
        QByteArray waitingHello;
        int heardInBurst = 0;
    };

    void takeSockets();
    void receive(quint64 id, const QString &text);
    void answerHello(quint64 id);
    void dropAll();
    qint64 now() const { return clock_.elapsed(); }

    std::unique_ptr<PageServer> server_;
    QString token_;
    QByteArray state_;
    quint8 prizesGone_ = 0;
    QHash<quint64, Phone> phones_;
    quint64 nextPhone_ = 1;
    ClaimPace pace_;
    QElapsedTimer clock_;
    QTimer housekeeping_;
};

} // namespace network
