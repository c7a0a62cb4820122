#include "game_fixture.h"

#include <set>

using namespace tabellone;

TEST(Tabellone, CellsCartelleAndRowsOfFive)
{
    EXPECT_EQ(std::tuple(cartellaOf(41), cartellaOf(42), cartellaOf(89), rowOfFiveOf(89)), std::tuple(2, 2, 5, 17));
    std::set<int> covered;
    for (int k = 0; k < kCartelle; ++k)
        for (int cell : cellsOfCartella(k)) {
            EXPECT_TRUE(cartellaOf(cell) == k && cartellaOfRowOfFive(rowOfFiveOf(cell)) == k) << cell;
            covered.insert(cell);
        }
    EXPECT_TRUE(covered.size() == 90 && *covered.begin() == 0 && *covered.rbegin() == 89);
}

// With every cartella excluded no tombola stops the drawing, so the board fills up.
TEST_F(GameTest, NinetyDrawsFillTheBoardAndTheNextDrawsNothing)
{
    for (int k = 0; k < kCartelle; ++k)
        state.toggleCartella(k);
    for (int press = 0; press < 91; ++press)
        game.Command2_Click();
    EXPECT_EQ(std::set<int>(announced.begin(), announced.end()).size(), 90u);
    EXPECT_EQ(announced.size(), 90);
    EXPECT_EQ(*state.UltimoNumero, announced.last());
    EXPECT_TRUE(voice.spoken.isEmpty());
    EXPECT_EQ(std::pair(store.writes, helpHidden), std::pair(91, 91));
}

// Chi-square over the numbers still out, against its value at p = 0.001.
TEST_F(GameTest, DrawIsUniformOverTheNumbersNotYetOut)
{
    for (const auto &[out, draws, limit] : {std::tuple{0, 90000, 136.0}, {45, 45000, 78.8}}) {
        std::array<int, 91> counts{};
        for (int d = 0; d < draws; ++d) {
            state = GameState{};
            for (int i = 0; i < out; ++i)
                state.cells[i].drawn = true;
            game.Command2_Click();
            ASSERT_TRUE(*state.UltimoNumero > out && state.cells[*state.UltimoNumero - 1].owner);
            ++counts[*state.UltimoNumero];
        }
        const double expected = double(draws) / (90 - out);
        double chiSquare = 0;
        for (int n = out + 1; n <= 90; ++n)
            chiSquare += (counts[n] - expected) * (counts[n] - expected) / expected;
        EXPECT_LT(chiSquare, limit) << out;
    }
}

TEST_F(GameTest, ManualClickMarksAndWithdrawsOnlyOwnedNumbers)
{
    clickManually({17});
    EXPECT_TRUE(state.cells[16].drawn && state.cells[16].owner);
    clickManually({17});
    EXPECT_FALSE(state.cells[16].drawn || state.cells[16].owner);
    EXPECT_EQ(voice.takeSpoken(), QStringList{"Numero 17"});

    // Excluded: never owned, so every click marks and announces it again.
    state.toggleCartella(cartellaOf(16));
    clickManually({17, 17});
    EXPECT_EQ(announced, (QList<int>{17, 17, 17}));
    EXPECT_TRUE(state.cells[16].drawn && !state.cells[16].owner);
    EXPECT_TRUE(voice.spoken.isEmpty());
}

TEST_F(GameTest, ModeAndTombolaDecideWhatIsMarkedAndTheCheckAlwaysRuns)
{
    for (const auto &[manuale, tombola, clickMarks, pressDraws] :
         {std::tuple{0, 0, false, true}, {1, 1, false, false}, {0, 1, false, false}, {1, 0, true, false}}) {
        SCOPED_TRACE(testing::Message() << "manuale " << manuale << " tombola " << tombola);
        state = GameState{};
        state.manuale = manuale;
        state.prize[kTombola] = tombola;
        game.Label1_Click(41);
        EXPECT_TRUE(*state.UltimoNumero == 42 && state.cartelleLocked);
        EXPECT_EQ(state.cells[41].drawn, clickMarks);
        state.cartelleLocked = false;
        game.Command2_Click();
        EXPECT_TRUE(state.cartelleLocked);
        EXPECT_EQ(state.drawnCount(), clickMarks + pressDraws);
        EXPECT_EQ(*state.UltimoNumero, pressDraws ? announced.last() : 42);
    }
    EXPECT_EQ(helpHidden, 4);
}
