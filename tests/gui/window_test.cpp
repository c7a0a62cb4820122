// SPDX-License-Identifier: GPL-3.0-or-later
#include "cartelle/code.h"
#include "game/game.h"
#include "gui/banner_overlay.h"
#include "gui/board_view.h"
#include "gui/board_window.h"
#include "gui/claim_dialog.h"
#include "gui/claim_notice_bar.h"
#include "gui/control_column.h"
#include "gui/drawn_numbers_dialog.h"
#include "gui/hall_window.h"
#include "gui/help_page.h"
#include "gui/more_menu.h"
#include "gui/network_dialog.h"
#include "gui/number_displays.h"
#include "gui/option_box.h"
#include "gui/widget_look.h"
#include "gui/winner_name_box.h"
#include "gui/winners_dialog.h"
#include "input/keyboard_poll.h"
#include "layout/look.h"
#include "platform/key_state_filter.h"
#include "session/phone_link.h"
#include "support/fakes.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWebSocket>
#include <gtest/gtest.h>

// The caller's window on fakes, shown offscreen at its design size.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() { open(keys); }
    void open(KeyState &keyState)
    {
        window.reset();
        window = std::make_unique<BoardWindow>(Platform{voice, store, keyState, urls, random, clock});
        window->show();
        window->resize(1143, 734);
        controls = window->parts().controls;
        voice.spoken.clear();
    }
    void clickNumber(int number)
    {
        QTest::mouseClick(
            window->parts().board, Qt::LeftButton, {}, window->parts().board->cellRect(number - 1).center());
    }
    static QColor textColour(QWidget *w) { return w->palette().color(QPalette::WindowText); }

    FakeVoice voice;
    MemoryStore store;
    FakeKeyState keys;
    FakeUrlOpener urls;
    FakeRandom random;
    FakeClock clock;
    std::unique_ptr<BoardWindow> window;
    ControlColumn *controls = nullptr;
};

TEST_F(WindowTest, StartsAsAFreshGameWithTheBoardFillingTheWindow)
{
    EXPECT_EQ(window->parts().displays->lastNumber->text(), "OV");
    EXPECT_EQ(window->parts().displays->smorfiaLine->text(), "La smorfia napoletana");
    EXPECT_EQ(controls->ownerName->text(), "il tabellone");
    EXPECT_FALSE(window->parts().banner->isVisible() || window->parts().help);
    for (QSize size : {QSize(1143, 734), QSize(1920, 1080), QSize(300, 200)}) {
        window->resize(size);
        size = window->size();
        EXPECT_LE(window->parts().more->button->geometry().bottom(), size.height())
            << "every control of the column whole";
        const QRect panel = window->parts().board->geometry();
        EXPECT_EQ(panel.right(), size.width() - 1);
        EXPECT_EQ(window->parts().board->cellRect(89).bottomRight(), QPoint(panel.width() - 1, panel.height() - 1));
        EXPECT_EQ(window->parts().displays->smorfiaLine->geometry().bottom(), size.height() - 1);
    }
}

// What a 1366x768 screen at desktop scales 2 and 3 leaves the window, and a tall one.
TEST_F(WindowTest, EveryControlOfTheColumnStaysInsideAWindowThatFitsTheScreen)
{
    for (QSize size : {QSize(683, 360), QSize(455, 230), QSize(1143, 734)}) {
        window->resize(size);
        ASSERT_EQ(window->size(), size) << "the window fits the screen";
        const QList<QWidget *> placed = controls->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        for (QWidget *control : placed) {
            const QRect place(control->mapTo(window.get(), QPoint(0, 0)), control->size());
            EXPECT_TRUE(window->rect().contains(place))
                << control->accessibleName().toStdString() << " at " << size.height();
            EXPECT_LE(place.right(), window->parts().board->x()) << control->accessibleName().toStdString();
        }
    }
    EXPECT_EQ(controls->drawButton->geometry(), QRect(14, 537, 103, 53)) << "as designed where there is room";
    EXPECT_EQ(controls->drawButton->font().pointSizeF(), 8.25);
}

// The board is drawn on a thread of its own before its first paint, again when its size
// changes: the cells it draws are the ones a paint draws, and a number drawn meanwhile is
// shown too.
TEST(BoardViewTest, TheBoardDrawnAheadMatchesCellsDrawnByAPaintAndShowsANumberDrawnMeanwhile)
{
    Game game, allLeftOut;
    for (int cartella = 0; cartella < board::kCartelle; ++cartella)
        allLeftOut.toggleCartella(cartella);
    BoardView ahead, reference;
    ahead.resize(600, 400);
    ahead.showGame(game);
    ahead.drawAhead();
    // Resized meanwhile, as a window manager maximising the window does.
    for (BoardView *view : {&ahead, &reference})
        view->resize(700, 450);
    ahead.drawAhead();
    game.takeFromBag(42);
    ahead.showGame(game);
    // Every cell of the reference changes after its first picture: all drawn again by a paint.
    reference.showGame(allLeftOut);
    reference.grab();
    reference.showGame(game);
    const QImage drawn = ahead.grab().toImage();
    EXPECT_EQ(drawn, reference.grab().toImage());
    EXPECT_EQ(drawn.pixelColor(ahead.cellRect(41).topLeft() + QPoint(3, 3)), look::kDrawnRed);
}

