#include "faulty_platform.h"

#include "announcer/smorfia.h"
#include "app/form1.h"
#include "app/widgets.h"
#include "board/cartella_look.h"
#include "game/saved_draw.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <random>

using namespace tabellone;

namespace {

const QString kOddNames[] = {
    QString(), QStringLiteral("<speak>"), QStringLiteral("&amp;"), QStringLiteral("Mario <b>Rossi</b>"),
    QStringLiteral("Anna\nMaria"), QString::fromUtf8("🎉 Nonna 🎲"), QString::fromUtf8("سعيد الإيطالي"),
    QString(10000, u'x'), QStringLiteral("\t"), QStringLiteral("il tabellone")};
const int kKeyCodes[] = {37, 38, 39, 40, 113, 114, 115, 116, 117, 123};

// Random user actions on the real window, with the game's invariants checked after each.
class Monkey {
public:
    Monkey()
    {
        form.show();
        form.resize(1143, 734);
        // Timers tick only when an action says so.
        form.Timer2.stop();
        form.Timer3.stop();
        text1 = form.Text1->geometry();
        savedAtLastCheck = store.values.value(kSavedDrawKey);
        // Mostly a good engine, now and then slow, failing or hung.
        voice.engine->outcome = [n = 0](const QString &) mutable {
            using O = FaultyEngine::Outcome;
            const O cycle[] = {O::Finish, O::Late, O::Finish, O::Fail, O::Finish, O::Hang, O::Finish};
            return cycle[n++ % 7];
        };
    }

    void run(int actions)
    {
        const struct {
            int weight;
            const char *name;
            std::function<void()> run;
        } table[] = {
            {10, "Estrai Numero", [&] { click(form.Command2); drew = checked = true; }},
            {5, "Command2_Click", [&] { form.Command2_Click(); drew = checked = true; }},
            {12, "board cell", [&] { clickCell(pick(kCells)); checked = true; }},
            {4, "Manuale", [&] { click(form.Check2); }},
            {2, "Scandito", [&] { click(form.Check3); }},
            {2, "Smorfia", [&] { click(form.Check5); }},
            {3, "prize box", [&] { click(form.Check1[pick(kPrizes)]); }},
            {2, "prize box, right button", [&] { click(form.Check1[pick(kPrizes)], Qt::RightButton); }},
            {2, "prize box, space bar", [&] { spaceOn(form.Check1[pick(kPrizes)]); }},
            {3, "prize button", [&] { click(form.Command4[pick(kPrizes)]); }},
            {3, "cartella label", [&] { click(form.Label4[pick(kCartelle)]); }},
            {2, "Ricomincia", [&] { click(form.Command1); }},
            {2, "Ricarica ultima", [&] { click(form.Command5); }},
            {8, "keys", [&] { pressKeys(); }},
            {3, "name", [&] { typeName(); }},
            {2, "resize", [&] { resizeAtRandom(); }},
            {4, "Timer2", [&] { form.Timer2_Timer(); }},
            {2, "?", [&] { click(form.Label7); }},
            {1, "help page", [&] { form.Picture3->isVisible() ? click(form.Picture3) : form.Picture3_Click(); }},
            {1, "logo", [&] { click(form.Image2); }},
            {2, "last number", [&] { click(form.Label5); }},
            {1, "smorfia line", [&] { click(form.Label6); }},
            {1, "banner", [&] { form.Frame1->isVisible() ? click(form.Label3) : form.Label3_Click(); }},
            {3, "time passes", [&] { letTimePass(); }},
        };
        std::vector<int> weights;
        for (const auto &entry : table)
            weights.push_back(entry.weight);
        std::discrete_distribution<int> which(weights.begin(), weights.end());

        for (action = 0; action < actions && failure.isEmpty(); ++action) {
            const int chosen = which(rng);
            before = form.state();
            spokenBefore = int(voice.said.size());
            drew = checked = resync = false;
            lastAction = table[chosen].name;
            table[chosen].run();
            // The window is never exposed, so nothing paints by itself: paint it now and then.
            if (action % 500 == 0)
                form.grab();
            checkInvariants();
        }
        for (QSize extreme : {QSize(1, 1), QSize(4000, 3000)}) {
            form.resize(extreme);
            form.grab();
        }
        voice.drain(clock);
        expect(voice.leftQueue == voice.queued, "the voice let texts go out of call order");
        expect(!voice.queue.isSpeaking() && voice.queue.waitingCount() == 0, "the voice did not drain");
    }

