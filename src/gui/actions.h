// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <functional>
#include <utility>

class QKeyEvent;

enum class ActionId {
    Voice,
    Hall,
    DrawnNumbers,
    CheckClaim,
    PrintCartelle,
    Tombolino,
    Help,
    Quit,
    SwitchSmorfia,
    RepeatLastNumber,
    SwitchScandito,
    DrawNumber,
    DeclarePrize,
    NewGame,
    Phones,
    ConfirmClaim,
    RefuseClaim,
    AutoCall,
    PauseAutoCall,
    Winners,
    WithdrawLastNumber,
};

// One thing the caller can ask by a key or from the "Altro" menu. A game key acts once per
// press whatever has the focus and never also on the focused control; the other keys act
// in the program's windows, not while typing in a dialog's text box.
struct Action {
    ActionId id;
    QString caption; // the "Altro" menu's item, its key named in it
    QKeySequence key;
    bool gameKey = false;
    bool inMenu = false;
    std::function<void()> run;
    // For an item with a tick: whether it is ticked now.
    std::function<bool()> checked = {};
    // For a key that acts only at times (Space while automatic calling is on, Enter and Escape
    // while a claim waits): whether it acts now; otherwise, and in a text box, the key is the
    // focused control's.
    std::function<bool()> available = {};
};
using ActionTable = QList<Action>;

// The action of a key press, if any: a game key whatever the modifiers held with it.
const Action *actionOfKey(const ActionTable &table, const QKeyEvent &event);
// Each menu item's caption and the text of its key, for the help page.
QList<std::pair<QString, QString>> menuKeyTexts(const ActionTable &table);
