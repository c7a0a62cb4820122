// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cartelle/code.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <variant>

// What the players' phones and the program say to each other: JSON text over a WebSocket.
namespace network {

constexpr qsizetype kMaxMessageBytes = 4096;
constexpr int kMaxCodesPerPhone = 12;
constexpr int kMaxNameLength = 40;

// The game as the phones see it, built from plain values so it needs no running game.
struct LiveState {
    QList<int> drawnInOrder; // oldest first
    QString lastMeaning; // the smorfia of the last number
    std::array<bool, 5> prizesGone{};
    int prizeInPlay = -1; // 0 ambo to 4 tombola, -1 when every prize is gone
    QString banner; // the prize just won, as the players' screen shows it
    bool tombola = false;
    QStringList winners; // "Ambo: Anna, cartella 42-3", in the order they came
    QString game; // changes with every game, so that a phone clears its own verdicts
    // Each prize won, with the count of numbers out when it was completed: a cartella that
    // completed it with the same number shares it.
    QList<std::pair<int, int>> shareable;
};

// A phone's first words: the cartelle it holds, as printed; codes that do not read are dropped.
// A page also names itself, the same at every connection, and its player (both may be empty).
struct Hello {
    QList<cartelle::CartellaId> cartelle;
    QString phone;
    QString name;
};

// Letters, digits and '-', 1 to 40 of them: the id a page makes once and keeps.
bool acceptablePhoneId(const QString &phone);

struct Claim {
    int prize = 0;
    cartelle::CartellaId cartella;
    QString name;
};

// Why a message was turned down, in words the phone shows.
struct Refusal {
    QString text;
};

using PhoneMessage = std::variant<Hello, Claim, Refusal>;

// Accepts only a JSON object of a known type with every field of the right type and size.
PhoneMessage parsePhoneMessage(QByteArrayView bytes);

QByteArray stateMessage(const LiveState &state);
// Each cartella's numbers, so the phone draws exactly what is printed.
QByteArray cartelleMessage(const QList<cartelle::CartellaId> &cartelle);
QByteArray verdictMessage(const QString &text);
QByteArray refusalMessage(const QString &text);

namespace phone_texts {
    inline const QString kNotUnderstood = QStringLiteral("Messaggio non compreso");
    inline const QString kTooLong = QStringLiteral("Messaggio troppo lungo");
    inline const QString kBadCode = QStringLiteral("Codice della cartella non valido");
    inline const QString kBadName = QStringLiteral("Scrivi un nome di al massimo 40 caratteri");
    inline const QString kBadPhone = QStringLiteral("Telefono non riconosciuto: ricarica la pagina");
    inline const QString kBadPrize = QStringLiteral("Premio sconosciuto");
    inline const QString kTooManyCodes = QStringLiteral("Al massimo 12 cartelle");
    inline const QString kPrizeGone = QStringLiteral("premio già assegnato");
    inline const QString kTooSoon = QStringLiteral("Aspetta qualche secondo prima di chiamare di nuovo");
    inline const QString kSent = QStringLiteral("Chiamata inviata al banco…");
    inline const QString kFull = QStringLiteral("Troppi telefoni collegati: riprova più tardi");
    inline const QString kScanAgain = QStringLiteral("Codice scaduto: inquadra di nuovo il QR del banco");
} // namespace phone_texts

} // namespace network
