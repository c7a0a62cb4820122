#include "game_fixture.h"

TEST_F(GameTest, OneRowClimbsTheLadderInOrder)
{
    const struct {
        int number;
        QString nome, phrase, message;
    } steps[] = {
        {11, "il tabellone", "", ""},
        {14, "il tabellone", ". Ambo per il tabellone, si va per Terno", " 11, 14 "},
        {12, "il tabellone", ". Terno per il tabellone, si va per Quaterna", " 11, 12, 14 "},
        {15, "il tabellone", ". Quaterna per il tabellone, si va per Cinquina", " 11, 12, 14, 15 "},
        {13, "Zia Nunzia", ". Cinquina per Zia Nunzia, si va per Tombola", " 11, 12, 13, 14, 15 "},
        {70, "Zia Nunzia", "", " 11, 12, 13, 14, 15 "},  // wins nothing, takes the message down
    };
    for (const auto &step : steps) {
        state.nome = step.nome;
        clickManually({step.number});
        EXPECT_EQ(voice.takeSpoken().join('/'), step.phrase) << step.number;
        EXPECT_EQ(state.messagePending, !step.phrase.isEmpty()) << step.number;
        EXPECT_EQ(state.messageText, step.message) << step.number;
    }
    EXPECT_EQ(state.prize, (Prizes{1, 1, 1, 1, 0}));
}

static QString won(const QString &prize, const QString &next = {})
{
    return ". " + prize + " per il tabellone" + (next.isEmpty() ? "" : ", si va per " + next);
}

TEST_F(GameTest, OneCheckFindsThePrizesOfEveryRowOnTheLadderAsItStands)
{
    const struct {
        Prizes before;
        std::vector<int> excluded;
        std::initializer_list<int> numbers;
        QStringList phrases;
        Prizes after;
        QString message;  // empty: no message raised
    } cases[] = {
        // An ambo left out wins nothing, the terno after it names the next clear rung.
        {{1, 0, 0, 0, 0}, {}, {11, 14}, {}, {1, 0, 0, 0, 0}, ""},
        {{1, 0, 0, 0, 0}, {}, {11, 12, 14}, {won("Terno", "Quaterna")}, {1, 1, 0, 0, 0}, " 11, 12, 14 "},
        {{0, 0, 0, 0, 0}, {}, {6, 7, 8}, {won("Terno", "Ambo")}, {0, 1, 0, 0, 0}, " 6, 7, 8 "},
        {{0, 1, 0, 0, 0}, {}, {2, 4}, {won("Ambo", "Quaterna")}, {1, 1, 0, 0, 0}, " 2, 4 "},
        {{2, 0, 2, 0, 0}, {}, {31, 32, 33, 86, 87}, {won("Terno", "Cinquina")}, {2, 1, 2, 0, 0}, " 31, 32, 33 "},
        {{1, 1, 1, 0, 1}, {}, {76, 77, 78, 79, 80}, {won("Cinquina")}, {1, 1, 1, 1, 1}, " 76, 77, 78, 79, 80 "},
        // Rows in order, each rung won once; the message holds the last winning row.
        {{0, 0, 0, 0, 0}, {}, {46, 47, 1, 2, 3, 4, 11, 12, 41, 42, 43},
         {won("Quaterna", "Ambo"), won("Ambo", "Terno"), won("Terno", "Cinquina")}, {1, 1, 1, 0, 0}, " 41, 42, 43 "},
        // Excluded cartelle win nothing, not even a tombola.
        {{0, 0, 0, 0, 0}, {0, 3}, {1, 2, 3, 4, 5, 11, 12, 13, 14, 15, 21, 22, 23, 24, 25, 36, 37}, {},
         {0, 0, 0, 0, 0}, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        state = GameState{};
        state.prize = c.before;
        for (int k : c.excluded)
            state.toggleCartella(k);
        mark(c.numbers);
        game.Controlla();
        EXPECT_EQ(voice.takeSpoken(), c.phrases);
        EXPECT_EQ(state.prize, c.after);
        EXPECT_EQ(state.messagePending, !c.message.isEmpty());
        EXPECT_EQ(state.messageText, c.message);
    }
}

TEST_F(GameTest, TombolaIsSpokenAgainAtEveryLaterCheckOncePerFullCartella)
{
    state.prize = {1, 1, 1, 1, 0};
    for (int k : {1, 4})
        for (int cell : tabellone::cellsOfCartella(k))
            markDrawn(state.cells[cell]);
    game.Controlla();
    game.Command2_Click();
    state.nome = "Peppe";
    game.Command2_Click();
    EXPECT_EQ(voice.spoken, QStringList({won("Tombola"), won("Tombola"), won("Tombola"), won("Tombola"),
                                         ". Tombola per Peppe", ". Tombola per Peppe"}));
}
