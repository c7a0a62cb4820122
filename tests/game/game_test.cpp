// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/game.h"
#include "support/fakes.h"

#include <gtest/gtest.h>
#include <set>

using namespace board;
using Prizes = std::array<int, kPrizes>;

namespace {

Game gameWith(std::initializer_list<int> numbers, Prizes prizes = {}, std::initializer_list<int> leftOut = {})
{
    Game game;
    for (int k : leftOut)
        game.toggleCartella(k);
    for (int n : numbers)
        game.takeFromBag(n);
    for (int i = 0; i < kPrizes; ++i)
        game.setPrizeBox(i, PrizeBox(prizes[i]));
    return game;
}

// Marks, boxes and cartelle as one comparable text.
std::string boardOf(const Game &game)
{
    std::string out;
    for (int i = 0; i < kPrizes; ++i)
        out += char('0' + int(game.prizeBox(i)));
    for (int k = 0; k < kCartelle; ++k)
        out += game.cartellaInPlay(k) ? 'p' : 'x';
    for (int i = 0; i < kCells; ++i)
        out += char('0' + game.cell(i).drawn + 2 * game.cell(i).owned + 4 * game.cell(i).inPlay);
    return out;
}

} // namespace

TEST(Board, EveryCellOfACartellaBelongsToItAndEachCellToOne)
{
    std::set<int> cells;
    for (int k = 0; k < kCartelle; ++k)
        for (int cell : cellsOfCartella(k)) {
            EXPECT_EQ(cartellaOf(cell), k) << cell;
            cells.insert(cell);
        }
    EXPECT_EQ(cells.size(), size_t(kCells));
}

TEST(Game, DrawsEachNumberOnceInTheOrderKeptThenNothing)
{
    FakeRandom random(7);
    Game game = gameWith({}, {}, {0, 1, 2, 3, 4, 5}); // no tombola can stop it
    std::set<int> seen;
    for (int i = 0; i < kCells; ++i)
        seen.insert(*game.draw(random));
    EXPECT_EQ(seen.size(), 90u);
    EXPECT_EQ(std::set<int>(game.drawOrder().begin(), game.drawOrder().end()), seen);
    EXPECT_EQ(game.draw(random), std::nullopt);
    Game over = gameWith({}, {0, 0, 0, 0, 1});
    EXPECT_EQ(over.draw(random), std::nullopt);
}

// Chi-square over the 45 numbers still out, against its value at p = 0.001.
TEST(Game, DrawIsUniformOverTheNumbersNotYetOut)
{
    FakeRandom random(2024);
    std::array<int, kCells + 1> counts{};
    for (int d = 0; d < 45000; ++d) {
        Game game = gameWith({}, {}, {0, 1, 2, 3, 4, 5});
        for (int n = 1; n <= 45; ++n)
            game.takeFromBag(n);
        ++counts[*game.draw(random)];
    }
    double chiSquare = 0;
    for (int n = 46; n <= 90; ++n)
        chiSquare += (counts[n] - 1000.0) * (counts[n] - 1000.0) / 1000.0;
    EXPECT_LT(chiSquare, 78.8);
}

TEST(Game, NumbersFromTheBagAreMarkedAndGivenBackOnlyWhenTheOwnerHoldsThem)
{
    Game game;
    EXPECT_EQ(game.takeFromBag(17), Game::BagResult::Marked);
    EXPECT_TRUE(game.cell(16).drawn && game.cell(16).owned);
    EXPECT_EQ(game.takeFromBag(17), Game::BagResult::Withdrawn);
    EXPECT_FALSE(game.cell(16).drawn || game.cell(16).owned);
    game.toggleCartella(cartellaOf(16));
    EXPECT_EQ(game.takeFromBag(17), Game::BagResult::Marked);
    EXPECT_EQ(game.takeFromBag(17), Game::BagResult::Marked);
    EXPECT_TRUE(game.cell(16).drawn && !game.cell(16).owned);
    EXPECT_EQ(game.drawOrder(), QList<int>{17});
    for (int n : {90, 1, 45, 33, 12})
        game.takeFromBag(n);
    EXPECT_EQ(game.latest(5), (QStringList{"12", "33", "45", "1", "90"})) << "newest first";
    game.declarePrize(kTombola);
    EXPECT_EQ(game.takeFromBag(5), Game::BagResult::Refused);
}