TEST(ClaimDialogTest, ARefusedCodeClearsTheCartellaAndItsVerdictAndIsSpoken)
{
    ClaimDialog dialog;
    QSignalSpy spoken(&dialog, &ClaimDialog::verdictReady);
    auto *code = dialog.findChild<QLineEdit *>("code");
    auto *verdict = dialog.findChild<QLabel *>("verdict");
    auto *verify = dialog.findChild<QPushButton *>("verify");
    code->setText(cartelle::printedCode({42, 3}));
    verify->click();
    EXPECT_TRUE(verdict->text().startsWith("Cartella 42-3"));
    code->setText("42-3-?");
    verify->click();
    EXPECT_EQ(dialog.findChild<QLabel *>("caption")->text(), "Nessuna cartella");
    EXPECT_TRUE(verdict->text().isEmpty());
    for (QLabel *cell : dialog.findChild<QWidget *>("cartella")->findChildren<QLabel *>())
        EXPECT_TRUE(cell->text().isEmpty());
    ASSERT_EQ(spoken.size(), 2);
    EXPECT_EQ(spoken[1][0].toString(), dialog.findChild<QLabel *>("problem")->text());
}

TEST_F(WindowTest, PrizeBoxSpeaksAndStoresOnAMouseReleaseOnly)
{
    OptionBox *ambo = controls->prizeBoxes[0];
    QTest::mouseClick(ambo, Qt::LeftButton);
    EXPECT_EQ(textColour(ambo), QColor(Qt::red));
    QTest::mouseClick(ambo, Qt::RightButton);
    QTest::mouseClick(ambo, Qt::LeftButton);
    EXPECT_EQ(textColour(ambo), QColor(Qt::white));
    EXPECT_EQ(voice.take(), (QStringList{"Ambo non presente.", "Ambo non presente.", "Ambo presente."}));
    EXPECT_EQ(store.values["Settaggio/Ambo"], "0");

    controls->prizeBoxes[1]->setFocus();
    QTest::keyClick(controls->prizeBoxes[1], Qt::Key_Space);
    EXPECT_EQ(window->caller().game().prizeBox(1), PrizeBox::Ticked);
    EXPECT_EQ(textColour(controls->prizeBoxes[1]), QColor(Qt::white));
    EXPECT_TRUE(voice.spoken.isEmpty());
    EXPECT_FALSE(store.values.contains("Settaggio/Terno"));
}

TEST_F(WindowTest, CartelleAreLeftOutUntilTheFirstCheckAndStaySoInTheNextGame)
{
    QTest::mouseClick(controls->cartellaLabels[2], Qt::LeftButton);
    for (int cell = 0; cell < board::kCells; ++cell)
        EXPECT_EQ(window->parts().board->inPlay(cell), board::cartellaOf(cell) != 2) << cell;
    EXPECT_EQ(controls->cartellaLabels[2]->palette().color(QPalette::Window), QColor(255, 192, 128));
    QTest::mouseClick(controls->drawButton, Qt::LeftButton);
    EXPECT_FALSE(controls->cartellaLabels[0]->isEnabled());
    QTest::mouseClick(controls->cartellaLabels[2], Qt::LeftButton);
    EXPECT_FALSE(window->parts().board->inPlay(30));
    QTest::mouseClick(controls->newGameButton, Qt::LeftButton);
    EXPECT_TRUE(controls->cartellaLabels[2]->isEnabled());
    EXPECT_FALSE(window->parts().board->inPlay(30));
}

TEST_F(WindowTest, BannerBlinksTheTombolaAndShowsAPrizeMessageAtOnceAndAClickOnItOnlyDropsIt)
{
    BannerOverlay *shown = window->parts().banner;
    QTest::mouseClick(controls->prizeButtons[4], Qt::LeftButton);
    ASSERT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->text(), " TOMBOLA ");
    const QRect panel = window->parts().board->rect(), banner = shown->geometry();
    EXPECT_LE(std::abs(banner.left() - (panel.width() - banner.right() - 1)), 1);
    EXPECT_LE(std::abs(banner.top() - (panel.height() - banner.bottom() - 1)), 1);
    shown->tick();
    EXPECT_FALSE(shown->isVisible());
    shown->tick();
    EXPECT_TRUE(shown->isVisible());

    QTest::mouseClick(controls->newGameButton, Qt::LeftButton);
    QTest::mouseClick(controls->manualBox, Qt::LeftButton);
    clickNumber(12);
    clickNumber(14);
    QTest::mouseClick(controls->helpButton, Qt::LeftButton);
    ASSERT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->text(), " 12, 14 ");
    EXPECT_EQ(window->parts().board->childAt(shown->geometry().center()), shown);
    const QString saved = store.values["Settaggio/SalvaUlt"];
    voice.spoken.clear();
    QTest::mouseClick(shown, Qt::LeftButton);
    EXPECT_FALSE(shown->isVisible());
    EXPECT_EQ(window->caller().game().drawOrder(), (QList<int>{12, 14})) << "the cell under the banner is left alone";
    EXPECT_EQ(store.values["Settaggio/SalvaUlt"], saved);
    EXPECT_TRUE(voice.spoken.isEmpty());
}

