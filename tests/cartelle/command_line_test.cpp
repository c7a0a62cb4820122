// SPDX-License-Identifier: GPL-3.0-or-later
#include "cartelle/command_line.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using namespace cartelle;
using Action = CommandLine::Action;

TEST(CommandLine, ReadsOurOptionsLeavesQtItsOwnAndRefusesTheRest)
{
    const struct {
        QStringList arguments;
        Action action;
        QString range, pdf;
    } cases[] = {
        {{}, Action::OpenWindow, {}, {}},
        {{"-platform", "xcb", "-style=fusion", "--reverse", "-qwindowgeometry", "800x600"}, Action::OpenWindow, {}, {}},
        {{"-platform", "xcb", "--version"}, Action::ShowVersion, {}, {}},
        {{"--cartelle=1-1", "--pdf=a.pdf"}, Action::PrintCartelle, "1-1", "a.pdf"},
        {{"--pdf", "a b.pdf", "--cartelle", "2-3"}, Action::PrintCartelle, "2-3", "a b.pdf"},
        {{"--cartelle", "1-1", "--cartelle", "2-2", "--pdf", "a.pdf"}, Action::Refuse, {}, {}},
        {{"--cartelle", "1-1", "--pdf", "-"}, Action::Refuse, {}, {}},
        {{"--reverse=yes"}, Action::Refuse, {}, {}},
        {{"partita.pdf"}, Action::Refuse, {}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CommandLine command = readCommandLine(c.arguments);
        EXPECT_EQ(command.action, c.action);
        EXPECT_EQ(command.problem.isEmpty(), c.action != Action::Refuse);
        if (c.action == Action::PrintCartelle) {
            EXPECT_EQ(std::pair(command.range, command.pdf), std::pair(c.range, c.pdf));
        }
    }
}

// Only a new name or a regular file of the user's own is written, whole; anything else is
// refused and left as it was.
TEST(CommandLine, WritesThePdfOnlyToANewNameOrAFileOfTheUsersOwn)
{
    const bool root = ::geteuid() == 0;
    const mode_t umask = ::umask(0);
    ::umask(umask);
    QTemporaryDir dir;
    const QString sticky = dir.filePath("sticky"), other = dir.filePath("other");
    QDir().mkpath(sticky);
    QDir().mkpath(other);
    ::chmod(QFile::encodeName(sticky), 01777);
    const auto file = [](const QString &path, mode_t mode) {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("segreto");
        ::chmod(QFile::encodeName(path), mode);
        return path;
    };
    const auto othersLink = [](const QString &target, const QString &path) {
        QFile::link(target, path);
        ::lchown(QFile::encodeName(path), 65534, 65534);
        return path;
    };
    const struct {
        const char *name;
        std::function<QString()> make; // the path given to --pdf
        int exitCode;
        mode_t mode; // of the file written
        bool needsRoot;
    } cases[] = {
        {"another user's link in a sticky folder",
            [&] { return othersLink(file(other + "/shadow", 0600), sticky + "/cartelle.pdf"); }, 2, 0, true},
        {"through another user's folder link there", [&] { return othersLink(other, sticky + "/stampe") + "/shadow"; },
            2, 0, true},
        {"another user's file",
            [&] {
                const QString path = file(other + "/suo.pdf", 0666);
                ::chown(QFile::encodeName(path), 65534, 65534);
                return path;
            },
            2, 0, true},
        {"a device", [] { return QStringLiteral("/dev/null"); }, 2, 0, false},
        {"a folder", [&] { return other; }, 2, 0, false},
        {"a new name", [&] { return sticky + "/nuovo.pdf"; }, 0, 0666 & ~umask, false},
        {"a file of one's own", [&] { return file(sticky + "/mio.pdf", 0600); }, 0, 0600, false},
        {"one's own link to it",
            [&] {
                QFile::link(file(other + "/tramite.pdf", 0640), sticky + "/link.pdf");
                return sticky + "/link.pdf";
            },
            0, 0640, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && !root)
            continue;
        const QString path = c.make();
        struct stat before = {}, after = {};
        ::lstat(QFile::encodeName(path), &before);
        const auto all = QDir::AllEntries | QDir::Hidden | QDir::System;
        const auto entries = [&] { return QDir(sticky).entryList(all) + QDir(other).entryList(all); };
        const QStringList entriesBefore = entries();
        const CommandLine command{Action::PrintCartelle, "1-1", path, {}, {}, {}, {}};
        ASSERT_EQ(printCartelle(command), c.exitCode);
        ASSERT_EQ(::stat(QFile::encodeName(path), &after), c.exitCode == 0 || before.st_mode ? 0 : -1);
        if (c.exitCode == 0) {
            QFile written(path);
            EXPECT_TRUE(written.open(QIODevice::ReadOnly) && written.read(5) == "%PDF-");
            EXPECT_EQ(after.st_mode & 07777, c.mode);
            EXPECT_TRUE(QFileInfo(path).isSymLink() == S_ISLNK(before.st_mode));
        } else {
            EXPECT_EQ(entries(), entriesBefore);
            struct stat now = {};
            ::lstat(QFile::encodeName(path), &now);
            EXPECT_EQ(std::pair(now.st_mode, now.st_mtim.tv_nsec), std::pair(before.st_mode, before.st_mtim.tv_nsec));
        }
    }
    QFile shadow(other + "/shadow");
    if (root && shadow.open(QIODevice::ReadOnly)) {
        EXPECT_EQ(shadow.readAll(), "segreto");
    }
}
