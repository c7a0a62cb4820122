// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/network_dialog.h"

#include "gui/accessibility.h"
#include "network/qr_code.h"
#include "session/phone_link.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("Giocatori in rete…");
const QString kActive = QStringLiteral("Attiva");
const QString kPort = QStringLiteral("Porta");
const QString kNewCode = QStringLiteral("Nuovo codice");
const QString kPhones = QStringLiteral("Telefoni collegati: %1");
const QString kClose = QStringLiteral("Chiudi");
const QString kPhoneList = QStringLiteral("Telefoni e cartelle");
const QString kAddress = QStringLiteral("Indirizzo per i telefoni");
const QString kHowTo = QStringLiteral("I giocatori inquadrano il codice con il telefono, collegato alla stessa rete:");
} // namespace

NetworkDialog::NetworkDialog(PhoneLink &link, QWidget *parent)
    : QDialog(parent), link_(link), active_(new QCheckBox(kActive)), port_(new QSpinBox), addresses_(new QLabel),
      addressColumn_(new QVBoxLayout), qrCode_(new QLabel), phones_(new QLabel), phoneList_(new QPlainTextEdit)
{
    setWindowTitle(kTitle);
    port_->setRange(1024, 65535);
    port_->setValue(link_.port());
    active_->setChecked(link_.active());
    addresses_->setWordWrap(true);
    addressColumn_->addWidget(addresses_);
    addresses_->setMinimumWidth(420);
    qrCode_->setMinimumSize(180, 180);
    qrCode_->setAlignment(Qt::AlignCenter);
    auto *newCode = new QPushButton(kNewCode);
    auto *form = new QFormLayout;
    form->addRow(active_);
    form->addRow(kPort, port_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setText(kClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(kHowTo));
    layout->addLayout(addressColumn_);
    layout->addWidget(qrCode_);
    layout->addWidget(phones_);
    // Names and codes come from the phones: plain text only.
    phoneList_->setReadOnly(true);
    phoneList_->setAccessibleName(kPhoneList);
    phoneList_->setMaximumHeight(160);
    layout->addWidget(phoneList_);
    layout->addWidget(newCode);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(active_, &QCheckBox::toggled, this, &NetworkDialog::apply);
    connect(port_, &QSpinBox::editingFinished, this, [this] {
        if (link_.port() != port_->value())
            apply();
    });
    connect(newCode, &QPushButton::clicked, &link_, &PhoneLink::newCode);
    connect(&link_, &PhoneLink::changed, this, &NetworkDialog::showLink);
    showLink();
}

void NetworkDialog::apply() { link_.setActive(active_->isChecked(), quint16(port_->value())); }

void NetworkDialog::showLink()
{
    const QStringList &urls = link_.urls();
    addresses_->setText(link_.problem());
    addresses_->setVisible(urls.isEmpty());
    showAddresses(urls);
    if (urls.isEmpty())
        qrCode_->clear();
    else
        qrCode_->setPixmap(QPixmap::fromImage(network::qrCodeImage(urls.first())));
    const QString phones = kPhones.arg(link_.phoneCount());
    if (phones_->text() != phones && !phones_->text().isEmpty())
        announce(this, phones);
    phones_->setText(phones);
    phoneList_->setPlainText(link_.phoneListText());
}

void NetworkDialog::addPart(const QString &title, QWidget *part)
{
    auto *box = new QGroupBox(title);
    (new QVBoxLayout(box))->addWidget(part);
    auto *column = static_cast<QVBoxLayout *>(layout());
    column->insertWidget(column->count() - 1, box);
}

void NetworkDialog::showAddresses(const QStringList &urls)
{
    // Each address a read-only text, reached by Tab, read by a screen reader and copied with
    // Ctrl+C; drawn on the dialog's own colour as plain text would be, and wide enough to show whole.
    while (addressBoxes_.size() > urls.size())
        delete addressBoxes_.takeLast();
    while (addressBoxes_.size() < urls.size()) {
        auto *box = new QLineEdit;
        box->setReadOnly(true);
        box->setFrame(false);
        box->setAccessibleName(kAddress);
        QPalette look = box->palette();
        look.setColor(QPalette::Base, look.color(QPalette::Window));
        box->setPalette(look);
        addressColumn_->addWidget(box);
        addressBoxes_ << box;
    }
    QWidget *before = port_;
    for (int i = 0; i < urls.size(); ++i) {
        QLineEdit *box = addressBoxes_[i];
        setTabOrder(before, box);
        before = box;
        if (box->text() != urls[i])
            box->setText(urls[i]);
        box->setCursorPosition(0);
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(urls[i]) + 2 * box->fontMetrics().averageCharWidth());
    }
}
