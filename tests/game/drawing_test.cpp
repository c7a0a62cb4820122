#include "game_fixture.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <set>

using namespace tabellone;

TEST(Tabellone, CellsCartelleAndRowsOfFive)
{
    EXPECT_EQ(cartellaOf(41), 2);  // number 42
    EXPECT_EQ(cartellaOf(42), 2);
    EXPECT_EQ(cartellaOf(89), 5);
    EXPECT_EQ(rowOfFiveOf(89), 17);
    EXPECT_EQ(cartellaOfRowOfFive(17), 5);
    const auto last = cellsOfCartella(5);
    EXPECT_NE(std::find(last.begin(), last.end(), 89), last.end());

    std::set<int> covered;
    for (int k = 0; k < kCartelle; ++k) {
        EXPECT_EQ(cellsOfCartella(k).front(), kFirstCells[k]);
        for (int cell : cellsOfCartella(k)) {
            EXPECT_EQ(cartellaOf(cell), k) << cell;
            EXPECT_EQ(cartellaOfRowOfFive(rowOfFiveOf(cell)), k) << cell;
            covered.insert(cell);
        }
    }
    EXPECT_EQ(covered.size(), 90u);
    EXPECT_EQ(*covered.begin(), 0);
    EXPECT_EQ(*covered.rbegin(), 89);
}

TEST_F(GameTest, FreshGameHasNothingDrawnAndEveryCartellaInPlay)
{
    for (const Cell &cell : state.cells)
        EXPECT_TRUE(!cell.drawn && !cell.owner && cell.inPlay);
    EXPECT_EQ(state.cartellaInPlay, (std::array<bool, 6>{true, true, true, true, true, true}));
    EXPECT_FALSE(state.cartelleLocked || state.UltimoNumero.has_value());
    EXPECT_EQ(state.lastNumberCaption + "|" + state.smorfiaCaption + "|" + state.nome,
              "OV|La smorfia napoletana|il tabellone");
}

// With every cartella excluded no tombola stops the drawing, so the board fills up.
TEST_F(GameTest, NinetyPressesDrawEveryNumberOnceAndTheNextDrawsNothing)
{
    for (int k = 0; k < kCartelle; ++k)
        state.toggleCartella(k);
    for (int press = 0; press < 90; ++press)
        game.Command2_Click();
    EXPECT_EQ(std::set<int>(announced.begin(), announced.end()).size(), 90u);
    EXPECT_EQ(announced.size(), 90);
    EXPECT_EQ(state.drawnCount(), 90);
    EXPECT_EQ(*state.UltimoNumero, announced.last());

    state.cartelleLocked = false;
    state.messagePending = true;
    const int writes = store.writes;
    game.Command2_Click();
    EXPECT_EQ(announced.size(), 90);
    EXPECT_EQ(*state.UltimoNumero, announced.last());
    EXPECT_TRUE(voice.spoken.isEmpty());
    EXPECT_EQ(helpHidden, 91);
    // The prize check still ran: lock, message cleared, saved.
    EXPECT_TRUE(state.cartelleLocked);
    EXPECT_FALSE(state.messagePending);
    EXPECT_EQ(store.writes, writes + 1);
}

// Chi-square over the numbers still out; thresholds at p = 0.001.
static double chiSquare(const std::map<int, int> &counts, int outcomes, int draws)
{
    const double expected = double(draws) / outcomes;
    double sum = 0;
    for (const auto &[number, count] : counts)
        sum += (count - expected) * (count - expected) / expected;
    return sum + (outcomes - int(counts.size())) * expected;
}

