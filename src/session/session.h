// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "caller/caller.h"
#include "evening/auto_caller.h"
#include "evening/evening.h"
#include "session/phone_link.h"
#include "session/remote_link.h"

#include <QObject>
#include <functional>
#include <optional>

class Clock;
class EveningStore;
class RandomSource;
class SettingsStore;
class Voice;

// One evening's game as it runs, without a widget: the caller, the evening with its store,
// automatic calling, the players' phones and the broker. The caller's window, the players'
// screen, the phones and the broker follow its parts' signals; the window only turns the
// user's actions into its calls.
class Session : public QObject {
    Q_OBJECT
public:
    // Without the evenings' database the evening lives in memory.
    Session(Voice &voice, SettingsStore &store, RandomSource &random, const Clock &clock,
        EveningStore *evenings = nullptr, QObject *parent = nullptr);

    Caller &caller() { return caller_; }
    const Caller &caller() const { return caller_; }
    Evening &evening() { return evening_; }
    const Evening &evening() const { return evening_; }
    AutoCaller &autoCaller() { return autoCaller_; }
    const AutoCaller &autoCaller() const { return autoCaller_; }
    PhoneLink &phones() { return phones_; }
    RemoteLink &remote() { return remote_; }
    // The evenings recorded before this one, when there is a database.
    EveningStore *evenings() const { return evenings_; }

    // The phones and the broker served, when stored on; the window calls it once it is on screen.
    void start();
    // A saved game with numbers out, unfinished and not ended by a new game: the last run was
    // killed. Its count of numbers out, to be offered back; nothing otherwise.
    std::optional<int> interruptedGame() const;
    // A new game or a reload. With phones' claims waiting, confirm(count) decides, with no
    // number coming meanwhile; the claims then end, each phone told why. False when refused.
    bool leaveGame(bool reload, const std::function<bool(int waiting)> &confirm);
    // The last number back in the bag once confirm(number) agrees, with no number coming meanwhile.
    void withdrawLastNumber(const std::function<bool(int number)> &confirm);

private:
    // Runs ask with automatic calling held.
    bool heldWhile(const std::function<bool()> &ask);

    SettingsStore &store_;
    EveningStore *evenings_;
    Caller caller_;
    Evening evening_;
    AutoCaller autoCaller_;
    PhoneLink phones_;
    RemoteLink remote_;
};
