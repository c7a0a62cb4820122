// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cartelle/serie.h"
#include "evening/evening_record.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

class Caller;
class EveningStore;
class SettingsStore;
struct PrizeCheck;

// The evening as it goes: follows the caller, records every number and every prize with
// its winner, and confirms the claims checked at the table. Every change is appended to the
// evenings' store as it happens, so a killed program loses none of it; without a store the
// evening lives in memory.
class Evening : public QObject {
    Q_OBJECT
public:
    inline static const QString kInTheRoom = QStringLiteral("in sala");
    inline static const QString kSharedPrize = QStringLiteral("a parità il premio si divide");
    using WallClock = std::function<QDateTime()>;

    Evening(
        Caller &caller, SettingsStore &store, WallClock now = [] { return QDateTime::currentDateTime(); },
        EveningStore *journal = nullptr);

    // A phone's claim as the caller can answer it: the prize it claims declared, shared with
    // a winner who completed it with the same number, already won by another, or not held.
    enum class ClaimAnswer { Declared, Shared, Gone, NotHeld };

    const evening::EveningRecord &record() const { return record_; }
    // A prize won (kTombolino included) is shared by every cartella completed with as many
    // numbers out as its first winner's: that count, or nothing while the prize is not won.
    static std::optional<int> sharedAt(const evening::RecordedGame &game, int prize);
    // How a claim for `prize` (on the ladder; the tombola stands for the tombolino once it is
    // out) would be answered now, and the answer given, recorded with the number that
    // completed the cartella's row; nothing but that prize is ever declared.
    ClaimAnswer previewClaim(const cartelle::Grid &cartella, const QString &code, int prize) const;
    ClaimAnswer answerClaim(const cartelle::Grid &cartella, const QString &code, const QString &name, int prize);
    // The prize a player's cartella can be confirmed for now: the prize in play (the
    // tombolino once the tombola is out), or one won with the last number, to be shared.
    // A cartella already confirmed for the prize just won (by its code) is not offered again.
    std::optional<int> claimablePrize(const cartelle::Grid &cartella, const QString &code = {}) const;
    // "Conferma vincita": declares the prize as the prize keys do, or shares the one just
    // won, and records the player; the prize recorded, or nothing when the cartella wins none.
    std::optional<int> confirmClaim(const cartelle::Grid &cartella, const QString &code, const QString &name = {});
    // A name typed later for a winner of the room.
    void nameWinner(int game, int winner, const QString &name);
    // "Nuova serata": the record starts empty.
    void startNewEvening();

signals:
    void changed();

private:
    evening::RecordedGame *currentGame();
    evening::RecordedGame &openGame();
    bool follow();
    void addWinner(int prize, const QString &name, const QString &code = {}, int countOut = 0);
    void onPrizesChecked(const PrizeCheck &found);
    void onPrizeDeclared(int prize, bool tombolino);
    void onNumberWithdrawn();
    void change(evening::Event event);
    void catchUpWithSavedGame();
    void saveRecord();

    Caller &caller_;
    SettingsStore &store_;
    WallClock now_;
    EveningStore *journal_;
    evening::EveningRecord record_;
    QList<evening::Event> unsaved_;
    // The player whose claim is being declared, for the declaration's record.
    std::optional<std::pair<QString, QString>> claimant_;
    int claimantCount_ = 0;
};
