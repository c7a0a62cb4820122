// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/single_instance.h"

#include "support/fakes.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

bool waitFor(const std::function<bool()> &done)
{
    for (QDeadlineTimer deadline(5000); !done() && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

} // namespace

// Nothing a client sends is kept beyond a request, nor a connection beyond its time.
TEST(SingleInstance, ServesOneShortRequestAConnectionFewAtOnceAndStartsUnguardedWhenItCannotLock)
{
    QTemporaryDir dir;
    FakeClock clock;
    SingleInstance running(nullptr, dir.path(), &clock);
    ASSERT_TRUE(running.claim());
    QSignalSpy shown(&running, &SingleInstance::showRequested);
    const auto client = [&dir](const QByteArray &sent) {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(dir.filePath("sorteggina.socket"));
        EXPECT_TRUE(socket->waitForConnected(1000));
        socket->write(sent);
        return socket;
    };
    const auto closed = [](const auto &socket) { return socket->state() == QLocalSocket::UnconnectedState; };

    auto asking = client("show\n");
    EXPECT_TRUE(waitFor([&] { return closed(asking) && shown.size() == 1; }));
    auto flooding = client(QByteArray(8 << 20, 'x'));
    EXPECT_TRUE(waitFor([&] { return closed(flooding); }));
    std::vector<std::unique_ptr<QLocalSocket>> silent;
    for (int i = 0; i <= SingleInstance::maxPeers; ++i)
        silent.push_back(client({}));
    EXPECT_TRUE(waitFor([&] { return closed(silent.back()); }));
    EXPECT_FALSE(closed(silent.front()));
    clock.now += SingleInstance::peerTimeoutMs;
    running.closeSlowPeers();
    EXPECT_TRUE(waitFor([&] { return std::all_of(silent.begin(), silent.end(), closed); }));

    // Only a copy holding the lock and answering ends a start; any other trouble is told and
    // the program runs without the guard.
    QTemporaryDir stale;
    QFile(stale.filePath("sorteggina.lock")).open(QIODevice::WriteOnly); // empty: no owner to ask
    QTemporaryDir foreign;
    ASSERT_TRUE(::geteuid() != 0 || ::chown(QFile::encodeName(foreign.path()), 65534, 65534) == 0);
    for (const QString &folder : {stale.path(), foreign.path(), QStringLiteral("/proc")}) {
        SCOPED_TRACE(folder.toStdString());
        SingleInstance instance(nullptr, folder);
        EXPECT_TRUE(instance.claim());
        EXPECT_FALSE(instance.problem().isEmpty());
    }
}
