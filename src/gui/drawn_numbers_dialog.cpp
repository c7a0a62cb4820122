// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/drawn_numbers_dialog.h"

#include "announcer/smorfia.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kTitle = QStringLiteral("Numeri usciti");
const QString kCount = QStringLiteral("Estratti %1");
const QString kListName = QStringLiteral("Numeri usciti, nell'ordine");
const QString kItem = QStringLiteral("%1º: %2, %3");
const QString kClose = QStringLiteral("Chiudi");

} // namespace

DrawnNumbersDialog::DrawnNumbersDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(kTitle);
    count_ = new QLabel(this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("numbers"));
    list_->setAccessibleName(kListName);
    list_->setUniformItemSizes(true);
    count_->setBuddy(list_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(kClose);
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(count_);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(420, 480);
}

void DrawnNumbersDialog::showNumbers(const QList<int> &order)
{
    count_->setText(kCount.arg(order.size()));
    // A number taken back leaves the list; one more joins at its end, where the caller is.
    const bool atEnd = list_->currentRow() < 0 || list_->currentRow() == list_->count() - 1;
    const int row = list_->currentRow();
    list_->clear();
    for (qsizetype i = 0; i < order.size(); ++i)
        list_->addItem(kItem.arg(i + 1).arg(order[i]).arg(smorfiaOf(order[i])));
    list_->setCurrentRow(atEnd ? list_->count() - 1 : std::min(row, list_->count() - 1));
}

void DrawnNumbersDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The newest number first: that is what a caller asks the list for.
    list_->setCurrentRow(list_->count() - 1);
    list_->scrollToItem(list_->currentItem());
    list_->setFocus();
}
