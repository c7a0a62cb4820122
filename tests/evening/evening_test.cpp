// SPDX-License-Identifier: GPL-3.0-or-later
#include "caller/caller.h"
#include "caller/stored.h"
#include "evening/auto_caller.h"
#include "evening/evening.h"
#include "evening/evening_store.h"
#include "evening/record_export.h"
#include "support/fakes.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace board;
using namespace evening;

namespace {

// A player's cartella holding `row` in its first row.
cartelle::Grid cartellaWith(std::initializer_list<int> row)
{
    cartelle::Grid grid{};
    int c = 0;
    for (int n : row)
        grid[0][c++] = n;
    return grid;
}

} // namespace

class EveningTest : public ::testing::Test {
protected:
    void click(std::initializer_list<int> numbers)
    {
        caller.setManual(Manual::On);
        for (int n : numbers)
            caller.clickNumber(n);
    }
    QStringList saved() const
    {
        return {store.values["Settaggio/SalvaUlt"], store.values["Partita/Ordine"], store.values["Partita/Tombolino"]};
    }

    FakeVoice voice;
    MemoryStore store;
    FakeRandom random{5};
    FakeClock clock;
    Caller caller{voice, store, random, clock};
    QTemporaryDir folder;
    EveningStore journal{folder.path()};
    Evening::WallClock now = [] { return QDateTime(QDate(2026, 12, 6), QTime(21, 30)); };
    Evening evening{caller, store, now, &journal};
};

TEST_F(EveningTest, TakingTheLastNumberBackSavesTheGameAsIfItHadNeverComeOncePerDraw)
{
    const struct {
        const char *what;
        QList<int> before;
        int last;
        int declared; // a prize declared after the last number, or -1
    } cases[] = {
        {"the first number", {}, 80, -1},
        {"an owner's ambo", {11}, 14, -1},
        {"a prize declared after it", {40}, 50, 0},
        {"the tombola", {1, 2, 3, 4, 5, 11, 12, 13, 14, 15, 21, 22, 23, 24}, 25, -1},
    };
    for (const auto &step : cases) {
        caller.startNewGame();
        caller.setManual(Manual::On);
        for (int n : step.before)
            caller.clickNumber(n);
        const SavedGame game = caller.game().saved();
        const QStringList before{game.text(), game.orderText(), game.tombolinoText()};
        const bool locked = caller.game().cartelleLocked();
        caller.clickNumber(step.last);
        if (step.declared >= 0)
            caller.declarePrizeWon(step.declared);
        voice.spoken.clear();
        EXPECT_TRUE(caller.withdrawLastNumber()) << step.what;
        EXPECT_FALSE(caller.withdrawLastNumber()) << step.what;
        const QString said = (step.last == 80 ? "annullato l'" : "annullato il ") + QString::number(step.last);
        EXPECT_EQ(voice.take(), (QStringList{said, "nessun numero da annullare"}));
        EXPECT_EQ(saved(), before) << step.what;
        EXPECT_EQ(caller.game().cartelleLocked(), locked) << step.what;
        EXPECT_EQ(caller.shownNumber(), step.before.isEmpty() ? std::nullopt : std::optional(step.before.last()));
        caller.clickNumber(step.last);
        EXPECT_TRUE(caller.withdrawLastNumber()) << "a new draw can be taken back: " << step.what;
    }
}

