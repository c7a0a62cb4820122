#include "form1_fixture.h"

#include "platform/key_state_filter.h"

#include <QApplication>

// Real key events through the application-wide key state, as the running program gets them.
class Form1KeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qApp->installEventFilter(&filter);
        form = std::make_unique<Form1>(Platform{voice, store, filter, urls, random, clock});
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        form->Text1->setFocus();
        voice.spoken.clear();
    }
    void TearDown() override { qApp->removeEventFilter(&filter); }

    KeyStateFilter filter;
    FakeVoice voice;
    MemoryStore store;
    FakeUrlOpener urls;
    FakeRandom random;
    FakeClock clock;
    std::unique_ptr<Form1> form;
};

TEST_F(Form1KeysTest, ArrowsInTheNameBoxMoveTheCursorAndSwitchTheOptions)
{
    form->Text1->setCursorPosition(5);
    QTest::keyClick(form->Text1, Qt::Key_Left);
    form->Timer3_Timer();
    EXPECT_EQ(form->Text1->cursorPosition(), 4);
    EXPECT_EQ(form->Check5->value(), 1);
    EXPECT_EQ(store.values.value("Smorfia"), "1");

    // Held down over many polls, a key acts once.
    QTest::keyPress(form->Text1, Qt::Key_Down);
    for (int tick = 0; tick < 5; ++tick)
        form->Timer3_Timer();
    QTest::keyRelease(form->Text1, Qt::Key_Down);
    form->Timer3_Timer();
    EXPECT_EQ(form->state().drawnCount(), 1);

    // F12 starts a new game while the name is being typed.
    QTest::keyClicks(form->Text1, "Anna");
    QTest::keyClick(form->Text1, Qt::Key_F12);
    form->Timer3_Timer();
    EXPECT_EQ(form->state().drawnCount(), 0);
    EXPECT_TRUE(form->Text1->text().contains("Anna"));
    EXPECT_TRUE(voice.spoken.contains("Attenzione, si procede per una nuova partita."));
}

TEST_F(Form1KeysTest, KeysPressedWhileAnotherWindowIsActiveDoNothing)
{
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
