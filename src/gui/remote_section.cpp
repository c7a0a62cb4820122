// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/remote_section.h"

#include "network/qr_code.h"
#include "session/remote_link.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kActive = QStringLiteral("Attiva");
const QString kBroker = QStringLiteral("Broker");
const QString kPage = QStringLiteral("Pagina");
const QString kRoom = QStringLiteral("Stanza");
const QString kUser = QStringLiteral("Utente");
const QString kPassword = QStringLiteral("Password");
const QString kKeptPassword = QStringLiteral("(invariata)");
const QString kApply = QStringLiteral("Applica");
const QString kHowTo = QStringLiteral("I giocatori fuori dalla sala aprono questo indirizzo o inquadrano il codice:");
} // namespace

RemoteSection::RemoteSection(RemoteLink &link, QWidget *parent)
    : QWidget(parent), link_(link), active_(new QCheckBox(kActive)), broker_(new QLineEdit), page_(new QLineEdit),
      room_(new QLineEdit), user_(new QLineEdit), password_(new QLineEdit), status_(new QLabel), address_(new QLabel),
      qrCode_(new QLabel)
{
    const RemoteLink::Choice choice = link_.choice();
    active_->setChecked(choice.on);
    broker_->setText(choice.broker);
    broker_->setPlaceholderText(QStringLiteral("mqtts://broker.example.org:8883"));
    page_->setText(choice.page);
    page_->setPlaceholderText(QStringLiteral("wss://broker.example.org:8081"));
    room_->setText(choice.room);
    user_->setText(choice.user);
    password_->setEchoMode(QLineEdit::Password);
    if (link_.hasPassword())
        password_->setPlaceholderText(kKeptPassword);
    for (QLabel *label : {status_, address_}) {
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        label->setTextFormat(Qt::PlainText);
    }
    qrCode_->setMinimumSize(180, 180);
    qrCode_->setAlignment(Qt::AlignCenter);
    auto *applyButton = new QPushButton(kApply);
    auto *form = new QFormLayout;
    form->addRow(active_);
    form->addRow(kBroker, broker_);
    form->addRow(kPage, page_);
    form->addRow(kRoom, room_);
    form->addRow(kUser, user_);
    form->addRow(kPassword, password_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(applyButton);
    layout->addWidget(status_);
    layout->addWidget(new QLabel(kHowTo));
    layout->addWidget(address_);
    layout->addWidget(qrCode_);
    connect(applyButton, &QPushButton::clicked, this, &RemoteSection::apply);
    connect(&link_, &RemoteLink::changed, this, &RemoteSection::showLink);
    showLink();
}

void RemoteSection::apply()
{
    const QString problem = link_.apply(
        {active_->isChecked(), broker_->text(), page_->text(), room_->text(), user_->text(), password_->text()});
    password_->clear();
    if (link_.hasPassword())
        password_->setPlaceholderText(kKeptPassword);
    if (!problem.isEmpty()) {
        status_->setText(problem);
        return;
    }
    room_->setText(link_.choice().room);
    showLink();
}

void RemoteSection::showLink()
{
    status_->setText(link_.status());
    const QString link = link_.pageLink();
    address_->setText(link);
    if (link.isEmpty())
        qrCode_->clear();
    else
        qrCode_->setPixmap(QPixmap::fromImage(network::qrCodeImage(link)));
}