TEST_F(EveningTest, RecordsEachPrizeWithItsWinnerSharesOneAndWithdrawsThoseOfANumberTakenBack)
{
    for (int k = 1; k < kCartelle; ++k) // the owner plays cartella 1 to 15 only
        caller.toggleCartella(k);
    caller.setOwnerName("Zia Nunzia");
    click({11, 14}); // the owner's ambo
    caller.declarePrizeWon(1);
    const auto anna = cartellaWith({31, 32, 33, 34, 70}), bruno = cartellaWith({36, 37, 38, 39, 70});
    click({31, 32, 33, 36, 37, 38});
    EXPECT_EQ(evening.confirmClaim(anna, "1-1-X", "Anna"), std::nullopt) << "no quaterna yet";
    click({34});
    EXPECT_EQ(evening.confirmClaim(anna, "1-1-X", " Anna\t"), 2);
    click({39});
    EXPECT_EQ(evening.confirmClaim(bruno, "2-1-Y", "Bruno"), std::nullopt) << "an earlier number's quaterna";
    click({70});
    EXPECT_EQ(evening.confirmClaim(anna, "1-1-X", QString(50, 'a')), 3);
    voice.spoken.clear();
    EXPECT_EQ(evening.claimablePrize(bruno), 3);
    EXPECT_EQ(evening.confirmClaim(bruno, "2-1-Y"), 3);
    EXPECT_EQ(evening.confirmClaim(bruno, "2-1-Y"), std::nullopt) << "the same cartella twice";
    EXPECT_EQ(voice.take(), QStringList{"a parità il premio si divide"});
    EXPECT_EQ(caller.game().prizeInPlay(), kTombola) << "the ladder moves once";

    const QList<Winner> expected{{0, "Zia Nunzia", "", 14, 2}, {1, "in sala", "", 14, 2}, {2, "Anna", "1-1-X", 34, 9},
        {3, QString(40, 'a'), "1-1-X", 70, 11, true}, {3, "in sala", "2-1-Y", 70, 11, true}};
    caller.withdrawLastNumber();
    EXPECT_EQ(caller.game().prizeInPlay(), 3);
    EXPECT_EQ(evening.record().games.size(), 1);
    EXPECT_EQ(evening.record().games[0].winners, expected);
    EXPECT_EQ(evening.record().games[0].draws.last(), (Draw{70, true}));
    EXPECT_EQ(evening.record().games[0].liveOrder(), caller.game().drawOrder());

    evening.nameWinner(0, 1, "Lia");
    caller.startNewGame();
    click({5});
    EXPECT_EQ(evening.record().games.size(), 2);
    EXPECT_EQ(Evening(caller, store, now, &journal).record(), evening.record()) << "kept for the next start";
    EXPECT_EQ(EveningStore(folder.path()).currentEvening(), evening.record()) << "kept in the database";
    EXPECT_FALSE(store.values.contains(stored::kEveningRecord.path)) << "nothing of it in the settings";
    evening.startNewEvening();
    EXPECT_TRUE(EveningStore(folder.path()).currentEvening().games.isEmpty());
    EXPECT_EQ(journal.evenings().size(), 2);
}

TEST(EveningRecord, ADamagedRecordIsRefused)
{
    const QString game = "\nP 2026-12-06T21:30:00 1\nE";
    const QString good = "Serata 1" + game + " 5 7- 7\nV 0 7 2 0 42-3-K Zia Nunzia\nP 2026-12-06T22:00:00 0\nE";
    ASSERT_TRUE(EveningRecord::parse(good));
    EXPECT_EQ(EveningRecord::parse(good)->text(), good);
    const QString damaged[] = {
        "",
        "Serata 2\n",
        good + "\n",
        QString(good).replace("E 5 7- 7", "E 5 7 7"),
        QString(good).replace("5 7-", "91 7-"),
        QString(good).replace("Zia", "Zia\x01"),
        QString(good).replace("42-3-K", "42-3-k"),
        good.chopped(2),
        QString(good).replace("21:30:00", "25:30:00"),
        QString(good).replace("V 0", "V 6"),
        good + "\nV 0 7 2 0 - ",
        "Serata 1" + game.repeated(kMaxGames + 1),
        QString(good).replace("E 5", "E " + QString("5- ").repeated(kMaxDraws) + "5"),
    };
    for (const QString &text : damaged)
        EXPECT_EQ(EveningRecord::parse(text), std::nullopt) << text.left(80).toStdString();
}