TEST_F(WindowTest, HelpTogglesAtItsPlaceADrawHidesItAndTheLogoOpensThePage)
{
    QTest::mouseClick(controls->helpButton, Qt::LeftButton);
    ASSERT_TRUE(window->parts().help->isVisible());
    EXPECT_EQ(window->parts().help->pos(), QPoint(7, 7));
    QTest::mouseClick(window->parts().help, Qt::LeftButton);
    EXPECT_FALSE(window->parts().help->isVisible());
    QTest::mouseClick(controls->helpButton, Qt::LeftButton);
    window->drawNumber();
    EXPECT_FALSE(window->parts().help->isVisible());
    QTest::mouseClick(controls->logo, Qt::LeftButton);
    ASSERT_EQ(urls.opened.size(), 1);
    EXPECT_EQ(urls.opened[0].path() + "?" + urls.opened[0].query(), "/ftp/?tombola");
}

// Real key events, through the application's key state as the running program gets them:
// each acts as it arrives, with no reading of the keyboard in between.
class KeysTest : public WindowTest {
protected:
    KeysTest()
    {
        qApp->installEventFilter(&filter);
        open(filter);
        QApplication::setActiveWindow(window.get());
        handle = window->windowHandle();
    }
    ~KeysTest() override { qApp->removeEventFilter(&filter); }
    int drawn() { return window->caller().game().drawnCount(); }

    KeyStateFilter filter;
    QWindow *handle = nullptr;
};

TEST_F(KeysTest, EachPressActsAtOnceWhateverHasTheFocusButNotInADialog)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    controls->ownerName->setFocus();
    controls->ownerName->setCursorPosition(5);
    QTest::keyClick(handle, Qt::Key_Left);
    EXPECT_EQ(controls->ownerName->cursorPosition(), 4) << "the name box keeps its own meaning of the key";
    // A held key, its repeats arriving as presses the platform does not flag.
    for (int repeat = 0; repeat < 3; ++repeat)
        QTest::keyPress(handle, Qt::Key_Down);
    QTest::keyRelease(handle, Qt::Key_Down);
    QTest::keyClick(handle, Qt::Key_Right);
    QTest::keyClick(handle, Qt::Key_F2);
    EXPECT_EQ(controls->smorfiaBox->value() + controls->scanditoBox->value(), 2);
    EXPECT_EQ(store.values["Settaggio/Smorfia"], "1");
    EXPECT_EQ(drawn(), 1);
    EXPECT_EQ(controls->prizeBoxes[0]->value(), 1);
    window->keyboardPoll().tick();
    EXPECT_EQ(drawn(), 1) << "a press taken as it came is not read again";
    // As a screen reader sends keys again: with no moment, not spontaneous, repeats flagged.
    for (const auto &[type, repeat] : {std::pair{QEvent::KeyPress, false}, {QEvent::KeyPress, true},
             {QEvent::KeyRelease, false}, {QEvent::KeyPress, false}, {QEvent::KeyRelease, false}}) {
        QKeyEvent again(type, Qt::Key_Down, Qt::NoModifier, QString(), repeat);
        QApplication::sendEvent(handle, &again);
    }
    EXPECT_EQ(drawn(), 3) << "two presses sent again by a screen reader";

    QTest::keyClick(handle, Qt::Key_F12);
    EXPECT_EQ(drawn(), 0);
    EXPECT_EQ(window->parts().displays->lastNumber->text(), "OV");

    // Elsewhere a game key has no second effect: the focus stays where it is.
    controls->prizeButtons[0]->setFocus();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Right, Qt::Key_Up, Qt::Key_F2})
        QTest::keyClick(handle, key);
    EXPECT_EQ(QApplication::focusWidget(), controls->prizeButtons[0]);

    // In manual mode a number typed from the bag is marked as a click marks it.
    QTest::mouseClick(controls->manualBox, Qt::LeftButton);
    for (Qt::Key key : {Qt::Key_4, Qt::Key_9, Qt::Key_Backspace, Qt::Key_2})
        QTest::keyClick(handle, key);
    EXPECT_EQ(window->parts().displays->typedNumber->text(), "42");
    QTest::keyClick(handle, Qt::Key_Return);
    QTest::keyClick(handle, Qt::Key_7);
    QTest::keyClick(handle, Qt::Key_Escape);
    EXPECT_TRUE(window->parts().board->drawn(41));
    EXPECT_EQ(drawn(), 2);
    EXPECT_TRUE(window->parts().displays->typedNumber->text().isEmpty());
    voice.spoken.clear();
    for (Qt::Key key : {Qt::Key_9, Qt::Key_5, Qt::Key_Return})
        QTest::keyClick(handle, key);
    EXPECT_EQ(drawn(), 2) << "95 marks nothing";
    EXPECT_EQ(voice.spoken, QStringList{"Numero 95 non valido: da 1 a 90"});
    EXPECT_EQ(window->parts().notice->text(), voice.spoken.value(0));
    QTest::keyClick(handle, Qt::Key_3);
    EXPECT_FALSE(window->parts().notice->isVisible());
    QTest::keyClick(handle, Qt::Key_Escape);

    // A dialog of the program, then another program.
    QDialog dialog(window.get());
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QTest::keyClick(dialog.windowHandle(), Qt::Key_Down);
    window->keyboardPoll().tick();
    EXPECT_EQ(drawn(), 2) << "no draw from a dialog's key";
}

