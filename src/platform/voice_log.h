// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// Every text handed to the voice, logged at the moment `speak` is called (info level, off by
// default: QT_LOGGING_RULES="sorteggina.voice.info=true").
Q_DECLARE_LOGGING_CATEGORY(voiceLog)
// What kept texts from being spoken: drops, a missing or silent speech server (warning level).
Q_DECLARE_LOGGING_CATEGORY(speechLog)
