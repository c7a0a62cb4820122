#pragma once

#include <QStringList>

// The Neapolitan smorfia: the meaning of number n at index n - 1, 90 entries.
QStringList CaricaSmorfia();