TEST_F(KeysTest, ThePlayersScreenLeavesTheKeysToTheCallerTakesThemWhenClickedAndReopensAfterTheEnd)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(handle, Qt::Key_F7);
    HallWindow *hall = window->parts().more->hall();
    ASSERT_TRUE(hall && hall->isVisible());
    QTest::keyClick(handle, Qt::Key_Down);
    QApplication::setActiveWindow(hall);
    QTest::keyClick(hall->windowHandle(), Qt::Key_F12);
    QTest::keyClick(hall->windowHandle(), Qt::Key_Down);
    EXPECT_EQ(drawn(), 1) << "a new game and a draw from the players' screen";
    QTest::keyClick(hall->windowHandle(), Qt::Key_F7);
    EXPECT_FALSE(hall->isVisible());
    EXPECT_EQ(store.values["Sala/Aperta"], "0");

    for (QAction *item : window->parts().more->menu->actions())
        if (item->text() == "Schermo sala (F7)")
            item->trigger();
    ASSERT_TRUE(hall->isVisible());
    // The end of the program closes every window.
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(qApp, &quit);
    EXPECT_FALSE(hall->isVisible());
    EXPECT_EQ(store.values["Sala/Aperta"], "1");
    // That quit makes every event loop started later in this process end at once (a modal
    // question, a wait for a socket); the application's own loop, run and left, clears it.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

// The question's button with that caption clicked as soon as the question is up.
static void answerSoon(const QString &caption)
{
    QTimer::singleShot(0, [caption] {
        QWidget *question = QApplication::activeModalWidget();
        if (!question)
            return answerSoon(caption);
        for (QPushButton *button : question->findChildren<QPushButton *>())
            if (button->text() == caption)
                button->click();
    });
}

TEST_F(KeysTest, AutomaticCallingPausesOnSpaceOutsideATextBoxAndAsksBeforeANumberGoesBack)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::mouseClick(controls->manualBox, Qt::LeftButton);
    QTest::keyClick(handle, Qt::Key_T, Qt::ControlModifier);
    AutoCaller &autoCaller = window->autoCaller();
    ASSERT_TRUE(autoCaller.isOn());
    EXPECT_EQ(window->caller().manual(), Manual::Off) << "manual mode and automatic calling exclude each other";
    // The first number comes at once, whether the calling's own timer or this tick draws it.
    autoCaller.tick();
    EXPECT_EQ(drawn(), 1);
    EXPECT_TRUE(window->parts().nextNumber->isVisible());

    // Test key events carry no time: another key between two presses of one, lest they be taken for a repeat.
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(handle, key, modifiers);
        QTest::keyClick(handle, Qt::Key_Shift);
    };
    controls->drawButton->setFocus();
    press(Qt::Key_Space);
    EXPECT_EQ(drawn(), 1) << "Space does not press the focused button";
    EXPECT_EQ(autoCaller.hold(), AutoCaller::Hold::User);
    EXPECT_TRUE(window->parts().notice->isVisible());
    controls->ownerName->setFocus();
    const qsizetype nameLength = controls->ownerName->text().size();
    press(Qt::Key_Space);
    EXPECT_EQ(controls->ownerName->text().size(), nameLength + 1);
    EXPECT_EQ(autoCaller.hold(), AutoCaller::Hold::User) << "a space typed in the owner's name";
    controls->drawButton->setFocus();
    press(Qt::Key_Space);
    EXPECT_FALSE(window->parts().notice->isVisible());

    answerSoon("No");
    window->withdrawLastNumber();
    EXPECT_EQ(drawn(), 1);
    EXPECT_FALSE(autoCaller.claimOpen()) << "automatic calling goes on after the answer";

    // The question answered with no window manager leaves no window active, the keys reaching
    // the window under the pointer: Space there, on the players' screen, in the list of numbers.
    window->toggleHall();
    window->parts().more->showDrawnNumbers();
    auto *list = window->findChild<DrawnNumbersDialog *>();
    ASSERT_TRUE(list);
    controls->prizeButtons[0]->setFocus();
    QApplication::setActiveWindow(nullptr);
    QEvent deactivate(QEvent::ApplicationDeactivate);
    for (QWindow *where : {handle, window->parts().more->hall()->windowHandle(), list->windowHandle()}) {
        QApplication::sendEvent(qApp, &deactivate);
        const AutoCaller::Hold before = autoCaller.hold();
        QTest::keyClick(where, Qt::Key_Space);
        QTest::keyClick(where, Qt::Key_Shift);
        EXPECT_NE(autoCaller.hold(), before) << where->title().toStdString();
    }
    EXPECT_EQ(controls->prizeBoxes[0]->value(), 0) << "the focused F2 button is not pressed";
}

