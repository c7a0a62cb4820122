// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/control_column.h"

#include "app/accessibility.h"
#include "app/controls.h"
#include "caller/caller.h"
#include "display/board_layout.h"
#include "display/look.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace board;

namespace {

// What a screen reader says of the controls that have no tooltip.
const QString kPrizeButtonPurpose = QStringLiteral("Dichiara il premio vinto in sala");
const QString kPrizeBoxPurpose = QStringLiteral("Spuntato: premio già vinto o escluso dal gioco");

void describe(QWidget *widget, const QString &name, const QString &tip = QString())
{
    widget->setAccessibleName(name);
    if (!tip.isEmpty()) {
        widget->setToolTip(tip);
        widget->setAccessibleDescription(keysInWords(tip));
    }
}

} // namespace

ControlColumn::ControlColumn(QWidget *window) : QWidget(window)
{
    static const std::array<int, kPrizes> boxWidths{765, 765, 1005, 945, 945};
    for (int i = 0; i < kPrizes; ++i) {
        QPushButton *button = prizeButtons[i] = new QPushButton(QStringLiteral("F%1").arg(i + 2), this);
        button->setFont(fontOf(kTerminal, 6, true));
        button->setStyleSheet(QStringLiteral("padding: 0px;"));
        describe(button, kPrizeNames[i] + QStringLiteral(" (F%1)").arg(i + 2));
        button->setAccessibleDescription(kPrizeButtonPurpose);
        placeInTwips(button, {240, 2130 + 330 * i, 465, 220});
        connect(button, &QPushButton::clicked, this, [this, i] { emit prizeDeclared(i); });

        OptionBox *box = prizeBoxes[i] = new OptionBox(kPrizeNames[i], this);
        paintText(box, Qt::white, look::kTableGreen);
        describe(box, kPrizeNames[i]);
        box->setAccessibleDescription(kPrizeBoxPurpose);
        placeInTwips(box, {780, 2100 + 330 * i, boxWidths[i], 255});
        connect(box, &QCheckBox::stateChanged, this, [this, i, box] { emit prizeBoxChanged(i, box->value()); });
        connect(box, &OptionBox::mouseUp, this, [this, i] { emit prizeBoxReleased(i); });
    }

    auto *nameLabel = new QLabel(QStringLiteral("Nome"), this);
    nameLabel->setAlignment(Qt::AlignCenter);
    paintText(nameLabel, Qt::white, look::kTableGreen);
    placeInTwips(nameLabel, {360, 3930, 1125, 195});
    ownerName = new QLineEdit(Caller::kDefaultOwner, this);
    ownerName->setAlignment(Qt::AlignCenter);
    ownerName->setMaxLength(Caller::kMaxOwnerName);
    describe(ownerName, QStringLiteral("Nome"), QStringLiteral("Scrivere il nome di chi possiede il tabellone"));
    placeInTwips(ownerName, {180, 4170, 1575, 285});
    nameLabel->setBuddy(ownerName);
    connect(ownerName, &QLineEdit::textChanged, this, &ControlColumn::ownerNameEdited);

    auto option = [this](const QString &caption, const QColor &colour, const QString &tip, TwipsPlace place,
                         void (ControlColumn::*changed)(int)) {
        auto *box = new OptionBox(caption, this);
        paintText(box, colour, look::kTableGreen);
        describe(box, caption, tip);
        placeInTwips(box, place);
        connect(box, &QCheckBox::stateChanged, this, [this, box, changed] { emit(this->*changed)(box->value()); });
        return box;
    };
    manualBox = option(QStringLiteral("Manuale"), QColor(255, 192, 192), QStringLiteral("Estrazione manuale"),
                       {540, 4620, 1125, 315}, &ControlColumn::manualChanged);
    scanditoBox = option(QStringLiteral("Scandito"), QColor(255, 255, 0),
                         QStringLiteral("Scandisce i numeri che si confondono (>)"), {540, 4980, 1125, 225},
                         &ControlColumn::scanditoChanged);
    smorfiaBox = option(QStringLiteral("Smorfia"), QColor(0, 192, 192),
                        QStringLiteral("Pronuncia la smorfia al posto dei numeri (<)"), {540, 5310, 1125, 225},
                        &ControlColumn::smorfiaChanged);

    for (int k = 0; k < kCartelle; ++k) {
        ClickLabel *label = cartellaLabels[k] = new ClickLabel(QStringLiteral("Cartella %1").arg(k + 1), this);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Box);
        describe(label, label->text(), QStringLiteral("Esclusione cartelle dal tabellone"));
        label->setFocusPolicy(Qt::TabFocus);
        placeInTwips(label, {k % 2 == 0 ? 210 : 990, 5790 + 270 * (k / 2), 765, 255});
        connect(label, &ClickLabel::clicked, this, [this, k] { emit cartellaClicked(k); });
    }

    auto button = [this](const QString &caption, const QColor &back, const QString &tip, TwipsPlace place,
                         void (ControlColumn::*asked)()) {
        auto *b = new QPushButton(caption, this);
        b->setFont(fontOf(kSansSerif, 8.25, true));
        paintText(b, Qt::black, back);
        describe(b, caption, tip);
        placeInTwips(b, place);
        connect(b, &QPushButton::clicked, this, asked);
        return b;
    };
    newGameButton = button(QStringLiteral("Ricomincia"), QColor(192, 192, 255),
                           QStringLiteral("Comincia una nuova partita (F12)"), {210, 6780, 1545, 450},
                           &ControlColumn::newGameRequested);
    reloadButton = button(QStringLiteral("Ricarica ultima"), QColor(255, 255, 128),
                          QStringLiteral("Ricarica l'ultima estrazione interrotta"), {210, 7380, 1545, 450},
                          &ControlColumn::reloadRequested);
    drawButton = button(QStringLiteral("Estrai Numero"), QColor(128, 255, 128), QStringLiteral("(v)"),
                        {210, 8050, 1545, 795}, &ControlColumn::drawRequested);

    helpButton = new ClickLabel(QStringLiteral("?"), this);
    helpButton->setFont(fontOf(kSansSerif, 30, true));
    helpButton->setAlignment(Qt::AlignCenter);
    paintText(helpButton, Qt::black, QColor(255, 255, 128));
    helpButton->setCursor(handCursor(QStringLiteral(":/hand_white.png")));
    describe(helpButton, QStringLiteral("?"), QStringLiteral("Aiuto"));
    helpButton->setFocusPolicy(Qt::TabFocus);
    placeInTwips(helpButton, {210, 9060, 585, 705});
    connect(helpButton, &ClickLabel::clicked, this, &ControlColumn::helpClicked);

    logo = new ClickLabel(this);
    logo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    logo->setPixmap(window->windowIcon().pixmap(32, 32));
    logo->setCursor(handCursor(QStringLiteral(":/hand.png")));
    describe(logo, QStringLiteral("Orvanet"), QStringLiteral("Vai al sito Orvanet"));
    logo->setFocusPolicy(Qt::TabFocus);
    placeInTwips(logo, {900, 9060, 810, 705});
    connect(logo, &ClickLabel::clicked, this, &ControlColumn::logoClicked);

    QWidget *order[] = {prizeButtons[0], prizeBoxes[0], prizeButtons[1], prizeBoxes[1], prizeButtons[2],
                        prizeBoxes[2], prizeButtons[3], prizeBoxes[3], prizeButtons[4], prizeBoxes[4],
                        ownerName, manualBox, scanditoBox, smorfiaBox, cartellaLabels[0], cartellaLabels[1],
                        cartellaLabels[2], cartellaLabels[3], cartellaLabels[4], cartellaLabels[5],
                        newGameButton, reloadButton, drawButton, helpButton, logo};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void ControlColumn::showGame(const Caller &caller)
{
    const Game &game = caller.game();
    for (int i = 0; i < kPrizes; ++i) {
        prizeBoxes[i]->showValue(int(game.prizeBox(i)));
        const QColor caption = caller.prizeLeftOut(i) ? look::kLeftOutRed : QColor(Qt::white);
        if (prizeBoxes[i]->palette().color(QPalette::WindowText) != caption)
            paintText(prizeBoxes[i], caption, look::kTableGreen);
    }
    manualBox->showValue(int(caller.manual()));
    scanditoBox->showValue(int(caller.speech().scandito));
    smorfiaBox->showValue(int(caller.speech().smorfia));
    for (int k = 0; k < kCartelle; ++k) {
        const QColor back = game.cartellaInPlay(k) ? look::kCartellaInPlay : look::kCartellaLeftOut;
        if (cartellaLabels[k]->palette().color(QPalette::Window) != back) {
            paintText(cartellaLabels[k], Qt::black, back);
            cartellaLabels[k]->setAccessibleDescription(
                (game.cartellaInPlay(k) ? QStringLiteral("In gioco. ") : QStringLiteral("Esclusa dal tabellone. "))
                + cartellaLabels[k]->toolTip());
        }
        cartellaLabels[k]->setEnabled(!game.cartelleLocked());
    }
}
