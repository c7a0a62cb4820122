#include "form1_fixture.h"

#include "platform/key_state_filter.h"

#include <QApplication>
#include <QSet>

using namespace tabellone;

TEST_F(Form1Test, StartsAsAFreshGame)
{
    EXPECT_EQ(form->windowTitle(), "Sorteggina di Orvanet - Quillard - ver. 2.0.1");
    EXPECT_EQ(form->Label5->text(), "OV");
    EXPECT_EQ(form->Label6->text(), "La smorfia napoletana");
    EXPECT_EQ(form->Text1->text(), "il tabellone");
    EXPECT_FALSE(form->Frame1->isVisible());
    EXPECT_FALSE(form->Picture3->isVisible());
    EXPECT_TRUE(form->Timer2.isActive() && form->Timer3.isActive());
    EXPECT_EQ(form->Timer2.interval(), 500);
    EXPECT_EQ(form->Timer3.interval(), 100);
    const char *prizes[] = {"Ambo", "Terno", "Quaterna", "Cinquina", "Tombola"};
    for (int i = 0; i < kPrizes; ++i) {
        EXPECT_EQ(form->Check1[i]->text(), prizes[i]);
        EXPECT_EQ(form->Command4[i]->text(), QStringLiteral("F%1").arg(i + 2));
    }
    for (ClickLabel *label : form->Label4)
        EXPECT_EQ(backColour(label), QColor(255, 224, 192));
    EXPECT_TRUE(form->Label1[89]->isVisible());
}

TEST_F(Form1Test, StoredOptionsComeBackAtStartUnlessTheyAreNotWholeNumbers)
{
    store.values["Terno"] = "1";
    store.values["Quaterna"] = QString::fromUtf8("1\0garbage", 9);
    store.values["Smorfia"] = "2";
    open();
    EXPECT_EQ(form->Check1[1]->value(), 1);
    EXPECT_EQ(textColour(form->Check1[1]), QColor(Qt::red));
    EXPECT_EQ(textColour(form->Check1[0]), QColor(Qt::white));
    EXPECT_EQ(form->Check1[2]->value(), 0);
    EXPECT_EQ(form->Check5->checkState(), Qt::PartiallyChecked);
}

TEST_F(Form1Test, PrizeBoxSpeaksAndStoresOnAMouseReleaseOnly)
{
    QTest::mouseClick(form->Check1[0], Qt::LeftButton);
    EXPECT_EQ(form->Check1[0]->value(), 1);
    EXPECT_EQ(textColour(form->Check1[0]), QColor(Qt::red));
    EXPECT_EQ(voice.take(), QStringList{"Ambo non presente."});
    EXPECT_EQ(store.values.take("Ambo"), "1");

    QTest::mouseClick(form->Check1[0], Qt::RightButton);
    EXPECT_EQ(form->Check1[0]->value(), 1);
    EXPECT_EQ(voice.take(), QStringList{"Ambo non presente."});
    EXPECT_EQ(store.values.value("Ambo"), "1");

    QTest::mouseClick(form->Check1[0], Qt::LeftButton);
    EXPECT_EQ(textColour(form->Check1[0]), QColor(Qt::white));
    EXPECT_EQ(voice.take(), QStringList{"Ambo presente."});
    EXPECT_EQ(store.values.value("Ambo"), "0");

    const int writes = store.writes;
    form->Check1[1]->setFocus();
    QTest::keyClick(form->Check1[1], Qt::Key_Space);
    EXPECT_EQ(form->state().prize[1], 1);
    EXPECT_EQ(textColour(form->Check1[1]), QColor(Qt::white));
    EXPECT_TRUE(voice.said.isEmpty());
    EXPECT_EQ(store.writes, writes);
}

TEST_F(Form1Test, PrizeButtonsDeclareOnce)
{
    QTest::mouseClick(form->Command4[1], Qt::LeftButton);
    QTest::mouseClick(form->Command4[1], Qt::LeftButton);
    EXPECT_EQ(voice.take(), QStringList{"il terno è uscito, si prosegue per la quaterna"});
    EXPECT_EQ(form->Check1[1]->value(), 1);
    EXPECT_EQ(textColour(form->Check1[1]), QColor(Qt::white));
}