TEST_F(WindowTest, AConfirmedClaimAndAPrizeOfTheRoomAreRecordedWithTheirNamesAndShownToThePlayers)
{
    window->toggleHall();
    HallWindow *hall = window->parts().more->hall();
    QTest::mouseClick(controls->manualBox, Qt::LeftButton);
    const cartelle::Grid cartella = cartelle::generateSerie(42)[2];
    QList<int> row;
    for (int n : cartella[0])
        if (n > 0 && row.size() < 2)
            row << n;
    for (int n : row)
        window->caller().clickNumber(n);
    window->parts().more->checkClaim();
    auto *dialog = window->findChild<ClaimDialog *>();
    auto *confirm = dialog->findChild<QPushButton *>("confirm");
    EXPECT_FALSE(confirm->isEnabled());
    dialog->findChild<QLineEdit *>("code")->setText(cartelle::printedCode({42, 3}));
    dialog->findChild<QPushButton *>("verify")->click();
    ASSERT_TRUE(confirm->isEnabled());
    EXPECT_TRUE(window->autoCaller().claimOpen());
    dialog->findChild<QLineEdit *>("winnerName")->setText("Mario");
    confirm->click();
    EXPECT_FALSE(confirm->isEnabled()) << "the ambo is won";
    EXPECT_EQ(hall->lines().mid(3), (QStringList{"AMBO", "", "Mario"}));
    dialog->reject();
    EXPECT_FALSE(window->autoCaller().claimOpen());

    QTest::mouseClick(controls->prizeButtons[1], Qt::LeftButton);
    WinnerNameBox *nameBox = window->parts().winnerName;
    ASSERT_TRUE(nameBox->isVisible());
    EXPECT_FALSE(nameBox->name->hasFocus());
    QTest::keyClicks(nameBox->name, "Lia");
    QTest::keyClick(nameBox->name, Qt::Key_Return);
    EXPECT_FALSE(nameBox->isVisible());
    window->parts().more->showWinners();
    auto *list = window->findChild<WinnersDialog *>()->list;
    const QTreeWidgetItem *game = list->topLevelItem(0);
    ASSERT_EQ(game->childCount(), 2);
    EXPECT_TRUE(game->child(0)->text(0).startsWith("Ambo: Mario, con il"));
    EXPECT_TRUE(game->child(1)->text(0).startsWith("Terno: Lia"));

    const int extra = row.contains(90) ? 89 : 90;
    window->caller().clickNumber(extra);
    ASSERT_TRUE(hall->board->drawn(extra - 1));
    window->caller().clickNumber(extra);
    EXPECT_FALSE(hall->board->drawn(extra - 1)) << "the players' screen follows a number given back";
}

TEST_F(WindowTest, AStoredPortIsRefusedByNameAndAPortThatCannotBeOpenedIsNamedInTheWindow)
{
    const int port = 20000 + (QCoreApplication::applicationPid() + 13) % 20000;
    const auto notice = [&] {
        return window->parts().notice->isVisible() ? window->parts().notice->text() : QString();
    };
    for (const auto &[text, served] : {std::pair{QString("0"), false}, {"-5", false}, {"1023", false}, {"65536", false},
             {"abc", false}, {QString::number(port), true}}) {
        store.values = {{"Rete/Attiva", "true"}, {"Rete/Porta", text}};
        open(keys);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !(served ? window->phones().urls() : QStringList{notice()}).value(0).isEmpty(); }, 5000));
        EXPECT_EQ(notice().contains(QString::fromUtf8("«%1»").arg(text)) && window->phones().urls().isEmpty(), !served)
            << text.toStdString();
    }
    // A port taken: named in the window until the phones are served again.
    QTcpServer taker;
    window->phones().setActive(false, quint16(port));
    ASSERT_TRUE(taker.listen(QHostAddress::Any, quint16(port)));
    window->phones().setActive(true, quint16(port));
    EXPECT_TRUE(QTest::qWaitFor([&] { return notice().startsWith("Telefoni non attivi"); }, 5000));
    taker.close();
    window->phones().setActive(true, quint16(port));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->phones().urls().isEmpty() && notice().isEmpty(); }, 5000));
}

