// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QList>

class PhoneLink;
class QPlainTextEdit;
class QCheckBox;
class QLabel;
class QLineEdit;
class QVBoxLayout;
class QSpinBox;

// "Giocatori in rete…": turns the phones' page on and off, shows the address and its QR
// code to scan, the count of phones, and gives a new code that every phone must scan again.
class NetworkDialog : public QDialog {
    Q_OBJECT
public:
    NetworkDialog(PhoneLink &link, QWidget *parent);
    // A part of its own, above the buttons (players beyond the hall).
    void addPart(const QString &title, QWidget *part);

private:
    void apply();
    void showLink();
    void showAddresses(const QStringList &urls);

    PhoneLink &link_;
    QCheckBox *active_;
    QSpinBox *port_;
    QLabel *addresses_; // why the phones are not served
    QVBoxLayout *addressColumn_;
    QList<QLineEdit *> addressBoxes_;
    QLabel *qrCode_;
    QLabel *phones_;
    QPlainTextEdit *phoneList_;
};
