// SPDX-License-Identifier: GPL-3.0-or-later
#include "cartelle/command_line.h"

#include "cartelle/serie.h"
#include "cartelle/sheet.h"

#include <QRegularExpression>
#include <QSet>
#include <QTextStream>
#include <climits>
#include <optional>
#include <utility>

namespace cartelle {
namespace {

    const QString kUsage =
        QStringLiteral("uso: sorteggina [opzioni di Qt, come -platform xcb]      apre il tabellone\n"
                       "     sorteggina --cartelle DA-A --pdf FILE.pdf         scrive le cartelle delle serie DA-A\n"
                       "                                                       (per esempio --cartelle 1-100)\n"
                       "     sorteggina --help | --version\n");
    const QString kVersion = QStringLiteral("sorteggina " SORTEGGINA_VERSION "\n");
    const QString kMissingRange = QStringLiteral("manca --cartelle DA-A");
    const QString kMissingPdf = QStringLiteral("manca --pdf FILE.pdf");
    const QString kMissingValue = QStringLiteral("manca il valore di %1");
    const QString kRepeated = QStringLiteral("%1 è ripetuta");
    const QString kPdfToOutput = QStringLiteral("--pdf vuole il nome di un file, non \"-\"");
    const QString kUnknownOption = QStringLiteral("opzione sconosciuta: %1");
    const QString kNotARange = QStringLiteral("\"%1\" non è un intervallo di serie come 1-100");
    const QString kUnexpected = QStringLiteral("argomento inatteso: %1");
    const QString kWritten = QStringLiteral("Scritte %1 serie (%2 cartelle, dalla %3 alla %4) in %5");
    constexpr int kRefused = 2;

    // The options Qt's application, its xcb platform and its widgets take, with or without a value.
    const QSet<QString> kQtOptionsWithValue{"platform", "platformpluginpath", "platformtheme", "plugin",
        "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "display", "geometry", "name", "title", "visual",
        "ncols", "cmap", "im", "inputstyle", "style", "stylesheet", "dialogs", "qmljsdebugger"};
    const QSet<QString> kQtFlags{"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

    // A number too long for an int is out of range anyway: it becomes INT_MAX.
    int seriesNumber(const QString &digits)
    {
        bool ok = false;
        const int value = digits.toInt(&ok);
        return ok ? value : INT_MAX;
    }

    int refuse(const QString &why, bool withUsage = true)
    {
        QTextStream err(stderr);
        err << "sorteggina: " << why << '\n';
        if (withUsage)
            err << kUsage;
        return kRefused;
    }

} // namespace

CommandLine readCommandLine(const QStringList &arguments)
{
    CommandLine command;
    bool help = false, version = false, rangeGiven = false, pdfGiven = false;
    const auto refused = [&command](const QString &why) {
        command.action = CommandLine::Action::Refuse;
        command.problem = why;
        return command;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (!argument.startsWith(u'-') || argument == QLatin1String("-"))
            return refused(kUnexpected.arg(argument));
        const qsizetype equals = argument.indexOf(u'=');
        const QString option = argument.left(equals);
        const auto value = [&]() -> std::optional<QString> {
            if (equals >= 0)
                return argument.mid(equals + 1);
            if (i + 1 < arguments.size())
                return arguments[++i];
            return std::nullopt;
        };
        const QString bare = option.mid(option.startsWith(QLatin1String("--")) ? 2 : 1);
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            help = true;
        } else if (option == QLatin1String("--version") || option == QLatin1String("-v")) {
            version = true;
        } else if (option == QLatin1String("--cartelle") || option == QLatin1String("--pdf")) {
            bool &given = option == QLatin1String("--pdf") ? pdfGiven : rangeGiven;
            if (std::exchange(given, true))
                return refused(kRepeated.arg(option));
            const std::optional<QString> text = value();
            if (!text)
                return refused(kMissingValue.arg(option));
            (option == QLatin1String("--pdf") ? command.pdf : command.range) = *text;
        } else if (kQtOptionsWithValue.contains(bare)) {
            if (!value())
                return refused(kMissingValue.arg(option));
        } else if (!kQtFlags.contains(bare) || equals >= 0) {
            return refused(kUnknownOption.arg(argument));
        }
    }
    if (help || version)
        command.action = help ? CommandLine::Action::ShowHelp : CommandLine::Action::ShowVersion;
    else if (rangeGiven || pdfGiven)
        command.action = CommandLine::Action::PrintCartelle;
    if (command.action != CommandLine::Action::PrintCartelle)
        return command;
    if (!rangeGiven)
        return refused(kMissingRange);
    if (!pdfGiven || command.pdf.isEmpty())
        return refused(kMissingPdf);
    if (command.pdf == QLatin1String("-"))
        return refused(kPdfToOutput);
    return command;
}

int answerCommandLine(const CommandLine &command)
{
    QTextStream out(stdout);
    if (command.action == CommandLine::Action::ShowHelp)
        out << kUsage;
    else if (command.action == CommandLine::Action::ShowVersion)
        out << kVersion;
    else
        return refuse(command.problem);
    return 0;
}

int printCartelle(const CommandLine &command)
{
    static const QRegularExpression rangePattern(QStringLiteral(R"(^\s*([0-9]+)\s*-\s*([0-9]+)\s*$)"));
    const QRegularExpressionMatch range = rangePattern.match(command.range);
    if (!range.hasMatch())
        return refuse(kNotARange.arg(command.range));
    const int from = seriesNumber(range.captured(1));
    const int to = seriesNumber(range.captured(2));
    if (const QString wrong = serieRangeError(from, to); !wrong.isEmpty())
        return refuse(wrong);
    QString error;
    if (!writeCartellePdf(command.pdf, from, to, &error))
        return refuse(error, false);
    const int series = to - from + 1;
    QTextStream(stdout) << kWritten.arg(series).arg(series * kCartellePerSerie).arg(from).arg(to).arg(command.pdf)
                        << '\n';
    return 0;
}

} // namespace cartelle
