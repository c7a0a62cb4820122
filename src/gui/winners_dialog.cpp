// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/winners_dialog.h"

#include "evening/evening.h"
#include "evening/record_export.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Vincitori");
const QString kListName = QStringLiteral("Vincitori della serata");
const QString kNewEvening = QStringLiteral("Nuova serata");
const QString kNewEveningQuestion =
    QStringLiteral("Cominciare una nuova serata? Il resoconto delle partite di questa serata viene cancellato.");
const QString kSave = QStringLiteral("Salva il resoconto…");
const QString kSaveTitle = QStringLiteral("Salva il resoconto");
const QString kCsvFilter = QStringLiteral("Foglio di calcolo CSV (*.csv)");
const QString kPdfFilter = QStringLiteral("Documento PDF (*.pdf)");
const QString kSaveFailed = QStringLiteral("Il resoconto non è stato salvato in %1.");
const QString kClose = QStringLiteral("Chiudi");
const QString kGame = QStringLiteral("Partita %1, %2");
const QString kThisGame = QStringLiteral("Partita %1 (in corso), %2");
const QString kNoWinners = QStringLiteral("nessun premio");
const QString kWinner = QStringLiteral("%1: %2, con il %3 (%4 estratti)");
const QString kDeclaredBeforeAny = QStringLiteral("%1: %2");
const QString kWithdrawn = QStringLiteral(" — annullato");
const QString kYes = QStringLiteral("Sì");
const QString kNo = QStringLiteral("No");

QString winnerText(const evening::Winner &w)
{
    const QString text = w.number > 0 ? kWinner.arg(evening::prizeName(w.prize), w.name).arg(w.number).arg(w.countOut)
                                      : kDeclaredBeforeAny.arg(evening::prizeName(w.prize), w.name);
    return w.withdrawn ? text + kWithdrawn : text;
}

} // namespace

bool askYesNo(QWidget *parent, const QString &title, const QString &question)
{
    QMessageBox box(QMessageBox::Question, title, question, QMessageBox::NoButton, parent);
    QPushButton *yes = box.addButton(kYes, QMessageBox::YesRole);
    box.setDefaultButton(box.addButton(kNo, QMessageBox::NoRole));
    box.exec();
    return box.clickedButton() == yes;
}

WinnersDialog::WinnersDialog(Evening &evening, QWidget *parent)
    : QDialog(parent), list(new QTreeWidget(this)), evening_(evening)
{
    setWindowTitle(kTitle);
    list->setHeaderHidden(true);
    list->setAccessibleName(kListName);
    list->setMinimumSize(520, 360);
    auto *buttons = new QDialogButtonBox(this);
    const auto add = [&](const QString &caption, QDialogButtonBox::ButtonRole role) {
        QPushButton *button = buttons->addButton(caption, role);
        button->setAccessibleName(caption);
        button->setAutoDefault(false);
        return button;
    };
    connect(
        add(kNewEvening, QDialogButtonBox::ResetRole), &QPushButton::clicked, this, &WinnersDialog::startNewEvening);
    connect(add(kSave, QDialogButtonBox::ActionRole), &QPushButton::clicked, this, &WinnersDialog::saveReport);
    connect(add(kClose, QDialogButtonBox::RejectRole), &QPushButton::clicked, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(list);
    layout->addWidget(buttons);
    connect(&evening_, &Evening::changed, this, &WinnersDialog::showRecord);
    showRecord();
}

void WinnersDialog::showRecord()
{
    list->clear();
    const QList<evening::RecordedGame> &games = evening_.record().games;
    // The game in progress first, the earlier ones below it.
    for (qsizetype g = games.size() - 1; g >= 0; --g) {
        const evening::RecordedGame &game = games[g];
        const QString start = game.start.toString(QStringLiteral("HH:mm"));
        auto *item = new QTreeWidgetItem(list, {(game.closed ? kGame : kThisGame).arg(g + 1).arg(start)});
        for (const evening::Winner &w : game.winners)
            new QTreeWidgetItem(item, {winnerText(w)});
        if (game.winners.isEmpty())
            new QTreeWidgetItem(item, {kNoWinners});
        item->setExpanded(true);
    }
    if (list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(0));
}

void WinnersDialog::startNewEvening()
{
    if (askYesNo(this, kNewEvening, kNewEveningQuestion))
        evening_.startNewEvening();
}

void WinnersDialog::saveReport()
{
    QString filter = kCsvFilter;
    QString path = QFileDialog::getSaveFileName(this, kSaveTitle,
        QStringLiteral("serata-%1.csv").arg(QDate::currentDate().toString(Qt::ISODate)),
        kCsvFilter + QStringLiteral(";;") + kPdfFilter, &filter);
    if (path.isEmpty())
        return;
    const bool pdf = filter == kPdfFilter || path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
    if (pdf && !path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        path.chop(path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) ? 4 : 0);
        path += QStringLiteral(".pdf");
    }
    const bool saved = pdf ? evening::writePdf(evening_.record(), path) : evening::writeCsv(evening_.record(), path);
    if (!saved)
        QMessageBox::warning(this, kSaveTitle, kSaveFailed.arg(path));
}
