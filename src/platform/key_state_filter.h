// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/key_state.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <utility>

// The platform's virtual-key code of a Qt key (Qt::Key), or 0 for a key without one.
int virtualKeyOf(int qtKey);

// The key state answered from the program's own key events. Installed on the application
// (qApp->installEventFilter), it sees every key press and release whichever widget has the
// focus, and never consumes one. A key event passes the filter once for every object it is
// delivered to, and always first to its window: only that delivery is counted. A press
// counts only when its key was up, so a held key counts once however its repeats arrive
// (flagged, as presses alone, or as a release and a press at the same moment; events a
// screen reader sends again carry no moment, so there the flag alone tells a repeat).
// Keys count only while the program has the keyboard (it is active, or a press reached one
// of its windows): losing activation releases every key and forgets the presses not yet read.
class KeyStateFilter : public QObject, public KeyState {
    Q_OBJECT
public:
    explicit KeyStateFilter(QObject *parent = nullptr);

    Reading read(int code) override;
    // A press (down) or release of a virtual-key code, as a key event would give it.
    void feed(int code, bool down);
    // Every key up, no press pending.
    void releaseAll();
    bool applicationActive() const { return active_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setActive(bool active);

    bool active_;
    QSet<int> down_;
    QHash<int, int> presses_;
    std::pair<int, quint64> lastRelease_;
    // The code each physical key was pressed as, so that its release finds it even when a
    // modifier changed the key in between (Shift+1 released as "!").
    QHash<quint32, int> codeOfScanCode_;
};
