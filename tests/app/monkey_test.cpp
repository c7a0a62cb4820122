#include "form1_fixture.h"

#include "board/cartella_look.h"
#include "game/saved_draw.h"

#include <QApplication>
#include <QClipboard>
#include <random>

using namespace tabellone;

// Random user actions on the real window, with the game's invariants checked after each.
// MONKEY_SEED picks another seed for a longer hunt.
TEST_F(Form1Test, MonkeyKeepsTheGameWholeOverTwentyThousandRandomActions)
{
    LogCapture quiet;
    form->Timer2.stop();
    form->Timer3.stop();
    voice.engine->outcome = [n = 0](const QString &) mutable {
        using O = ScriptedEngine::Outcome;
        const O cycle[] = {O::Finish, O::Late, O::Finish, O::Fail, O::Finish, O::Hang, O::Finish};
        return cycle[n++ % 7];
    };
    std::mt19937 rng(qEnvironmentVariableIsSet("MONKEY_SEED") ? qEnvironmentVariableIntValue("MONKEY_SEED") : 20240);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    auto click = [](QWidget *widget, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(widget, button, {}, widget->rect().center());
    };
    const QString oddNames[] = {QString(),   "<speak>", "&amp;", "Anna\nMaria",
                                "🎉 Nonna 🎲", "سعيد",    QString(10000, u'x')};
    const int keyCodes[] = {37, 38, 39, 40, 113, 114, 115, 116, 117, 123};
    std::vector<QWidget *> controls{form->Check2, form->Check3,   form->Check5, form->Command1,
                                    form->Command5, form->Label7, form->Picture3, form->Image2,
                                    form->Label5, form->Label6,   form->Label3};
    controls.insert(controls.end(), form->Check1.begin(), form->Check1.end());
    controls.insert(controls.end(), form->Command4.begin(), form->Command4.end());
    controls.insert(controls.end(), form->Label4.begin(), form->Label4.end());
    std::discrete_distribution<int> which({20, 12, 30, 8, 3, 2, 4, 3});
    const QRect nameBox = form->Text1->geometry();
    int action = 0, draws = 0, lastKey = 0;
    bool whole = true;
    auto expect = [&](bool holds, const char *what) {
        if (!holds && whole)
            ADD_FAILURE() << "action " << action << ": " << what;
        whole = whole && holds;
    };

    for (; action < 20000 && whole; ++action) {
        const GameState before = form->state();
        const QString savedBefore = store.values.value(kSavedDrawKey);
        const bool canDraw = before.manuale == 0 && !before.tombolaOut() && before.drawnCount() < kCells;
        int newNumbers = -1;  // expected from a draw
        bool checks = false;  // the action runs the prize check, which saves the draw
        switch (which(rng)) {
        case 0:
            if (pick(3))
                click(form->Command2);
            else
                form->Command2_Click();
            newNumbers = canDraw;
            checks = true;
            break;
        case 1: {
            // A cell squeezed to nothing cannot be hit with the mouse.
            const int i = pick(kCells);
            if (form->Label1[i]->rect().isEmpty() || pick(2))
                form->Label1_Click(i);
            else
                click(form->Label1[i]);
            checks = true;
            break;
        }
        case 2:
            if (QWidget *control = controls[pick(int(controls.size()))]; control->isVisible())
                click(control, pick(4) ? Qt::LeftButton : Qt::RightButton);
            break;
        case 3: {
            const int code = pick(8) ? keyCodes[pick(10)] : pick(251);
            keys.taps = {code};
            form->Timer3_Timer();
            if (code == 40 && lastKey != 40) {
                newNumbers = canDraw;
                checks = true;
            }
            lastKey = code;
            break;
        }
        case 4:
            if (pick(2)) {
                QTest::keyClicks(form->Text1, QString("Ze <&>\"'").left(1 + pick(8)));
            } else {
                QApplication::clipboard()->setText(oddNames[pick(std::size(oddNames))]);
                form->Text1->selectAll();
                form->Text1->paste();
            }
            break;
        case 5:
            form->resize(pick(2) ? QSize(1 + pick(300), 1 + pick(300)) : QSize(1 + pick(4000), 1 + pick(3000)));
            break;
        case 6:
            form->Timer2_Timer();
            break;
        default:
            clock.now += pick(10) ? pick(20000) : 10'000'000;
            voice.engine->finishLate();
            voice.queue.checkStuck();
        }
        // The window is never exposed, so nothing paints by itself: paint it now and then.
        if (action % 500 == 0)
            form->grab();

        const GameState &state = form->state();
        int newlyDrawn = 0;
        for (int i = 0; i < kCells; ++i) {
            const Cell &cell = state.cells[i];
            newlyDrawn += cell.drawn && !before.cells[i].drawn;
            expect(!cell.owner || cell.drawn, "owner mark on a cell not drawn");
            expect(cell.inPlay == state.cartellaInPlay[cartellaOf(i)], "in-play mark disagrees with its cartella");
            expect(form->Label1[i]->drawn() == cell.drawn && form->Label1[i]->inPlay() == cell.inPlay,
                   "a cell shows other marks than the game holds");
        }
        if (newNumbers >= 0) {
            draws += newNumbers;
            expect(newlyDrawn == newNumbers, "a draw brought a number twice, or none, or one it should not");
            expect(newNumbers == 0 || !before.cells[*state.UltimoNumero - 1].drawn, "the last number was out before");
        }
        for (int i = 0; i < kPrizes; ++i) {
            expect(form->Check1[i]->value() == state.prize[i], "a prize box shows another value than the game holds");
            expect(textColour(form->Check1[i]) == (state.prizeRed[i] ? Qt::red : Qt::white),
                   "a prize caption has the wrong colour");
        }
        expect(form->Check2->value() == state.manuale && form->Check3->value() == state.scandito
                   && form->Check5->value() == state.smorfia,
               "a mode box shows another value than the game holds");
        expect(form->Label5->text() == state.lastNumberCaption && form->Label6->text() == state.smorfiaCaption,
               "the last number or the smorfia line shows something else");
        for (int k = 0; k < kCartelle; ++k) {
            const Rgb back = cartellaLabelBack(state.cartellaInPlay[k]);
            expect(backColour(form->Label4[k]) == QColor(back.r, back.g, back.b),
                   "a cartella label has the wrong colour");
            expect(form->Label4[k]->isEnabled() == !state.cartelleLocked, "a cartella label is wrongly locked");
        }
        expect(form->Text1->text() == state.nome && form->Text1->geometry() == nameBox, "the name box is off");
        const QString saved = store.values.value(kSavedDrawKey);
        expect(saved == (checks ? SavedDraw::of(state).text() : savedBefore),
               "the saved draw is not the board after the last check");
        expect(voice.queued.size() - voice.leftQueue.size() == voice.queue.waitingCount()
                   && voice.queue.waitingCount() <= QueuedVoice::maxWaiting,
               "the voice lost count of its queue");
    }
    for (QSize extreme : {QSize(1, 1), QSize(4000, 3000)}) {
        form->resize(extreme);
        form->grab();
    }
    voice.drain(clock);
    EXPECT_EQ(action, 20000);
    EXPECT_GT(draws, 1000);
    EXPECT_EQ(voice.leftQueue, voice.queued);
    EXPECT_FALSE(voice.queue.isSpeaking() || voice.queue.waitingCount() > 0);
}
