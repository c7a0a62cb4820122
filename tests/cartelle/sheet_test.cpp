// SPDX-License-Identifier: GPL-3.0-or-later
#include "cartelle/code.h"
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