// What a screen reader finds, through Qt's accessibility interfaces.
TEST_F(WindowTest, AScreenReaderFindsTheBoardAndCanPlayIt)
{
    QAccessibleInterface *top = QAccessible::queryAccessibleInterface(window.get());
    EXPECT_EQ(top->role(), QAccessible::Window);
    QAccessibleInterface *cells = QAccessible::queryAccessibleInterface(window->parts().board);
    ASSERT_EQ(cells->childCount(), 90);
    QAccessibleInterface *cell = cells->child(41);
    EXPECT_EQ(cell->text(QAccessible::Name), "42");
    EXPECT_FALSE(cell->state().checked);
    QTest::mouseClick(controls->cartellaLabels[2], Qt::LeftButton);
    EXPECT_EQ(cell->text(QAccessible::Description), "non estratto, cartella 3, esclusa dal tabellone");
    EXPECT_TRUE(controls->cartellaLabels[2]->accessibleDescription().startsWith("Esclusa"));

    QTest::mouseClick(controls->manualBox, Qt::LeftButton);
    ASSERT_EQ(cell->actionInterface()->actionNames().value(0), QAccessibleActionInterface::pressAction());
    cell->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(cell->state().checked);
    EXPECT_EQ(window->caller().game().drawOrder(), QList<int>{42});

    QAccessibleInterface *help = QAccessible::queryAccessibleInterface(controls->helpButton);
    EXPECT_EQ(help->actionInterface()->actionNames().value(0), QAccessibleActionInterface::pressAction());
    help->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(window->parts().help)
                    ->text(QAccessible::Description)
                    .contains("estrae il numero"));
    EXPECT_EQ(controls->drawButton->accessibleDescription(), "(tasto freccia giù)");
}

