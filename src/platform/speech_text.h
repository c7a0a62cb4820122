// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Control characters shown as \xNN, so that no log line carries raw terminal codes.
QString escapedControls(const QString &text);

// The text as sent: a control character (a new line in an owner's name, say) becomes a
// space, so that nothing in a text can end SSIP's block of data early.
QByteArray spokenUtf8(QString text);

// The names in a reply to LIST SYNTHESIS_VOICES ("249-name\tlanguage\tvariant" lines) whose
// language is Italian.
QStringList italianVoices(const QString &reply);

// The id in a reply to HISTORY GET CLIENT_ID ("245-<id>\r\n245 OK..."), 0 when there is none.
size_t clientIdOf(const char *reply);
