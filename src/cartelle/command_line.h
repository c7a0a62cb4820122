// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace cartelle {

// What the command line asks for, read before Qt starts: answering --help needs no display.
struct CommandLine {
    enum class Action { OpenWindow, PrintCartelle, ListEvenings, WriteStandings, ShowHelp, ShowVersion, Refuse };
    Action action = Action::OpenWindow;
    QString range; // "FROM-TO", to print
    QString pdf;
    QString problem; // why it is refused
    QDate from, to; // the standings' period, either invalid for no bound
    QString csv;
};

// The arguments after the program's name. Qt's own options (-platform xcb, -style=fusion...)
// are left to the window.
CommandLine readCommandLine(const QStringList &arguments);

// Answers --help, --version and a refusal on standard output or error: 0, or 2 when refused.
int answerCommandLine(const CommandLine &command);

// Writes the PDF asked for: 0 with a summary on standard output, or 2 with the reason on
// standard error. Needs a QGuiApplication (fonts), no window.
int printCartelle(const CommandLine &command);

} // namespace cartelle
