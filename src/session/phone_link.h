// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "evening/evening.h"
#include "network/phone_server.h"
#include "network/waiting_claims.h"

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
    PhoneLink(Caller &caller, Evening &evening, SettingsStore &store, QObject *parent);

    // Starts the server, when stored on; the window calls it after its first paint.
    void start();

    bool active() const { return active_; }
    quint16 port() const { return port_; }
    // Every address a phone can open while the server listens, else empty.
    const QStringList &urls() const { return urls_; }
    // Why the server is not listening, for the dialog; empty while it is.
    const QString &problem() const { return problem_; }
    // For the caller's window: the phones stored on but not served (a stored port refused, a
    // port that cannot be opened); empty otherwise, and once they are served again.
    QString notice() const;
    int phoneCount() const { return phoneCount_; }
    // One line for each phone that said hello: "Anna: 42-3-U, 17-2-X", a cartella also on
    // another phone marked (a cartella sold twice); a text to be shown as plain text.
    QString phoneListText() const;
    // Stored at once; the server follows.
    void setActive(bool on, quint16 port);
    // Every phone connected must scan the new code.
    void newCode();

    // At most this many claims wait, one for each cartella and prize.
    static constexpr int kMaxWaitingClaims = network::WaitingClaims::kMaxClaims;
    // A phone that lost its connection keeps its claims this long, so that a Wi-Fi blip loses none.
    static constexpr int kDepartureGraceMs = 30'000;
    void setDepartureGrace(int ms) { graceMs_ = ms; }

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
    using PendingClaim = network::WaitingClaim;
    // A connection as its hello named it.
    struct HallPhone {
        QString id;
        QString name;
        QStringList codes;
    };

    // The phone a connection speaks for: its page's own id, else the connection's.
    QString phoneOf(quint64 connection) const;
    bool connected(const QString &phone) const;
    void greet(quint64 connection, const QString &id, const QString &name, const QStringList &codes);
    void leave(quint64 connection);
    // The phone's claims end unless it is back within the grace.
    void awaitReturn(const QString &phone);
    // Every claim comes checked as a phone's message is: a prize on the ladder, a cartella's code.
    void takeClaim(const PendingClaim &claim);
    // The names of the other phones that hold the code.
    QStringList otherHolders(const QString &code, const QString &phone) const;
    void forgetPhone(const QString &phone);
    void claimsChanged();
    // Kept after every change, with the game's numbers, so that a killed program loses none.
    void saveClaims();
    // The claims kept by a killed program, back to the caller once their game is on the board.
    void followParked();
    Evening::ClaimAnswer preview(const PendingClaim &claim) const;
    QString noticeOf(const PendingClaim &claim) const;
    void showNextClaim();
    bool prizeGone(int prize) const;
    // To a hall phone through the server (when it is back, if it is away), to a remote one
    // through remoteVerdict.
    void answer(const QString &phone, const QString &text);

    Caller &caller_;
    Evening &evening_;
    SettingsStore &store_;
    network::PhoneServer server_;
    bool active_ = false;
    quint16 port_;
    QString token_;
    QStringList urls_;
    QString problem_;
    QString refusedPort_;
    int phoneCount_ = 0;
    QList<PendingClaim> claims_;
    QString shownText_;
    QHash<quint64, HallPhone> connections_;
    // Verdicts given while their phone was away, sent at its next hello.
    QHash<QString, QString> undelivered_;
    QHash<QString, int> departures_;
    int departureCount_ = 0;
    int graceMs_ = kDepartureGraceMs;
    network::WaitingClaims parked_;
    QString savedClaims_;
};
