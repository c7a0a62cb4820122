// SPDX-License-Identifier: GPL-3.0-or-later
#include "evening/evening_store.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace evening;

namespace {
const QString kGame = QStringLiteral("\nP 2026-12-06T21:30:00 1\nE 5 7- 7\nV 0 7 2 0 42-3-K Zia Nunzia");

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void runSql(const QString &path, const QStringList &statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        db.setDatabaseName(path);
        db.open();
        for (const QString &statement : statements)
            QSqlQuery(db).exec(statement);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
}
} // namespace

TEST(EveningStore, ImportsTheOldRecordOnceKeepingEveryGameThatReadsAndTheTextAside)
{
    QTemporaryDir dir;
    EveningStore store(dir.path());
    ASSERT_TRUE(store.importRecord("Serata 1" + kGame + kGame));
    EXPECT_EQ(store.currentEvening(), EveningRecord::parse("Serata 1" + kGame + kGame));
    EXPECT_TRUE(store.problem().isEmpty()) << "read whole: nothing to tell";
    const QString damaged = "Serata 1\nX" + kGame + "\nP 2026-12-06T22:00:00 1\nE 5 99" + kGame;
    ASSERT_TRUE(store.importRecord(damaged));
    EXPECT_EQ(store.currentEvening(), EveningRecord::parse("Serata 1" + kGame + kGame)) << "the good games";
    const QStringList aside = QDir(dir.path()).entryList({"Registro.bad-*"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(contentOf(dir.filePath(aside[0])), damaged.toUtf8());
    EXPECT_TRUE(store.problem().contains("importate le 2 partite")) << store.problem().toStdString();
    EXPECT_EQ(EveningStore(dir.path()).evenings().size(), 2);
}

TEST(EveningStore, ADamagedOrForeignFileIsMovedAsideANewerOneLeftAloneAndWhatCannotBeWrittenWaits)
{
    const struct {
        const char *what;
        std::function<void(const QString &file)> spoil;
        bool movedAside;
        const char *told;
    } cases[] = {
        {"not a database", [](const QString &f) { QFile(f).open(QIODevice::WriteOnly) && QFile(f).exists(); }, false,
            ""},
        {"text",
            [](const QString &f) {
                QFile file(f);
                file.open(QIODevice::WriteOnly);
                file.write("tombola\n");
            },
            true, "non è un database"},
        {"another program's", [](const QString &f) { runSql(f, {"CREATE TABLE t (x)"}); }, true, "non è un database"},
        {"damaged pages",
            [](const QString &f) {
                runSql(f, {"CREATE TABLE t (x)", "INSERT INTO t VALUES (randomblob(9000))",
                              "PRAGMA application_id=1399157345"});
                QFile file(f);
                file.open(QIODevice::ReadWrite);
                file.seek(4096);
                file.write(QByteArray(8192, 'x'));
            },
            true, "danneggiato"},
        {"newer",
            [](const QString &f) {
                runSql(f, {"PRAGMA application_id=1399157345", "PRAGMA user_version=2"});
            },
            false, "più recente"},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString file = dir.filePath(EveningStore::kFileName);
        c.spoil(file);
        const QByteArray before = contentOf(file);
        EveningStore store(dir.path());
        EXPECT_TRUE(store.problem().contains(file) || !*c.told) << c.what;
        EXPECT_TRUE(store.problem().contains(c.told)) << c.what << store.problem().toStdString();
        const QStringList aside = QDir(dir.path()).entryList({EveningStore::kFileName + ".bad-*"});
        EXPECT_EQ(aside.size(), c.movedAside ? 1 : 0) << c.what;
        if (c.movedAside || *c.told) {
            EXPECT_EQ(contentOf(c.movedAside ? dir.filePath(aside.value(0)) : file), before) << c.what;
        }
        EXPECT_EQ(
            store.append({{.kind = Event::GameStarted, .at = QDateTime::currentDateTime()}}), !*c.told || c.movedAside)
            << c.what;
    }
    QTemporaryDir dir;
    QFile(dir.filePath("file")).open(QIODevice::WriteOnly);
    EveningStore nowhere(dir.filePath("file"));
    EXPECT_TRUE(nowhere.problem().contains(dir.filePath("file"))) << "a folder that cannot be made";
    EXPECT_FALSE(nowhere.append({{.kind = Event::GameStarted, .at = QDateTime::currentDateTime()}}));

    EveningStore store(dir.path());
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
    other.setDatabaseName(dir.filePath(EveningStore::kFileName));
    ASSERT_TRUE(other.open());
    QSqlQuery(other).exec("BEGIN EXCLUSIVE");
    QSqlQuery(other).exec("INSERT INTO evenings (started) VALUES ('x')");
    EXPECT_FALSE(store.append({{.kind = Event::GameStarted, .at = QDateTime::currentDateTime()}}));
    EXPECT_TRUE(store.problem().contains("in uso")) << store.problem().toStdString();
    QSqlQuery(other).exec("ROLLBACK");
    other.close();
    EXPECT_TRUE(store.append({{.kind = Event::NumberDrawn, .at = QDateTime::currentDateTime(), .number = 5}}));
    EXPECT_EQ(store.currentEvening().games.value(0).liveOrder(), QList{5}) << "what waited is written first";
    EXPECT_TRUE(store.problem().isEmpty());
}
