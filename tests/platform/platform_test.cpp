#include "platform/key_state_filter.h"
#include "platform/qt_settings_store.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

TEST(KeyStateFilter, CountsEachPressOnceAtItsWindowAndNothingWhileInactive)
{
    KeyStateFilter keys;
    qApp->installEventFilter(&keys);
    QWindow window;
    window.show();
    window.requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_Down);
    QTest::keyClick(&window, Qt::Key_Down);
    QTest::keyPress(&window, Qt::Key_F2);
    EXPECT_EQ(keys.read(40).presses, 2);
    EXPECT_EQ(keys.read(40).presses, 0);
    const KeyState::Reading f2 = keys.read(113);
    EXPECT_TRUE(f2.presses == 1 && f2.down);
    QTest::keyRelease(&window, Qt::Key_F2);
    EXPECT_FALSE(keys.read(113).down);

    QEvent deactivate(QEvent::ApplicationDeactivate);
    QCoreApplication::sendEvent(qApp, &deactivate);
    QTest::keyClick(&window, Qt::Key_Down);
    EXPECT_EQ(keys.read(40).presses, 0);
    qApp->removeEventFilter(&keys);
}

TEST(QtSettingsStore, KeepsGroupsOnDiskAndWarnsOnceWhenItCannotWrite)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Vellucario.conf");
    {
        QtSettingsStore store(path);
        store.writeAll({{"Settaggio/SalvaUlt", "0-0-0-0-0-1-1-1-1-1-1-4-"}, {"Settaggio/Ambo", "1"}});
        EXPECT_EQ(store.read("Settaggio/Terno", "0"), "0");
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "[Settaggio]\nAmbo=1\nSalvaUlt=0-0-0-0-0-1-1-1-1-1-1-4-\n");
    file.close();

    // A folder that is a file: nothing can be written there, not even by root.
    QFile blocker(dir.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    int warnings = 0;
    static int *counter = &warnings;
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &) {
        *counter += type == QtWarningMsg;
    });
    QtSettingsStore store(dir.filePath("blocked/Vellucario.conf"));
    store.write("Settaggio/Ambo", "0");
    store.write("Settaggio/Terno", "1");
    qInstallMessageHandler(previous);
    EXPECT_EQ(store.read("Settaggio/Terno", "0"), "1") << "kept for the run";
    EXPECT_EQ(warnings, 1);
}
