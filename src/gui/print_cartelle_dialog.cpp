// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/print_cartelle_dialog.h"

#include "cartelle/serie.h"
#include "cartelle/sheet.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QtPrintSupport/QPrintDialog>
#include <QtPrintSupport/QPrinter>

namespace {

const QString kTitle = QStringLiteral("Stampa cartelle");
const QString kExplanation =
    QStringLiteral("Ogni serie è un foglio A4 con sei cartelle che insieme hanno tutti i numeri da 1 a 90.");
const QString kFrom = QStringLiteral("Dalla serie");
const QString kTo = QStringLiteral("Alla serie");
const QString kPrint = QStringLiteral("Stampa…");
const QString kPrintName = QStringLiteral("Stampa");
const QString kSavePdf = QStringLiteral("Salva PDF…");
const QString kSavePdfName = QStringLiteral("Salva PDF");
const QString kClose = QStringLiteral("Chiudi");
const QString kOutcomeName = QStringLiteral("Esito");
const QString kPdfFilter = QStringLiteral("PDF (*.pdf)");
const QString kPdfFileName = QStringLiteral("cartelle-%1-%2.pdf");
const QString kSaved = QStringLiteral("Salvate le serie da %1 a %2 in %3.");
const QString kNotSaved = QStringLiteral("PDF non salvato. %1");
const QString kPrinted = QStringLiteral("Inviate alla stampante le serie da %1 a %2.");
const QString kNotPrinted = QStringLiteral("Stampa non riuscita: la stampante non ha accettato il lavoro.");
const QString kDocumentName = QStringLiteral("Sorteggina — cartelle %1-%2");

QSpinBox *serieBox(QWidget *parent, const QString &name, const QString &objectName)
{
    auto *box = new QSpinBox(parent);
    box->setRange(cartelle::kFirstSerie, cartelle::kLastSerie);
    box->setAccessibleName(name);
    box->setObjectName(objectName);
    return box;
}

QPushButton *button(const QString &caption, const QString &name, const QString &objectName)
{
    auto *button = new QPushButton(caption);
    button->setAccessibleName(name);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

// A wait cursor for as long as the pages are painted.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace

PrintCartelleDialog::PrintCartelleDialog(QWidget *parent)
    : QDialog(parent), fromSerie_(serieBox(this, kFrom, QStringLiteral("fromSerie"))),
      toSerie_(serieBox(this, kTo, QStringLiteral("toSerie"))), outcome_(new QLabel(this))
{
    setWindowTitle(kTitle);
    setMinimumWidth(fontMetrics().averageCharWidth() * 60);
    auto *explanation = new QLabel(kExplanation, this);
    explanation->setWordWrap(true);

    // The range stays a range: moving one end past the other takes the other along.
    connect(fromSerie_, &QSpinBox::valueChanged, toSerie_, [this](int from) {
        if (toSerie_->value() < from)
            toSerie_->setValue(from);
    });
    connect(toSerie_, &QSpinBox::valueChanged, fromSerie_, [this](int to) {
        if (fromSerie_->value() > to)
            fromSerie_->setValue(to);
    });
    auto *range = new QFormLayout;
    range->addRow(kFrom, fromSerie_);
    range->addRow(kTo, toSerie_);

    outcome_->setObjectName(QStringLiteral("outcome"));
    outcome_->setAccessibleName(kOutcomeName);
    outcome_->setWordWrap(true);
    outcome_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Room for the outcome from the start, so that the boxes above never move when it comes.
    outcome_->setMinimumHeight(outcome_->fontMetrics().lineSpacing() * 3);
    outcome_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *printButton = button(kPrint, kPrintName, QStringLiteral("print"));
    auto *saveButton = button(kSavePdf, kSavePdfName, QStringLiteral("savePdf"));
    auto *closeButton = button(kClose, kClose, QStringLiteral("close"));
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(printButton, QDialogButtonBox::ActionRole);
    buttons->addButton(saveButton, QDialogButtonBox::ActionRole);
    buttons->addButton(closeButton, QDialogButtonBox::RejectRole);
    connect(printButton, &QPushButton::clicked, this, &PrintCartelleDialog::print);
    connect(saveButton, &QPushButton::clicked, this, &PrintCartelleDialog::savePdf);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(range);
    layout->addWidget(outcome_);
    layout->addWidget(buttons);
}

void PrintCartelleDialog::print()
{
    const int from = fromSerie_->value();
    const int to = toSerie_->value();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true); // the sheet keeps its own margins
    printer.setDocName(kDocumentName.arg(from).arg(to));
    QPrintDialog chooser(&printer, this);
    chooser.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (chooser.exec() != QDialog::Accepted)
        return;

    BusyCursor busy;
    QPainter painter;
    if (!painter.begin(&printer)) {
        showOutcome(kNotPrinted);
        return;
    }
    cartelle::paintSeries(painter, printer, from, to);
    const bool printed = painter.end() && printer.printerState() != QPrinter::Error;
    showOutcome(printed ? kPrinted.arg(from).arg(to) : kNotPrinted);
}

void PrintCartelleDialog::savePdf()
{
    const int from = fromSerie_->value();
    const int to = toSerie_->value();
    QString path = QFileDialog::getSaveFileName(
        this, kSavePdfName, QDir::home().filePath(kPdfFileName.arg(from).arg(to)), kPdfFilter);
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");

    BusyCursor busy;
    QString error;
    if (cartelle::writeCartellePdf(path, from, to, &error))
        showOutcome(kSaved.arg(from).arg(to).arg(QDir::toNativeSeparators(path)));
    else
        showOutcome(kNotSaved.arg(error));
}

void PrintCartelleDialog::showOutcome(const QString &text)
{
    outcome_->setText(text);
    outcome_->setAccessibleDescription(text);
}

// The meta-object code stays in this file's object: a program links the dialog's
// dependencies only when it uses the dialog.