TEST_F(Form1Test, ExclusionMarksExactlyTheCartellaAndLocksAfterTheFirstCheck)
{
    const auto cells = cellsOfCartella(2);
    const QSet<int> cartella(cells.begin(), cells.end());
    auto expectExcluded = [&](bool excluded) {
        for (int i = 0; i < kCells; ++i)
            EXPECT_EQ(form->Label1[i]->inPlay(), !(excluded && cartella.contains(i))) << "cell " << i;
        EXPECT_EQ(backColour(form->Label4[2]), excluded ? QColor(255, 192, 128) : QColor(255, 224, 192));
    };
    QTest::mouseClick(form->Label4[2], Qt::LeftButton);
    expectExcluded(true);
    pressByScreenReader(form->Label4[2]);
    expectExcluded(false);
    form->Label4[2]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form->Label4[2], Qt::Key_Space);
    expectExcluded(true);
    QTest::keyClick(form->Label4[2], Qt::Key_Return);
    QTest::keyClick(form->Label4[2], Qt::Key_A);
    expectExcluded(false);

    QTest::mouseClick(form->Label4[2], Qt::LeftButton);
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    for (ClickLabel *label : form->Label4)
        EXPECT_FALSE(label->isEnabled());
    pressByScreenReader(form->Label4[2]);
    expectExcluded(true);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    EXPECT_TRUE(form->Label4[2]->isEnabled());
    expectExcluded(true);
}

TEST_F(Form1Test, ManualModeMarksAndWithdrawsByClick)
{
    QTest::mouseClick(form->Check2, Qt::LeftButton);
    QTest::mouseClick(form->Label1[16], Qt::LeftButton);
    EXPECT_TRUE(form->Label1[16]->drawn());
    EXPECT_EQ(form->Label5->text(), "17");
    EXPECT_EQ(form->Label6->text(), "'a disgrazia");
    EXPECT_EQ(voice.take(), (QStringList{"estrazione manuale", "è uscito il numero 17"}));
    QTest::mouseClick(form->Label1[16], Qt::LeftButton);
    EXPECT_FALSE(form->Label1[16]->drawn());
    EXPECT_EQ(voice.take(), QStringList{"Numero 17"});
}

TEST_F(Form1Test, BannerBlinksTheTombolaCentredAndShowsAPrizeMessage)
{
    form->Timer2_Timer();
    QTest::mouseClick(form->Command4[4], Qt::LeftButton);
    form->Timer2_Timer();
    ASSERT_TRUE(form->Frame1->isVisible());
    EXPECT_EQ(form->Label3->text(), " TOMBOLA ");
    EXPECT_EQ(form->Frame1->size(), form->Label3->size());
    const QRect panel = form->Picture1->rect(), banner = form->Frame1->geometry();
    EXPECT_LE(std::abs(banner.left() - (panel.width() - banner.right() - 1)), 1);
    EXPECT_LE(std::abs(banner.top() - (panel.height() - banner.bottom() - 1)), 1);
    form->Timer2_Timer();
    EXPECT_FALSE(form->Frame1->isVisible());

    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QTest::mouseClick(form->Check2, Qt::LeftButton);
    QTest::mouseClick(form->Label1[11], Qt::LeftButton);
    QTest::mouseClick(form->Label1[13], Qt::LeftButton);
    form->Label7_Click();
    form->Timer2_Timer();
    ASSERT_TRUE(form->Frame1->isVisible());
    EXPECT_EQ(form->Label3->text(), " 12, 14 ");
    EXPECT_EQ(form->Picture1->childAt(form->Frame1->geometry().center()), form->Label3);
    QTest::mouseClick(form->Label3, Qt::LeftButton);
    form->Timer2_Timer();
    EXPECT_FALSE(form->Frame1->isVisible());
}

