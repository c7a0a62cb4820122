// SPDX-License-Identifier: GPL-3.0-or-later
#include "caller/caller.h"
#include "caller/stored.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace board;

class CallerTest : public ::testing::Test {
protected:
    // A caller started on whatever the store holds now.
    Caller &restart()
    {
        caller = std::make_unique<Caller>(voice, store, random, clock);
        voice.spoken.clear();
        return *caller;
    }
    void click(std::initializer_list<int> numbers)
    {
        caller->setManual(Manual::On);
        for (int n : numbers)
            caller->clickNumber(n);
    }
    QString saved() const { return store.values.value("Settaggio/SalvaUlt"); }

    FakeVoice voice;
    MemoryStore store;
    FakeRandom random{3};
    FakeClock clock;
    std::unique_ptr<Caller> caller;
};

TEST_F(CallerTest, AnnouncesNumbersWithTheSentenceAfterAPauseSpelledOrAsTheSmorfia)
{
    restart().repeatLastNumber();
    caller->speakSmorfiaLine();
    EXPECT_EQ(voice.take(), (QStringList{"Sorteggina di Orvanet", "La smorfia napoletana"})) << "before any number";
    caller->setManual(Manual::On);
    for (int k = 0; k < kCartelle; ++k) // no prize to call in between
        caller->toggleCartella(k);
    const struct {
        int number, scandito, smorfia;
        qint64 after;
        QStringList said;
    } steps[] = {
        {67, 1, 0, 0, {"è uscito il numero 67", "6", "7. "}},
        {59, 1, 0, 3000, {"59"}},
        {80, 1, 0, 9999, {"80"}},
        {60, 1, 0, 10000, {"è uscito il numero 60", "6", "0. "}},
        {79, 1, 0, 100, {"79", "7", "9. "}},
        {61, 2, 0, 100, {"61"}},
        {78, 0, 0, 100, {"78"}},
        {73, 0, 2, 100, {" 'o spitale"}},
        {90, 0, 1, 100, {"'a paura"}},
    };
    for (const auto &step : steps) {
        clock.now += step.after;
        caller->setScandito(Scandito(step.scandito));
        caller->setSmorfia(Smorfia(step.smorfia));
        voice.spoken.clear();
        click({step.number});
        EXPECT_EQ(voice.take(), step.said) << step.number;
        EXPECT_EQ(caller->shownNumber(), step.number);
    }
    caller->repeatLastNumber();
    caller->toggleSmorfia();
    caller->repeatLastNumber();
    caller->speakSmorfiaLine();
    EXPECT_EQ(voice.take(), (QStringList{"90", "Ripeto, 90", "'a paura"}));
}

TEST_F(CallerTest, PrizesAreCalledWithTheOwnersNameCutToSixtyCharacters)
{
    restart();
    caller->setOwnerName("Zia Nunzia");
    click({11, 14});
    EXPECT_EQ(voice.take().last(), ". Ambo per Zia Nunzia, si va per Terno");
    EXPECT_EQ(caller->prizeMessage(), (QList<int>{11, 14}));
    caller->setOwnerName(QString(1000, 'x'));
    click({12});
    EXPECT_EQ(voice.take().last(), ". Terno per " + QString(60, 'x') + ", si va per Quaterna");
    click({70});
    EXPECT_FALSE(caller->prizeMessage()) << "the next check takes the message down";
}

TEST_F(CallerTest, ClicksCountOnlyInManualModeWhereTheDrawWaits)
{
    restart().clickNumber(5);
    click({17, 17});
    caller->drawNumber();
    EXPECT_EQ(voice.take(), (QStringList{"estrazione manuale", "è uscito il numero 17", "Numero 17"}));
    EXPECT_EQ(caller->game().drawnCount(), 0);
}

TEST_F(CallerTest, TheDrawOrderIsReloadedAsItCameAndSaidInFullTenNumbersAText)
{
    restart();
    for (int k = 0; k < kCartelle; ++k) // no tombola stops the draw
        caller->toggleCartella(k);
    for (int i = 0; i < kCells; ++i)
        caller->drawNumber();
    const QList<int> order = caller->game().drawOrder();
    restart().reloadSavedGame();
    EXPECT_EQ(caller->game().drawOrder(), order);
    voice.spoken.clear();
    caller->speakDrawOrder();
    QStringList said = voice.take(), expected;
    ASSERT_TRUE(said.value(0).startsWith("Estratti 90: "));
    said[0].remove(0, 13);
    for (int n : order)
        expected << QString::number(n);
    for (qsizetype first = 0; first < expected.size(); first += 10)
        EXPECT_EQ(said.value(first / 10), expected.mid(first, 10).join(", "));
    EXPECT_EQ(said.size(), 9);
}

