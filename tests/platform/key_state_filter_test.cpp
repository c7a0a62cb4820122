#include "platform/key_state_filter.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

constexpr int kDown = 40;

TEST(VirtualKey, QtKeysMapToThePlatformsCodes)
{
    const std::pair<int, int> table[] = {
        {Qt::Key_Left, 37}, {Qt::Key_Up, 38},  {Qt::Key_Right, 39}, {Qt::Key_Down, 40},    {Qt::Key_F2, 113},
        {Qt::Key_F3, 114},  {Qt::Key_F4, 115}, {Qt::Key_F5, 116},   {Qt::Key_F6, 117},     {Qt::Key_F12, 123},
        {Qt::Key_A, 65},    {Qt::Key_9, 57},   {Qt::Key_Enter, 13}, {Qt::Key_unknown, 0},  {Qt::Key_Exclam, 0},
    };
    for (const auto &[qtKey, code] : table)
        EXPECT_EQ(virtualKeyOf(qtKey), code) << "Qt key 0x" << std::hex << qtKey;
}

class KeyStateFilterTest : public ::testing::Test {
protected:
    KeyStateFilterTest()
    {
        qApp->installEventFilter(&filter);
        send(qApp, QApplicationStateChangeEvent(Qt::ApplicationActive));
    }
    static void send(QObject *to, QEvent &&event) { QCoreApplication::sendEvent(to, &event); }
    void key(QEvent::Type type, int qtKey, bool autoRepeat = false, quint32 scanCode = 0)
    {
        send(&target, QKeyEvent(type, qtKey, Qt::NoModifier, scanCode, 0, 0, QString(), autoRepeat));
    }
    void press(int qtKey) { key(QEvent::KeyPress, qtKey); }
    void release(int qtKey) { key(QEvent::KeyRelease, qtKey); }

    KeyStateFilter filter;
    QObject target;
};

TEST_F(KeyStateFilterTest, HeldKeyReadsDownTillReleasedAndATapReadsOnce)
{
    EXPECT_FALSE(filter.query(kDown));
    press(Qt::Key_Down);
    EXPECT_TRUE(filter.query(kDown));
    EXPECT_TRUE(filter.query(kDown));
    EXPECT_FALSE(filter.query(38));
    release(Qt::Key_Down);
    EXPECT_FALSE(filter.query(kDown));

    // One event seen on its way through two objects is one tap; each code keeps its own.
    press(Qt::Key_F2);
    press(Qt::Key_F2);
    release(Qt::Key_F2);
    press(Qt::Key_F12);
    release(Qt::Key_F12);
    EXPECT_TRUE(filter.query(113));
    EXPECT_FALSE(filter.query(113));
    EXPECT_TRUE(filter.query(123));
    EXPECT_FALSE(filter.query(123));
}

TEST_F(KeyStateFilterTest, AutoRepeatIsIgnoredAndAReleaseFindsItsScanCode)
{
    press(Qt::Key_Down);
    key(QEvent::KeyRelease, Qt::Key_Down, true);
    key(QEvent::KeyPress, Qt::Key_Down, true);
    key(QEvent::KeyRelease, Qt::Key_Down, true);
    EXPECT_TRUE(filter.query(kDown));
    release(Qt::Key_Down);
    key(QEvent::KeyPress, Qt::Key_Down, true);
    EXPECT_FALSE(filter.query(kDown));

    // "1" released as "!" once Shift is down.
    key(QEvent::KeyPress, Qt::Key_1, false, 10);
    key(QEvent::KeyRelease, Qt::Key_Exclam, false, 10);
    EXPECT_TRUE(filter.query(49));
    EXPECT_FALSE(filter.query(49));
}

TEST_F(KeyStateFilterTest, LeavingTheProgramOrItsWindowReleasesEveryKey)
{
    QWindow window;
    const std::function<void()> leave[] = {
        [&] { send(qApp, QApplicationStateChangeEvent(Qt::ApplicationInactive)); },
        [&] { send(qApp, QEvent(QEvent::ApplicationDeactivate)); },
        [&] { send(&window, QFocusEvent(QEvent::FocusOut, Qt::ActiveWindowFocusReason)); },
        [&] { send(&target, QEvent(QEvent::WindowDeactivate)); },
    };
    for (const auto &leaving : leave) {
        send(qApp, QApplicationStateChangeEvent(Qt::ApplicationActive));
        press(Qt::Key_Down);
        press(Qt::Key_F5);
        release(Qt::Key_F5);
        leaving();
        EXPECT_FALSE(filter.query(kDown));
        EXPECT_FALSE(filter.query(116));
    }
    // Keys typed into another program do not count, even once it is back.
    send(qApp, QApplicationStateChangeEvent(Qt::ApplicationInactive));
    press(Qt::Key_Left);
    send(qApp, QApplicationStateChangeEvent(Qt::ApplicationActive));
    EXPECT_FALSE(filter.query(37));

    // A widget losing the focus to another of the same window releases nothing.
    press(Qt::Key_Down);
    send(&target, QFocusEvent(QEvent::FocusOut, Qt::TabFocusReason));
    EXPECT_TRUE(filter.query(kDown));
}

} // namespace