TEST(EveningRecord, ExportsATableWithAHeaderAndAPagePerGame)
{
    const EveningRecord record = *EveningRecord::parse(
        "Serata 1\nP 2026-12-06T21:30:00 1\nE 5 7-\nV 0 5 1 0 42-3-K Rossi, \"Nino\"\nP 2026-12-06T22:00:00 0\nE 9");
    ASSERT_TRUE(csvOf(record).startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(csvOf(record).mid(3)).split("\r\n");
    EXPECT_EQ(lines[0], QString::fromUtf8("Partita,Inizio,Riga,Estratti,Numero,Premio,Vincitore,Cartella,Annullato"));
    EXPECT_EQ(lines[2], QString::fromUtf8("1,2026-12-06 21:30,Numero,2,7,,,,sì"));
    EXPECT_EQ(lines[3], "1,2026-12-06 21:30,Premio,1,5,Ambo,\"Rossi, \"\"Nino\"\"\",42-3-K,");
    // A formula's sign is guarded wherever a spreadsheet splitting on ',' or ';' starts a cell.
    for (const auto &[name, cell] : {std::pair{"Anna;=1+2", "\"Anna;'=1+2\""}, {"Bea, +39", "\"Bea, '+39\""},
             {"@SOMMA", "'@SOMMA"}, {"Maria-Luisa", "Maria-Luisa"}}) {
        const auto named = EveningRecord::parse(
            QStringLiteral("Serata 1\nP 2026-12-06T21:30:00 1\nE 5 7-\nV 0 5 1 0 42-3-K ") + QString::fromUtf8(name));
        ASSERT_TRUE(named) << name;
        const QString line = QString::fromUtf8(csvOf(*named).mid(3)).split("\r\n")[3];
        EXPECT_EQ(line.section(',', 6).section(",42-3-K", 0, 0), QString::fromUtf8(cell)) << name;
    }
    QTemporaryDir dir;
    ASSERT_TRUE(writePdf(record, dir.filePath("serata.pdf")));
    QFile pdf(dir.filePath("serata.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLatin1(pdf.readAll()).count(QRegularExpression("/Type /Page\\b")), 2);
}

class AutoCallerTest : public EveningTest {
protected:
    AutoCallerTest()
    {
        voice.holdsTexts = true;
        for (int k = 0; k < kCartelle; ++k) // no prize of the owner's but those a case makes
            caller.toggleCartella(k);
    }
    // The voice finishes, then time passes in ticks of the caller's timer.
    void quietFor(qint64 ms)
    {
        voice.speaking = false;
        for (qint64 t = 0; t <= ms; t += AutoCaller::kTickMs) {
            autoCaller.tick();
            clock.now += AutoCaller::kTickMs;
        }
    }
    AutoCaller autoCaller{caller, voice, clock, store};
};

TEST_F(AutoCallerTest, DrawsOnlyOnceTheVoiceHasBeenQuietForTheInterval)
{
    autoCaller.setIntervalSeconds(1);
    EXPECT_EQ(store.values[stored::kAutoCallSeconds.path], "3");
    autoCaller.setOn(true);
    EXPECT_EQ(voice.take(), QStringList{"estrazione automatica, un numero ogni 3 secondi"});
    for (int i = 0; i < 100; ++i, clock.now += 1000)
        autoCaller.tick();
    EXPECT_EQ(caller.game().drawnCount(), 0) << "never while speaking";
    quietFor(0);
    EXPECT_EQ(caller.game().drawnCount(), 1) << "the first as soon as the words are said";
    quietFor(2900);
    EXPECT_EQ(autoCaller.msToNextNumber(), 0);
    EXPECT_EQ(caller.game().drawnCount(), 1);
    autoCaller.tick();
    EXPECT_EQ(caller.game().drawnCount(), 2);
    EXPECT_EQ(autoCaller.msToNextNumber(), std::nullopt);
    // Held before its first number, it waits the whole interval as after any hold.
    autoCaller.setOn(false);
    autoCaller.setOn(true);
    autoCaller.togglePause();
    autoCaller.togglePause();
    quietFor(2900);
    EXPECT_EQ(caller.game().drawnCount(), 2);
    autoCaller.setIntervalSeconds(99);
    EXPECT_EQ(AutoCaller(caller, voice, clock, store).intervalSeconds(), 30);
}

TEST_F(AutoCallerTest, HoldsAtPrizesTheTombolaAndTheCallersPauseWaitsForAClaimAndGivesWayToManualMode)
{
    autoCaller.setOn(true);
    const struct {
        const char *what;
        std::function<void()> cause;
        AutoCaller::Hold hold;
        QStringList said;
    } cases[] = {
        {"space", [&] { autoCaller.togglePause(); }, AutoCaller::Hold::User, {"pausa"}},
        {"owner's prize",
            [&] {
                emit caller.prizesChecked(PrizeCheck{{RowPrize{0, 1, {1, 2}}}});
            },
            AutoCaller::Hold::Prize, {"pausa"}},
        {"declared", [&] { caller.declarePrizeWon(1); }, AutoCaller::Hold::Prize,
            {"il terno è uscito, si prosegue per la quaterna", "pausa"}},
        {"claim", [&] { autoCaller.setClaimOpen(true); }, AutoCaller::Hold::None, {}},
        {"tombola", [&] { caller.declarePrizeWon(kTombola); }, AutoCaller::Hold::Tombola, {"Tombola", "pausa"}},
    };
    for (const auto &step : cases) {
        voice.spoken.clear();
        step.cause();
        quietFor(60000);
        const int drawn = caller.game().drawnCount();
        EXPECT_EQ(autoCaller.hold(), step.hold) << step.what;
        EXPECT_EQ(voice.take(), step.said) << step.what;
        autoCaller.setClaimOpen(false);
        if (autoCaller.hold() != AutoCaller::Hold::None)
            autoCaller.togglePause();
        quietFor(8000);
        EXPECT_EQ(caller.game().drawnCount(), drawn + (step.hold == AutoCaller::Hold::Tombola ? 0 : 1)) << step.what;
    }
    caller.startNewGame();
    autoCaller.togglePause();
    caller.setManual(Manual::On);
    EXPECT_FALSE(autoCaller.isOn());
    EXPECT_EQ(voice.take().mid(1), (QStringList{"si riprende", "estrazione manuale", AutoCaller::kOffForManual}));
    autoCaller.setOn(true);
    EXPECT_EQ(caller.manual(), Manual::Off);
    EXPECT_EQ(voice.take(), (QStringList{"estrazione automatica", "un numero ogni 8 secondi"}));
}

TEST_F(EveningTest, APhonesClaimIsAnsweredForItsOwnPrizeAndRecordedWithTheNumberThatCompletedIt)
{
    for (int k = 1; k < kCartelle; ++k)
        caller.toggleCartella(k);
    using A = Evening::ClaimAnswer;
    const auto olga = cartellaWith({31, 32, 33, 70}), sara = cartellaWith({31, 32, 77}),
               piero = cartellaWith({41, 42, 78});
    click({31, 32, 50, 41, 42});
    const struct {
        const char *what;
        cartelle::Grid cartella;
        const char *code;
        int prize;
        A answer;
    } claims[] = {
        {"a terno not held", olga, "1-1-X", 1, A::NotHeld},
        {"an ambo completed at the 2nd number", olga, "1-1-X", 0, A::Declared},
        {"the same cartella again", olga, "1-1-X", 0, A::Gone},
        {"completed with the same number", sara, "3-1-Z", 0, A::Shared},
        {"completed later", piero, "2-1-Y", 0, A::Gone},
    };
    for (const auto &claim : claims)
        EXPECT_EQ(evening.answerClaim(claim.cartella, claim.code, "P", claim.prize), claim.answer) << claim.what;
    EXPECT_EQ(caller.game().prizeInPlay(), 1) << "an ambo claimed late declares no terno";
    click({33, 60, 61}); // olga's terno with the 6th number, confirmed at the 8th
    EXPECT_EQ(evening.answerClaim(olga, "1-1-X", "Olga", 1), A::Declared);
    const QList<Winner> expected{{0, "P", "1-1-X", 32, 2}, {0, "P", "3-1-Z", 32, 2}, {1, "Olga", "1-1-X", 33, 6}};
    EXPECT_EQ(evening.record().games[0].winners, expected);
}

TEST_F(EveningTest, AtTheNextStartTheEveningCatchesUpWithTheSavedGameBothWaysAndNeverDropsARow)
{
    const auto restart = [&](const QMap<QString, QString> &settings, std::initializer_list<int> more = {}) {
        store.values = settings;
        Caller next{voice, store, random, clock};
        next.reloadSavedGame();
        next.setManual(Manual::On);
        for (int n : more) // drawn by a program that died before its row
            next.clickNumber(n);
        Evening caughtUp(next, store, now, &journal);
        return EveningStore(folder.path()).currentEvening();
    };
    click({5, 40, 11});
    const QMap<QString, QString> atThree = store.values;
    click({14}); // the owner's ambo, written to the database only
    EveningRecord record = restart(atThree);
    EXPECT_EQ(record.games.last().liveOrder(), (QList{5, 40, 11}));
    EXPECT_EQ(record.games.last().draws.last(), (Draw{14, true}));
    EXPECT_TRUE(record.games.last().winners.value(0).withdrawn) << "its ambo";
    record = restart(atThree, {60});
    EXPECT_EQ(record.games.last().liveOrder(), (QList{5, 40, 11, 60})) << "the saved game's number drawn";
    const QMap<QString, QString> atFour = store.values;
    {
        Caller fresh{voice, store, random, clock}; // a new game's first draw, in the database only
        Evening following(fresh, store, now, &journal);
        fresh.drawNumber();
    }
    record = restart(atFour);
    ASSERT_EQ(record.games.size(), 2);
    EXPECT_EQ(record.games[0].liveOrder(), (QList{5, 40, 11, 60}));
    EXPECT_TRUE(record.games[1].liveOrder().isEmpty());
    EXPECT_EQ(record.games[1].draws.size(), 1);
}
