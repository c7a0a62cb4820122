// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/caller_keys.h"

#include "caller/caller.h"
#include "platform/key_state_filter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QWidget>
#include <chrono>

Q_LOGGING_CATEGORY(keysLog, "sorteggina.keys", QtWarningMsg)

CallerKeys::CallerKeys(const ActionTable &actions, Caller &caller, KeyState &keys, QObject *parent)
    : QObject(parent), actions_(actions), caller_(caller), poll_(keys)
{
    for (const Action &action : actions_)
        if (action.gameKey)
            poll_.setAction(virtualKeyOf(action.key[0].key()), action.run);
    // After the key state's filter, so that this one sees each key first.
    qApp->installEventFilter(this);
}

bool CallerKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    // For the bench: the X server's moment of a press (ms) beside the moment its window gets it.
    if (event->type() == QEvent::KeyPress && watched->isWindowType())
        qCDebug(keysLog, "press %llu at %.6f",
            static_cast<unsigned long long>(static_cast<QKeyEvent *>(event)->timestamp()),
            std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count());
    // A key reaches its window first, where the key state counts it, then the focused control.
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool press = event->type() == QEvent::KeyPress;
    const int code = virtualKeyOf(key->key());
    // Whatever this delivery does not act on, the poll must not act on later either.
    const int presses = press ? poll_.take(code) : 0;
    const bool inText = widget->testAttribute(Qt::WA_InputMethodEnabled);
    const bool gameWindow = widget->window()->windowType() == Qt::Window;
    const Action *action = actionOfKey(actions_, *key);
    // A phone's claim waiting is answered in any window, modal dialogs too, before the dialog
    // sees the key; in a text box Escape still answers it, Enter is the box's.
    const bool answer = action && (action->id == ActionId::ConfirmClaim || action->id == ActionId::RefuseClaim);
    // A key that acts only at times (Space, Enter, Escape) is the text box's while typing.
    if (action && action->available && inText && !(answer && key->key() == Qt::Key_Escape))
        action = nullptr;
    if (action && action->gameKey && gameWindow) {
        for (int i = 0; i < presses; ++i)
            action->run();
        const bool arrow = key->key() >= Qt::Key_Left && key->key() <= Qt::Key_Down;
        return !(inText && arrow);
    }
    if (action && !action->gameKey && (gameWindow || answer || (!inText && !QApplication::activeModalWidget()))) {
        if (presses > 0)
            action->run();
        return true;
    }
    if (!press || !gameWindow || inText || caller_.manual() == Manual::Off)
        return false;
    return typeFromTheBag(key->key(), presses > 0);
}

void CallerKeys::refuse(const QString &why)
{
    caller_.say(why);
    emit typedRefused(why);
}

bool CallerKeys::typeFromTheBag(int key, bool fresh)
{
    const bool digit = key >= Qt::Key_0 && key <= Qt::Key_9;
    const bool editing =
        key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape || key == Qt::Key_Backspace;
    if (!digit && !(editing && !typed_.text().isEmpty()))
        return false;
    // A held key types once; its repeats go nowhere else either.
    if (!fresh)
        return true;
    if (digit)
        typed_.type(key - Qt::Key_0);
    else if (key == Qt::Key_Escape)
        typed_.clear();
    else if (key == Qt::Key_Backspace)
        typed_.erase();
    else if (const QString typed = typed_.text(); const auto number = typed_.take())
        caller_.clickNumber(*number);
    else
        refuse(kNotOnTheBoard.arg(typed));
    emit typedChanged(typed_.text());
    return true;
}
