// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/winners_dialog.h"

#include "evening/evening.h"
#include "evening/evening_store.h"
#include "evening/record_export.h"

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <utility>

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

const QString kCurrentTab = QStringLiteral("&Serata in corso");
const QString kPastTab = QStringLiteral("Serate &registrate");
const QString kStandingsTab = QStringLiteral("&Classifica");
const QString kPastName = QStringLiteral("Serate registrate");
const QString kNoDatabase = QStringLiteral("Le serate non si salvano: non c'è il database delle serate.");
const QString kNoPastEvenings = QStringLiteral("nessuna serata registrata");
const QString kSaveEvening = QStringLiteral("Sal&va la serata…");
const QString kSaveEveningTitle = QStringLiteral("Salva la serata");
const QString kChooseEvening = QStringLiteral("Scegli prima una serata nell'elenco.");
const QString kWhole = QStringLiteral("&intera");
const QString kWholeName = QStringLiteral("Stagione intera");
const QString kFrom = QStringLiteral("&Dal");
const QString kTo = QStringLiteral("A&l");
const QString kFromName = QStringLiteral("Dal giorno");
const QString kToName = QStringLiteral("Al giorno");
const QString kStandingsName = QStringLiteral("Classifica dei vincitori");
const QString kStandingsSummary = QStringLiteral("Periodo: %1 — %2.");
const QString kSaveStandings = QStringLiteral("Sal&va la classifica…");
const QString kSaveStandingsTitle = QStringLiteral("Salva la classifica");
const QString kStandingsFailed = QStringLiteral("La classifica non è stata salvata: %1");
const QString kDateShown = QStringLiteral("dd/MM/yyyy");

QString winnerText(const evening::Winner &w)
{
    const QString text = w.number > 0 ? kWinner.arg(evening::prizeName(w.prize), w.name).arg(w.number).arg(w.countOut)
                                      : kDeclaredBeforeAny.arg(evening::prizeName(w.prize), w.name);
    return w.withdrawn ? text + kWithdrawn : text;
}

// The games the newest first, each with its winners; an open game is the one in progress.
void addGames(QTreeWidgetItem *parent, const QList<evening::RecordedGame> &games, bool inProgress)
{
    for (qsizetype g = games.size() - 1; g >= 0; --g) {
        const evening::RecordedGame &game = games[g];
        const QString start = game.start.toString(QStringLiteral("HH:mm"));
        auto *item =
            new QTreeWidgetItem(parent, {(inProgress && !game.closed ? kThisGame : kGame).arg(g + 1).arg(start)});
        for (const evening::Winner &w : game.winners)
            new QTreeWidgetItem(item, {winnerText(w)});
        if (game.winners.isEmpty())
            new QTreeWidgetItem(item, {kNoWinners});
        item->setExpanded(true);
    }
}

// The file chosen, and whether it is to be a PDF; an empty name when nothing was chosen.
std::pair<QString, bool> askSavePath(QWidget *parent, const QString &title, const QString &suggested)
{
    QString filter = kCsvFilter;
    QString path = QFileDialog::getSaveFileName(
        parent, title, suggested + QStringLiteral(".csv"), kCsvFilter + QStringLiteral(";;") + kPdfFilter, &filter);
    const bool pdf = filter == kPdfFilter || path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
    if (!path.isEmpty() && pdf && !path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        path.chop(path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) ? 4 : 0);
        path += QStringLiteral(".pdf");
    }
    return {path, pdf};
}

QPushButton *addButton(QDialogButtonBox *buttons, const QString &caption, QDialogButtonBox::ButtonRole role)
{
    QPushButton *button = buttons->addButton(caption, role);
    button->setAccessibleName(QString(caption).remove(u'&'));
    button->setAutoDefault(false);
    return button;
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

WinnersDialog::WinnersDialog(Evening &evening, EveningStore *evenings, QWidget *parent)
    : QDialog(parent), tabs(new QTabWidget(this)), evening_(evening), store_(evenings)
{
    setWindowTitle(kTitle);
    tabs->addTab(makeCurrentTab(), kCurrentTab);
    tabs->addTab(makePastTab(), kPastTab);
    tabs->addTab(makeStandingsTab(), kStandingsTab);
    auto *buttons = new QDialogButtonBox(this);
    connect(addButton(buttons, kClose, QDialogButtonBox::RejectRole), &QPushButton::clicked, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    connect(&evening_, &Evening::changed, this, &WinnersDialog::showRecord);
    // The recorded evenings are read when looked at, not at every number drawn.
    connect(tabs, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab > 0)
            showPastEvenings();
    });
    showRecord();
    list->setFocus();
}

