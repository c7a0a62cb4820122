// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QWidget;

// Runs `then` once the widget's first paint is done and on screen: for what the first
// picture does not need, so that it does not make the window later.
void afterFirstPaint(QWidget *widget, std::function<void()> then);
