#include "platform/key_state_filter.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

constexpr int downArrow = 40;

// Counts the key events that reach it after the filter has seen them.
class KeyReceiver : public QObject {
public:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
            ++keyEvents;
        return QObject::event(event);
    }
    int keyEvents = 0;
};

class KeyStateFilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qApp->installEventFilter(&filter);
        setApplicationState(Qt::ApplicationActive);
    }
    void TearDown() override { qApp->removeEventFilter(&filter); }

    // What Qt sends to the application when its state changes.
    void setApplicationState(Qt::ApplicationState state)
    {
        QApplicationStateChangeEvent event(state);
        QCoreApplication::sendEvent(qApp, &event);
    }
    void key(QEvent::Type type, int qtKey, bool autoRepeat = false, quint32 scanCode = 0,
             QObject *to = nullptr)
    {
        QKeyEvent event(type, qtKey, Qt::NoModifier, scanCode, 0, 0, QString(), autoRepeat);
        QCoreApplication::sendEvent(to ? to : &receiver, &event);
    }
    void press(int qtKey) { key(QEvent::KeyPress, qtKey); }
    void release(int qtKey) { key(QEvent::KeyRelease, qtKey); }

    KeyStateFilter filter;
    KeyReceiver receiver;
};

TEST(VirtualKey, QtKeysMapToThePlatformsCodes)
{
    const std::pair<int, int> table[] = {
        {Qt::Key_Left, 37},   {Qt::Key_Up, 38},       {Qt::Key_Right, 39},  {Qt::Key_Down, 40},
        {Qt::Key_F1, 112},    {Qt::Key_F2, 113},      {Qt::Key_F6, 117},    {Qt::Key_F12, 123},
        {Qt::Key_A, 65},      {Qt::Key_Z, 90},        {Qt::Key_0, 48},      {Qt::Key_9, 57},
        {Qt::Key_Space, 32},  {Qt::Key_Return, 13},   {Qt::Key_Enter, 13},  {Qt::Key_Escape, 27},
        {Qt::Key_Shift, 16},  {Qt::Key_Control, 17},  {Qt::Key_Alt, 18},    {Qt::Key_Tab, 9},
        {Qt::Key_Backspace, 8}, {Qt::Key_unknown, 0}, {Qt::Key_Agrave, 0}, {Qt::Key_Exclam, 0},
    };
    for (const auto &[qtKey, code] : table)
        EXPECT_EQ(virtualKeyOf(qtKey), code) << "Qt key 0x" << std::hex << qtKey;
}

TEST_F(KeyStateFilterTest, HeldKeyReadsDownUntilReleasedAndEventsGoOnToTheirTarget)
{
    EXPECT_FALSE(filter.query(downArrow));
    press(Qt::Key_Down);
    EXPECT_TRUE(filter.query(downArrow));
    EXPECT_TRUE(filter.query(downArrow)); // still held
    EXPECT_FALSE(filter.query(38));
    release(Qt::Key_Down);
    EXPECT_FALSE(filter.query(downArrow));
    EXPECT_EQ(receiver.keyEvents, 2); // the filter consumes nothing
}

TEST_F(KeyStateFilterTest, TapBetweenTwoQueriesIsReportedOnce)
{
    press(Qt::Key_F2);
    release(Qt::Key_F2);
    press(Qt::Key_F12);
    release(Qt::Key_F12);
    EXPECT_TRUE(filter.query(113));
    EXPECT_FALSE(filter.query(113));
    EXPECT_TRUE(filter.query(123)); // each code has its own "since the previous query"
    EXPECT_FALSE(filter.query(123));
}

TEST_F(KeyStateFilterTest, OneKeyEventPassingThroughSeveralObjectsIsOnePress)
{
    QObject parent;
    press(Qt::Key_Up);
    key(QEvent::KeyPress, Qt::Key_Up, false, 0, &parent); // propagated to the parent
    release(Qt::Key_Up);
    key(QEvent::KeyRelease, Qt::Key_Up, false, 0, &parent);
    EXPECT_TRUE(filter.query(38));
    EXPECT_FALSE(filter.query(38));
}

