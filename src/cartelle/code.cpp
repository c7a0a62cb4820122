// SPDX-License-Identifier: GPL-3.0-or-later
#include "cartelle/code.h"

#include "cartelle/serie.h"

#include <array>
#include <string_view>

namespace cartelle {
namespace {

    // Eleven letters, a prime count, that look like no digit and sound unlike each other
    // when spelled in Italian (a, ci, e, effe, acca, cappa, emme, erre, u, doppia vu, ics).
    constexpr std::u16string_view kCheckLetters = u"ACEFHKMRUWX";
    constexpr QChar kSeparator = u'-';

    // The digits weighted by their place from the right (cartella 1, serie's units 2, tens
    // 3, ...), modulo 11: a changed digit moves the sum by weight x difference and two
    // swapped neighbours by their difference, never a multiple of 11, so both are caught.
    QChar checkLetter(CartellaId id)
    {
        int sum = id.cartella;
        int weight = 2;
        for (int rest = id.serie; rest > 0; rest /= 10)
            sum += weight++ * (rest % 10);
        return QChar(kCheckLetters[sum % kCheckLetters.size()]);
    }

    // A whole number of 1 to `maxDigits` digits with no leading zero, or -1.
    int plainNumber(QStringView digits, int maxDigits)
    {
        if (digits.isEmpty() || digits.size() > maxDigits || digits.front() == u'0')
            return -1;
        int value = 0;
        for (QChar d : digits) {
            if (d < u'0' || d > u'9')
                return -1;
            value = value * 10 + (d.unicode() - u'0');
        }
        return value;
    }

} // namespace

QString cartellaName(CartellaId id) { return QString::number(id.serie) + kSeparator + QString::number(id.cartella); }

QString printedCode(CartellaId id) { return cartellaName(id) + kSeparator + checkLetter(id); }

std::optional<CartellaId> parseCode(QStringView text)
{
    // Without its blanks a code has at most nine characters, "99999-6-X".
    std::array<char16_t, 9> kept{};
    qsizetype length = 0;
    for (QChar c : text) {
        if (c.isSpace())
            continue;
        if (length == qsizetype(kept.size()))
            return std::nullopt;
        kept[length++] = c.toUpper().unicode();
    }
    const QStringView code(kept.data(), length);
    const qsizetype first = code.indexOf(kSeparator);
    const qsizetype second = code.indexOf(kSeparator, first + 1);
    if (first < 0 || second != length - 2) // the check letter follows the second separator
        return std::nullopt;
    const CartellaId id{plainNumber(code.first(first), 5), plainNumber(code.sliced(first + 1, second - first - 1), 1)};
    if (id.serie < kFirstSerie || id.cartella < 1 || id.cartella > kCartellePerSerie || code.back() != checkLetter(id))
        return std::nullopt;
    return id;
}

} // namespace cartelle