    QString failure;
    long checks = 0;
    int action = 0;
    int drawsSeen = 0;

private:
    int pick(int n) { return int(rng() % unsigned(n)); }
    void click(QWidget *widget, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(widget, button, {}, widget->rect().center());
    }
    void clickCell(int i)
    {
        // A cell squeezed to nothing cannot be hit with the mouse.
        if (!form.Label1[i]->rect().isEmpty() && pick(2))
            click(form.Label1[i]);
        else
            form.Label1_Click(i);
    }
    void spaceOn(QWidget *box)
    {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
    }
    void pressKeys()
    {
        QSet<int> taps;
        for (int n = pick(3); n >= 0; --n)
            taps << (pick(8) ? kKeyCodes[pick(10)] : pick(251));
        keys.taps = taps;
        form.Timer3_Timer();
        const bool prizeKeys = taps.contains(123) || std::any_of(taps.begin(), taps.end(), [](int c) { return c >= 113 && c <= 117; });
        // A key seen down at the previous tick too counts as held: it does not act again.
        const bool downActs = taps.contains(40) && !lastTaps.contains(40);
        lastTaps = taps;
        if (downActs) {
            drew = !taps.contains(123);
            checked = !prizeKeys;
            resync = prizeKeys;
        }
    }
    void typeName()
    {
        switch (pick(4)) {
        case 0: QTest::keyClicks(form.Text1, QStringLiteral("Ze <&>\"'").left(1 + pick(8))); break;
        case 1: form.Text1->setText(kOddNames[pick(std::size(kOddNames))]); break;
        case 2: QApplication::clipboard()->setText(kOddNames[pick(std::size(kOddNames))]);
                form.Text1->selectAll();
                form.Text1->paste();
                break;
        default: form.Text1->selectAll(); QTest::keyClick(form.Text1, Qt::Key_Backspace); break;
        }
    }
    void resizeAtRandom()
    {
        const QSize sizes[] = {{1, 1}, {4000, 3000}, {134, 41}, {1 + pick(300), 1 + pick(300)},
                               {1 + pick(4000), 1 + pick(3000)}};
        form.resize(sizes[pick(5)]);
    }
    void letTimePass()
    {
        clock.now += pick(10) ? pick(20000) : 10'000'000;
        voice.engine->finishLate();
        voice.queue.checkStuck();
    }

    void expect(bool holds, const char *what)
    {
        ++checks;
        if (!holds && failure.isEmpty())
            failure = QStringLiteral("action %1 (%2): %3").arg(action).arg(QLatin1String(lastAction), QLatin1String(what));
    }