QWidget *WinnersDialog::makeCurrentTab()
{
    auto *page = new QWidget;
    list = new QTreeWidget(page);
    list->setHeaderHidden(true);
    list->setAccessibleName(kListName);
    list->setMinimumSize(520, 360);
    auto *buttons = new QDialogButtonBox(page);
    connect(addButton(buttons, kNewEvening, QDialogButtonBox::ResetRole), &QPushButton::clicked, this,
        &WinnersDialog::startNewEvening);
    connect(addButton(buttons, kSave, QDialogButtonBox::ActionRole), &QPushButton::clicked, this,
        &WinnersDialog::saveReport);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(list);
    layout->addWidget(buttons);
    return page;
}

QWidget *WinnersDialog::makePastTab()
{
    auto *page = new QWidget;
    pastEvenings = new QTreeWidget(page);
    pastEvenings->setHeaderHidden(true);
    pastEvenings->setAccessibleName(kPastName);
    auto *buttons = new QDialogButtonBox(page);
    connect(addButton(buttons, kSaveEvening, QDialogButtonBox::ActionRole), &QPushButton::clicked, this,
        &WinnersDialog::savePastEvening);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(pastEvenings);
    layout->addWidget(buttons);
    return page;
}

QWidget *WinnersDialog::makeStandingsTab()
{
    auto *page = new QWidget;
    whole = new QCheckBox(kWhole, page);
    whole->setAccessibleName(kWholeName);
    whole->setChecked(true);
    fromGiven = new QCheckBox(kFrom, page);
    toGiven = new QCheckBox(kTo, page);
    // The season the club plays, September to June, as the dates first offered.
    const QDate today = QDate::currentDate();
    from = new QDateEdit(QDate(today.month() >= 9 ? today.year() : today.year() - 1, 9, 1), page);
    to = new QDateEdit(today, page);
    for (auto [given, date, name] : {std::tuple(fromGiven, from, kFromName), std::tuple(toGiven, to, kToName)}) {
        given->setChecked(true);
        given->setAccessibleName(name);
        date->setAccessibleName(name);
        date->setDisplayFormat(kDateShown);
        date->setCalendarPopup(true);
        connect(given, &QCheckBox::toggled, this, &WinnersDialog::showStandings);
        connect(date, &QDateEdit::dateChanged, this, &WinnersDialog::showStandings);
    }
    connect(whole, &QCheckBox::toggled, this, &WinnersDialog::showStandings);
    standingsSummary = new QLabel(page);
    standingsSummary->setTextFormat(Qt::PlainText);
    standings = new QTableWidget(page);
    standings->setAccessibleName(kStandingsName);
    standings->setEditTriggers(QAbstractItemView::NoEditTriggers);
    standings->setSelectionBehavior(QAbstractItemView::SelectRows);
    standings->setTabKeyNavigation(false);
    standings->setMinimumWidth(680);
    standings->verticalHeader()->setVisible(true);
    auto *buttons = new QDialogButtonBox(page);
    connect(addButton(buttons, kSaveStandings, QDialogButtonBox::ActionRole), &QPushButton::clicked, this,
        &WinnersDialog::saveStandings);
    auto *period = new QHBoxLayout;
    for (QWidget *widget : std::initializer_list<QWidget *>{whole, fromGiven, from, toGiven, to})
        period->addWidget(widget);
    period->addStretch();
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(period);
    layout->addWidget(standingsSummary);
    layout->addWidget(standings);
    layout->addWidget(buttons);
    return page;
}

void WinnersDialog::showRecord()
{
    list->clear();
    addGames(list->invisibleRootItem(), evening_.record().games, true);
    if (list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(0));
}

