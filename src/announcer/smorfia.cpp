// SPDX-License-Identifier: GPL-3.0-or-later
#include "announcer/smorfia.h"

#include <QStringList>

namespace {

// The table is kept as eight pieces joined and split at ": "; the double blank
// before 'o spitale is part of its entry.
const char *const kPieces[] = {
    "L'Italia: 'a criatura: 'a Jatta: 'o puorco: 'a mano: chella che guarda 'nterra: "
    "'a scuppetta: 'a Maronna: 'a figliata: 'o ciuccio llà mmiezo: 'o suricillo",
    ": 'e surdate: Sant' Antuonno: 'o mbriaco: 'o guaglione: 'o culo: 'a disgrazia: "
    "'o sanghe: 'a resata: 'a festa: 'a femmena annura: 'o pazzo: 'o scemo: 'e gguardie",
    ": Natale: Nanninella: 'o cantero: 'e zizze: 'o pate d'e criature: 'e palle d'o tenente: "
    "'o padrone 'e casa: 'o capitòne: l'anni 'e Cristo: 'a capa: L'aucielluzzo: 'e castagnelle",
    ": 'o monaco: 'e mazzate: 'a ffuna nganna: 'a paposcia: 'o curtiello: 'o cafè: "
    "'a femmena 'ncopp 'o balcone: 'e cancelle: 'o vino: 'e denare: 'o muorto: "
    "'o muorto che parla: 'o piezzo 'e carne",
    ": 'o pane: 'o ciardino: 'a mamma: 'o viecchio: 'o cappiello: 'a mmùseca: 'a caruta: "
    "'o scartellato: 'o paccotto: 'e pile: se lamenta: 'o cacciatore: 'o muorto acciso: 'a sposa",
    ": 'a sciammeria: 'o chianto: 'e ddoie zetelle: 'o tòtano int'a chitarra: 'a zuppa cotta: "
    "sott'e ncoppo: 'o palazzo: l'ommo 'e merda: 'a meraviglia:  'o spitale: 'a rotta",
    ": Pullecenella: 'a funtana: 'e diàule: 'a bella figliola: 'o mariuolo: 'a vocca: "
    "'e sciure: 'a tavula 'mbandita: 'o maletiempo: 'a chiesa: Ll'anime 'o priatorio",
    ": 'a puteca: 'e perrucchie: 'e casecavalle: 'a vecchia: 'a paura",
};

} // namespace

QString smorfiaOf(int number)
{
    static const QStringList table = [] {
        QString joined;
        for (const char *piece : kPieces)
            joined += QString::fromUtf8(piece);
        return joined.split(QStringLiteral(": "));
    }();
    return table.value(number - 1);
}