    void checkInvariants()
    {
        const GameState &state = form.state();
        int newlyDrawn = 0, newNumber = 0;
        for (int i = 0; i < kCells; ++i) {
            const Cell &cell = state.cells[i];
            expect(!cell.owner || cell.drawn, "owner mark on a cell not drawn");
            expect(cell.inPlay == state.cartellaInPlay[cartellaOf(i)], "in-play mark disagrees with its cartella");
            expect(form.Label1[i]->drawn() == cell.drawn && form.Label1[i]->inPlay() == cell.inPlay,
                   "a cell shows other marks than the game holds");
            if (cell.drawn && !before.cells[i].drawn)
                ++newlyDrawn, newNumber = numberOf(i);
        }
        for (int i = 0; i < kPrizes; ++i) {
            expect(form.Check1[i]->value() == state.prize[i] && state.prize[i] >= 0 && state.prize[i] <= 2,
                   "a prize box shows another value than the game holds");
            expect(form.Check1[i]->palette().color(QPalette::WindowText) == (state.prizeRed[i] ? Qt::red : Qt::white),
                   "a prize caption has the wrong colour");
        }
        expect(form.Check2->value() == state.manuale && form.Check3->value() == state.scandito
                   && form.Check5->value() == state.smorfia,
               "a mode box shows another value than the game holds");
        expect(form.Label5->text() == state.lastNumberCaption && form.Label6->text() == state.smorfiaCaption,
               "the last number or the smorfia line shows something else");
        for (int k = 0; k < kCartelle; ++k) {
            const Rgb back = cartellaLabelBack(state.cartellaInPlay[k]);
            expect(form.Label4[k]->palette().color(QPalette::Window) == QColor(back.r, back.g, back.b),
                   "a cartella label has the wrong colour");
            expect(form.Label4[k]->isEnabled() == !state.cartelleLocked, "a cartella label is wrongly locked");
        }
        expect(form.Text1->text() == state.nome, "the owner's name is not what Text1 shows");
        expect(form.Text1->geometry() == text1, "the name box moved");

        // Numbers come out once: an automatic draw brings exactly one new number and says it.
        for (auto it = outByDraw.begin(); it != outByDraw.end();)
            it = state.cells[*it - 1].drawn ? std::next(it) : outByDraw.erase(it);
        const bool canDraw = before.manuale == 0 && !before.tombolaOut() && before.drawnCount() < kCells;
        if (drew && canDraw) {
            ++drawsSeen;
            expect(newlyDrawn == 1 && state.UltimoNumero == newNumber, "a draw did not bring one new number");
            expect(!outByDraw.contains(newNumber), "a number was drawn twice");
            outByDraw.insert(newNumber);
            const QStringList spoken = voice.said.mid(spokenBefore);
            const QString n = QString::number(newNumber);
            expect(spoken.contains(state.smorfia != 0 ? smorfia.value(newNumber - 1) : n)
                       || spoken.contains(phrases::kNumberOut + n),
                   "a drawn number was not announced");
        } else if (drew) {
            expect(newlyDrawn == 0, "a draw brought a number in manual mode, after the tombola or with a full board");
        }

        // The saved draw describes the board after the last check, and nothing else writes it.
        const QString saved = store.values.value(kSavedDrawKey);
        if (checked) {
            expect(saved == SavedDraw::of(state).text(), "the saved draw is not the board after the check");
            savedAtLastCheck = saved;
        } else if (resync) {
            expect(SavedDraw::parse(saved).has_value(), "the saved draw is damaged");
            savedAtLastCheck = saved;
        }
        expect(saved == savedAtLastCheck, "the saved draw changed without a check");
        expect(voice.queued.size() - voice.leftQueue.size() == voice.queue.waitingCount()
                   && voice.queue.waitingCount() <= QueuedVoice::maxWaiting,
               "the voice lost count of its queue");
    }

    FakeClock clock;
    RecordingVoice voice{clock};
    MemoryStore store;
    FakeKeyState keys;
    FakeUrlOpener urls;
    FakeRandom random{7};
    Form1 form{Platform{voice, store, keys, urls, random, clock}};
    // A fixed seed; MONKEY_SEED picks another for a longer hunt.
    std::mt19937 rng{unsigned(qEnvironmentVariableIsSet("MONKEY_SEED") ? qEnvironmentVariableIntValue("MONKEY_SEED") : 20240)};
    const QStringList smorfia = CaricaSmorfia();
    QRect text1;
    GameState before;
    int spokenBefore = 0;
    const char *lastAction = "";
    bool drew = false, checked = false, resync = false;
    QString savedAtLastCheck;
    QSet<int> outByDraw;
    QSet<int> lastTaps;
};

TEST(Monkey, TwentyThousandRandomActionsKeepTheGameWhole)
{
    QLoggingCategory::setFilterRules(QStringLiteral("sorteggina.speech.warning=false"));
    Monkey monkey;
    monkey.run(20000);
    EXPECT_TRUE(monkey.failure.isEmpty()) << monkey.failure.toStdString();
    EXPECT_EQ(monkey.action, 20000);
    EXPECT_GT(monkey.drawsSeen, 1000);
    std::cout << "monkey: " << monkey.action << " actions, " << monkey.drawsSeen << " draws, "
              << monkey.checks << " invariant checks\n";
    QLoggingCategory::setFilterRules(QString());
}

} // namespace
