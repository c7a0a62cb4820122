// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "announcer/announcer.h"
#include "game/game.h"

#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <optional>

class Clock;
class RandomSource;
class SettingsStore;
class Voice;

// Numbers as every list of them is shown and said: "4, 17, 90".
QString numbersText(const QList<int> &numbers);

// The "Manuale" box: on, the numbers come from a real bag and are clicked on the board.
enum class Manual { Off = 0, On = 1 };

// The caller at the table: runs the game on the caller's word, says what happens, keeps the
// options and saves the game after every change, so that a killed program loses nothing.
// Every change is announced by `changed`, after which the views show the new state.
class Caller : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxOwnerName = 60;
    inline static const QString kDefaultOwner = QStringLiteral("il tabellone");
    inline static const QString kTombolaBanner = QStringLiteral("TOMBOLA");
    inline static const QString kTombolinoBanner = QStringLiteral("TOMBOLINO");

    Caller(Voice &voice, SettingsStore &store, RandomSource &random, const Clock &clock);

    const Game &game() const { return game_; }
    // The last number announced in this game, shown large; none before the first.
    std::optional<int> shownNumber() const { return shown_; }
    // The numbers of the row that made the last prize, until the next check.
    const std::optional<QList<int>> &prizeMessage() const { return message_; }
    // The banner over the board: "TOMBOLA" once the game is over ("TOMBOLINO" when it was
    // played for), else the numbers of the prize just won on the owner's cartelle, else empty.
    QString bannerText() const;
    bool prizeLeftOut(int prize) const { return leftOut_[prize]; }
    Manual manual() const { return manual_; }
    const SpeechOptions &speech() const { return speech_; }
    const QString &ownerName() const { return owner_; }

    // "Estrai Numero": a number at random, unless numbers come from a real bag.
    void drawNumber();
    // A number clicked on the board: in manual mode taken from the bag (or given back).
    void clickNumber(int number);
    void startNewGame();
    void reloadSavedGame();
    void toggleCartella(int cartella);
    // A prize won elsewhere in the room.
    void declarePrizeWon(int prize);
    // A prize box changed from the keyboard: no word, no colour, the option not stored.
    void setPrizeBox(int prize, PrizeBox value);
    // A mouse released over a prize box: the choice is said, coloured and kept.
    void commitPrizeBox(int prize);
    void setManual(Manual value);
    void setScandito(Scandito value);
    void setSmorfia(Smorfia value);
    // A grey or ticked box is cleared, a clear one ticked.
    void toggleScandito();
    void toggleSmorfia();
    void setOwnerName(const QString &name);
    // Play on after the tombola for one more full cartella; remembered.
    void setTombolinoPlayed(bool played);
    void repeatLastNumber();
    // "Estratti 12: 45, 3, 78, …", in the order they came, ten numbers to a text.
    void speakDrawOrder();
    void speakSmorfiaLine();
    void dismissPrizeMessage();
    // Anything else the caller has to say, queued behind what is being said.
    void say(const QString &text) { announcer_.say(text); }
    // A mistaken draw: the last number back in the bag, with what it won; once per draw.
    bool withdrawLastNumber();

signals:
    void changed();
    // What the owner's cartelle made in a check, before the game is saved.
    void prizesChecked(const PrizeCheck &found);
    // A prize won elsewhere in the room and still to be won (the tombolino after the tombola).
    void prizeDeclared(int prize, bool tombolino);
    void newGameStarted();
    void numberWithdrawn(int number);

private:
    void checkPrizes();
    void saveGame();
    void loadOptions();

    Game game_;
    Announcer announcer_;
    SettingsStore &store_;
    RandomSource &random_;
    std::optional<int> shown_;
    std::optional<QList<int>> message_;
    std::array<bool, board::kPrizes> leftOut_{};
    Manual manual_ = Manual::Off;
    SpeechOptions speech_;
    QString owner_ = kDefaultOwner;
};
