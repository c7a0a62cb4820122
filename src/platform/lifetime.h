// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWindow;

// How the program ends besides its window being closed: a session that ends it with SIGTERM,
// SIGHUP or SIGINT, and a window destroyed from outside (a window manager's kill). Either
// way the event loop ends as a close would end it; the game is saved after every change.
void quitOnTerminationSignals();
void quitWhenWindowDestroyed(QWindow *window);