TEST_F(KeyStateFilterTest, AutoRepeatIsIgnored)
{
    press(Qt::Key_Down);
    EXPECT_TRUE(filter.query(downArrow));
    // X11 repeats a held key as release/press pairs marked auto-repeat.
    key(QEvent::KeyRelease, Qt::Key_Down, true);
    key(QEvent::KeyPress, Qt::Key_Down, true);
    key(QEvent::KeyRelease, Qt::Key_Down, true);
    EXPECT_TRUE(filter.query(downArrow));
    release(Qt::Key_Down);
    EXPECT_FALSE(filter.query(downArrow));
    key(QEvent::KeyPress, Qt::Key_Down, true);
    EXPECT_FALSE(filter.query(downArrow));
}

TEST_F(KeyStateFilterTest, KeyReleasedUnderAnotherNameIsFoundByItsScanCode)
{
    key(QEvent::KeyPress, Qt::Key_1, false, 10);
    EXPECT_TRUE(filter.query(49));
    key(QEvent::KeyRelease, Qt::Key_Exclam, false, 10); // Shift pressed meanwhile
    EXPECT_FALSE(filter.query(49));
}

TEST_F(KeyStateFilterTest, LeavingTheProgramReleasesEveryKeyAndIgnoresPressesUntilBack)
{
    press(Qt::Key_Down);
    press(Qt::Key_F5);
    release(Qt::Key_F5); // a tap not yet queried
    setApplicationState(Qt::ApplicationInactive);
    EXPECT_FALSE(filter.applicationActive());
    EXPECT_FALSE(filter.query(downArrow));
    EXPECT_FALSE(filter.query(116));

    press(Qt::Key_Left); // typed into another program's window
    EXPECT_FALSE(filter.query(37));
    release(Qt::Key_Left);

    setApplicationState(Qt::ApplicationActive);
    EXPECT_FALSE(filter.query(downArrow)); // its release went elsewhere: up, not stuck down
    press(Qt::Key_Left);
    EXPECT_TRUE(filter.query(37));
}

TEST_F(KeyStateFilterTest, WindowDeactivationReleasesEveryKey)
{
    QWindow window;
    press(Qt::Key_Down);
    press(Qt::Key_Right);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(&window, &focusOut);
    EXPECT_FALSE(filter.query(downArrow));
    EXPECT_FALSE(filter.query(39));

    press(Qt::Key_Down);
    QEvent deactivate(QEvent::WindowDeactivate); // what a widget gets
    QCoreApplication::sendEvent(&receiver, &deactivate);
    EXPECT_FALSE(filter.query(downArrow));

    // A widget losing the focus to another of the same window releases nothing.
    press(Qt::Key_Down);
    QFocusEvent widgetFocusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(&receiver, &widgetFocusOut);
    EXPECT_TRUE(filter.query(downArrow));
}

TEST_F(KeyStateFilterTest, RealWindowActivationChangeReleasesKeys)
{
    QWindow first, second;
    first.show();
    first.requestActivate();
    QCoreApplication::processEvents();
    if (QGuiApplication::focusWindow() != &first)
        GTEST_SKIP() << "this platform plug-in does not activate windows";
    key(QEvent::KeyPress, Qt::Key_Down, false, 0, &first);
    EXPECT_TRUE(filter.query(downArrow));
    second.show();
    second.requestActivate();
    QCoreApplication::processEvents();
    EXPECT_EQ(QGuiApplication::focusWindow(), &second);
    EXPECT_FALSE(filter.query(downArrow));
}

TEST_F(KeyStateFilterTest, FedCodesFollowTheSameRules)
{
    filter.feed(40, true);
    filter.feed(40, false);
    EXPECT_TRUE(filter.query(40));
    EXPECT_FALSE(filter.query(40));
    filter.feed(0, true); // a key without a code
    EXPECT_FALSE(filter.query(0));
}

} // namespace
