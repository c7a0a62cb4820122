// SPDX-License-Identifier: GPL-3.0-or-later
#include "cartelle/code.h"
#include "cartelle/command_line.h"
#include "cartelle/serie.h"
#include "cartelle/sheet.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace cartelle;

// The text a reader of the PDF finds: every code, one page a serie.
TEST(Sheet, PdfCarriesEveryCodeOnePageASerie)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("cartelle.pdf"));
    QString error;
    ASSERT_TRUE(writeCartellePdf(pdf, 41, 43, &error)) << error.toStdString();

    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(pdftotext.waitForFinished(10000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    EXPECT_EQ(text.count(u'\f'), 3);
    for (int serie = 41; serie <= 43; ++serie) {
        EXPECT_TRUE(text.contains(QStringLiteral("Sorteggina — serie %1").arg(serie))) << serie;
        for (int i = 1; i <= kCartellePerSerie; ++i)
            EXPECT_TRUE(text.contains(printedCode({serie, i}))) << printedCode({serie, i}).toStdString();
    }
}

TEST(Sheet, CommandLineWritesAGoodRangeAndRefusesTheRest)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    const struct {
        const char *name;
        QStringList arguments;
        int exitCode;
    } cases[] = {
        {"not numbers", {"--cartelle", "uno-tre", "--pdf", pdf}, 2},
        {"from after to", {"--cartelle", "5-3", "--pdf", pdf}, 2},
        {"serie zero", {"--cartelle", "0-3", "--pdf", pdf}, 2},
        {"past the last serie", {"--cartelle", "99999-100000", "--pdf", pdf}, 2},
        {"too long for a number", {"--cartelle", "1-99999999999", "--pdf", pdf}, 2},
        {"no --pdf", {"--cartelle", "1-3"}, 2},
        {"an unwritable file", {"--cartelle", "1-3", "--pdf", dir.filePath("missing/out.pdf")}, 2},
        {"a good range", {"--cartelle=2-3", "--pdf", pdf}, 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(runCartelleCommandLine(QStringList{"sorteggina"} + c.arguments), c.exitCode) << c.name;
        EXPECT_EQ(QFile::exists(pdf), c.exitCode == 0) << c.name;
    }
}
