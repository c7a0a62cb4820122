// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/network_dialog.h"

#include "network/access.h"
#include "network/phone_server.h"
#include "network/qr_code.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("Giocatori in rete…");
const QString kActive = QStringLiteral("Attiva");
const QString kPort = QStringLiteral("Porta");
const QString kNewCode = QStringLiteral("Nuovo codice");
const QString kOff = QStringLiteral("Non attiva");
const QString kPhones = QStringLiteral("Telefoni collegati: %1");
} // namespace

NetworkDialog::NetworkDialog(SettingsStore &store, network::PhoneServer &server, QWidget *parent)
    : QDialog(parent), store_(store), server_(server), settings_(network::loadPhoneSettings(store)),
      active_(new QCheckBox(kActive)), port_(new QSpinBox), addresses_(new QLabel(kOff)), qrCode_(new QLabel),
      phones_(new QLabel(kPhones.arg(0)))
{
    setWindowTitle(kTitle);
    port_->setRange(1024, 65535);
    port_->setValue(settings_.port);
    active_->setChecked(settings_.active);
    addresses_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    addresses_->setWordWrap(true);
    qrCode_->setMinimumSize(180, 180);
    qrCode_->setAlignment(Qt::AlignCenter);
    auto *newCode = new QPushButton(kNewCode);
    auto *form = new QFormLayout;
    form->addRow(active_);
    form->addRow(kPort, port_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(addresses_);
    layout->addWidget(qrCode_);
    layout->addWidget(phones_);
    layout->addWidget(newCode);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(active_, &QCheckBox::toggled, this, &NetworkDialog::apply);
    connect(port_, &QSpinBox::editingFinished, this, [this] {
        if (settings_.port != port_->value())
            apply();
    });
    connect(newCode, &QPushButton::clicked, this, [this] {
        settings_.token = network::newToken();
        network::savePhoneSettings(store_, settings_);
        server_.setToken(settings_.token);
        if (settings_.active)
            showAddresses(quint16(settings_.port));
    });
    connect(&server_, &network::PhoneServer::started, this, &NetworkDialog::showAddresses);
    connect(&server_, &network::PhoneServer::failed, this, &NetworkDialog::showProblem);
    connect(&server_, &network::PhoneServer::phoneCountChanged, this,
        [this](int count) { phones_->setText(kPhones.arg(count)); });
    if (settings_.active)
        server_.start(settings_.port, settings_.token);
}

void NetworkDialog::apply()
{
    settings_.active = active_->isChecked();
    settings_.port = quint16(port_->value());
    network::savePhoneSettings(store_, settings_);
    server_.stop();
    if (settings_.active)
        server_.start(settings_.port, settings_.token);
    else
        showProblem(kOff);
}

void NetworkDialog::showAddresses(quint16 port)
{
    const QStringList urls = network::phoneUrls(network::lanAddresses(), port, settings_.token);
    addresses_->setText(urls.join(QLatin1Char('\n')));
    qrCode_->setPixmap(QPixmap::fromImage(network::qrCodeImage(urls.first())));
    shownUrl_ = urls.first();
    emit urlChanged(shownUrl_);
}

void NetworkDialog::showProblem(const QString &problem)
{
    addresses_->setText(problem);
    qrCode_->clear();
    phones_->setText(kPhones.arg(0));
    shownUrl_.clear();
    emit urlChanged(shownUrl_);
}
