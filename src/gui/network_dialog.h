// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "network/phone_settings.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QSpinBox;
class SettingsStore;
namespace network {
class PhoneServer;
}

// "Giocatori in rete…": turns the phones' page on and off, shows the address and its QR
// code to scan, the count of phones, and gives a new code that every phone must scan again.
class NetworkDialog : public QDialog {
    Q_OBJECT
public:
    NetworkDialog(SettingsStore &store, network::PhoneServer &server, QWidget *parent);

    // The first address, the one the players' screen shows; empty while off.
    QString shownUrl() const { return shownUrl_; }

signals:
    void urlChanged(const QString &url);

private:
    void apply();
    void showAddresses(quint16 port);
    void showProblem(const QString &problem);

    SettingsStore &store_;
    network::PhoneServer &server_;
    network::PhoneSettings settings_;
    QString shownUrl_;
    QCheckBox *active_;
    QSpinBox *port_;
    QLabel *addresses_;
    QLabel *qrCode_;
    QLabel *phones_;
};
