// SPDX-License-Identifier: GPL-3.0-or-later
// A stored game, as any text (the main text, then a new line, then the order): either it is
// refused, or the game it describes is restored, and that game saved and restored again is
// the same board, in the same order, with every number out exactly once.
#include "game/game.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

static void require(bool holds, const char *what, const QString &text)
{
    if (!holds)
        std::fprintf(stderr, "fuzz_saved_game: %s\ninput: %s\n", what, qPrintable(text)), std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype newline = input.indexOf(QLatin1Char('\n'));
    const auto saved = SavedGame::parse(input.left(newline), newline < 0 ? QString() : input.mid(newline + 1));
    if (!saved)
        return 0;
    Game game;
    game.toggleCartella(int(size % board::kCartelle));
    game.restore(*saved);
    require(game.drawnCount() == saved->order.size(), "a number restored twice or lost", input);
    for (int k = 0; k < board::kCartelle; ++k)
        require(game.cartellaInPlay(k) == saved->cartellaInPlay[k], "a cartella not as saved", input);
    const SavedGame again = game.saved();
    Game second;
    second.restore(*SavedGame::parse(again.text(), again.orderText()));
    require(second.drawOrder() == game.drawOrder(), "the order changed through a save", input);
    for (int i = 0; i < board::kCells; ++i)
        require(second.cell(i).drawn == game.cell(i).drawn && second.cell(i).owned == game.cell(i).owned,
            "a cell changed through a save", input);
    return 0;
}
