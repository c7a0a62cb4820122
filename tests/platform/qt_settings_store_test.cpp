#include "platform/doubles.h"
#include "platform/qt_settings_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class QtSettingsStoreTest : public ::testing::Test {
protected:
    QByteArray contents(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const QString &file, const QByteArray &bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir dir;
    QString path = dir.filePath("Vellucario.conf");
};

TEST_F(QtSettingsStoreTest, WrittenValuesAreOnTheDiskAtOnceAndSurviveReopening)
{
    {
        QtSettingsStore store(path);
        store.write("Ambo", "1");
        store.write("SalvaUlt", "0-0-0-0-0-1-1-1-1-1-1-4-41-");
        store.write("Ambo", "0");
        EXPECT_EQ(store.read("Terno", "7"), "7");
        EXPECT_TRUE(contents(path).contains("[Settaggio]\nAmbo=0\nSalvaUlt=0-0-0-0-0-1-1-1-1-1-1-4-41-"));
    }
    QtSettingsStore reopened(path);
    EXPECT_EQ(reopened.read("Ambo", "9"), "0");
    EXPECT_EQ(reopened.read("SalvaUlt", ""), "0-0-0-0-0-1-1-1-1-1-1-4-41-");
    EXPECT_EQ(reopened.read("Scandito", ""), "");
}

TEST_F(QtSettingsStoreTest, FileWithGarbageLinesStillGivesWhatItCan)
{
    write(path, "\x01\x02 binary junk\n[Settaggio]\nAmbo=1\nthis line means nothing\n=\n"
                "==junk\xff\xfe\nCinquina=1,0\n[[[ a broken section header\nTombola=1\n");
    LogCapture log;
    QtSettingsStore store(path);
    EXPECT_EQ(store.read("Ambo", "0"), "1");
    EXPECT_EQ(store.read("Cinquina", "0"), "1,0");
    EXPECT_EQ(store.read("Tombola", "0"), "0");
    store.write("Quaterna", "1");
    EXPECT_EQ(QtSettingsStore(path).read("Quaterna", "0"), "1");
    EXPECT_TRUE(log.messages.isEmpty());
}

TEST_F(QtSettingsStoreTest, UnwritableStoreWarnsOnceAndKeepsTheValuesForThisRun)
{
    // Root writes read-only files, but no one makes a folder under a device file.
    write(path, "[Settaggio]\nAmbo=1\n");
    QFile::setPermissions(path, QFile::ReadOwner);
    QStringList unwritable{"/dev/null/Vellucario/Vellucario.conf"};
    if (geteuid() != 0)
        unwritable << path;
    for (const QString &file : unwritable) {
        LogCapture log;
        QtSettingsStore store(file);
        store.write("Ambo", "0");
        store.write("Terno", "1");
        ASSERT_EQ(log.texts("sorteggina.settings").size(), 1) << file.toStdString();
        EXPECT_TRUE(log.texts("sorteggina.settings")[0].contains(file));
        EXPECT_EQ(store.read("Ambo", "9"), "0");
    }
}

TEST_F(QtSettingsStoreTest, DefaultStoreLivesInTheUsersConfigFolderUnderVellucario)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    {
        QtSettingsStore store;
        const QString expected = QDir(dir.path()).filePath("Vellucario/Vellucario.conf");
        ASSERT_EQ(store.fileName(), expected);
        store.write("Smorfia", "1");
        EXPECT_TRUE(contents(expected).contains("[Settaggio]\nSmorfia=1"));
    }
    saved.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", saved);
}

} // namespace
