// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace cartelle {

// `sorteggina --cartelle FROM-TO --pdf FILE.pdf`, with the program's name first: writes
// the PDF and returns 0 with a summary on standard output, or returns 2 with the reason
// on standard error. Needs a QGuiApplication (fonts), no window.
int runCartelleCommandLine(const QStringList &arguments);

} // namespace cartelle
