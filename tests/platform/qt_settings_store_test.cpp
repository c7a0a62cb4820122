#include "platform/qt_settings_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Counts the warnings printed while it lives.
struct WarningCount {
    static inline QStringList warnings;
    static void handler(QtMsgType type, const QMessageLogContext &, const QString &text)
    {
        if (type == QtWarningMsg)
            warnings << text;
    }
    WarningCount()
    {
        warnings.clear();
        previous = qInstallMessageHandler(handler);
    }
    ~WarningCount() { qInstallMessageHandler(previous); }
    QtMessageHandler previous;
};

class QtSettingsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath("Vellucario.conf");
};

TEST_F(QtSettingsStoreTest, WrittenValuesReadBackAndSurviveReopening)
{
    {
        QtSettingsStore store(path);
        store.write("Ambo", "1");
        store.write("SalvaUlt", "0-0-0-0-0-1-1-1-1-1-1-4-41-");
        store.write("Ambo", "0"); // replaces the earlier value
        EXPECT_EQ(store.read("Ambo", "9"), "0");
        EXPECT_EQ(store.read("Terno", "0"), "0"); // never written: the default
        // On the disk before the store is gone, in the section "Settaggio".
        const QByteArray onDisk = contentsOf(path);
        EXPECT_TRUE(onDisk.contains("[Settaggio]")) << onDisk.constData();
        EXPECT_TRUE(onDisk.contains("SalvaUlt=0-0-0-0-0-1-1-1-1-1-1-4-41-"));
    }
    QtSettingsStore reopened(path);
    EXPECT_EQ(reopened.read("Ambo", "9"), "0");
    EXPECT_EQ(reopened.read("SalvaUlt", "0-0-0-0-0"), "0-0-0-0-0-1-1-1-1-1-1-4-41-");
    EXPECT_EQ(reopened.read("Smorfia", "0"), "0");
    EXPECT_EQ(reopened.read("Scandito", ""), "");
}

TEST_F(QtSettingsStoreTest, FileWithGarbageLinesStillGivesWhatItCan)
{
    writeFile(path, "\x01\x02 binary junk\n"
                    "[Settaggio]\n"
                    "Ambo=1\n"
                    "this line means nothing\n"
                    "=\n"
                    "Terno=1\n"
                    "==junk\xff\xfe\n"
                    "SalvaUlt=0-0-0-0-0-1-1-1-1-1-1-4-\n"
                    "Cinquina=1,0\n"
                    "[[[ a broken section header starts a section of its own\n"
                    "Tombola=1\n");
    WarningCount warnings;
    QtSettingsStore store(path);
    EXPECT_EQ(store.read("Ambo", "0"), "1");
    EXPECT_EQ(store.read("Terno", "0"), "1");
    EXPECT_EQ(store.read("SalvaUlt", "0-0-0-0-0"), "0-0-0-0-0-1-1-1-1-1-1-4-");
    EXPECT_EQ(store.read("Cinquina", "0"), "1,0"); // read by QSettings as a list
    EXPECT_EQ(store.read("Quaterna", "0"), "0");
    EXPECT_EQ(store.read("Tombola", "0"), "0");
    // Still writable, and no complaint about it.
    store.write("Quaterna", "1");
    EXPECT_EQ(QtSettingsStore(path).read("Quaterna", "0"), "1");
    EXPECT_TRUE(warnings.warnings.isEmpty()) << warnings.warnings.join('\n').toStdString();
}

TEST_F(QtSettingsStoreTest, UnwritableStoreWarnsOnceAndKeepsWorking)
{
    // A folder that cannot be created, even by root: its parent is a file.
    writeFile(dir.filePath("plainfile"), "x");
    WarningCount warnings;
    QtSettingsStore store(dir.filePath("plainfile/Vellucario.conf"));
    store.write("Ambo", "1");
    store.write("Terno", "1");
    store.write("SalvaUlt", "0-0-0-0-0-");
    EXPECT_EQ(warnings.warnings.size(), 1) << warnings.warnings.join('\n').toStdString();
    EXPECT_TRUE(warnings.warnings.value(0).contains("plainfile/Vellucario.conf"));
    EXPECT_TRUE(store.writeFailed());
    // The values live on for this run.
    EXPECT_EQ(store.read("Terno", "0"), "1");
}

TEST_F(QtSettingsStoreTest, ReadOnlyFileWarnsOnce)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes read-only files";
    writeFile(path, "[Settaggio]\nAmbo=1\n");
    QFile::setPermissions(path, QFile::ReadOwner);
    WarningCount warnings;
    QtSettingsStore store(path);
    store.write("Ambo", "0");
    store.write("Terno", "1");
    EXPECT_EQ(warnings.warnings.size(), 1);
    EXPECT_EQ(store.read("Ambo", "9"), "0");
}

TEST_F(QtSettingsStoreTest, DefaultStoreLivesInTheUsersConfigFolderUnderVellucario)
{
    // Set before any QSettings of this process looks up the user's folder.
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    {
        QtSettingsStore store;
        const QString expected = QDir(dir.path()).filePath("Vellucario/Vellucario.conf");
        EXPECT_EQ(store.fileName(), expected);
        if (store.fileName() == expected) { // never touch the real user's settings
            store.write("Smorfia", "1");
            EXPECT_TRUE(contentsOf(expected).contains("[Settaggio]\nSmorfia=1"));
        }
    }
    if (saved.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", saved);
}

} // namespace
