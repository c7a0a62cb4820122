// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class RemoteLink;
class QCheckBox;
class QLabel;
class QLineEdit;

// The "Remoto" tab of "Giocatori in rete…": the broker, the room and the program's login,
// with the page's link for players beyond the hall and its QR code.
class RemoteSection : public QWidget {
    Q_OBJECT
public:
    RemoteSection(RemoteLink &link, QWidget *parent);

private:
    void apply();
    void showLink();

    RemoteLink &link_;
    QCheckBox *active_;
    QLineEdit *broker_, *page_, *room_, *user_, *password_;
    QLabel *status_, *address_, *qrCode_;
};
