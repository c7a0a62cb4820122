// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/claim_dialog.h"

#include "cartelle/claim.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Verifica cartella");
const QString kCodeLabel = QStringLiteral("Codice della cartella:");
const QString kCodeName = QStringLiteral("Codice della cartella");
const QString kCodeExample = QStringLiteral("per esempio 42-3-U");
const QString kVerify = QStringLiteral("Verifica");
const QString kClose = QStringLiteral("Chiudi");
const QString kBadCode = QStringLiteral("Codice non valido: controllare le cifre e la lettera finale.");
const QString kProblemName = QStringLiteral("Avviso");
const QString kNoCartella = QStringLiteral("Nessuna cartella");
const QString kCartellaCaption = QStringLiteral("Cartella %1");
const QString kGridName = QStringLiteral("Numeri della cartella");
const QString kHint = QStringLiteral("Scrivere il codice stampato sulla cartella e premere Verifica.");
const QString kDrawnCell = QStringLiteral("%1, estratto");
const QString kNotDrawnCell = QStringLiteral("%1, non estratto");
const QString kEmptyCell = QStringLiteral("casella vuota");

// Drawn numbers as on the board: white bold on red.
const QString kDrawnStyle =
    QStringLiteral("QLabel { background: #c00000; color: white; font-weight: bold; border: 1px solid #808080; }");
const QString kNumberStyle = QStringLiteral("QLabel { background: white; color: black; border: 1px solid #808080; }");
const QString kEmptyStyle = QStringLiteral("QLabel { background: #e0e0e0; border: 1px solid #808080; }");
constexpr QSize kCellSize(44, 36);

void describe(QLabel *label, const QString &text)
{
    label->setText(text);
    label->setAccessibleName(text);
}

} // namespace

ClaimDialog::ClaimDialog(QWidget *parent)
    : QDialog(parent), code_(new QLineEdit(this)), problem_(new QLabel(this)), caption_(new QLabel(this)),
      verdict_(new QLabel(this))
{
    setWindowTitle(kTitle);

    auto *codeLabel = new QLabel(kCodeLabel, this);
    codeLabel->setBuddy(code_);
    code_->setAccessibleName(kCodeName);
    code_->setObjectName(QStringLiteral("code"));
    code_->setPlaceholderText(kCodeExample);
    auto *verifyButton = new QPushButton(kVerify, this);
    verifyButton->setObjectName(QStringLiteral("verify"));
    verifyButton->setAccessibleName(kVerify);
    verifyButton->setDefault(true); // Enter in the code verifies
    connect(verifyButton, &QPushButton::clicked, this, &ClaimDialog::verify);
    auto *codeRow = new QHBoxLayout;
    codeRow->addWidget(codeLabel);
    codeRow->addWidget(code_, 1);
    codeRow->addWidget(verifyButton);

    problem_->setObjectName(QStringLiteral("problem"));
    problem_->setStyleSheet(QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
    problem_->setAccessibleName(kProblemName);
    problem_->setWordWrap(true);
    problem_->hide();

    caption_->setObjectName(QStringLiteral("caption"));
    QFont captionFont = caption_->font();
    captionFont.setBold(true);
    caption_->setFont(captionFont);
    describe(caption_, kNoCartella);

    auto *grid = new QGridLayout;
    grid->setSpacing(0);
    QFont cellFont = font();
    cellFont.setPointSizeF(cellFont.pointSizeF() * 1.4);
    for (int r = 0; r < cartelle::kRows; ++r)
        for (int c = 0; c < cartelle::kColumns; ++c) {
            auto *cell = new QLabel(this);
            cell->setAlignment(Qt::AlignCenter);
            cell->setMinimumSize(kCellSize);
            cell->setFont(cellFont);
            cells_[r][c] = cell;
            grid->addWidget(cell, r, c);
        }
    auto *gridFrame = new QWidget(this);
    gridFrame->setObjectName(QStringLiteral("cartella"));
    gridFrame->setAccessibleName(kGridName);
    gridFrame->setLayout(grid);

    verdict_->setObjectName(QStringLiteral("verdict"));
    QFont verdictFont = verdict_->font();
    verdictFont.setPointSizeF(verdictFont.pointSizeF() * 1.2);
    verdict_->setFont(verdictFont);
    verdict_->setWordWrap(true);
    verdict_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    describe(verdict_, kHint);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *closeButton = buttons->addButton(kClose, QDialogButtonBox::RejectRole);
    closeButton->setAccessibleName(kClose);
    closeButton->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(codeRow);
    layout->addWidget(problem_);
    layout->addWidget(caption_);
    layout->addWidget(gridFrame);
    layout->addWidget(verdict_);
    layout->addWidget(buttons);
    showCartella();
}

void ClaimDialog::setGame(const std::array<bool, 90> &drawn, int prizeInPlay)
{
    drawn_ = drawn;
    prizeInPlay_ = prizeInPlay;
    showCartella();
}

void ClaimDialog::verify()
{
    const std::optional<cartelle::CartellaId> id = cartelle::parseCode(code_->text());
    problem_->setText(id ? QString() : kBadCode);
    problem_->setAccessibleDescription(problem_->text());
    problem_->setVisible(!id);
    // A refused code takes away the cartella before it, lest its verdict be read as this one's.
    shown_ = id;
    showCartella();
    code_->selectAll(); // the next code replaces this one
    if (!id) {
        describe(verdict_, QString());
        code_->setFocus();
    }
    emit verdictReady(id ? verdict_->text() : kBadCode);
}

void ClaimDialog::showCartella()
{
    const cartelle::Grid grid =
        shown_ ? cartelle::generateSerie(shown_->serie)[shown_->cartella - 1] : cartelle::Grid{};
    for (int r = 0; r < cartelle::kRows; ++r)
        for (int c = 0; c < cartelle::kColumns; ++c) {
            QLabel *cell = cells_[r][c];
            const int n = grid[r][c];
            const bool drawn = n > 0 && drawn_[n - 1];
            cell->setText(n > 0 ? QString::number(n) : QString());
            cell->setStyleSheet(n == 0 ? kEmptyStyle : drawn ? kDrawnStyle : kNumberStyle);
            cell->setAccessibleName(n == 0 ? kEmptyCell : (drawn ? kDrawnCell : kNotDrawnCell).arg(n));
        }
    if (!shown_) {
        describe(caption_, kNoCartella);
        return;
    }
    const QString name = cartelle::cartellaName(*shown_);
    describe(caption_, kCartellaCaption.arg(name));
    describe(verdict_, cartelle::verdictPhrase(name, cartelle::checkClaim(grid, drawn_, prizeInPlay_)));
}

// The meta-object code stays in this file's object: a program links the dialog's
// dependencies only when it uses the dialog.
