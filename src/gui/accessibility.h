// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;
class QWidget;

// What a screen reader finds in the program: the windows as frames, the clickable labels
// as buttons whose first action is a press, each cell of a board as a check box ticked
// once its number is drawn (with its cartella, and whether that is left out, and a press
// that acts as a click), and the help page as text; Enter presses a dialog's focused button.
// Installed once, before any window.
void installAccessibility();

// Has a screen reader say `text` at once, as a notification in `window` while it is active;
// nothing without a screen reader.
void announce(QWidget *window, const QString &text);

// A tooltip's key marks said in words: "(v)" becomes "(tasto freccia giù)".
QString keysInWords(const QString &tip);
