#include "game_fixture.h"

#include <random>

namespace {

// A board in mid-game: random prize boxes, excluded cartelle and drawn numbers.
GameState randomBoard(std::mt19937 &rng)
{
    GameState board;
    std::uniform_int_distribution<int> value(0, 2), coin(0, 1), percent(0, 99);
    for (int &p : board.prize)
        p = value(rng);
    for (int k = 0; k < tabellone::kCartelle; ++k)
        if (coin(rng))
            board.toggleCartella(k);
    const int density = percent(rng);
    for (Cell &cell : board.cells)
        if (percent(rng) < density) {
            cell.drawn = true;
            cell.owner = cell.inPlay;
        }
    return board;
}

void expectSameBoard(const GameState &actual, const GameState &expected, const std::string &what)
{
    EXPECT_EQ(actual.prize, expected.prize) << what;
    EXPECT_EQ(actual.cartellaInPlay, expected.cartellaInPlay) << what;
    for (int i = 0; i < tabellone::kCells; ++i) {
        const Cell &a = actual.cells[i], &e = expected.cells[i];
        EXPECT_TRUE(a.drawn == e.drawn && a.owner == e.owner && a.inPlay == e.inPlay) << what << " cell " << i;
    }
}

} // namespace

TEST_F(GameTest, SaveWritesPrizesCartelleAndDrawnCells)
{
    clickManually({5, 42});
    EXPECT_EQ(saved(), "0-0-0-0-0-1-1-1-1-1-1-4-41-");

    state = GameState{};
    state.prize = {1, 0, 2, 0, 0};
    state.toggleCartella(2);
    clickManually({90, 1});
    EXPECT_EQ(saved(), "1-0-2-0-0-1-1-0-1-1-1-0-89-");
}

TEST_F(GameTest, ReloadBringsBackRandomBoardsWhateverTheBoardBefore)
{
    std::mt19937 rng(90);
    for (int trial = 0; trial < 40; ++trial) {
        const GameState original = randomBoard(rng);
        state = original;
        game.SalvaUltimo();
        const QString text = saved();

        state = randomBoard(rng);
        state.UltimoNumero = 33;
        state.messagePending = true;
        voice.spoken.clear();
        game.Command5_Click();

        const std::string what = "trial " + std::to_string(trial) + " " + text.toStdString();
        expectSameBoard(state, original, what);
        EXPECT_EQ(voice.spoken, QStringList{"Ultima estrazione, ricaricata!"}) << what;
        EXPECT_EQ(state.UltimoNumero, 33) << what;
        EXPECT_TRUE(state.messagePending) << what;
        EXPECT_EQ(store.values.value("SalvaUlt"), text) << what;
    }
}

TEST_F(GameTest, DamagedSavedDrawChangesNothing)
{
    const char *texts[] = {
        "",
        "0-0-0-0-0",
        "a-0-0-0-0-1-1-1-1-1-1-",
        "0-0-0-0-0-1-1-1-1-1-1-4-90-",
        "0-0-0-0-0-1-1-1-1-1-1-4--1-",
        "0-0-0-0-0-1-1-1-1-1-1-4-41",
        "0-0-0-0-0-1-1-1-1-1-",
        "0-0-0-0-0-1-1-2-1-1-1-4-",
        "0-0-0-0-3-1-1-1-1-1-1-4-",
    };
    std::mt19937 rng(5);
    const GameState before = randomBoard(rng);
    for (const char *text : texts) {
        state = before;
        store.values["SalvaUlt"] = QString::fromLatin1(text);
        voice.spoken.clear();
        game.Command5_Click();
        expectSameBoard(state, before, text);
        EXPECT_EQ(voice.spoken, QStringList{"Non ci sono partite salvate!"}) << text;
        EXPECT_FALSE(SavedDraw::parse(QString::fromLatin1(text)).has_value()) << text;
    }

    store.values.clear();  // never saved: the store answers its default
    state = before;
    voice.spoken.clear();
    game.Command5_Click();
    expectSameBoard(state, before, "no saved game");
    EXPECT_EQ(voice.spoken, QStringList{"Non ci sono partite salvate!"});
}

TEST_F(GameTest, ReloadTwiceGivesTheSameBoard)
{
    store.values["SalvaUlt"] = QStringLiteral("1-0-0-0-0-1-1-0-1-1-1-4-41-");
    game.Command5_Click();
    const GameState once = state;
    EXPECT_TRUE(state.cells[4].owner);
    EXPECT_TRUE(state.cells[41].drawn);
    EXPECT_FALSE(state.cells[41].owner);

    game.Command5_Click();
    expectSameBoard(state, once, "second reload");
    EXPECT_EQ(voice.spoken, QStringList({"Ultima estrazione, ricaricata!", "Ultima estrazione, ricaricata!"}));
}

TEST_F(GameTest, NewGameThenReloadBringsBackTheAbandonedGame)
{
    state.toggleCartella(2);  // "Cartella 3", numbers 31-35, 41-45, 51-55
    clickManually({5, 42, 11, 12, 43});
    EXPECT_EQ(state.prize[0], 1);
    const GameState played = state;

    game.Command1_Click();
    EXPECT_EQ(state.drawnCount(), 0);
    EXPECT_EQ(state.prize[0], 0);
    EXPECT_FALSE(state.cartellaInPlay[2]);

    game.Command5_Click();
    expectSameBoard(state, played, "reloaded");
    EXPECT_FALSE(state.cells[41].owner);
    EXPECT_FALSE(state.cartelleLocked);
    EXPECT_EQ(voice.spoken.last(), "Ultima estrazione, ricaricata!");
}

TEST_F(GameTest, NewGameClearsTheBoardAndKeepsExclusionAndLastNumber)
{
    state.toggleCartella(3);
    clickManually({36, 37});  // excluded: drawn, not owned
    clickManually({1, 2});
    state.prize[tabellone::kTombola] = 1;
    state.lastNumberCaption = "2";
    state.smorfiaCaption = "'a criatura";
    ASSERT_TRUE(state.messagePending);
    const int writes = store.writes;
    voice.spoken.clear();

    game.Command1_Click();
    for (const Cell &cell : state.cells)
        EXPECT_FALSE(cell.drawn || cell.owner);
    EXPECT_EQ(state.prize, (Prizes{0, 0, 0, 0, 0}));
    EXPECT_FALSE(state.messagePending);
    EXPECT_FALSE(state.cartelleLocked);
    EXPECT_FALSE(state.cartellaInPlay[3]);
    EXPECT_FALSE(state.cells[35].inPlay);
    EXPECT_EQ(state.UltimoNumero, 2);
    EXPECT_EQ(state.lastNumberCaption, "OV");
    EXPECT_EQ(state.smorfiaCaption, "La smorfia napoletana");
    EXPECT_EQ(settaggioCalls, 1);
    EXPECT_EQ(voice.spoken, QStringList{"Attenzione, si procede per una nuova partita."});
    EXPECT_EQ(store.writes, writes);
}
