// SPDX-License-Identifier: GPL-3.0-or-later
#include "cartelle/command_line.h"

#include "cartelle/serie.h"
#include "cartelle/sheet.h"

#include <QRegularExpression>
#include <QSet>
#include <QTextStream>
#include <algorithm>
#include <array>
#include <climits>
#include <optional>
#include <tuple>
#include <utility>

namespace cartelle {
namespace {

    const QString kUsage =
        QStringLiteral("uso: sorteggina [opzioni di Qt, come -platform xcb]      apre il tabellone\n"
                       "     sorteggina --cartelle DA-A --pdf FILE.pdf         scrive le cartelle delle serie DA-A\n"
                       "                                                       (per esempio --cartelle 1-100)\n"
                       "     sorteggina --serate                               elenca le serate registrate\n"
                       "     sorteggina --classifica DAL..AL --csv FILE.csv    scrive la classifica dei vincitori\n"
                       "     sorteggina --classifica DAL..AL --pdf FILE.pdf    (date come 2026-09-01..2027-06-30;\n"
                       "                                                       un estremo o entrambi si omettono)\n"
                       "     sorteggina --help | --version\n");
    const QString kVersion = QStringLiteral("sorteggina " SORTEGGINA_VERSION "\n");
    const QString kMissingRange = QStringLiteral("manca --cartelle DA-A");
    const QString kMissingPdf = QStringLiteral("manca --pdf FILE.pdf");
    const QString kMissingValue = QStringLiteral("manca il valore di %1");
    const QString kRepeated = QStringLiteral("%1 è ripetuta");
    const QString kToOutput = QStringLiteral("%1 vuole il nome di un file, non \"-\"");
    const QString kTogether = QStringLiteral("--cartelle, --serate e --classifica non vanno insieme");
    const QString kNoFileForList = QStringLiteral("--serate scrive sullo schermo, senza --csv né --pdf");
    const QString kCsvAlone = QStringLiteral("--csv va con --classifica");
    const QString kOneFile = QStringLiteral("--classifica vuole uno tra --csv FILE.csv e --pdf FILE.pdf");
    const QString kNotAPeriod =
        QStringLiteral("\"%1\" non è un periodo come 2026-09-01..2027-06-30 (un estremo o entrambi si omettono)");
    const QString kBadDate = QStringLiteral("\"%1\" non è una data come 2026-09-01");
    const QString kBackwards = QStringLiteral("il periodo %1 finisce prima di cominciare");
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

    // "2026-09-01..2027-06-30", either end left out; the reason when it is no period.
    QString readPeriod(const QString &text, QDate &from, QDate &to)
    {
        const qsizetype dots = text.indexOf(QLatin1String(".."));
        if (dots < 0 || text.indexOf(QLatin1String(".."), dots + 2) >= 0)
            return kNotAPeriod.arg(text);
        static const QRegularExpression datePattern(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
        const auto date = [](const QString &part, QDate &into) {
            if (part.isEmpty())
                return true;
            into = QDate::fromString(part, Qt::ISODate);
            return datePattern.match(part).hasMatch() && into.isValid();
        };
        const QString first = text.left(dots), last = text.mid(dots + 2);
        if (!date(first, from))
            return kBadDate.arg(first);
        if (!date(last, to))
            return kBadDate.arg(last);
        if (from.isValid() && to.isValid() && from > to)
            return kBackwards.arg(text);
        return {};
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
    bool help = false, version = false, rangeGiven = false, pdfGiven = false, evenings = false, periodGiven = false,
         csvGiven = false;
    QString period;
    // Our options that take a value, each given once.
    const std::array<std::tuple<QLatin1String, bool *, QString *>, 4> valued{
        {{QLatin1String("--cartelle"), &rangeGiven, &command.range}, {QLatin1String("--pdf"), &pdfGiven, &command.pdf},
            {QLatin1String("--classifica"), &periodGiven, &period}, {QLatin1String("--csv"), &csvGiven, &command.csv}}};
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
        } else if (option == QLatin1String("--serate") && equals < 0) {
            evenings = true;
        } else if (const auto ours =
                       std::ranges::find_if(valued, [&](const auto &v) { return std::get<0>(v) == option; });
                   ours != valued.end()) {
            const auto &[name, given, into] = *ours;
            if (std::exchange(*given, true))
                return refused(kRepeated.arg(option));
            const std::optional<QString> text = value();
            if (!text)
                return refused(kMissingValue.arg(option));
            *into = *text;
        } else if (kQtOptionsWithValue.contains(bare)) {
            if (!value())
                return refused(kMissingValue.arg(option));
        } else if (!kQtFlags.contains(bare) || equals >= 0) {
            return refused(kUnknownOption.arg(argument));
        }
    }
    if (help || version) {
        command.action = help ? CommandLine::Action::ShowHelp : CommandLine::Action::ShowVersion;
        return command;
    }
    if (int(rangeGiven) + int(evenings) + int(periodGiven) > 1)
        return refused(kTogether);
    if (evenings) {
        command.action = CommandLine::Action::ListEvenings;
        return pdfGiven || csvGiven ? refused(kNoFileForList) : command;
    }
    if (periodGiven) {
        command.action = CommandLine::Action::WriteStandings;
        if (pdfGiven == csvGiven || (pdfGiven ? command.pdf : command.csv).isEmpty())
            return refused(kOneFile);
        if ((pdfGiven ? command.pdf : command.csv) == QLatin1String("-"))
            return refused(kToOutput.arg(pdfGiven ? QStringLiteral("--pdf") : QStringLiteral("--csv")));
        if (const QString wrong = readPeriod(period, command.from, command.to); !wrong.isEmpty())
            return refused(wrong);
        return command;
    }
    if (csvGiven)
        return refused(kCsvAlone);
    if (!rangeGiven && !pdfGiven)
        return command;
    command.action = CommandLine::Action::PrintCartelle;
    if (!rangeGiven)
        return refused(kMissingRange);
    if (!pdfGiven || command.pdf.isEmpty())
        return refused(kMissingPdf);
    if (command.pdf == QLatin1String("-"))
        return refused(kToOutput.arg(QStringLiteral("--pdf")));
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
