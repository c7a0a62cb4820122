// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/drawn_numbers_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

DrawnNumbersDialog::DrawnNumbersDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Numeri usciti"));
    count_ = new QLabel(this);
    list_ = new QPlainTextEdit(this);
    list_->setReadOnly(true);
    list_->setAccessibleName(QStringLiteral("Numeri usciti, nell'ordine"));
    count_->setBuddy(list_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Chiudi"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(count_);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(280, 420);
}

void DrawnNumbersDialog::showNumbers(const QList<int> &order)
{
    count_->setText(QStringLiteral("Estratti: %1 di 90").arg(order.size()));
    QStringList lines;
    for (qsizetype i = 0; i < order.size(); ++i)
        lines << QStringLiteral("%1º: %2").arg(i + 1).arg(order[i]);
    list_->setPlainText(lines.join(QLatin1Char('\n')));
}
