// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game/board.h"

#include <QString>
#include <array>
#include <optional>

class Clock;
class Voice;
struct PrizeCheck;

namespace phrases {
inline const QString kNumberOut = QStringLiteral("è uscito il numero ");
inline const QString kRepeat = QStringLiteral("Ripeto, ");
inline const QString kProgramName = QStringLiteral("Sorteggina di Orvanet");
inline const QString kSpelledEnd = QStringLiteral(". ");
inline const QString kPrizeLead = QStringLiteral(". ");
inline const QString kPrizeFor = QStringLiteral(" per ");
inline const QString kGoesOnFor = QStringLiteral(", si va per ");
inline const QString kNewGame = QStringLiteral("Attenzione, si procede per una nuova partita.");
inline const QString kReloaded = QStringLiteral("Ultima estrazione, ricaricata!");
inline const QString kNoSavedGame = QStringLiteral("Non ci sono partite salvate!");
inline const QString kWithdrawn = QStringLiteral("Numero ");
inline const QString kManualDraw = QStringLiteral("estrazione manuale");
inline const QString kAutomaticDraw = QStringLiteral("estrazione automatica");
inline const QString kNotPresent = QStringLiteral(" non presente.");
inline const QString kPresent = QStringLiteral(" presente.");
inline const std::array<QString, board::kPrizes> kPrizeDeclared{
    QStringLiteral("L'ambo è uscito, si prosegue per il terno"),
    QStringLiteral("il terno è uscito, si prosegue per la quaterna"),
    QStringLiteral("La quaterna è uscita, si prosegue per la cinquina"),
    QStringLiteral("La cinquina è uscita, si prosegue per la tombola"), QStringLiteral("Tombola")};
inline const QString kTombolino = QStringLiteral("Tombolino");
inline const QString kDrawnSoFar = QStringLiteral("Estratti %1: ");
inline const QString kNoneDrawn = QStringLiteral("Nessun numero estratto");
} // namespace phrases

// The "Scandito" box: ticked spells the sixties and seventies digit by digit; grey (only
// ever loaded from a stored option) does not. Stored as 0, 1 and 2.
enum class Scandito { Off = 0, On = 1, Grey = 2 };
// The "Smorfia" box: ticked or grey, the number's meaning is spoken instead of it.
enum class Smorfia { Off = 0, On = 1, Grey = 2 };

struct SpeechOptions {
    Scandito scandito = Scandito::Off;
    Smorfia smorfia = Smorfia::Off;
};

// Everything said about the numbers and the prizes. A number announced within ten seconds
// of the previous one is said bare; after a pause the full sentence comes back.
class Announcer {
public:
    static constexpr qint64 kWindowMs = 10000;

    Announcer(Voice &voice, const Clock &clock);

    void announceNumber(int number, const SpeechOptions &options);
    // The last number shown again: the program's name while none is shown.
    void repeat(std::optional<int> shown, const SpeechOptions &options);
    // The prizes a check found, each with the owner's name and the next prize to play for.
    void announcePrizes(const PrizeCheck &found, const QString &owner);
    void say(const QString &text);

private:
    Voice &voice_;
    const Clock &clock_;
    std::optional<qint64> lastAnnouncedMs_; // of the last number said in number mode
};