TEST_F(GameTest, DrawIsUniformOverTheNumbersNotYetOut)
{
    struct Case {
        int alreadyOut;  // numbers 1..alreadyOut drawn (none of them owned)
        int draws;
        double threshold;
    };
    for (const Case &c : {Case{0, 90000, 136.0}, Case{45, 45000, 78.8}}) {
        GameState start;
        for (int i = 0; i < c.alreadyOut; ++i)
            start.cells[i].drawn = true;
        std::map<int, int> counts;
        for (int d = 0; d < c.draws; ++d) {
            state = start;
            game.Command2_Click();
            ASSERT_GT(*state.UltimoNumero, c.alreadyOut);
            ++counts[*state.UltimoNumero];
        }
        EXPECT_LT(chiSquare(counts, 90 - c.alreadyOut, c.draws), c.threshold) << c.alreadyOut;
    }
}

TEST_F(GameTest, DrawPicksAmongTheNumbersNotOutFromFirstToLast)
{
    struct Case {
        std::vector<int> out;
        int pick;  // what the random source answers
        int expected;
    };
    std::vector<int> allButNinety(89);
    std::iota(allButNinety.begin(), allButNinety.end(), 1);
    const Case cases[] = {{{}, 0, 1}, {{}, 89, 90}, {{1, 2}, 0, 3},
                          {{90}, 88, 89}, {{3, 50}, 87, 90}, {allButNinety, 0, 90}};
    for (const Case &c : cases) {
        state = GameState{};
        for (int n : c.out)
            state.cells[n - 1].drawn = true;
        random.script = {c.pick};
        game.Command2_Click();
        EXPECT_EQ(*state.UltimoNumero, c.expected);
        EXPECT_EQ(state.drawnCount(), int(c.out.size()) + 1);
        EXPECT_TRUE(state.cells[c.expected - 1].owner);
    }
}

TEST_F(GameTest, ManualClickMarksAndWithdrawsOnlyOwnedNumbers)
{
    clickManually({17});
    EXPECT_TRUE(state.cells[16].drawn && state.cells[16].owner);
    clickManually({17});
    EXPECT_FALSE(state.cells[16].drawn || state.cells[16].owner);
    EXPECT_EQ(announced, QList<int>{17});
    EXPECT_EQ(voice.takeSpoken(), QStringList{"Numero 17"});
    EXPECT_EQ(saved(), "0-0-0-0-0-1-1-1-1-1-1-");

    // Excluded: never owned, so every click marks and announces it again.
    state.toggleCartella(cartellaOf(16));
    clickManually({17, 17, 17});
    EXPECT_EQ(announced, (QList<int>{17, 17, 17, 17}));
    EXPECT_TRUE(state.cells[16].drawn);
    EXPECT_FALSE(state.cells[16].owner);
    EXPECT_TRUE(voice.spoken.isEmpty());
}

TEST_F(GameTest, ModeAndTombolaDecideWhatIsMarkedAndTheCheckAlwaysRuns)
{
    struct Case {
        const char *name;
        int manuale;
        int tombola;
        bool clickMarks;
    };
    for (const Case &c : {Case{"automatic mode", 0, 0, false}, Case{"manual, tombola out", 1, 1, false},
                          Case{"automatic, tombola out", 0, 1, false}, Case{"manual mode", 1, 0, true}}) {
        state = GameState{};
        state.manuale = c.manuale;
        state.prize[kTombola] = c.tombola;
        announced.clear();

        game.Label1_Click(41);
        EXPECT_EQ(*state.UltimoNumero, 42) << c.name;
        EXPECT_EQ(state.cells[41].drawn, c.clickMarks) << c.name;
        EXPECT_TRUE(state.cartelleLocked) << c.name;

        state.cartelleLocked = false;
        const bool drawWanted = c.manuale == 0 && c.tombola == 0;
        const int helpBefore = helpHidden;
        game.Command2_Click();
        EXPECT_EQ(helpHidden, helpBefore + 1) << c.name;
        EXPECT_EQ(state.drawnCount(), (c.clickMarks ? 1 : 0) + (drawWanted ? 1 : 0)) << c.name;
        EXPECT_TRUE(state.cartelleLocked) << c.name;
        EXPECT_EQ(*state.UltimoNumero, drawWanted ? announced.last() : 42) << c.name;
    }
}
