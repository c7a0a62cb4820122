// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "evening/evening.h"
#include "network/phone_server.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>

class Caller;
class SettingsStore;
class QWidget;

// The players' phones as the program sees them: the server turned on and off as stored
// in [Rete], the game published to it after every change, and the claims that come from
// the phones, shown to the caller one at a time to be confirmed or refused.
class PhoneLink : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kDefaultPort = 8090;

    PhoneLink(Caller &caller, Evening &evening, SettingsStore &store, QObject *parent);

    // Starts the server, when stored on; the window calls it after its first paint.
    void start();

    bool active() const { return active_; }
    quint16 port() const { return port_; }
    // Every address a phone can open while the server listens, else empty.
    const QStringList &urls() const { return urls_; }
    // Why the server is not listening, for the dialog; empty while it is.
    const QString &problem() const { return problem_; }
    int phoneCount() const { return phoneCount_; }
    // Stored at once; the server follows.
    void setActive(bool on, quint16 port);
    // Every phone connected must scan the new code.
    void newCode();

    // At most this many claims wait, one for each cartella and prize.
    static constexpr int kMaxWaitingClaims = 60;

    // The claim shown to the caller with how many more wait, empty when none waits.
    QString claimText() const;
    bool claimShown() const { return !claims_.isEmpty(); }
    int claimsWaiting() const { return int(claims_.size()); }
    // Every waiting claim ends unanswered (a new game, the phones off), each phone told why.
    void dropClaims(const QString &why);
    // "Conferma": declares the prize as the prize keys do and records the winner.
    void confirmClaim();
    // "Respingi".
    void refuseClaim();

    network::PhoneServer &server() { return server_; }

    // Players beyond the hall (RemoteLink): a claim from a phone on the broker, checked,
    // paced and answered as the hall's; its verdict comes back through remoteVerdict.
    void takeRemoteClaim(const QString &phone, const network::Claim &claim);
    // The game to the phones now: statePublished follows.
    void publish();

signals:
    // The game as the phones see it, after every change, hall server on or off.
    void statePublished(const network::LiveState &state);
    void remoteVerdict(const QString &phone, const QString &text);
    // The addresses, the count of phones or the problem changed.
    void changed();
    void claimChanged();

private:
    struct PendingClaim {
        quint64 phone;
        int prize;
        QString code;
        QString name;
    };

    void receiveClaim(quint64 phone, int prize, const QString &code, const QString &name);
    void forgetPhone(quint64 phone);
    Evening::ClaimAnswer preview(const PendingClaim &claim) const;
    QString noticeOf(const PendingClaim &claim) const;
    void showNextClaim();
    bool prizeGone(int prize) const;
    // To a hall phone through the server, to a remote one through remoteVerdict.
    void answer(quint64 phone, const QString &text);

    Caller &caller_;
    Evening &evening_;
    SettingsStore &store_;
    network::PhoneServer server_;
    bool active_ = false;
    quint16 port_ = kDefaultPort;
    QString token_;
    QStringList urls_;
    QString problem_;
    int phoneCount_ = 0;
    QList<PendingClaim> claims_;
    QString shownText_;
    // Remote phones get ids of their own, above every id the hall's server gives.
    QHash<quint64, QString> remotePhones_;
    quint64 nextRemotePhone_ = quint64(1) << 62;
};
