// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/network_dialog.h"
#include "network/phone_server.h"
#include "support/fakes.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <gtest/gtest.h>

TEST(NetworkDialog, AttivaOpensThePortAndNuovoCodiceChangesTheAddress)
{
    MemoryStore store;
    network::PhoneServer server;
    NetworkDialog dialog(store, server, nullptr);
    QSignalSpy url(&dialog, &NetworkDialog::urlChanged);
    dialog.findChild<QSpinBox *>()->setValue(18000 + QCoreApplication::applicationPid() % 20000);
    dialog.findChild<QCheckBox *>()->setChecked(true);
    ASSERT_TRUE(url.wait(5000));
    const QString first = dialog.shownUrl();
    EXPECT_TRUE(first.endsWith(QStringLiteral("/?t=") + store.values.value("Rete/Codice"))) << first.toStdString();
    EXPECT_EQ(store.values.value("Rete/Attiva"), QStringLiteral("true"));
    const auto labels = dialog.findChildren<QLabel *>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel *l) { return l->pixmap().width() >= 180; }));

    for (QPushButton *button : dialog.findChildren<QPushButton *>())
        if (button->text() == QStringLiteral("Nuovo codice"))
            button->click();
    EXPECT_NE(dialog.shownUrl(), first);
    EXPECT_TRUE(dialog.shownUrl().endsWith(store.values.value("Rete/Codice")));

    dialog.findChild<QCheckBox *>()->setChecked(false);
    EXPECT_TRUE(dialog.shownUrl().isEmpty());
    EXPECT_EQ(store.values.value("Rete/Attiva"), QStringLiteral("false"));
}
