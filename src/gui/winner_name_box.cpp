// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/winner_name_box.h"

#include "evening/evening_record.h"
#include "gui/widget_look.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

const QString kNameLabel = QStringLiteral("Nome del vincitore:");
const QString kNameHint = QStringLiteral("facoltativo, Invio per tenerlo");

} // namespace

WinnerNameBox::WinnerNameBox(QWidget *parent) : QWidget(parent), name(new QLineEdit(this))
{
    setAutoFillBackground(true);
    paintText(this, Qt::black, QColor(255, 255, 192));
    auto *label = new QLabel(kNameLabel, this);
    label->setBuddy(name);
    name->setAccessibleName(kNameLabel);
    name->setPlaceholderText(kNameHint);
    name->setMaxLength(evening::kMaxClaimName);
    name->setFocusPolicy(Qt::StrongFocus);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 4, 6, 4);
    row->addWidget(label);
    row->addWidget(name, 1);
    expiry.setSingleShot(true);
    expiry.setInterval(kShownMs);
    // Typing keeps it; left alone, it goes.
    connect(&expiry, &QTimer::timeout, this, [this] { name->hasFocus() ? expiry.start() : hide(); });
    connect(name, &QLineEdit::textEdited, &expiry, qOverload<>(&QTimer::start));
    connect(name, &QLineEdit::returnPressed, this, [this] {
        emit named(game_, winner_, name->text());
        hide();
    });
    hide();
}

void WinnerNameBox::offer(int game, int winner)
{
    game_ = game;
    winner_ = winner;
    name->clear();
    show();
    raise();
    expiry.start();
}
