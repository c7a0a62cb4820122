// "Ricarica ultima" on any stored text: the board becomes exactly the saved game the text
// describes, or, when the text is damaged, nothing changes and the voice says so.
#include "fakes.h"
#include "game/game.h"
#include "game/saved_draw.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>

using namespace tabellone;

namespace {

void require(bool holds, const char *what, const QString &text)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz_saved_draw: %s\ninput: %s\n", what, qPrintable(text));
    std::abort();
}

// A game in progress, taken from the input so that every input starts from its own board.
GameState startingBoard(const uint8_t *data, size_t size)
{
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 16777619u;
    std::mt19937 rng(hash);
    GameState board;
    for (int &p : board.prize)
        p = int(rng() % 3);
    for (int k = 0; k < kCartelle; ++k)
        if (rng() % 2)
            board.toggleCartella(k);
    const unsigned density = rng() % 101;
    for (Cell &cell : board.cells)
        if (rng() % 100 < density) {
            cell.drawn = true;
            cell.owner = cell.inPlay && rng() % 8 != 0;
        }
    board.prizeRed = {rng() % 2 == 0, false, true, false, false};
    board.cartelleLocked = rng() % 2;
    board.messagePending = rng() % 2;
    board.UltimoNumero = 1 + int(rng() % 90);
    return board;
}

bool sameCells(const GameState &a, const GameState &b)
{
    for (int i = 0; i < kCells; ++i)
        if (a.cells[i].drawn != b.cells[i].drawn || a.cells[i].owner != b.cells[i].owner
            || a.cells[i].inPlay != b.cells[i].inPlay)
            return false;
    return true;
}

// Everything but the board's marks, prizes and cartelle: a reload never touches it.
bool sameRest(const GameState &a, const GameState &b)
{
    return a.prizeRed == b.prizeRed && a.cartelleLocked == b.cartelleLocked
        && a.messagePending == b.messagePending && a.messageText == b.messageText
        && a.manuale == b.manuale && a.scandito == b.scandito && a.smorfia == b.smorfia
        && a.nome == b.nome && a.UltimoNumero == b.UltimoNumero
        && a.lastNumberCaption == b.lastNumberCaption && a.smorfiaCaption == b.smorfiaCaption;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const GameState before = startingBoard(data, size);
    GameState state = before;
    FakeVoice voice;
    MemoryStore store;
    FakeRandom random;
    store.values[kSavedDrawKey] = text;
    Game game(state, voice, store, random);
    game.Command5_Click();

    require(store.values.size() == 1 && store.values[kSavedDrawKey] == text && store.writes == 0,
            "the reload wrote to the store", text);
    require(sameRest(state, before), "the reload changed more than the board", text);
    require(voice.spoken.size() == 1, "the reload did not say exactly one thing", text);

    const auto parsed = SavedDraw::parse(text);
    if (!parsed) {
        require(voice.spoken[0] == phrases::kNoSavedGame, "a damaged draw was not announced", text);
        require(state.prize == before.prize && state.cartellaInPlay == before.cartellaInPlay
                    && sameCells(state, before),
                "a damaged draw changed the board", text);
        return 0;
    }
    require(voice.spoken[0] == phrases::kReloaded, "a good draw was not announced", text);
    require(state.prize == parsed->prize, "prize boxes differ from the saved draw", text);
    require(state.cartellaInPlay == parsed->cartellaInPlay, "cartelle differ from the saved draw", text);
    std::array<bool, kCells> drawn{};
    for (int cell : parsed->drawnCells)
        drawn[size_t(cell)] = true;
    for (int i = 0; i < kCells; ++i) {
        const Cell &cell = state.cells[i];
        require(cell.inPlay == parsed->cartellaInPlay[cartellaOf(i)], "in-play mark differs", text);
        require(cell.drawn == drawn[i], "drawn mark differs from the saved draw", text);
        require(cell.owner == (drawn[i] && cell.inPlay), "owner mark differs", text);
    }
    // The board saves back to the same game (in board order, without leading zeros).
    const auto again = SavedDraw::parse(SavedDraw::of(state).text());
    require(again && again->prize == parsed->prize && again->cartellaInPlay == parsed->cartellaInPlay
                && again->drawnCells.size() == parsed->drawnCells.size(),
            "the reloaded board does not save back to the same game", text);
    return 0;
}
