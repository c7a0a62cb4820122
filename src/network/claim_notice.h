// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cartelle/code.h"

#include <QString>
#include <array>

namespace network {

// What the caller's window shows and the voice reads for a claim from a phone:
// "Ambo chiamato da NOME, cartella 42-3: valido", or "...: non valido: manca il 12".
QString claimNotice(int prize, const QString &name, cartelle::CartellaId cartella, const std::array<bool, 90> &drawn);

namespace notice_texts {
    // Ambo and terno are masculine, the other prizes feminine.
    inline const std::array<QString, 2> kCalledBy{
        QStringLiteral("%1 chiamato da %2, cartella %3: "), QStringLiteral("%1 chiamata da %2, cartella %3: ")};
    inline const std::array<QString, 2> kValid{QStringLiteral("valido"), QStringLiteral("valida")};
    inline const std::array<QString, 2> kNotValid{QStringLiteral("non valido: "), QStringLiteral("non valida: ")};
    inline const QString kMissingOne = QStringLiteral("manca %1");
    inline const QString kMissingSome = QStringLiteral("mancano %1");
    inline const QString kAnd = QStringLiteral(" e ");
    inline const QString kNumbers = QStringLiteral("%1 numeri");
    inline const QString kOneNumber = QStringLiteral("un numero");
    inline const QString kThe = QStringLiteral("il %1");
    inline const QString kTheElided = QStringLiteral("l'%1");
} // namespace notice_texts

} // namespace network
