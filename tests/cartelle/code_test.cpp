// SPDX-License-Identifier: GPL-3.0-or-later
#include "cartelle/code.h"
#include "cartelle/serie.h"

#include <gtest/gtest.h>

using namespace cartelle;

// Every code of series 1 to 1000 and 99000 to 99999 reads back, and every code one
// misread character or one swap of neighbours away is refused.
TEST(Code, AMisreadOrSwappedCharacterIsRefused)
{
    const QString misreadings = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-.");
    for (int serie : {1, 99000})
        for (int k = serie; k < serie + 1000; ++k)
            for (int i = 1; i <= kCartellePerSerie; ++i) {
                const CartellaId id{k, i};
                const QString code = printedCode(id);
                ASSERT_EQ(parseCode(code), id) << code.toStdString();
                QString misread = code;
                for (int at = 0; at < code.size(); ++at) {
                    for (QChar wrong : misreadings) {
                        misread[at] = wrong;
                        if (wrong != code[at]) {
                            ASSERT_EQ(parseCode(misread), std::nullopt) << misread.toStdString();
                        }
                    }
                    misread[at] = code[at];
                    if (at + 1 < code.size() && code[at] != code[at + 1]) {
                        std::swap(misread[at], misread[at + 1]);
                        ASSERT_EQ(parseCode(misread), std::nullopt) << misread.toStdString();
                        std::swap(misread[at], misread[at + 1]);
                    }
                }
            }
}

TEST(Code, ReadsWhatTheCallerTypes)
{
    const struct {
        const char *name, *typed;
        std::optional<CartellaId> read;
    } cases[] = {
        {"as printed", "42-3-U", CartellaId{42, 3}},
        {"lower case and blanks", "  42 - 3 -u ", CartellaId{42, 3}},
        {"five digits", "99999-6-x", CartellaId{99999, 6}},
        {"without the check letter", "42-3", std::nullopt},
        {"a leading zero", "042-3-U", std::nullopt},
        {"serie zero", "0-1-E", std::nullopt},
        {"six digits", "100000-1-A", std::nullopt},
        {"cartella seven", "42-7-W", std::nullopt},
        {"something after", "42-3-U-1", std::nullopt},
        {"a blank inside a number does not separate", "4 2 3-U", std::nullopt},
        {"empty", "", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(parseCode(QString::fromUtf8(c.typed)), c.read) << c.name;
    EXPECT_EQ(cartellaName({42, 3}), "42-3");
}