void WinnersDialog::showPastEvenings()
{
    past_ = store_ ? store_->evenings() : evening::Evenings{};
    pastEvenings->clear();
    // The newest evening first, closed: opened, it shows its games as the evening in progress does.
    for (qsizetype e = past_.size() - 1; e >= 0; --e) {
        auto *item = new QTreeWidgetItem(pastEvenings, {evening::eveningLine(past_[e])});
        item->setData(0, Qt::UserRole, e);
        addGames(item, past_[e].record.games, false);
    }
    if (past_.isEmpty())
        new QTreeWidgetItem(pastEvenings, {store_ ? kNoPastEvenings : kNoDatabase});
    pastEvenings->setCurrentItem(pastEvenings->topLevelItem(0));
    showStandings();
}

QDate WinnersDialog::periodStart() const
{
    return whole->isChecked() || !fromGiven->isChecked() ? QDate() : from->date();
}

QDate WinnersDialog::periodEnd() const { return whole->isChecked() || !toGiven->isChecked() ? QDate() : to->date(); }

void WinnersDialog::showStandings()
{
    for (QWidget *bound : std::initializer_list<QWidget *>{fromGiven, toGiven})
        bound->setEnabled(!whole->isChecked());
    from->setEnabled(!whole->isChecked() && fromGiven->isChecked());
    to->setEnabled(!whole->isChecked() && toGiven->isChecked());
    const evening::Evenings chosen = evening::inPeriod(past_, periodStart(), periodEnd());
    shown_ = evening::standingsOf(chosen);
    const QStringList header = evening::standingsHeader(shown_);
    const QList<QStringList> rows = evening::standingsCells(shown_);
    standings->clear();
    standings->setColumnCount(int(header.size()));
    standings->setRowCount(int(rows.size()));
    standings->setHorizontalHeaderLabels(header);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c) {
            auto *cell = new QTableWidgetItem(rows[r][c]);
            cell->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            standings->setItem(r, c, cell);
        }
    standings->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    standings->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    const QString period = evening::periodText(periodStart(), periodEnd());
    standingsSummary->setText(kStandingsSummary.arg(period, evening::standingsCount(rows.size(), chosen.size())));
    standings->setAccessibleDescription(standingsSummary->text());
}

void WinnersDialog::startNewEvening()
{
    if (askYesNo(this, kNewEvening, kNewEveningQuestion))
        evening_.startNewEvening();
}

void WinnersDialog::saveReport()
{
    const auto [path, pdf] =
        askSavePath(this, kSaveTitle, QStringLiteral("serata-%1").arg(QDate::currentDate().toString(Qt::ISODate)));
    if (path.isEmpty())
        return;
    const bool saved = pdf ? evening::writePdf(evening_.record(), path) : evening::writeCsv(evening_.record(), path);
    if (!saved)
        QMessageBox::warning(this, kSaveTitle, kSaveFailed.arg(path));
}

void WinnersDialog::savePastEvening()
{
    const QTreeWidgetItem *item = pastEvenings->currentItem();
    while (item && item->parent())
        item = item->parent();
    const QVariant index = item ? item->data(0, Qt::UserRole) : QVariant();
    if (!index.isValid()) {
        QMessageBox::information(this, kSaveEveningTitle, kChooseEvening);
        return;
    }
    const EveningStore::EveningSummary &chosen = past_[index.toInt()];
    const auto [path, pdf] = askSavePath(
        this, kSaveEveningTitle, QStringLiteral("serata-%1").arg(chosen.started.date().toString(Qt::ISODate)));
    if (path.isEmpty())
        return;
    const bool saved = pdf ? evening::writePdf(chosen.record, path) : evening::writeCsv(chosen.record, path);
    if (!saved)
        QMessageBox::warning(this, kSaveEveningTitle, kSaveFailed.arg(path));
}

void WinnersDialog::saveStandings()
{
    const QDate start = periodStart(), end = periodEnd();
    QString name = QStringLiteral("classifica");
    if (start.isValid() || end.isValid())
        name += QStringLiteral("-%1-%2").arg(start.toString(Qt::ISODate), end.toString(Qt::ISODate));
    const auto [path, pdf] = askSavePath(this, kSaveStandingsTitle, name);
    if (path.isEmpty())
        return;
    QString error;
    const bool saved = pdf ? evening::writeStandingsPdf(shown_, evening::periodText(start, end), path, &error)
                           : evening::writeStandingsCsv(shown_, path, &error);
    if (!saved)
        QMessageBox::warning(this, kSaveStandingsTitle, kStandingsFailed.arg(error));
}
