#include "announcer_fixture.h"

TEST_F(AnnouncerTest, SettaggioLoadsWhatTheStoreHolds)
{
    struct Case {
        const char *name;
        QMap<QString, QString> stored;
        Prizes before;
        int smorfiaBefore;
        Prizes after;
        std::array<bool, 4> red;
        int scandito, smorfia;
        int writes;  // the option boxes store again when loading changes them
    };
    const Case cases[] = {
        {"empty store", {}, {0, 0, 0, 0, 0}, 0, {0, 0, 0, 0, 0}, {}, 0, 0, 0},
        {"terno left out", {{"Terno", "1"}}, {0, 0, 0, 0, 0}, 0, {0, 1, 0, 0, 0}, {false, true, false, false}, 0, 0, 0},
        {"bad smorfia skipped",
         {{"Ambo", "1"}, {"Scandito", "1"}, {"Smorfia", "abc"}, {"Cinquina", "1"}},
         {0, 0, 0, 0, 0}, 1, {1, 0, 0, 1, 0}, {true, false, false, true}, 1, 1, 1},
        {"grey", {{"Quaterna", "2"}, {"Smorfia", "2"}}, {0, 0, 0, 0, 0}, 0, {0, 0, 2, 0, 0}, {}, 0, 2, 1},
        {"won prizes undone, tombola untouched", {{"Tombola", "0"}}, {1, 1, 0, 0, 1}, 0, {0, 0, 0, 0, 1}, {}, 0, 0, 0},
        {"numbers a box does not take", {{"Ambo", "3"}, {"Terno", "-1"}, {"Quaterna", ""}, {"Cinquina", "1.5"}},
         {1, 1, 1, 1, 0}, 0, {1, 1, 1, 1, 0}, {true, true, true, true}, 0, 0, 0},
    };
    for (const Case &c : cases) {
        store.values = c.stored;
        store.writes = 0;
        state.prize = c.before;
        state.prizeRed = {true, true, false, false, false};
        state.scandito = 0;
        state.smorfia = c.smorfiaBefore;
        settings.Settaggio();
        EXPECT_EQ(state.prize, c.after) << c.name;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(state.prizeRed[i], c.red[i]) << c.name << " " << i;
        EXPECT_EQ(state.scandito, c.scandito) << c.name;
        EXPECT_EQ(state.smorfia, c.smorfia) << c.name;
        EXPECT_EQ(store.writes, c.writes) << c.name;
        if (state.scandito != 0) {
            EXPECT_EQ(store.values.value("Scandito"), QString::number(state.scandito)) << c.name;
        }
        if (state.smorfia != c.smorfiaBefore) {
            EXPECT_EQ(store.values.value("Smorfia"), QString::number(state.smorfia)) << c.name;
        }
        EXPECT_TRUE(voice.spoken.isEmpty()) << c.name;
    }
}

TEST_F(AnnouncerTest, OptionBoxesStoreOnChangeAndManualSpeaks)
{
    settings.setScandito(1);
    settings.setScandito(1);
    settings.setSmorfia(2);
    settings.setSmorfia(0);
    EXPECT_EQ(store.writes, 3);
    EXPECT_EQ(store.values.value("Scandito"), "1");
    EXPECT_EQ(store.values.value("Smorfia"), "0");
    EXPECT_TRUE(voice.spoken.isEmpty());

    settings.setManuale(1);
    settings.setManuale(1);
    settings.setManuale(0);
    EXPECT_EQ(voice.spoken, QStringList({"estrazione manuale", "estrazione automatica"}));
    EXPECT_EQ(store.writes, 3);
}

TEST_F(AnnouncerTest, PrizeBoxSwitchedWithTheMouse)
{
    const struct {
        int box;
        int value;  // after the click has toggled it
        bool red;
        QStringList spoken;
    } cases[] = {
        {0, 1, true, {QStringLiteral("Ambo") + " non presente."}},
        {0, 0, false, {QStringLiteral("Ambo") + " presente."}},
        {3, 1, true, {"Cinquina non presente."}},
        {4, 1, false, {}},
        {4, 0, false, {}},
    };
    for (const auto &c : cases) {
        state.prize[c.box] = c.value;
        ladder.Check1_MouseUp(c.box);
        EXPECT_EQ(state.prizeRed[c.box], c.red) << c.box << c.value;
        EXPECT_EQ(voice.takeSpoken(), c.spoken) << c.box << c.value;
        EXPECT_EQ(store.values.value(tabellone::kPrizeCaptions[c.box]), QString::number(c.value));
    }
}

TEST_F(AnnouncerTest, PrizeButtonsDeclareAPrizeStillClear)
{
    const QStringList phrases = {"L'ambo è uscito, si prosegue per il terno",
                                 "il terno è uscito, si prosegue per la quaterna",
                                 "La quaterna è uscita, si prosegue per la cinquina",
                                 "La cinquina è uscita, si prosegue per la tombola", "Tombola"};
    state.prize = {0, 1, 2, 0, 0};  // terno left out, quaterna grey
    state.prizeRed = {false, true, false, false, false};
    for (int i = 0; i < 5; ++i) {
        ladder.Command4_Click(i);
        ladder.Command4_Click(i);
        EXPECT_EQ(voice.takeSpoken(), i == 1 || i == 2 ? QStringList{} : QStringList{phrases[i]}) << i;
    }
    EXPECT_EQ(state.prize, (Prizes{1, 1, 1, 1, 1}));
    EXPECT_EQ(state.prizeRed, (std::array<bool, 5>{false, true, false, false, false}));
    EXPECT_EQ(store.writes, 0);
}
