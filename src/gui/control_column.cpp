// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/control_column.h"

#include "caller/caller.h"
#include "gui/accessibility.h"
#include "gui/click_label.h"
#include "gui/option_box.h"
#include "gui/widget_look.h"
#include "layout/column_layout.h"
#include "layout/look.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

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

namespace {

// The three options under the owner's name: caption, colour, tip, place, what it changes.
struct OptionControl {
    QString caption;
    QColor colour;
    QString tip;
    TwipsRect place;
    void (ControlColumn::*changed)(int);
    OptionBox *ControlColumn::*box;
};

// The three wide buttons: caption, background, tip, place, what it asks for.
struct ButtonControl {
    QString caption;
    QColor back;
    QString tip;
    TwipsRect place;
    void (ControlColumn::*asked)();
    QPushButton *ControlColumn::*button;
};

} // namespace

ControlColumn::ControlColumn(QWidget *window) : QWidget(window)
{
    addPrizeLadder();
    addOwnerName();
    addOptions();
    addCartelle();
    addButtons();
    addHelpAndLogo();
    orderTabs();
}

void ControlColumn::addPrizeLadder()
{
    for (int i = 0; i < kPrizes; ++i) {
        QPushButton *button = prizeButtons[i] = new QPushButton(QStringLiteral("F%1").arg(i + 2), this);
        button->setFont(fontOf(kTerminal, 6, true));
        button->setStyleSheet(QStringLiteral("padding: 0px;"));
        describe(button, kPrizeNames[i] + QStringLiteral(" (F%1)").arg(i + 2));
        button->setAccessibleDescription(kPrizeButtonPurpose);
        placeInTwips(button, column::prizeButton(i));
        connect(button, &QPushButton::clicked, this, [this, i] { emit prizeDeclared(i); });

        OptionBox *box = prizeBoxes[i] = new OptionBox(kPrizeNames[i], this);
        paintText(box, Qt::white, look::kTableGreen);
        describe(box, kPrizeNames[i]);
        box->setAccessibleDescription(kPrizeBoxPurpose);
        placeInTwips(box, column::prizeBox(i));
        connect(box, &QCheckBox::stateChanged, this, [this, i, box] { emit prizeBoxChanged(i, box->value()); });
        connect(box, &OptionBox::mouseUp, this, [this, i] { emit prizeBoxReleased(i); });
    }
}

void ControlColumn::addOwnerName()
{
    auto *nameLabel = new QLabel(QStringLiteral("Nome"), this);
    nameLabel->setAlignment(Qt::AlignCenter);
    paintText(nameLabel, Qt::white, look::kTableGreen);
    placeInTwips(nameLabel, column::kNameLabel);
    ownerName = new QLineEdit(Caller::kDefaultOwner, this);
    ownerName->setAlignment(Qt::AlignCenter);
    ownerName->setMaxLength(Caller::kMaxOwnerName);
    describe(ownerName, QStringLiteral("Nome"), QStringLiteral("Scrivere il nome di chi possiede il tabellone"));
    placeInTwips(ownerName, column::kOwnerName);
    nameLabel->setBuddy(ownerName);
    connect(ownerName, &QLineEdit::textChanged, this, &ControlColumn::ownerNameEdited);
}

void ControlColumn::addOptions()
{
    const OptionControl options[] = {
        {QStringLiteral("Manuale"), QColor(255, 192, 192), QStringLiteral("Estrazione manuale"), column::kManual,
            &ControlColumn::manualChanged, &ControlColumn::manualBox},
        {QStringLiteral("Scandito"), QColor(255, 255, 0), QStringLiteral("Scandisce i numeri che si confondono (>)"),
            column::kScandito, &ControlColumn::scanditoChanged, &ControlColumn::scanditoBox},
        {QStringLiteral("Smorfia"), QColor(0, 192, 192), QStringLiteral("Pronuncia la smorfia al posto dei numeri (<)"),
            column::kSmorfia, &ControlColumn::smorfiaChanged, &ControlColumn::smorfiaBox},
    };
    for (const OptionControl &option : options) {
        auto *box = this->*option.box = new OptionBox(option.caption, this);
        paintText(box, option.colour, look::kTableGreen);
        describe(box, option.caption, option.tip);
        placeInTwips(box, option.place);
        connect(box, &QCheckBox::stateChanged, this,
            [this, box, changed = option.changed] { emit(this->*changed)(box->value()); });
    }
}

