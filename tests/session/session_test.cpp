// SPDX-License-Identifier: GPL-3.0-or-later
#include "cartelle/code.h"
#include "network/protocol.h"
#include "session/session.h"
#include "support/fakes.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace board;

// The game run with no window: the owner's cartelle left out unless a case puts one back.
class SessionTest : public ::testing::Test {
protected:
    SessionTest()
    {
        for (int k = 0; k < kCartelle; ++k)
            caller.toggleCartella(k);
        caller.setManual(Manual::On);
    }
    static QList<int> numbersOf(cartelle::CartellaId id, int rows = cartelle::kRows)
    {
        QList<int> numbers;
        const auto serie = cartelle::generateSerie(id.serie);
        for (int r = 0; r < rows; ++r)
            for (int n : serie[id.cartella - 1][r])
                if (n > 0)
                    numbers << n;
        return numbers;
    }
    void click(const QList<int> &numbers)
    {
        for (int n : numbers)
            if (!caller.game().cell(n - 1).drawn)
                caller.clickNumber(n);
    }
    // A claim from a phone beyond the hall; the verdicts the phones heard meanwhile, "phone: text".
    QStringList claim(const QString &phone, int prize, cartelle::CartellaId id, bool confirm = false)
    {
        verdicts.clear();
        session.phones().takeRemoteClaim(phone, network::Claim{prize, id, phone});
        if (confirm)
            session.phones().confirmClaim();
        QStringList heard;
        for (const auto &verdict : verdicts)
            heard << verdict[0].toString() + ": " + verdict[1].toString();
        return heard;
    }
    int winnersOf(int prize) const
    {
        return int(std::ranges::count_if(
            session.evening().record().games.last().winners, [&](const auto &w) { return w.prize == prize; }));
    }

    FakeVoice voice;
    MemoryStore store;
    FakeRandom random{3};
    FakeClock clock;
    Session session{voice, store, random, clock};
    Caller &caller = session.caller();
    QSignalSpy verdicts{&session.phones(), &PhoneLink::remoteVerdict};
};

TEST_F(SessionTest, PhonesClaimsAreAnsweredForThePrizeStillToBeWon)
{
    const cartelle::CartellaId anna{1, 1}, bruno{2, 1}, carla{3, 1};
    click(numbersOf(anna, 1).mid(0, 2));
    // Bruno's first row completes the ambo after Anna's, with none of her numbers.
    QList<int> late;
    for (int n : numbersOf(bruno, 1))
        if (!numbersOf(anna).contains(n) && late.size() < 2)
            late << n;
    click(late);
    caller.setTombolinoPlayed(true);
    const QList<int> full = numbersOf(carla);
    click(full.mid(0, 14));
    caller.declarePrizeWon(kTombola); // in the room, before Carla's last number
    const QString gone = network::phone_texts::kPrizeGone;
    EXPECT_TRUE(claim("anna", 0, anna).isEmpty());
    EXPECT_TRUE(claim("bruno", 0, bruno).isEmpty()) << "queued behind Anna's";
    session.phones().confirmClaim();
    EXPECT_EQ(verdicts.size(), 2);
    EXPECT_EQ(verdicts[1][1].toString(), gone) << "Bruno's ambo waited behind Anna's";
    EXPECT_FALSE(session.phones().claimShown());
    click({full.last()});
    ASSERT_EQ(claim("carla", kTombola, carla, true).size(), 1);
    EXPECT_EQ(winnersOf(evening::kTombolino), 1) << "a full cartella after the tombola is the tombolino";
    EXPECT_TRUE(caller.game().over());
    EXPECT_EQ(claim("dino", kTombola, carla), QStringList{"dino: " + gone}) << "after the game is over";
    EXPECT_EQ(claim("anna", 1, anna), QStringList{"anna: " + gone});
}

TEST_F(SessionTest, TheOwnersTombolaIsRecordedOnceHoweverManyPressesFollow)
{
    caller.toggleCartella(0);
    caller.setManual(Manual::Off);
    while (!caller.game().over())
        caller.drawNumber();
    for (int press = 0; press < 3; ++press) {
        caller.drawNumber();
        caller.declarePrizeWon(kTombola);
    }
    EXPECT_EQ(winnersOf(kTombola), 1);
}

TEST_F(SessionTest, AFullBoardWithoutATombolaHoldsAutomaticCalling)
{
    session.autoCaller().setOn(true);
    for (int tick = 0; tick < 40'000; ++tick, clock.now += AutoCaller::kTickMs)
        session.autoCaller().tick();
    EXPECT_EQ(caller.game().drawnCount(), kCells);
    EXPECT_EQ(session.autoCaller().hold(), AutoCaller::Hold::Tombola);
    EXPECT_EQ(winnersOf(kTombola), 0);
}