TEST_F(KeysTest, PhonesStartWithoutTheDialogAndTheirClaimsAreAnsweredWithEnterAndEscape)
{
    const QString code = QStringLiteral("0123456789abcdef0123456789abcdef");
    store.values = {{"Rete/Attiva", "true"},
        {"Rete/Porta", QString::number(20000 + QCoreApplication::applicationPid() % 20000)}, {"Rete/Codice", code}};
    open(filter);
    QApplication::setActiveWindow(window.get());
    handle = window->windowHandle();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    PhoneLink &phones = window->phones();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !phones.urls().isEmpty(); }, 5000)) << phones.problem().toStdString();
    EXPECT_TRUE(phones.urls().first().endsWith("/?t=" + code));
    EXPECT_EQ(window->parts().displays->drawCount->text(), QString::fromUtf8("0/90 \u260E0"));
    window->toggleHall();
    HallWindow *hall = window->parts().more->hall();
    hall->resize(1920, 1080);
    EXPECT_GE(hall->phoneCodePlace().width(), 200) << "the QR code scans from across the room";

    // Two numbers of cartella 42-3's first row drawn from the bag, and others that make no
    // prize of the owner's: each in a block of five (a row of the owner's cartelle) of its own.
    const cartelle::Grid grid = cartelle::generateSerie(42)[2];
    QList<int> row, blocks;
    for (int n : grid[0])
        if (n > 0 && !blocks.contains((n - 1) / 5) && row.size() < 2)
            row << n, blocks << (n - 1) / 5;
    const auto freeNumber = [&] {
        int n = 1;
        while (blocks.contains((n - 1) / 5))
            ++n;
        blocks << (n - 1) / 5;
        return n;
    };
    // A key pressed again at the moment of its release is a repeat: Shift keeps them apart.
    const auto press = [&](Qt::Key key) {
        QTest::keyClick(handle, key);
        QTest::keyClick(handle, Qt::Key_Shift);
    };
    const auto type = [&](int n) {
        for (QChar digit : QString::number(n))
            press(Qt::Key(Qt::Key_0 + digit.digitValue()));
        press(Qt::Key_Return);
    };
    QTest::mouseClick(controls->manualBox, Qt::LeftButton);
    clickNumber(row[0]);
    clickNumber(row[1]);
    const auto claim = [&](quint64 phone, int prize) {
        voice.spoken.clear();
        emit phones.server().claimReceived(phone, prize, cartelle::printedCode({42, 3}), QStringLiteral("Anna"));
        return window->parts().claimNotice->text();
    };
    const QString valid = QStringLiteral("Ambo chiamato da Anna, cartella 42-3: valido");
    EXPECT_EQ(claim(1, 0), valid);
    EXPECT_EQ(voice.spoken, QStringList{valid});
    // Digits typed from the bag take Enter first.
    const int free = freeNumber();
    type(free);
    EXPECT_TRUE(window->parts().board->drawn(free - 1));
    EXPECT_EQ(window->parts().claimNotice->text(), valid);
    press(Qt::Key_Return);
    EXPECT_TRUE(window->parts().claimNotice->text().isEmpty());
    EXPECT_EQ(window->caller().game().prizeBox(0), PrizeBox::Ticked);
    const auto &winners = window->evening().record().games.last().winners;
    ASSERT_EQ(winners.size(), 1);
    EXPECT_EQ(std::tuple(winners[0].prize, winners[0].name, winners[0].code),
        std::tuple(0, QStringLiteral("Anna"), cartelle::printedCode({42, 3})));

    // Shared while no other number came; after one, gone.
    type(freeNumber());
    EXPECT_TRUE(claim(2, 0).isEmpty()) << "a prize already won does not disturb the caller";
    EXPECT_TRUE(voice.spoken.isEmpty());
    EXPECT_TRUE(claim(3, 1).startsWith("Terno chiamato da Anna, cartella 42-3: non valido: manca"));
    QTest::keyClick(handle, Qt::Key_Escape);
    EXPECT_TRUE(window->parts().claimNotice->text().isEmpty());
    EXPECT_EQ(window->evening().record().games.last().winners.size(), 1);

    // Claims wait one for each cartella and prize, a name shown as typed; no number comes
    // meanwhile, and a new game asks first and ends them.
    window->autoCaller().setOn(true);
    const int drawnBefore = window->caller().game().drawnCount();
    const QString hostile = QStringLiteral("<img width=9000 height=9000 src=/x>");
    const QString bruno = cartelle::printedCode({17, 2});
    for (const auto &[phone, code, name] :
        {std::tuple{4, cartelle::printedCode({42, 3}), hostile}, {5, bruno, QStringLiteral("Bruno")},
            {6, cartelle::printedCode({42, 3}), QStringLiteral("Anna")}, {7, bruno, QStringLiteral("Bruno")}})
        emit phones.server().claimReceived(phone, 1, code, name);
    EXPECT_TRUE(window->parts().claimNotice->text().startsWith("Terno chiamato da Anna, cartella 42-3"));
    EXPECT_TRUE(window->parts().claimNotice->text().endsWith(" (un'altra chiamata)"));
    emit phones.server().claimReceived(8, 1, cartelle::printedCode({9, 1}), hostile);
    EXPECT_TRUE(window->parts().claimNotice->text().endsWith(" (altre 2 chiamate)"));
    // A modal dialog's first Escape, even in a text box, answers the claim; the box keeps Enter.
    QInputDialog name(window.get());
    name.setModal(true);
    name.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&name));
    name.findChild<QLineEdit *>()->setFocus();
    QTest::keyClick(name.windowHandle(), Qt::Key_Escape);
    EXPECT_TRUE(name.isVisible() && window->parts().claimNotice->text().startsWith("Terno chiamato da Bruno"));
    QTest::keyClick(name.windowHandle(), Qt::Key_Return);
    EXPECT_TRUE(window->parts().claimNotice->text().startsWith("Terno chiamato da Bruno")) << "Enter is the box's";
    name.close();
    window->parts().claimNotice->refuse->click();
    EXPECT_TRUE(window->parts().claimNotice->text().startsWith("Terno chiamato da " + hostile))
        << window->parts().claimNotice->text().toStdString();
    EXPECT_LT(window->parts().claimNotice->height(), 120) << "a name is never markup";
    for (int tick = 0; tick < 3; ++tick, clock.now += 60'000)
        window->autoCaller().tick();
    EXPECT_EQ(window->caller().game().drawnCount(), drawnBefore) << "no number while a claim waits";
    answerSoon(QStringLiteral("No"));
    press(Qt::Key_F12);
    EXPECT_EQ(window->caller().game().drawnCount(), drawnBefore) << "the caller answers first";
    answerSoon(QString::fromUtf8("Sì"));
    press(Qt::Key_F12);
    EXPECT_EQ(window->caller().game().drawnCount(), 0);
    EXPECT_FALSE(phones.claimShown());

    QTest::keyClick(handle, Qt::Key_G, Qt::ControlModifier);
    auto *dialog = window->findChild<NetworkDialog *>();
    ASSERT_TRUE(dialog && dialog->isVisible());
    const auto labels = dialog->findChildren<QLabel *>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel *l) { return l->pixmap().width() >= 180; }));
    for (QPushButton *button : dialog->findChildren<QPushButton *>())
        if (button->text() == QStringLiteral("Nuovo codice"))
            button->click();
    EXPECT_NE(store.values.value("Rete/Codice"), code);
    EXPECT_TRUE(phones.urls().first().endsWith("/?t=" + store.values.value("Rete/Codice")));
    dialog->findChild<QCheckBox *>()->setChecked(false);
    EXPECT_EQ(store.values.value("Rete/Attiva"), "false");
    EXPECT_EQ(window->parts().displays->drawCount->text(), "0/90");
    EXPECT_TRUE(hall->phoneCodePlace().isNull());
}

