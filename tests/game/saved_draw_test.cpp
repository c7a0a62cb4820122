#include "game_fixture.h"

#include <random>

// A board in mid-game: random prize boxes, excluded cartelle and drawn numbers.
static GameState randomBoard(std::mt19937 &rng)
{
    GameState board;
    for (int &p : board.prize)
        p = int(rng() % 3);
    for (int k = 0; k < tabellone::kCartelle; ++k)
        if (rng() % 2)
            board.toggleCartella(k);
    const unsigned density = rng() % 100;
    for (Cell &cell : board.cells)
        if (rng() % 100 < density)
            markDrawn(cell);
    return board;
}

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
        SCOPED_TRACE(text.toStdString());
        state = randomBoard(rng);
        state.UltimoNumero = 33;
        state.messagePending = true;
        for (int reload : {1, 2}) {
            game.Command5_Click();
            EXPECT_EQ(board(state), board(original)) << reload;
        }
        EXPECT_EQ(voice.takeSpoken(), QStringList(2, "Ultima estrazione, ricaricata!"));
        EXPECT_TRUE(state.UltimoNumero == 33 && state.messagePending);
        EXPECT_EQ(saved(), text);
    }
}

TEST_F(GameTest, DamagedOrMissingSavedDrawChangesNothing)
{
    const char *texts[] = {nullptr,  // never saved: the store answers its default
                           "", "0-0-0-0-0", "a-0-0-0-0-1-1-1-1-1-1-", "0-0-0-0-0-1-1-1-1-1-1-4-90-",
                           "0-0-0-0-0-1-1-1-1-1-1-4--1-", "0-0-0-0-0-1-1-1-1-1-1-4-41", "0-0-0-0-0-1-1-1-1-1-",
                           "0-0-0-0-0-1-1-2-1-1-1-4-", "0-0-0-0-3-1-1-1-1-1-1-4-"};
    std::mt19937 rng(5);
    const GameState before = randomBoard(rng);
    for (const char *text : texts) {
        SCOPED_TRACE(text ? text : "never saved");
        state = before;
        if (text)
            store.values["SalvaUlt"] = text;
        game.Command5_Click();
        EXPECT_EQ(board(state), board(before));
        EXPECT_EQ(voice.takeSpoken(), QStringList{"Non ci sono partite salvate!"});
    }
}

TEST_F(GameTest, NewGameClearsTheBoardKeepsExclusionAndLastNumberAndReloadBringsItBack)
{
    state.toggleCartella(3);
    clickManually({36, 1});
    const std::string played = board(state);
    state.prize[tabellone::kTombola] = 1;
    state.messagePending = true;
    state.lastNumberCaption = "1";
    state.smorfiaCaption = "L'Italia";
    voice.spoken.clear();

    game.Command1_Click();
    GameState fresh;
    fresh.toggleCartella(3);
    EXPECT_EQ(board(state), board(fresh));
    EXPECT_FALSE(state.messagePending || state.cartelleLocked);
    EXPECT_EQ(state.UltimoNumero, 1);
    EXPECT_EQ(state.lastNumberCaption + "|" + state.smorfiaCaption, "OV|La smorfia napoletana");
    EXPECT_EQ(settaggioCalls, 1);
    EXPECT_EQ(voice.takeSpoken(), QStringList{"Attenzione, si procede per una nuova partita."});
    game.Command5_Click();
    EXPECT_EQ(board(state), played);
    EXPECT_FALSE(state.cartelleLocked);
}
