// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/random_source.h"

#include <QRandomGenerator>

int SystemRandomSource::bounded(int bound) { return QRandomGenerator::global()->bounded(bound); }
