// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/actions.h"
#include "input/keyboard_poll.h"
#include "input/typed_number.h"

#include <QObject>

class Caller;
class KeyState;

// The program's keyboard. Every key of the action table acts as its press arrives, once
// per press however long the key is held, in the caller's window and on the players'
// screen whatever has the focus; the poll acts on a press no window saw. A game key has no
// other effect on the focused control (in a text box the arrows also move the cursor).
// Keys typed in a dialog are the dialog's, except the menu's keys outside its text boxes and
// modal dialogs, and Enter and Escape while a phone's claim waits (in a text box, Escape only).
// In manual mode a number typed from the bag (digits, then Enter) is marked as a click on
// its cell would, a number not on the board refused; Escape clears what was typed, Backspace
// takes a digit back.
class CallerKeys : public QObject {
    Q_OBJECT
public:
    // Said and shown when Enter takes a number that is not on the board (95, 0): nothing is marked.
    inline static const QString kNotOnTheBoard = QStringLiteral("Numero %1 non valido: da 1 a 90");

    CallerKeys(const ActionTable &actions, Caller &caller, KeyState &keys, QObject *parent);

    KeyboardPoll &poll() { return poll_; }
    // Digits typed from the bag wait for Enter.
    bool typing() const { return !typed_.text().isEmpty(); }

signals:
    void typedChanged(const QString &typed);
    void typedRefused(const QString &why);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool typeFromTheBag(int key, bool fresh);
    void refuse(const QString &why);

    const ActionTable &actions_;
    Caller &caller_;
    KeyboardPoll poll_;
    TypedNumber typed_;
};