void ControlColumn::addCartelle()
{
    for (int k = 0; k < kCartelle; ++k) {
        ClickLabel *label = cartellaLabels[k] = new ClickLabel(QStringLiteral("Cartella %1").arg(k + 1), this);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Box);
        describe(label, label->text(), QStringLiteral("Esclusione cartelle dal tabellone"));
        label->setFocusPolicy(Qt::TabFocus);
        placeInTwips(label, column::cartella(k));
        connect(label, &ClickLabel::clicked, this, [this, k] { emit cartellaClicked(k); });
    }
}

void ControlColumn::addButtons()
{
    const ButtonControl buttons[] = {
        {QStringLiteral("Ricomincia"), QColor(192, 192, 255), QStringLiteral("Comincia una nuova partita (F12)"),
            column::kNewGame, &ControlColumn::newGameRequested, &ControlColumn::newGameButton},
        {QStringLiteral("Ricarica ultima"), QColor(255, 255, 128),
            QStringLiteral("Ricarica l'ultima estrazione interrotta"), column::kReload, &ControlColumn::reloadRequested,
            &ControlColumn::reloadButton},
        {QStringLiteral("Estrai Numero"), QColor(128, 255, 128), QStringLiteral("(v)"), column::kDraw,
            &ControlColumn::drawRequested, &ControlColumn::drawButton},
    };
    for (const ButtonControl &control : buttons) {
        auto *button = this->*control.button = new QPushButton(control.caption, this);
        button->setFont(fontOf(kSansSerif, 8.25, true));
        paintText(button, Qt::black, control.back);
        describe(button, control.caption, control.tip);
        placeInTwips(button, control.place);
        connect(button, &QPushButton::clicked, this, control.asked);
    }
}

void ControlColumn::addHelpAndLogo()
{
    helpButton = new ClickLabel(QStringLiteral("?"), this);
    helpButton->setFont(fontOf(kSansSerif, 30, true));
    helpButton->setAlignment(Qt::AlignCenter);
    paintText(helpButton, Qt::black, QColor(255, 255, 128));
    helpButton->setCursor(handCursor(QStringLiteral(":/hand_white.png")));
    describe(helpButton, QStringLiteral("?"), QStringLiteral("Aiuto"));
    helpButton->setFocusPolicy(Qt::TabFocus);
    placeInTwips(helpButton, column::kHelp);
    connect(helpButton, &ClickLabel::clicked, this, &ControlColumn::helpClicked);

    logo = new ClickLabel(this);
    logo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    logo->setPixmap(logoIcon(32).pixmap(32, 32));
    logo->setCursor(handCursor(QStringLiteral(":/hand.png")));
    describe(logo, QStringLiteral("Orvanet"), QStringLiteral("Vai al sito Orvanet"));
    logo->setFocusPolicy(Qt::TabFocus);
    placeInTwips(logo, column::kLogo);
    connect(logo, &ClickLabel::clicked, this, &ControlColumn::logoClicked);
}

void ControlColumn::orderTabs()
{
    QWidget *order[] = {prizeButtons[0], prizeBoxes[0], prizeButtons[1], prizeBoxes[1], prizeButtons[2], prizeBoxes[2],
        prizeButtons[3], prizeBoxes[3], prizeButtons[4], prizeBoxes[4], ownerName, manualBox, scanditoBox, smorfiaBox,
        cartellaLabels[0], cartellaLabels[1], cartellaLabels[2], cartellaLabels[3], cartellaLabels[4],
        cartellaLabels[5], newGameButton, reloadButton, drawButton, helpButton, logo};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void ControlColumn::setZoom(float zoom)
{
    zoomColumnPlaces(this, zoom);
    const int side = int(std::lround(32.0f * zoom));
    if (logo->pixmap().width() != side)
        logo->setPixmap(logoIcon(side).pixmap(side, side));
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
                (game.cartellaInPlay(k) ? QStringLiteral("In gioco. ") : QStringLiteral("Esclusa dal tabellone. ")) +
                cartellaLabels[k]->toolTip());
        }
        cartellaLabels[k]->setEnabled(!game.cartelleLocked());
    }
}