TEST_F(KeysTest, AClaimOutlivesAWiFiBlipAndAKillAndIsAnsweredOnce)
{
    const QString code = QStringLiteral("0123456789abcdef0123456789abcdef");
    const int port = 20000 + (QCoreApplication::applicationPid() + 7) % 20000;
    store.values = {{"Rete/Attiva", "true"}, {"Rete/Porta", QString::number(port)}, {"Rete/Codice", code}};
    const auto restart = [&] {
        open(filter);
        QApplication::setActiveWindow(window.get());
        handle = window->windowHandle();
        return QTest::qWaitForWindowActive(window.get()) &&
               QTest::qWaitFor([&] { return !window->phones().urls().isEmpty(); }, 5000);
    };
    ASSERT_TRUE(restart());
    QTest::mouseClick(controls->manualBox, Qt::LeftButton);
    const cartelle::Grid grid = cartelle::generateSerie(42)[2];
    for (int i = 0, clicked = 0; clicked < 3; ++i)
        if (grid[0][i] > 0 && ++clicked)
            clickNumber(grid[0][i]);
    const auto connectPhone = [&](QWebSocket &phone, QSignalSpy &said) {
        QSignalSpy connected(&phone, &QWebSocket::connected);
        phone.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?t=%2").arg(port).arg(code)));
        ASSERT_TRUE(connected.wait(5000));
        phone.sendTextMessage(QStringLiteral(R"({"type":"hello","phone":"anna-1","name":"Anna","codes":["42-3-U"]})"));
        ASSERT_TRUE(said.wait(5000));
    };
    const auto heard = [](QSignalSpy &said, const QString &text) {
        return QTest::qWaitFor(
            [&] { return std::ranges::any_of(said, [&](auto &m) { return m[0].toString().contains(text); }); }, 5000);
    };

    // The verdict given while the phone is away reaches it when it is back, on its new connection.
    auto first = std::make_unique<QWebSocket>();
    QSignalSpy firstSaid(first.get(), &QWebSocket::textMessageReceived);
    connectPhone(*first, firstSaid);
    first->sendTextMessage(QStringLiteral(R"({"type":"claim","prize":0,"code":"42-3-U","name":"Anna"})"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->phones().claimShown(); }, 5000));
    first.reset();
    QTest::qWait(300);
    EXPECT_TRUE(window->phones().claimShown()) << "a blip does not end the claim";
    window->phones().confirmClaim();
    QWebSocket back;
    QSignalSpy backSaid(&back, &QWebSocket::textMessageReceived);
    connectPhone(back, backSaid);
    EXPECT_TRUE(heard(backSaid, QStringLiteral("confermato dal banco")));
    EXPECT_TRUE(heard(backSaid, QStringLiteral(R"("shareable":[[0,2]])")))
        << "shared if completed with the same number";

    // After a kill the game is offered back at once; Enter brings it back with its claim, once.
    emit window->phones().server().claimReceived(99, 1, cartelle::printedCode({42, 3}), QStringLiteral("Anna"));
    for (const bool answered : {false, true}) {
        ASSERT_TRUE(restart());
        EXPECT_FALSE(window->phones().claimShown()) << "not over an empty board";
        const QString offer = window->parts().reloadOffer->text();
        EXPECT_TRUE(offer.contains("3 numeri") && offer.contains("automatica è spenta")) << offer.toStdString();
        QTest::keyClick(handle, Qt::Key_Return);
        EXPECT_EQ(window->caller().game().drawnCount(), 3);
        EXPECT_EQ(window->phones().claimShown(), !answered) << answered;
        window->phones().refuseClaim();
    }
    QTest::keyClick(handle, Qt::Key_F12);
    ASSERT_TRUE(restart());
    EXPECT_TRUE(window->parts().reloadOffer->text().isEmpty()) << "a game ended by a new one is not offered";

    // A phone gone for good takes its claim with it once the grace is over.
    window->phones().setDepartureGrace(0);
    emit window->phones().server().phoneGreeted(7, QStringLiteral("bruno"), QStringLiteral("Bruno"), {});
    emit window->phones().server().claimReceived(7, 1, cartelle::printedCode({42, 3}), QStringLiteral("Bruno"));
    emit window->phones().server().phoneLeft(7);
    EXPECT_TRUE(window->phones().claimShown());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->phones().claimShown(); }, 2000));

    // A cartella sold twice: marked in the list of phones, and said in a claim from either.
    const QString twice = cartelle::printedCode({42, 3}), once = cartelle::printedCode({17, 2});
    emit window->phones().server().phoneGreeted(8, QStringLiteral("carla"), QStringLiteral("Carla"), {twice});
    emit window->phones().server().phoneGreeted(9, QStringLiteral("dino"), QStringLiteral("<b>Dino"), {once, twice});
    NetworkDialog dialog(window->phones(), window.get());
    const QString doubled = QStringLiteral(" (DOPPIA: anche su un altro telefono)");
    EXPECT_EQ(dialog.findChild<QPlainTextEdit *>()->toPlainText(),
        "<b>Dino: " + once + ", " + twice + doubled + "\nCarla: " + twice + doubled);
    emit window->phones().server().claimReceived(8, 2, twice, QStringLiteral("Carla"));
    EXPECT_TRUE(window->parts().claimNotice->text().endsWith("anche sul telefono di <b>Dino"));
}
