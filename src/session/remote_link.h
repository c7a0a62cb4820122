// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "network/broker_link.h"

#include <QObject>
#include <QString>

class Evening;
class PhoneLink;
class SettingsStore;

// Players beyond the hall: [Remoto] read and checked, the game and its winners published to
// the broker after every change, and the broker's claims handed to the hall's PhoneLink.
class RemoteLink : public QObject {
    Q_OBJECT
public:
    struct Choice {
        bool on = false;
        QString broker, page, room, user;
        // Empty keeps the stored password.
        QString password;
    };

    RemoteLink(PhoneLink &phones, Evening &evening, SettingsStore &store, QObject *parent);

    void start();
    // Stored at once when every value has its shape; else the reason, nothing stored.
    QString apply(const Choice &choice);
    Choice choice() const { return choice_; }
    bool hasPassword() const { return !password_.isEmpty(); }
    // The state of the link, or why it is off, naming the broker.
    QString status() const;
    // The notice for the caller's window: a broker that cannot be reached, refuses or is lost.
    QString notice() const;
    // The page's link with the broker and the room, for the QR code; empty when off.
    QString pageLink() const;

signals:
    void changed();

private:
    QString readSettings();
    void publishWinners();
    void keepSettingsPrivate();

    PhoneLink &phones_;
    Evening &evening_;
    SettingsStore &store_;
    network::remote::BrokerLink broker_;
    Choice choice_;
    QString password_;
    QString settingsProblem_;
};
