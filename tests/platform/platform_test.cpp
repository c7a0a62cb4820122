// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_settings_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

TEST(QtSettingsStore, KeepsGroupsOnDiskAndSaysWhenItCannotWrite)
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
    QtSettingsStore store(dir.filePath("blocked/Vellucario.conf"));
    store.write("Settaggio/Terno", "1");
    EXPECT_EQ(store.read("Settaggio/Terno", "0"), "1") << "kept for the run";
    EXPECT_FALSE(store.problem().isEmpty());
}

// The game written behind the draw: read back at once, on the disk in the order written,
// and all of it there once the store is closed.
TEST(QtSettingsStore, WritesTheGameBehindInOrderAndAllOfItByTheEnd)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Vellucario.conf");
    {
        QtSettingsStore store(path);
        for (int n = 1; n <= 200; ++n)
            store.writeBehind({{"Settaggio/SalvaUlt", QString::number(n)}, {"Partita/Finita", "0"}});
        EXPECT_EQ(store.read("Settaggio/SalvaUlt", ""), "200");
        store.write("Partita/Finita", "1"); // waits for what was written before it
        EXPECT_EQ(QtSettingsStore(path).read("Settaggio/SalvaUlt", ""), "200");
        EXPECT_EQ(QtSettingsStore(path).read("Partita/Finita", ""), "1");
        store.writeBehind({{"Settaggio/SalvaUlt", "201"}});
    }
    EXPECT_EQ(QtSettingsStore(path).read("Settaggio/SalvaUlt", ""), "201");

    QFile blocker(dir.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    QtSettingsStore store(dir.filePath("blocked/Vellucario.conf"));
    QString told;
    store.onProblem([&told](const QString &problem) { told = problem; });
    store.writeBehind({{"Settaggio/SalvaUlt", "1"}});
    store.flush();
    EXPECT_TRUE(told.contains("non si può scrivere")) << "a failure behind the draw is still told";
}

// Hostile settings files: moved aside and started afresh, or never written through.
TEST(QtSettingsStore, MovesAsideWhatIsNotSettingsAndNeverWritesThroughAnUnsafeLink)
{
    const struct {
        const char *name;
        std::function<void(const QString &path, const QString &dir)> make;
        bool movedAside, written;
        const char *said = "";
    } cases[] = {
        {"over 1 MiB",
            [](const QString &path, const QString &) {
                QFile f(path);
                f.open(QIODevice::WriteOnly);
                f.write("[Settaggio]\nSalvaUlt=" + QByteArray(QtSettingsStore::kMaxFileBytes, '1') + "\n");
            },
            true, true, "1 MiB"},
        {"not settings",
            [](const QString &path, const QString &) {
                QFile f(path);
                f.open(QIODevice::WriteOnly);
                f.write("root:x:0:0:root:/root:/bin/bash\n\x01\x02[[[\n");
            },
            true, true, "danneggiato"},
        {"link to a folder", [](const QString &path, const QString &dir) { QFile::link(dir, path); }, false, false},
        {"link to nothing", [](const QString &path, const QString &dir) { QFile::link(dir + "/gone", path); }, false,
            false},
        {"link to a file of one's own",
            [](const QString &path, const QString &dir) {
                QFile f(dir + "/own.conf");
                f.open(QIODevice::WriteOnly);
                QFile::link(dir + "/own.conf", path);
            },
            false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath("Vellucario.conf");
        c.make(path, dir.path());
        const QFileInfo before(path);
        QtSettingsStore store(path);
        store.write("Settaggio/Ambo", "1");
        EXPECT_EQ(store.read("Settaggio/Ambo", "0"), "1");
        EXPECT_EQ(QDir(dir.path()).entryList({"*.bad-*"}).size(), c.movedAside ? 1 : 0);
        EXPECT_EQ(QtSettingsStore(path).read("Settaggio/Ambo", "0"), c.written ? "1" : "0");
        EXPECT_EQ(store.problem().isEmpty(), c.written && !c.movedAside);
        EXPECT_TRUE(store.problem().contains(c.said)) << store.problem().toStdString();
        if (before.isSymLink() && !c.written) {
            EXPECT_EQ(QFileInfo(path).symLinkTarget(), before.symLinkTarget());
        }
    }
}

TEST(QtSettingsStore, NeverWritesTheFilePastTheSizeItIsReadAt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Vellucario.conf");
    QtSettingsStore(path).writeAll({{"Settaggio/SalvaUlt", "1-2-3"}, {"Altro/Nota", QString(1048000, 'x')}});
    QtSettingsStore store(path);
    QString told;
    store.onProblem([&told](const QString &problem) { told = problem; });
    for (int draw = 0; draw < 10; ++draw)
        store.writeAll({{"Settaggio/SalvaUlt", "1-2-3-4"}, {"Altro/Nota", QString(1048000 + 100 * draw, 'x')}});
    EXPECT_LE(QFileInfo(path).size(), QtSettingsStore::kMaxFileBytes);
    EXPECT_TRUE(told.contains("1 MiB")) << told.toStdString();
    EXPECT_EQ(store.read("Altro/Nota", "").size(), 1048000 + 100 * 9) << "kept for the run";
    EXPECT_EQ(QtSettingsStore(path).read("Settaggio/SalvaUlt", ""), "1-2-3-4") << "the game kept";
}

TEST(QtSettingsStore, WithoutAHomeNothingIsWrittenAtTheRootOfTheFileSystem)
{
    const QByteArray home = qgetenv("HOME"), config = qgetenv("XDG_CONFIG_HOME");
    qunsetenv("HOME");
    qunsetenv("XDG_CONFIG_HOME");
    {
        QtSettingsStore store;
        store.write("Settaggio/Ambo", "1");
        EXPECT_EQ(store.read("Settaggio/Ambo", "0"), "1") << "kept for the run";
        EXPECT_FALSE(store.problem().isEmpty());
        EXPECT_TRUE(store.fileName().isEmpty());
    }
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", config);
    EXPECT_FALSE(QFile::exists("/.config/Vellucario/Vellucario.conf"));
}
