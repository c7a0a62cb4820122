#include "announcer_fixture.h"

#include "announcer/smorfia.h"

TEST(Smorfia, NinetyMeaningsWithTheBoundariesOfItsPieces)
{
    const QStringList table = CaricaSmorfia();
    ASSERT_EQ(table.size(), 90);
    for (const auto &[number, meaning] : {std::pair{1, "L'Italia"}, {13, "Sant' Antuonno"}, {49, "'o piezzo 'e carne"},
                                          {67, "'o tòtano int'a chitarra"}, {73, " 'o spitale"}, {90, "'a paura"}})
        EXPECT_EQ(table[number - 1], QString::fromUtf8(meaning)) << number;
    for (const QString &meaning : table)
        EXPECT_FALSE(meaning.trimmed().isEmpty() || meaning.contains(':') || meaning.endsWith(' '))
            << meaning.toStdString();
}

TEST_F(AnnouncerTest, FullSentenceOnlyWhenTheAnnouncementWindowIsClosed)
{
    EXPECT_EQ(announce(67), QStringList{"è uscito il numero 67"});
    EXPECT_EQ(state.lastNumberCaption + "|" + state.smorfiaCaption, "67|'o tòtano int'a chitarra");
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
    for (const auto &[number, scandito, spoken] :
         {std::tuple{59, 1, "è uscito il numero 59"}, {60, 1, "è uscito il numero 60/6/0. "},
          {79, 1, "è uscito il numero 79/7/9. "}, {80, 1, "è uscito il numero 80"}, {67, 2, "è uscito il numero 67"},
          {67, 0, "è uscito il numero 67"}}) {
        state.scandito = scandito;
        EXPECT_EQ(announce(number, 60000).join('/'), QString::fromUtf8(spoken)) << number << " " << scandito;
    }
}

TEST_F(AnnouncerTest, SmorfiaModeSpeaksOnlyTheMeaningAndLeavesTheWindowAlone)
{
    state.scandito = 1;
    announce(20);
    for (int mode : {1, 2}) {
        state.smorfia = mode;
        EXPECT_EQ(announce(73, 5000), QStringList{" 'o spitale"});
        EXPECT_EQ(state.lastNumberCaption + "|" + state.smorfiaCaption, "73| 'o spitale");
    }
    state.smorfia = 0;
    EXPECT_EQ(announce(21, 1000), QStringList{"è uscito il numero 21"});  // 11 s after the 20
}

TEST_F(AnnouncerTest, RepeatAndSmorfiaLine)
{
    announcer.Label5_Click();
    announcer.Label6_Click();
    EXPECT_EQ(voice.takeSpoken(), QStringList({"Sorteggina di Orvanet", "La smorfia napoletana"}));
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
    EXPECT_EQ(announce(90, 6000).last(), "è uscito il numero 90");
}