TEST_F(CallerTest, StoredOptionsComeBackAtStartAndAtEveryNewGameUnlessNotABoxValue)
{
    store.values = {{"Settaggio/Terno", "1"}, {"Settaggio/Quaterna", QString::fromUtf8("1\0junk", 6)},
        {"Settaggio/Cinquina", "abc"}, {"Settaggio/Smorfia", "2"}, {"Settaggio/Scandito", "3"}};
    restart();
    EXPECT_EQ(caller->game().prizeBox(1), PrizeBox::Ticked);
    EXPECT_TRUE(caller->prizeLeftOut(1) && !caller->prizeLeftOut(0));
    EXPECT_TRUE(caller->game().prizeBox(2) == PrizeBox::Clear && caller->game().prizeBox(3) == PrizeBox::Clear);
    EXPECT_EQ(caller->speech().smorfia, Smorfia::Grey);
    EXPECT_EQ(caller->speech().scandito, Scandito::Off);
    caller->declarePrizeWon(0);
    caller->declarePrizeWon(kTombola);
    caller->startNewGame();
    EXPECT_EQ(voice.take().last(), "Attenzione, si procede per una nuova partita.");
    EXPECT_TRUE(caller->game().prizeBox(0) == PrizeBox::Clear && caller->game().prizeBox(kTombola) == PrizeBox::Clear);
    EXPECT_EQ(caller->game().prizeBox(1), PrizeBox::Ticked);
}

TEST_F(CallerTest, PrizeBoxesAndDeclarationsAreSavedAndAReloadAgreesWithTheOptions)
{
    restart();
    caller->drawNumber();
    caller->declarePrizeWon(1);
    caller->declarePrizeWon(1);
    EXPECT_EQ(voice.take().mid(1), QStringList{"il terno è uscito, si prosegue per la quaterna"});
    EXPECT_TRUE(saved().startsWith("0-1-0-0-0-")) << "a declaration is saved";
    caller->setPrizeBox(2, PrizeBox::Ticked);
    caller->commitPrizeBox(2);
    EXPECT_EQ(voice.take(), QStringList{"Quaterna non presente."});
    EXPECT_EQ(store.values["Settaggio/Quaterna"], "1");
    EXPECT_TRUE(saved().startsWith("0-1-1-0-0-")) << "a box change is saved";
    caller->setPrizeBox(kTombola, PrizeBox::Ticked);
    caller->commitPrizeBox(kTombola);
    EXPECT_TRUE(voice.take().isEmpty());
    EXPECT_EQ(store.values["Settaggio/Tombola"], "1");

    restart().reloadSavedGame();
    EXPECT_EQ(voice.take(), QStringList{"Ultima estrazione, ricaricata!"});
    EXPECT_EQ(caller->game().drawnCount(), 1);
    for (int i = 0; i < kTombola; ++i)
        EXPECT_EQ(caller->prizeLeftOut(i), i == 2) << "red only where ticked and left out: " << i;
}

TEST_F(CallerTest, ReloadWithoutASavedGameSaysSoAndChangesNothing)
{
    restart().reloadSavedGame();
    click({1});
    store.values["Settaggio/SalvaUlt"] = "0-0-0-0-0-1-1-1-1-1-1-4-4-";
    caller->reloadSavedGame();
    const QString none = "Non ci sono partite salvate!";
    EXPECT_EQ(voice.take(), (QStringList{none, "estrazione manuale", "è uscito il numero 1", none}));
    EXPECT_EQ(caller->game().drawOrder(), QList<int>{1});
}

TEST(Stored, KeepsEachValueAsTextUnderItsKeyAndReadsBadTextAsTheDefault)
{
    MemoryStore store;
    stored::saveVoiceChoice(store, {"espeak-ng", "italian", 250, -30, 5});
    stored::write(store, stored::kHallOpen, true);
    stored::write(store, stored::kTombolinoPlayed, false);
    stored::write(store, stored::kNetworkOn, true);
    EXPECT_EQ(store.values, (QMap<QString, QString>{{"Voce/Modulo", "espeak-ng"}, {"Voce/Voce", "italian"},
                                {"Voce/Velocita", "100"}, {"Voce/Tono", "-30"}, {"Voce/Volume", "5"},
                                {"Sala/Aperta", "1"}, {"Opzioni/Tombolino", "0"}, {"Rete/Attiva", "true"}}));
    for (const auto &[text, on] : {std::pair{"1", true}, {"false", false}, {"yes", false}}) {
        store.values["Rete/Attiva"] = text;
        EXPECT_EQ(stored::read(store, stored::kNetworkOn), on) << text;
    }
    store.values["Voce/Tono"] = "alto";
    store.values["Estrazione/Secondi"] = "99";
    EXPECT_EQ(stored::voiceChoice(store).pitch, 0);
    EXPECT_EQ(stored::read(store, stored::kAutoCallSeconds), 30);
    EXPECT_EQ(stored::read(store, stored::kNetworkPort), 8090);
}
