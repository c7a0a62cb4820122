#include "game_fixture.h"

TEST_F(GameTest, OneRowClimbsTheLadderInOrder)
{
    clickManually({11});
    EXPECT_TRUE(voice.spoken.isEmpty());
    EXPECT_FALSE(state.messagePending);

    const struct {
        int number;
        QString phrase;
        QString message;
    } steps[] = {
        {14, QStringLiteral(". ") + "Ambo" + " per " + "il tabellone" + ", si va per " + "Terno", " 11, 14 "},
        {12, ". Terno per il tabellone, si va per Quaterna", " 11, 12, 14 "},
        {15, ". Quaterna per il tabellone, si va per Cinquina", " 11, 12, 14, 15 "},
        {13, ". Cinquina per Zia Nunzia, si va per Tombola", " 11, 12, 13, 14, 15 "},
    };
    int won = 0;
    for (const auto &step : steps) {
        if (step.number == 13)
            state.nome = QStringLiteral("Zia Nunzia");  // the name is read at each check
        clickManually({step.number});
        EXPECT_EQ(voice.takeSpoken(), QStringList{step.phrase});
        EXPECT_TRUE(state.messagePending);
        EXPECT_EQ(state.messageText, step.message);
        ++won;
        for (int p = 0; p < 5; ++p)
            EXPECT_EQ(state.prize[p], p < won ? 1 : 0) << step.number << " " << p;
    }
    // A later draw elsewhere wins nothing and takes the message down.
    clickManually({70});
    EXPECT_TRUE(voice.spoken.isEmpty());
    EXPECT_FALSE(state.messagePending);
    EXPECT_EQ(state.messageText, " 11, 12, 13, 14, 15 ");
}

TEST_F(GameTest, OneCheckFindsThePrizesOfEveryRowOnTheLadderAsItStands)
{
    struct Case {
        const char *name;
        Prizes before;
        std::vector<int> excluded;
        std::initializer_list<int> numbers;
        QStringList phrases;
        Prizes after;
        QString message;  // empty: no message raised
    };
    const Case cases[] = {
        {"ambo left out wins nothing", {1, 0, 0, 0, 0}, {}, {11, 14}, {}, {1, 0, 0, 0, 0}, ""},
        {"terno after a left-out ambo", {1, 0, 0, 0, 0}, {}, {11, 12, 14},
         {". Terno per il tabellone, si va per Quaterna"}, {1, 1, 0, 0, 0}, " 11, 12, 14 "},
        {"next prize is the lowest clear rung", {0, 0, 0, 0, 0}, {}, {6, 7, 8},
         {". Terno per il tabellone, si va per Ambo"}, {0, 1, 0, 0, 0}, " 6, 7, 8 "},
        {"terno left out is skipped as next", {0, 1, 0, 0, 0}, {}, {2, 4},
         {". Ambo per il tabellone, si va per Quaterna"}, {1, 1, 0, 0, 0}, " 2, 4 "},
        {"grey boxes are not clear", {2, 0, 2, 0, 0}, {}, {31, 32, 33, 86, 87},
         {". Terno per il tabellone, si va per Cinquina"}, {2, 1, 2, 0, 0}, " 31, 32, 33 "},
        {"rows in order, a rung won once", {0, 0, 0, 0, 0}, {}, {46, 47, 1, 2, 3, 4, 11, 12, 41, 42, 43},
         {". Quaterna per il tabellone, si va per Ambo", ". Ambo per il tabellone, si va per Terno",
          ". Terno per il tabellone, si va per Cinquina"},
         {1, 1, 1, 0, 0}, " 41, 42, 43 "},
        {"no clear rung left", {1, 1, 1, 0, 1}, {}, {76, 77, 78, 79, 80},
         {". Cinquina per il tabellone"}, {1, 1, 1, 1, 1}, " 76, 77, 78, 79, 80 "},
        {"excluded cartelle win nothing", {0, 0, 0, 0, 0}, {0, 3},
         {1, 2, 3, 4, 5, 11, 12, 13, 14, 15, 21, 22, 23, 24, 25, 36, 37}, {}, {0, 0, 0, 0, 0}, ""},
        {"tombola of a cartella in play", {1, 1, 1, 1, 0}, {},
         {61, 62, 63, 64, 65, 71, 72, 73, 74, 75, 81, 82, 83, 84, 85}, {". Tombola per il tabellone"},
         {1, 1, 1, 1, 1}, ""},
    };
    for (const Case &c : cases) {
        state = GameState{};
        state.prize = c.before;
        for (int k : c.excluded)
            state.toggleCartella(k);
        mark(c.numbers);
        voice.spoken.clear();
        game.Controlla();
        EXPECT_EQ(voice.spoken, c.phrases) << c.name;
        EXPECT_EQ(state.prize, c.after) << c.name;
        EXPECT_EQ(state.messagePending, !c.message.isEmpty()) << c.name;
        EXPECT_EQ(state.messageText, c.message) << c.name;
        EXPECT_TRUE(state.cartelleLocked) << c.name;
        EXPECT_EQ(saved(), SavedDraw::of(state).text()) << c.name;
    }
}

TEST_F(GameTest, TombolaIsSpokenAgainAtEveryLaterCheckOncePerFullCartella)
{
    state.prize = {1, 1, 1, 1, 0};
    for (int k : {1, 4})
        for (int cell : tabellone::cellsOfCartella(k))
            state.cells[cell].drawn = state.cells[cell].owner = true;
    const QString tombola = ". Tombola per il tabellone";

    game.Controlla();
    EXPECT_EQ(voice.takeSpoken(), QStringList({tombola, tombola}));
    EXPECT_TRUE(state.tombolaOut());

    game.Command2_Click();
    state.nome = QStringLiteral("Peppe");
    game.Command2_Click();
    EXPECT_EQ(voice.takeSpoken(),
              QStringList({tombola, tombola, ". Tombola per Peppe", ". Tombola per Peppe"}));
    EXPECT_EQ(state.drawnCount(), 30);
}
