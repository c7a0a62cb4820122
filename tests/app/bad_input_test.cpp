#include "faulty_platform.h"

#include "app/form1.h"
#include "app/widgets.h"
#include "platform/qt_settings_store.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tabellone;

namespace {

// A window whose voice queues every text in front of an engine that records it.
struct Window {
    explicit Window(SettingsStore &store) : form(Platform{voice, store, keys, urls, random, clock})
    {
        form.show();
        form.resize(1143, 734);
    }
    FakeClock clock;
    RecordingVoice voice{clock};
    FakeKeyState keys;
    FakeUrlOpener urls;
    FakeRandom random{3};
    Form1 form;
};

// Draws until the board is full; a complete owner cartella stops the drawing until the
// caller clears the tombola, as a caller who plays on would.
void drawTheWholeBoard(Form1 &form)
{
    for (int press = 0; press < 200 && form.state().drawnCount() < kCells; ++press) {
        if (form.state().tombolaOut())
            QTest::mouseClick(form.Check1[kTombola], Qt::LeftButton);
        form.Command2_Click();
    }
}

// Whatever the owner's name, the prize phrase carries it as it is, plain text with nothing
// interpreted or escaped, down to the engine; and the left column does not move.
TEST(BadInput, OwnerNamesReachTheVoiceAsTheyAreAndMoveNothing)
{
    const struct {
        const char *what;
        QString name;
        bool pasted;
    } names[] = {
        {"empty", QString(), false},
        {"very long", QString(10000, u'n'), false},
        {"markup", QStringLiteral("<speak><break time=\"9s\"/>Mario</speak>"), false},
        {"entity", QStringLiteral("&amp; &lt;"), false},
        {"angle brackets", QStringLiteral("a < b > c"), false},
        {"new lines", QStringLiteral("Anna\nMaria\r\n.\r\nRossi"), true},
        {"emoji", QString::fromUtf8("Nonna 🎲👵🏽"), true},
        {"right to left", QString::fromUtf8("سعيد \u202Eolleh"), false},
    };
    for (const auto &n : names) {
        SCOPED_TRACE(n.what);
        MemoryStore store;
        Window w(store);
        const QRect nameBox = w.form.Text1->geometry(), nameLabel = w.form.Label2->geometry();
        const QSize window = w.form.size();
        if (n.pasted) {
            QApplication::clipboard()->setText(n.name);
            w.form.Text1->selectAll();
            w.form.Text1->paste();
        } else {
            w.form.Text1->setText(n.name);
        }
        ASSERT_EQ(w.form.Text1->text(), n.name);

        QTest::mouseClick(w.form.Check2, Qt::LeftButton);  // manual mode
        QTest::mouseClick(w.form.Label1[10], Qt::LeftButton);
        QTest::mouseClick(w.form.Label1[11], Qt::LeftButton);
        const QString phrase = ". Ambo per " + n.name + ", si va per Terno";
        EXPECT_EQ(w.voice.said.last(), phrase);
        EXPECT_EQ(w.voice.engine->said.last(), phrase);

        EXPECT_EQ(w.form.Text1->geometry(), nameBox);
        EXPECT_EQ(w.form.Label2->geometry(), nameLabel);
        EXPECT_EQ(w.form.size(), window);
        w.form.repaint();
    }
}

TEST(BadInput, StoredOptionsThatAreNotWholeNumbersLeaveTheirBoxAlone)
{
    MemoryStore store;
    store.values["Terno"] = QString::fromUtf8("1\0garbage", 9);  // toInt alone would read 1
    store.values["Quaterna"] = QStringLiteral("99999999999999999999");
    store.values["Smorfia"] = QString::fromUtf8("\0" "1", 2);
    store.values["Cinquina"] = QStringLiteral("1");
    Window w(store);
    EXPECT_EQ(w.form.Check1[1]->value(), 0);
    EXPECT_EQ(w.form.Check1[2]->value(), 0);
    EXPECT_EQ(w.form.Check5->value(), 0);
    EXPECT_EQ(w.form.Check1[3]->value(), 1);
}

// Root can write read-only files, so the unwritable places lie under a regular file.
TEST(BadInput, GameGoesOnAndReloadsWhenTheSettingsCannotBeWritten)
{
    QTemporaryDir dir;
    QFile plain(dir.filePath("plainfile"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    for (const QString &path : {dir.filePath("plainfile/Vellucario.conf"), QStringLiteral("/dev/null/Vellucario/Vellucario.conf")}) {
        SCOPED_TRACE(path.toStdString());
        WarningCount warnings("sorteggina.settings");
        QtSettingsStore store(path);
        Window w(store);
        QTest::mouseClick(w.form.Check3, Qt::LeftButton);
        QTest::mouseClick(w.form.Check1[0], Qt::LeftButton);
        drawTheWholeBoard(w.form);
        ASSERT_EQ(w.form.state().drawnCount(), kCells);
        const GameState played = w.form.state();

        QTest::mouseClick(w.form.Command1, Qt::LeftButton);
        QTest::mouseClick(w.form.Command5, Qt::LeftButton);
        EXPECT_EQ(w.voice.said.last(), "Ultima estrazione, ricaricata!");
        EXPECT_EQ(w.form.state().drawnCount(), kCells);
        EXPECT_EQ(w.form.state().prize, played.prize);
        EXPECT_EQ(w.form.Check3->value(), 1);
        EXPECT_TRUE(store.writeFailed());
        EXPECT_EQ(warnings.count, 1);
    }
}

} // namespace
