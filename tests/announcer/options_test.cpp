#include "announcer_fixture.h"

// Every case starts from all prizes won, ambo and terno red, Scandito clear and Smorfia ticked.
TEST_F(AnnouncerTest, SettaggioLoadsWhatTheStoreHolds)
{
    const struct {
        const char *name;
        QMap<QString, QString> stored;
        Prizes prize;
        int scandito, smorfia, writes;  // the option boxes store again when loading changes them
    } cases[] = {
        {"empty store", {}, {0, 0, 0, 0, 1}, 0, 0, 1},
        {"terno left out", {{"Terno", "1"}}, {0, 1, 0, 0, 1}, 0, 0, 1},
        {"bad smorfia skipped", {{"Ambo", "1"}, {"Scandito", "1"}, {"Smorfia", "abc"}, {"Cinquina", "1"}},
         {1, 0, 0, 1, 1}, 1, 1, 1},
        {"grey", {{"Quaterna", "2"}, {"Smorfia", "2"}}, {0, 0, 2, 0, 1}, 0, 2, 1},
        {"numbers a box does not take",
         {{"Ambo", "3"}, {"Terno", "-1"}, {"Quaterna", ""}, {"Cinquina", "1.5"}, {"Smorfia", "1"}}, {1, 1, 1, 1, 1},
         0, 1, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        store.values = c.stored;
        store.writes = 0;
        state.prize = {1, 1, 1, 1, 1};
        state.prizeRed = {true, true, false, false, false};
        state.scandito = 0;
        state.smorfia = 1;
        settings.Settaggio();
        EXPECT_EQ(state.prize, c.prize);
        for (int i = 0; i < tabellone::kTombola; ++i)
            EXPECT_EQ(state.prizeRed[i], c.prize[i] == 1) << i;
        EXPECT_EQ(std::tuple(state.scandito, state.smorfia, store.writes), std::tuple(c.scandito, c.smorfia, c.writes));
        EXPECT_TRUE(voice.spoken.isEmpty());
    }
}

TEST_F(AnnouncerTest, OptionBoxesStoreOnChangeAndManualSpeaks)
{
    for (int value : {1, 1})
        settings.setScandito(value);
    for (int value : {2, 0})
        settings.setSmorfia(value);
    for (int value : {1, 1, 0})
        settings.setManuale(value);
    EXPECT_EQ(store.writes, 3);
    EXPECT_EQ(store.values.value("Scandito") + store.values.value("Smorfia"), "10");
    EXPECT_EQ(voice.spoken, QStringList({"estrazione manuale", "estrazione automatica"}));
}

TEST_F(AnnouncerTest, PrizeBoxSwitchedWithTheMouse)
{
    for (const auto &[box, value, red, spoken] :
         {std::tuple{0, 1, true, "Ambo non presente."}, {0, 0, false, "Ambo presente."},
          {3, 1, true, "Cinquina non presente."}, {4, 1, false, ""}, {4, 0, false, ""}}) {
        SCOPED_TRACE(testing::Message() << box << " " << value);
        state.prize[box] = value;  // as the click has left it
        ladder.Check1_MouseUp(box);
        EXPECT_EQ(state.prizeRed[box], red);
        EXPECT_EQ(voice.takeSpoken().join(""), spoken);
        EXPECT_EQ(store.values.value(tabellone::kPrizeCaptions[box]), QString::number(value));
    }
}

TEST_F(AnnouncerTest, PrizeButtonsDeclareAPrizeStillClear)
{
    state.prize = {0, 1, 2, 0, 0};  // terno left out, quaterna grey
    state.prizeRed = {false, true, false, false, false};
    for (int i : {0, 0, 1, 1, 2, 2, 3, 3, 4, 4})
        ladder.Command4_Click(i);
    EXPECT_EQ(voice.spoken, QStringList({"L'ambo è uscito, si prosegue per il terno",
                                         "La cinquina è uscita, si prosegue per la tombola", "Tombola"}));
    EXPECT_EQ(state.prize, (Prizes{1, 1, 1, 1, 1}));
    EXPECT_EQ(state.prizeRed, (std::array<bool, 5>{false, true, false, false, false}));
    EXPECT_EQ(store.writes, 0);
}
