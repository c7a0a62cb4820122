// SPDX-License-Identifier: GPL-3.0-or-later
#include "cartelle/command_line.h"

#include "cartelle/serie.h"
#include "cartelle/sheet.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QTextStream>
#include <climits>

namespace cartelle {
namespace {

const QString kUsage =
    QStringLiteral("uso: sorteggina --cartelle DA-A --pdf FILE.pdf (per esempio --cartelle 1-100)");
const QString kMissingRange = QStringLiteral("manca --cartelle DA-A");
const QString kMissingPdf = QStringLiteral("manca --pdf FILE.pdf");
const QString kNotARange = QStringLiteral("\"%1\" non è un intervallo di serie come 1-100");
const QString kUnexpected = QStringLiteral("argomento inatteso: %1");
const QString kWritten = QStringLiteral("Scritte %1 serie (%2 cartelle, dalla %3 alla %4) in %5");
constexpr int kRefused = 2;

// A number too long for an int is out of range anyway: it becomes INT_MAX.
int seriesNumber(const QString &digits)
{
    bool ok = false;
    const int value = digits.toInt(&ok);
    return ok ? value : INT_MAX;
}

} // namespace

int runCartelleCommandLine(const QStringList &arguments)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto refuse = [&](const QString &why, bool withUsage = true) {
        err << "sorteggina: " << why << '\n';
        if (withUsage)
            err << kUsage << '\n';
        return kRefused;
    };

    QCommandLineParser parser;
    const QCommandLineOption rangeOption(QStringLiteral("cartelle"), QString(), QStringLiteral("DA-A"));
    const QCommandLineOption pdfOption(QStringLiteral("pdf"), QString(), QStringLiteral("FILE.pdf"));
    parser.addOptions({rangeOption, pdfOption});
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return refuse(kUnexpected.arg(parser.positionalArguments().constFirst()));
    if (!parser.isSet(rangeOption))
        return refuse(kMissingRange);
    const QString path = parser.value(pdfOption);
    if (path.isEmpty())
        return refuse(kMissingPdf);

    static const QRegularExpression rangePattern(QStringLiteral(R"(^\s*([0-9]+)\s*-\s*([0-9]+)\s*$)"));
    const QString rangeText = parser.value(rangeOption);
    const QRegularExpressionMatch range = rangePattern.match(rangeText);
    if (!range.hasMatch())
        return refuse(kNotARange.arg(rangeText));
    const int from = seriesNumber(range.captured(1));
    const int to = seriesNumber(range.captured(2));

    if (const QString wrong = serieRangeError(from, to); !wrong.isEmpty())
        return refuse(wrong);
    QString error;
    if (!writeCartellePdf(path, from, to, &error))
        return refuse(error, false);
    const int series = to - from + 1;
    out << kWritten.arg(series).arg(series * kCartellePerSerie).arg(from).arg(to).arg(path) << '\n';
    return 0;
}

} // namespace cartelle
