#include "announcer_fixture.h"

#include "announcer/smorfia.h"

TEST(Smorfia, NinetyMeaningsWithTheBoundariesOfEveryPiece)
{
    const QStringList table = CaricaSmorfia();
    ASSERT_EQ(table.size(), 90);
    const std::pair<int, const char *> entries[] = {
        {1, "L'Italia"},         {11, "'o suricillo"},   {12, "'e surdate"},
        {13, "Sant' Antuonno"},  {24, "'e gguardie"},    {25, "Natale"},
        {36, "'e castagnelle"},  {37, "'o monaco"},      {49, "'o piezzo 'e carne"},
        {50, "'o pane"},         {55, "'a mmùseca"},     {63, "'a sposa"},
        {64, "'a sciammeria"},   {67, "'o tòtano int'a chitarra"},
        {73, " 'o spitale"},     {74, "'a rotta"},       {75, "Pullecenella"},
        {77, "'e diàule"},       {85, "Ll'anime 'o priatorio"},
        {86, "'a puteca"},       {90, "'a paura"},
    };
    for (const auto &[number, meaning] : entries)
        EXPECT_EQ(table[number - 1], QString::fromUtf8(meaning)) << number;
    for (const QString &meaning : table)
        EXPECT_TRUE(!meaning.trimmed().isEmpty() && !meaning.contains(':')) << meaning.toStdString();
}

TEST_F(AnnouncerTest, FullSentenceOnlyWhenTheAnnouncementWindowIsClosed)
{
    EXPECT_EQ(announce(67), QStringList{"è uscito il numero 67"});
    EXPECT_EQ(state.lastNumberCaption, "67");
    EXPECT_EQ(state.smorfiaCaption, "'o tòtano int'a chitarra");

    EXPECT_EQ(announce(5, 3000), QStringList{"5"});
    EXPECT_EQ(announce(7, 9000), QStringList{"7"});  // each announcement restarts the 10 s
    EXPECT_EQ(announce(8, 9999), QStringList{"8"});
    EXPECT_EQ(announce(9, 10000), QStringList{"è uscito il numero 9"});
    EXPECT_EQ(announce(10, 1000), QStringList{"10"});
    announcer.Timer1_Timer();
    EXPECT_EQ(announce(11, 1), QStringList{"è uscito il numero 11"});
}

TEST_F(AnnouncerTest, ScanditoSpellsTheSixtiesAndSeventies)
{
    const struct {
        int number;
        int scandito;
        QStringList spoken;
    } cases[] = {
        {59, 1, {"è uscito il numero 59"}},
        {60, 1, {"è uscito il numero 60", "6", "0. "}},
        {67, 1, {"è uscito il numero 67", "6", "7. "}},
        {79, 1, {"è uscito il numero 79", "7", "9. "}},
        {80, 1, {"è uscito il numero 80"}},
        {67, 2, {"è uscito il numero 67"}},
        {67, 0, {"è uscito il numero 67"}},
    };
    for (const auto &c : cases) {
        state.scandito = c.scandito;
        EXPECT_EQ(announce(c.number, 60000), c.spoken) << c.number << " " << c.scandito;
    }
}

TEST_F(AnnouncerTest, SmorfiaModeSpeaksOnlyTheMeaningAndLeavesTheWindowAlone)
{
    state.scandito = 1;
    for (int mode : {1, 2}) {
        state.smorfia = 0;
        EXPECT_EQ(announce(20, 60000), QStringList{"è uscito il numero 20"});
        state.smorfia = mode;
        EXPECT_EQ(announce(73, 9000), QStringList{" 'o spitale"});
        EXPECT_EQ(state.lastNumberCaption, "73");
        EXPECT_EQ(state.smorfiaCaption, " 'o spitale");
        EXPECT_EQ(announce(67, 500), QStringList{"'o tòtano int'a chitarra"});
        state.smorfia = 0;
        // 10.5 s after the last number-mode announcement: the window has closed.
        EXPECT_EQ(announce(21, 1000), QStringList{"è uscito il numero 21"}) << mode;
    }
}

TEST_F(AnnouncerTest, RepeatAndSmorfiaLine)
{
    announcer.Label5_Click();
    announcer.Label6_Click();
    EXPECT_EQ(voice.takeSpoken(), QStringList({"Sorteggina di Orvanet", "La smorfia napoletana"}));

    state.scandito = 1;
    announce(67);
    announcer.Label5_Click();
    state.smorfia = 2;
    announcer.Label5_Click();
    announcer.Label6_Click();
    EXPECT_EQ(voice.takeSpoken(), QStringList({"Ripeto, 67", "67", "'o tòtano int'a chitarra"}));

    // The repeat does not keep the announcement window open.
    state.smorfia = 0;
    clock.now += 6000;
    announcer.Label5_Click();
    voice.spoken.clear();
    EXPECT_EQ(announce(90, 6000), QStringList{"è uscito il numero 90"});

    state.lastNumberCaption = "OV";  // after a new game
    announcer.Label5_Click();
    EXPECT_EQ(voice.spoken, QStringList{"Sorteggina di Orvanet"});
}
