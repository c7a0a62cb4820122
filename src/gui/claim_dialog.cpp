// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/claim_dialog.h"

#include "cartelle/claim.h"
#include "evening/evening_record.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
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
const QString kConfirm = QStringLiteral("Conferma vincita");
const QString kWinnerNameLabel = QStringLiteral("Nome del vincitore:");
const QString kWinnerName = QStringLiteral("Nome del vincitore");
const QString kWinnerNameHint = QStringLiteral("facoltativo");

// Drawn numbers as on the board: white bold on red.
const QString kDrawnStyle =
    QStringLiteral("QLabel { background: #c00000; color: white; font-weight: bold; border: 1px solid #808080; }");
const QString kNumberStyle = QStringLiteral("QLabel { background: white; color: black; border: 1px solid #808080; }");
const QString kEmptyStyle = QStringLiteral("QLabel { background: #e0e0e0; border: 1px solid #808080; }");
constexpr QSize kCellSize(44, 36);

void describe(QLabel *label, const QString &text)
{
    label->setTextFormat(Qt::PlainText); // a typed name is never markup
    label->setText(text);
    label->setAccessibleName(text);
}

} // namespace

ClaimDialog::ClaimDialog(QWidget *parent)
    : QDialog(parent), code_(new QLineEdit(this)), problem_(new QLabel(this)), caption_(new QLabel(this)),
      verdict_(new QLabel(this)), name_(new QLineEdit(this)), confirm_(new QPushButton(kConfirm, this)),
      outcome_(new QLabel(this)), verify_(new QPushButton(kVerify, this)), gridFrame_(new QWidget(this)),
      close_(new QPushButton(kClose, this))
{
    setWindowTitle(kTitle);
    wireButtons();
    nameParts();
    makeCells();
    layOut();
    showCartella();
}

void ClaimDialog::wireButtons()
{
    verify_->setDefault(true); // Enter in the code verifies
    connect(verify_, &QPushButton::clicked, this, &ClaimDialog::verify);
    connect(confirm_, &QPushButton::clicked, this, &ClaimDialog::confirm);
    confirm_->setAutoDefault(false);
    name_->setMaxLength(evening::kMaxClaimName);
    name_->installEventFilter(this); // Enter in the name confirms
    close_->setAutoDefault(false);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

void ClaimDialog::nameParts()
{
    // Every named part: its object name, its accessible name, its font's scale and weight.
    const struct {
        QWidget *widget;
        const char *objectName;
        QString accessibleName;
        double fontScale;
        bool bold;
    } parts[] = {{code_, "code", kCodeName, 1, false}, {verify_, "verify", kVerify, 1, false},
        {problem_, "problem", kProblemName, 1, true}, {caption_, "caption", {}, 1, true},
        {gridFrame_, "cartella", kGridName, 1, false}, {verdict_, "verdict", {}, 1.2, false},
        {name_, "winnerName", kWinnerName, 1, false}, {confirm_, "confirm", kConfirm, 1, false},
        {outcome_, "outcome", {}, 1, true}, {close_, "close", kClose, 1, false}};
    for (const auto &part : parts) {
        part.widget->setObjectName(QLatin1String(part.objectName));
        if (!part.accessibleName.isEmpty())
            part.widget->setAccessibleName(part.accessibleName);
        QFont font = part.widget->font();
        font.setPointSizeF(font.pointSizeF() * part.fontScale);
        font.setBold(part.bold);
        part.widget->setFont(font);
    }
    code_->setPlaceholderText(kCodeExample);
    name_->setPlaceholderText(kWinnerNameHint);
    problem_->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    for (QLabel *label : {problem_, verdict_, outcome_})
        label->setWordWrap(true);
    verdict_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    problem_->hide();
    outcome_->hide();
    describe(caption_, kNoCartella);
    describe(verdict_, kHint);
}

void ClaimDialog::makeCells()
{
    auto *grid = new QGridLayout(gridFrame_);
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
}

void ClaimDialog::layOut()
{
    // Top to bottom: each row a line of parts, the stretching one with a label before it.
    const struct {
        QString label;
        QList<QWidget *> widgets;
    } rows[] = {{kCodeLabel, {code_, verify_}}, {{}, {problem_}}, {{}, {caption_}}, {{}, {gridFrame_}},
        {{}, {verdict_}}, {kWinnerNameLabel, {name_, confirm_}}, {{}, {outcome_}}, {{}, {close_}}};
    auto *layout = new QVBoxLayout(this);
    for (const auto &row : rows) {
        auto *line = new QHBoxLayout;
        if (!row.label.isEmpty()) {
            auto *label = new QLabel(row.label, this);
            label->setBuddy(row.widgets.first());
            line->addWidget(label);
        }
        if (row.widgets.first() == close_)
            line->addStretch();
        for (QWidget *widget : row.widgets)
            line->addWidget(
                widget, widget == code_ || widget == name_ || (row.widgets.size() == 1 && widget != close_) ? 1 : 0);
        layout->addLayout(line);
    }
}

void ClaimDialog::setGame(const std::array<bool, 90> &drawn, int prizeInPlay)
{
    drawn_ = drawn;
    prizeInPlay_ = prizeInPlay;
    showCartella();
}

void ClaimDialog::setClaimable(std::function<bool(const cartelle::Grid &, const QString &code)> claimable)
{
    claimable_ = std::move(claimable);
    showCartella();
}

void ClaimDialog::showConfirmed(const QString &outcome)
{
    describe(outcome_, outcome);
    outcome_->setVisible(!outcome.isEmpty());
}

bool ClaimDialog::eventFilter(QObject *watched, QEvent *event)
{
    const bool enter =
        event->type() == QEvent::KeyPress && (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Return ||
                                                 static_cast<QKeyEvent *>(event)->key() == Qt::Key_Enter);
    if (watched != name_ || !enter)
        return QDialog::eventFilter(watched, event);
    if (confirm_->isEnabled())
        confirm();
    return true;
}

void ClaimDialog::confirm()
{
    if (!shown_)
        return;
    const cartelle::Grid grid = cartelle::generateSerie(shown_->serie)[shown_->cartella - 1];
    const QString name = name_->text();
    name_->clear();
    emit claimConfirmed(grid, cartelle::printedCode(*shown_), name);
}

void ClaimDialog::verify()
{
    showConfirmed({});
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
    confirm_->setEnabled(shown_ && claimable_ && claimable_(grid, cartelle::printedCode(*shown_)));
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