TEST(Game, PrizeCheckFindsEveryRowOnTheLadderAsItStands)
{
    const struct {
        const char *name;
        Prizes before;
        std::initializer_list<int> leftOut, numbers;
        QList<RowPrize> rows;
        int fullCartelle;
        Prizes after;
    } cases[] = {
        {"ambo names the terno", {}, {}, {11, 14}, {{0, 1, {11, 14}}}, 0, {1, 0, 0, 0, 0}},
        {"ambo left out: two win nothing", {1, 0, 0, 0, 0}, {}, {11, 14}, {}, 0, {1, 0, 0, 0, 0}},
        {"terno names the lowest clear rung", {}, {}, {6, 7, 8}, {{1, 0, {6, 7, 8}}}, 0, {0, 1, 0, 0, 0}},
        {"grey boxes are not in play", {2, 0, 2, 0, 0}, {}, {31, 32, 33, 86, 87}, {{1, 3, {31, 32, 33}}}, 0,
            {2, 1, 2, 0, 0}},
        {"nothing left to name", {1, 1, 1, 0, 1}, {}, {76, 77, 78, 79, 80}, {{3, -1, {76, 77, 78, 79, 80}}}, 0,
            {1, 1, 1, 1, 1}},
        {"rows in board order, each rung once", {}, {}, {46, 47, 1, 2, 3, 4, 11, 12, 41, 42, 43},
            {{2, 0, {1, 2, 3, 4}}, {0, 1, {11, 12}}, {1, 3, {41, 42, 43}}}, 0, {1, 1, 1, 0, 0}},
        {"a left-out cartella wins nothing", {}, {0, 3},
            {1, 2, 3, 4, 5, 11, 12, 13, 14, 15, 21, 22, 23, 24, 25, 36, 37}, {}, 0, {}},
        {"fourteen of fifteen is no tombola", {1, 1, 1, 1, 0}, {}, {1, 2, 3, 4, 5, 11, 12, 13, 14, 15, 21, 22, 23, 24},
            {}, 0, {1, 1, 1, 1, 0}},
        {"one tombola call for each full cartella", {1, 1, 1, 1, 0}, {},
            {1, 2, 3, 4, 5, 11, 12, 13, 14, 15, 21, 22, 23, 24, 25, 66, 67, 68, 69, 70, 76, 77, 78, 79, 80, 86, 87, 88,
                89, 90},
            {}, 2, {1, 1, 1, 1, 1}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Game game = gameWith(c.numbers, c.before, c.leftOut);
        const PrizeCheck found = game.checkPrizes();
        ASSERT_EQ(found.rows.size(), c.rows.size());
        for (qsizetype r = 0; r < found.rows.size(); ++r)
            EXPECT_TRUE(found.rows[r].prize == c.rows[r].prize && found.rows[r].next == c.rows[r].next &&
                        found.rows[r].numbers == c.rows[r].numbers)
                << r;
        EXPECT_EQ(found.fullCartelle, c.fullCartelle);
        Prizes after;
        for (int i = 0; i < kPrizes; ++i)
            after[i] = int(game.prizeBox(i));
        EXPECT_EQ(after, c.after);
        EXPECT_TRUE(game.cartelleLocked());
        EXPECT_EQ(game.checkPrizes().fullCartelle, c.fullCartelle) << "called again at every check";
    }
}

TEST(SavedGame, KeepsItsFormat)
{
    EXPECT_EQ(gameWith({42, 5}).saved().text(), "0-0-0-0-0-1-1-1-1-1-1-4-41-");
    const SavedGame saved = gameWith({90, 1}, {1, 0, 2, 0, 0}, {2}).saved();
    EXPECT_EQ(saved.text(), "1-0-2-0-0-1-1-0-1-1-1-0-89-");
    EXPECT_EQ(saved.orderText(), "90-1");
}

TEST(SavedGame, RestoresRandomBoardsExactlyWhateverTheBoardBefore)
{
    std::mt19937 rng(90);
    auto randomGame = [&] {
        Game game;
        for (int k = 0; k < kCartelle; ++k)
            if (rng() % 2)
                game.toggleCartella(k);
        for (int i = 0; i < kPrizes; ++i)
            game.setPrizeBox(i, PrizeBox(rng() % 3));
        const unsigned density = rng() % 100;
        for (int n = 1; n <= kCells; ++n)
            if (rng() % 100 < density)
                game.takeFromBag(n);
        return game;
    };
    for (int trial = 0; trial < 40; ++trial) {
        const Game original = randomGame();
        const SavedGame saved = original.saved();
        Game game = randomGame();
        for (int reload = 0; reload < 2; ++reload) {
            game.restore(*SavedGame::parse(saved.text(), saved.orderText()));
            EXPECT_EQ(boardOf(game), boardOf(original));
            EXPECT_EQ(game.drawOrder(), original.drawOrder());
        }
    }
}

TEST(SavedGame, RefusesDamagedTextsAndMendsAnOrderThatDoesNotAgree)
{
    for (const char *text :
        {"", "0-0-0-0-0", "a-0-0-0-0-1-1-1-1-1-1-", "0-0-0-0-0-1-1-1-1-1-1-4-90-", "0-0-0-0-0-1-1-1-1-1-1-4--1-",
            "0-0-0-0-0-1-1-1-1-1-1-4-41", "0-0-0-0-0-1-1-1-1-1-", "0-0-0-0-0-1-1-2-1-1-1-4-",
            "0-0-0-0-3-1-1-1-1-1-1-4-", "0-0-0-0-0-1-1-1-1-1-1-4-4-", "0-0-0-0-0-1-1-1-1-1-1-0004-"})
        EXPECT_FALSE(SavedGame::parse(text)) << text;
    const QString text = "0-0-0-0-0-1-1-1-1-1-1-4-41-59-";
    for (const auto &[order, expected] : {std::pair{"42-60-5", QList<int>{42, 60, 5}}, {"", {5, 42, 60}},
             {"60-77-x-60-5", {60, 5, 42}}, {"garbage", {5, 42, 60}}})
        EXPECT_EQ(SavedGame::parse(text, order)->order, expected) << order;
}

TEST(Game, WithTheTombolinoTheDrawingGoesOnUntilOneMoreCartellaIsFull)
{
    const QList<int> first{1, 2, 3, 4, 5, 11, 12, 13, 14, 15, 21, 22, 23, 24, 25};
    const QList<int> second{66, 67, 68, 69, 70, 76, 77, 78, 79, 80, 86, 87, 88, 89};
    for (bool played : {false, true}) {
        SCOPED_TRACE(played ? "tombolino" : "tombola only");
        Game game = gameWith({}, {1, 1, 1, 1, 0});
        game.setTombolinoPlayed(played);
        for (int n : first + second)
            game.takeFromBag(n);
        EXPECT_EQ(game.checkPrizes().fullCartelle, 1);
        EXPECT_EQ(game.over(), !played);
        EXPECT_EQ(game.takeFromBag(90), played ? Game::BagResult::Marked : Game::BagResult::Refused);
        const PrizeCheck next = game.checkPrizes();
        EXPECT_EQ(next.fullCartelle, played ? 0 : 1) << "the tombola is called once when played on";
        EXPECT_EQ(next.tombolino, played);
        EXPECT_TRUE(game.over());
        const SavedGame saved = game.saved();
        Game again;
        again.setTombolinoPlayed(played);
        again.restore(*SavedGame::parse(saved.text(), saved.orderText(), saved.tombolinoText()));
        EXPECT_TRUE(again.over());
    }
    Game declared = gameWith({}, {1, 1, 1, 1, 0});
    declared.setTombolinoPlayed(true);
    EXPECT_TRUE(declared.declarePrize(kTombola) && !declared.over());
    EXPECT_TRUE(declared.declarePrize(kTombola) && declared.over()) << "declared again: the tombolino";
    EXPECT_FALSE(declared.declarePrize(kTombola));
}
