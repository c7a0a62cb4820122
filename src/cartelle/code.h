// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace cartelle {

// One printed cartella: serie 1 to 99999, cartella 1 to 6 within it.
struct CartellaId {
    int serie = 0;
    int cartella = 0;
    friend bool operator==(const CartellaId &, const CartellaId &) = default;
};

// The name spoken and shown, "42-3".
QString cartellaName(CartellaId id);
// The code printed on the cartella, "42-3-K": the name and a check letter.
QString printedCode(CartellaId id);
// Reads a code typed by the caller, whatever its case and blanks. Refuses anything that
// is not exactly a printed code, so a digit misread or two digits swapped never names
// another cartella.
std::optional<CartellaId> parseCode(QStringView text);

} // namespace cartelle
