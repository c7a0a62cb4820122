// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/claim_notice_bar.h"

#include "gui/accessibility.h"
#include "gui/widget_look.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace {
const QString kConfirm = QStringLiteral("Conferma (Invio)");
const QString kRefuse = QStringLiteral("Respingi (Esc)");
const QString kName = QStringLiteral("Chiamata da un telefono");
const QString kHeard = QStringLiteral("%1. %2, %3.");
} // namespace

ClaimNoticeBar::ClaimNoticeBar(QWidget *parent)
    : QFrame(parent), confirm(new QPushButton(kConfirm)), refuse(new QPushButton(kRefuse)), label_(new QLabel)
{
    setFrameShape(QFrame::Box);
    setLineWidth(2);
    setAccessibleName(kName);
    setAttribute(Qt::WA_ShowWithoutActivating);
    paintText(this, Qt::black, QColor(255, 255, 192));
    // A phone's name is the phone's: never read as markup.
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
    label_->setFont(fontOf(kSansSerif, 12, true));
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(label_, 1);
    for (QPushButton *button : {confirm, refuse}) {
        // Reached by Tab, never taking the focus by itself.
        button->setFocusPolicy(Qt::TabFocus);
        button->setFont(fontOf(kSansSerif, 11, true));
        layout->addWidget(button);
    }
    hide();
}

void ClaimNoticeBar::showClaim(const QString &text)
{
    label_->setText(text);
    setVisible(!text.isEmpty());
    if (text.isEmpty())
        return;
    raise();
    // Heard in whichever of the program's windows is in front, with its keys.
    announce(QApplication::activeWindow(), kHeard.arg(text, kConfirm, kRefuse));
}

QString ClaimNoticeBar::text() const { return isHidden() ? QString() : label_->text(); }

void ClaimNoticeBar::place(const QRect &area)
{
    const int height = std::max(sizeHint().height(), heightForWidth(area.width()));
    setGeometry(area.left(), area.top(), area.width(), height);
}
