// SPDX-License-Identifier: GPL-3.0-or-later
// Serves the players' page for the browser check: prints the port, draws the numbers read
// from standard input ("draw N M ...") and answers each claim with the caller's notice.
#include "announcer/smorfia.h"
#include "network/claim_notice.h"
#include "network/phone_server.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    network::PhoneServer server;
    network::LiveState live;
    live.prizeInPlay = 0;
    std::array<bool, 90> drawn{};
    const auto draw = [&](int n) {
        live.drawnInOrder << n;
        live.lastMeaning = smorfiaOf(n);
        drawn[n - 1] = true;
        server.publish(live);
    };
    for (int n : {1, 37, 90, 14, 5})
        draw(n);
    QObject::connect(
        &server, &network::PhoneServer::started, [](quint16 port) { std::printf("%d\n", port), std::fflush(stdout); });
    QObject::connect(&server, &network::PhoneServer::failed,
        [](const QString &problem) { std::fprintf(stderr, "%s\n", qPrintable(problem)), std::exit(1); });
    QObject::connect(&server, &network::PhoneServer::claimReceived,
        [&](quint64 phone, int prize, const QString &code, const QString &name) {
            const QString notice = network::claimNotice(prize, name, *cartelle::parseCode(code), drawn);
            std::printf("%s\n", qPrintable(notice)), std::fflush(stdout);
            server.answer(phone, notice);
        });
    QSocketNotifier input(0, QSocketNotifier::Read);
    QTextStream lines(stdin);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        const QString line = lines.readLine();
        if (line.isNull())
            QCoreApplication::quit();
        else if (line.startsWith(QLatin1String("draw ")))
            for (const QString &number : line.mid(5).split(u' ', Qt::SkipEmptyParts))
                draw(number.toInt());
    });
    server.start(quint16(argc > 1 ? QString::fromLocal8Bit(argv[1]).toUInt() : 0), QStringLiteral("c0ffee"));
    return app.exec();
}
