// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/key_state_filter.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>

int virtualKeyOf(int qtKey)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 65 + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return 48 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Clear: return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Print: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Meta: return 91;
    case Qt::Key_Menu: return 93;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    default: return 0;
    }
}

KeyStateFilter::KeyStateFilter(QObject *parent)
    : QObject(parent), active_(QGuiApplication::applicationState() == Qt::ApplicationActive)
{
}

KeyState::Reading KeyStateFilter::read(int code) { return {presses_.take(code), down_.contains(code)}; }

void KeyStateFilter::feed(int code, bool down)
{
    if (code == 0)
        return;
    if (!down) {
        down_.remove(code);
    } else if (active_ && !down_.contains(code)) {
        down_.insert(code);
        ++presses_[code];
    }
}

void KeyStateFilter::releaseAll()
{
    down_.clear();
    presses_.clear();
    codeOfScanCode_.clear();
}

void KeyStateFilter::setActive(bool active)
{
    active_ = active;
    if (!active)
        releaseAll();
}

bool KeyStateFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto *keyEvent = static_cast<QKeyEvent *>(event);
        if (keyEvent->isAutoRepeat() || !watched->isWindowType())
            break;
        const bool down = event->type() == QEvent::KeyPress;
        // A press given to one of the program's windows shows that the program has the keyboard,
        // even when none of its windows is active: a question closed with no window manager
        // leaves the focus to the window under the pointer.
        if (down)
            active_ = true;
        const quint32 scanCode = keyEvent->nativeScanCode();
        const int code = virtualKeyOf(keyEvent->key());
        // A repeat the platform did not flag: the key's release and press at the same moment.
        // A key event sent again after a screen reader has seen it has no moment (0): every
        // one of them would look the same, so only the platform's flag tells its repeats.
        const std::pair<int, quint64> moment{code, keyEvent->timestamp()};
        const bool repeat = down && code != 0 && active_ && moment.second != 0 && moment == lastRelease_;
        lastRelease_ = down ? std::pair<int, quint64>{} : moment;
        if (repeat) {
            down_.insert(code);
        } else if (down) {
            feed(code, true);
            if (scanCode != 0 && code != 0 && active_)
                codeOfScanCode_.insert(scanCode, code);
        } else {
            feed(code, false);
            if (scanCode != 0)
                feed(codeOfScanCode_.take(scanCode), false);
        }
        break;
    }
    case QEvent::ApplicationStateChange:
        setActive(static_cast<QApplicationStateChangeEvent *>(event)->applicationState() == Qt::ApplicationActive);
        break;
    case QEvent::ApplicationDeactivate: setActive(false); break;
    default: break;
    }
    return false;
}