TEST_F(Form1Test, HelpPanelTogglesAtItsPlaceAndADrawHidesIt)
{
    pressByScreenReader(form->Label7);
    ASSERT_TRUE(form->Picture3->isVisible());
    const int at = twipsToPixels(100, form->dpi());
    EXPECT_EQ(form->Picture3->pos(), QPoint(at, at));
    QTest::mouseClick(form->Picture3, Qt::LeftButton);
    EXPECT_FALSE(form->Picture3->isVisible());
    QTest::mouseClick(form->Label7, Qt::LeftButton);
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    EXPECT_FALSE(form->Picture3->isVisible());
}

TEST_F(Form1Test, LogoOpensTheMakersPage)
{
    QTest::mouseClick(form->Image2, Qt::LeftButton);
    pressByScreenReader(form->Image2);
    ASSERT_EQ(urls.opened.size(), 2);
    EXPECT_EQ(urls.opened[1].path() + "?" + urls.opened[1].query(), "/ftp/?tombola");
}

TEST_F(Form1Test, KeysDriveTheGameThroughThePoll)
{
    keys.taps << 40 << 113;
    form->Timer3_Timer();
    EXPECT_EQ(form->state().drawnCount(), 1);
    const QStringList spoken = voice.take();
    ASSERT_EQ(spoken.size(), 2);
    EXPECT_TRUE(spoken[0].startsWith("è uscito il numero "));
    EXPECT_EQ(form->Check1[0]->value(), 1);

    keys.taps << 37 << 39;
    form->Timer3_Timer();
    EXPECT_EQ(form->Check5->value(), 1);
    EXPECT_EQ(form->Check3->value(), 1);
    EXPECT_EQ(store.values.value("Smorfia"), "1");
    EXPECT_EQ(store.values.value("Scandito"), "1");

    keys.taps << 123;
    form->Timer3_Timer();
    EXPECT_EQ(form->state().drawnCount(), 0);
    EXPECT_EQ(form->Label5->text(), "OV");
}

// Real key events, through the application-wide key state as the running program gets them.
TEST_F(Form1Test, KeysTypedInTheNameBoxAlsoActButNotWhileAnotherWindowIsActive)
{
    KeyStateFilter filter;
    qApp->installEventFilter(&filter);
    open(nullptr, &filter);
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->Text1->setFocus();
    form->Text1->setCursorPosition(5);
    QTest::keyClick(form->Text1, Qt::Key_Left);
    form->Timer3_Timer();
    EXPECT_EQ(form->Text1->cursorPosition(), 4);
    EXPECT_EQ(form->Check5->value(), 1);

    QTest::keyPress(form->Text1, Qt::Key_Down);
    for (int tick = 0; tick < 5; ++tick)
        form->Timer3_Timer();
    QTest::keyRelease(form->Text1, Qt::Key_Down);
    form->Timer3_Timer();
    EXPECT_EQ(form->state().drawnCount(), 1);

    QTest::keyClicks(form->Text1, "Anna");
    QTest::keyClick(form->Text1, Qt::Key_F12);
    form->Timer3_Timer();
    EXPECT_EQ(form->state().drawnCount(), 0);
    EXPECT_TRUE(form->Text1->text().contains("Anna"));

    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QApplication::sendEvent(qApp, &deactivate);
    QTest::keyClick(&other, Qt::Key_Down);
    form->Timer3_Timer();
    EXPECT_EQ(form->state().drawnCount(), 0);
}

TEST_F(Form1Test, BoardFillsThePanelAtEverySize)
{
    for (QSize size : {QSize(1143, 734), QSize(1920, 1080), QSize(400, 300)}) {
        form->resize(size);
        const QRect panel = form->Picture1->geometry();
        EXPECT_EQ(panel.right(), size.width() - 1);
        EXPECT_EQ(form->Label1[0]->geometry().topLeft(), QPoint(0, 0));
        EXPECT_EQ(form->Label1[89]->geometry().bottomRight(), QPoint(panel.width() - 1, panel.height() - 1));
        EXPECT_EQ(form->Label6->geometry().bottom(), size.height() - 1);
    }
}
