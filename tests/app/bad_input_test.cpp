#include "form1_fixture.h"

#include "platform/qt_settings_store.h"

#include <QApplication>
#include <QClipboard>

using namespace tabellone;

// Whatever the owner's name, the prize phrase carries it down to the engine as plain text,
// nothing interpreted or escaped, and the left column does not move.
TEST(BadInput, OwnerNamesReachTheVoiceAsTheyAreAndMoveNothing)
{
    const struct {
        QString name;
        bool pasted;
    } names[] = {
        {QString(), false},
        {QString(10000, u'n'), false},
        {"<speak><break time=\"9s\"/>Mario</speak>", false},
        {"&amp; &lt;", false},
        {"a < b > c", false},
        {"Anna\nMaria\r\n.\r\nRossi", true},
        {"Nonna 🎲👵🏽", true},
        {"سعيد \u202Eolleh", false},
    };
    for (const auto &[name, pasted] : names) {
        SCOPED_TRACE(name.left(40).toStdString());
        Window w;
        Form1 &form = *w.form;
        const QRect nameBox = form.Text1->geometry(), nameLabel = form.Label2->geometry();
        if (pasted) {
            QApplication::clipboard()->setText(name);
            form.Text1->selectAll();
            form.Text1->paste();
        } else {
            form.Text1->setText(name);
        }
        ASSERT_EQ(form.Text1->text(), name);
        QTest::mouseClick(form.Check2, Qt::LeftButton);
        QTest::mouseClick(form.Label1[10], Qt::LeftButton);
        QTest::mouseClick(form.Label1[11], Qt::LeftButton);
        EXPECT_EQ(w.voice.engine->said.last(), ". Ambo per " + name + ", si va per Terno");
        EXPECT_EQ(form.Text1->geometry(), nameBox);
        EXPECT_EQ(form.Label2->geometry(), nameLabel);
        EXPECT_EQ(form.size(), QSize(1143, 734));
        form.repaint();
    }
}

// A folder under a device file cannot be made, not even by root.
TEST(BadInput, GameGoesOnAndReloadsWhenTheSettingsCannotBeWritten)
{
    LogCapture log;
    QtSettingsStore store("/dev/null/Vellucario/Vellucario.conf");
    Window w(&store);
    Form1 &form = *w.form;
    QTest::mouseClick(form.Check3, Qt::LeftButton);
    QTest::mouseClick(form.Check1[0], Qt::LeftButton);
    w.drawTheWholeBoard();
    ASSERT_EQ(form.state().drawnCount(), kCells);
    const auto prizes = form.state().prize;

    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QTest::mouseClick(form.Command5, Qt::LeftButton);
    EXPECT_EQ(w.voice.said.last(), "Ultima estrazione, ricaricata!");
    for (BoardCell *cell : form.Label1)
        EXPECT_TRUE(cell->drawn());
    EXPECT_EQ(form.state().prize, prizes);
    EXPECT_EQ(form.Check3->value(), 1);
    EXPECT_EQ(log.texts("sorteggina.settings").size(), 1);
}
