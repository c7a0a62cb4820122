#include "form1_fixture.h"

#include "game/tabellone.h"
#include "window/help_panel.h"

#include <QSet>

using namespace tabellone;

TEST_F(Form1Test, StartsAsAFreshGame)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Sorteggina di Orvanet - Quillard - ver. 2.0.1"));
    EXPECT_EQ(form->Label5->text(), QStringLiteral("OV"));
    EXPECT_EQ(form->Label6->text(), QStringLiteral("La smorfia napoletana"));
    EXPECT_EQ(form->Text1->text(), QStringLiteral("il tabellone"));
    EXPECT_FALSE(form->Frame1->isVisible());
    EXPECT_FALSE(form->Picture3->isVisible());
    EXPECT_TRUE(form->Timer2.isActive());
    EXPECT_EQ(form->Timer2.interval(), 500);
    EXPECT_TRUE(form->Timer3.isActive());
    EXPECT_EQ(form->Timer3.interval(), 100);
    const QStringList prizes{"Ambo", "Terno", "Quaterna", "Cinquina", "Tombola"};
    for (int i = 0; i < kPrizes; ++i) {
        EXPECT_EQ(form->Check1[i]->text(), prizes[i]);
        EXPECT_EQ(form->Command4[i]->text(), QStringLiteral("F%1").arg(i + 2));
        EXPECT_EQ(form->Check1[i]->value(), 0);
    }
    for (int k = 0; k < kCartelle; ++k) {
        EXPECT_TRUE(form->Label4[k]->isEnabled());
        EXPECT_EQ(backColour(form->Label4[k]), QColor(255, 224, 192));
    }
    EXPECT_FALSE(form->Label1[41]->drawn());
    EXPECT_TRUE(form->Label1[41]->inPlay());
    EXPECT_EQ(form->Label1[41]->accessibleName(), QStringLiteral("42"));
    EXPECT_TRUE(form->Label1[89]->isVisible());
}

TEST_F(Form1Test, ControlsCarryTheirTooltips)
{
    const std::pair<QWidget *, const char *> tips[] = {
        {form->Label5, "Ultimo numero estratto (^)"},
        {form->Text1, "Scrivere il nome di chi possiede il tabellone"},
        {form->Check2, "Estrazione manuale"},
        {form->Check3, "Scandisce i numeri che si confondono (>)"},
        {form->Check5, "Pronuncia la smorfia al posto dei numeri (<)"},
        {form->Label4[3], "Esclusione cartelle dal tabellone"},
        {form->Command1, "Comincia una nuova partita (F12)"},
        {form->Command5, "Ricarica l'ultima estrazione interrotta"},
        {form->Command2, "(v)"},
        {form->Label7, "Aiuto"},
        {form->Image2, "Vai al sito Orvanet"},
    };
    for (const auto &[widget, tip] : tips)
        EXPECT_EQ(widget->toolTip(), QString::fromUtf8(tip));
}

TEST_F(Form1Test, StoredOptionsComeBackAtStart)
{
    store.values["Terno"] = "1";
    store.values["Smorfia"] = "2";
    store.values["Scandito"] = "abc";
    open();
    EXPECT_EQ(form->Check1[1]->value(), 1);
    EXPECT_EQ(textColour(form->Check1[1]), QColor(255, 0, 0));
    EXPECT_EQ(textColour(form->Check1[0]), QColor(255, 255, 255));
    EXPECT_EQ(form->Check5->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(form->Check3->value(), 0);
}

TEST_F(Form1Test, PrizeBoxSpeaksAndStoresOnlyOnAMouseRelease)
{
    QTest::mouseClick(form->Check1[0], Qt::LeftButton);
    EXPECT_EQ(form->Check1[0]->value(), 1);
    EXPECT_EQ(textColour(form->Check1[0]), QColor(255, 0, 0));
    EXPECT_EQ(voice.takeSpoken(), QStringList{"Ambo non presente."});
    EXPECT_EQ(store.values.value("Ambo"), "1");

    // The right button does not toggle, but the release still speaks and stores.
    QTest::mouseClick(form->Check1[0], Qt::RightButton);
    EXPECT_EQ(form->Check1[0]->value(), 1);
    EXPECT_EQ(voice.takeSpoken(), QStringList{"Ambo non presente."});

    QTest::mouseClick(form->Check1[0], Qt::LeftButton);
    EXPECT_EQ(textColour(form->Check1[0]), QColor(255, 255, 255));
    EXPECT_EQ(voice.takeSpoken(), QStringList{"Ambo presente."});
    EXPECT_EQ(store.values.value("Ambo"), "0");

    // The space bar on a focused box changes it silently.
    const int writes = store.writes;
    form->Check1[1]->setFocus();
    QTest::keyClick(form->Check1[1], Qt::Key_Space);
    EXPECT_EQ(form->Check1[1]->value(), 1);
    EXPECT_EQ(form->state().prize[1], 1);
    EXPECT_TRUE(voice.spoken.isEmpty());
    EXPECT_EQ(store.writes, writes);
    EXPECT_EQ(textColour(form->Check1[1]), QColor(255, 255, 255));

    // The tombola box is stored, never coloured or spoken.
    QTest::mouseClick(form->Check1[4], Qt::LeftButton);
    EXPECT_TRUE(voice.spoken.isEmpty());
    EXPECT_EQ(store.values.value("Tombola"), "1");
}

TEST_F(Form1Test, PrizeButtonsDeclareOnce)
{
    QTest::mouseClick(form->Command4[1], Qt::LeftButton);
    QTest::mouseClick(form->Command4[1], Qt::LeftButton);
    EXPECT_EQ(voice.takeSpoken(), QStringList{QString::fromUtf8("il terno è uscito, si prosegue per la quaterna")});
    EXPECT_EQ(form->Check1[1]->value(), 1);
    EXPECT_EQ(textColour(form->Check1[1]), QColor(255, 255, 255));

    QTest::mouseClick(form->Command4[4], Qt::LeftButton);
    EXPECT_EQ(voice.takeSpoken(), QStringList{"Tombola"});
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    EXPECT_EQ(form->state().drawnCount(), 0);
}

TEST_F(Form1Test, ExclusionDarkensExactlyTheCartellaAndLocksAfterTheFirstCheck)
{
    const auto cells = cellsOfCartella(0);
    const QSet<int> cartella(cells.begin(), cells.end());
    auto checkCells = [&](bool excluded) {
        for (int i = 0; i < kCells; ++i)
            EXPECT_EQ(form->Label1[i]->inPlay(), !(excluded && cartella.contains(i))) << "cell " << i;
    };

    QTest::mouseClick(form->Label4[0], Qt::LeftButton);
    EXPECT_EQ(backColour(form->Label4[0]), QColor(255, 192, 128));
    checkCells(true);
    QTest::mouseClick(form->Label4[0], Qt::LeftButton);
    EXPECT_EQ(backColour(form->Label4[0]), QColor(255, 224, 192));
    checkCells(false);
    EXPECT_TRUE(voice.spoken.isEmpty());

    QTest::mouseClick(form->Label4[0], Qt::LeftButton);
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    for (ClickLabel *label : form->Label4)
        EXPECT_FALSE(label->isEnabled());
    QTest::mouseClick(form->Label4[0], Qt::LeftButton);
    checkCells(true);

    QTest::mouseClick(form->Command1, Qt::LeftButton);
    EXPECT_TRUE(form->Label4[0]->isEnabled());
    checkCells(true);
}

TEST_F(Form1Test, ManualModeMarksAndWithdrawsByClick)
{
    QTest::mouseClick(form->Check2, Qt::LeftButton);
    EXPECT_EQ(voice.takeSpoken(), QStringList{"estrazione manuale"});
    QTest::mouseClick(form->Label1[16], Qt::LeftButton);
    EXPECT_TRUE(form->Label1[16]->drawn());
    EXPECT_EQ(form->Label5->text(), "17");
    EXPECT_EQ(form->Label6->text(), "'a disgrazia");
    EXPECT_EQ(voice.takeSpoken(), QStringList{QString::fromUtf8("è uscito il numero 17")});
    QTest::mouseClick(form->Label1[16], Qt::LeftButton);
    EXPECT_FALSE(form->Label1[16]->drawn());
    EXPECT_EQ(voice.takeSpoken(), QStringList{"Numero 17"});
}

TEST_F(Form1Test, BannerBlinksTheTombolaAndShowsAPrizeMessage)
{
    form->Timer2_Timer();  // the first tick only arms the blink
    QTest::mouseClick(form->Command4[4], Qt::LeftButton);
    form->Timer2_Timer();
    ASSERT_TRUE(form->Frame1->isVisible());
    EXPECT_EQ(form->Label3->text(), " TOMBOLA ");
    EXPECT_EQ(form->Frame1->size(), form->Label3->size());
    const QRect panel = form->Picture1->rect();
    const QRect banner = form->Frame1->geometry();
    EXPECT_LE(std::abs(banner.left() - (panel.width() - banner.right() - 1)), 1);
    EXPECT_LE(std::abs(banner.top() - (panel.height() - banner.bottom() - 1)), 1);
    form->Timer2_Timer();
    EXPECT_FALSE(form->Frame1->isVisible());

    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QTest::mouseClick(form->Check2, Qt::LeftButton);
    QTest::mouseClick(form->Label1[11], Qt::LeftButton);
    QTest::mouseClick(form->Label1[13], Qt::LeftButton);
    form->Timer2_Timer();
    ASSERT_TRUE(form->Frame1->isVisible());
    EXPECT_EQ(form->Label3->text(), " 12, 14 ");
    QTest::mouseClick(form->Label3, Qt::LeftButton);
    form->Timer2_Timer();
    EXPECT_FALSE(form->Frame1->isVisible());
}

TEST_F(Form1Test, HelpPanelTogglesAndADrawHidesIt)
{
    QTest::mouseClick(form->Label7, Qt::LeftButton);
    ASSERT_TRUE(form->Picture3->isVisible());
    const int at = twipsToPixels(100, form->dpi());
    EXPECT_EQ(form->Picture3->pos(), QPoint(at, at));
    QTest::mouseClick(form->Picture3, Qt::LeftButton);
    EXPECT_FALSE(form->Picture3->isVisible());

    QTest::mouseClick(form->Label7, Qt::LeftButton);
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    EXPECT_FALSE(form->Picture3->isVisible());
}

TEST_F(Form1Test, LogoOpensTheMakersPage)
{
    QTest::mouseClick(form->Image2, Qt::LeftButton);
    ASSERT_EQ(urls.opened.size(), 1);
    EXPECT_EQ(urls.opened[0].path(), "/ftp/");
    EXPECT_EQ(urls.opened[0].query(), "tombola");
}

TEST_F(Form1Test, KeysDriveTheGameThroughThePoll)
{
    keys.taps << 40 << 113;  // Down and F2 in the same tick
    form->Timer3_Timer();
    EXPECT_EQ(form->state().drawnCount(), 1);
    QStringList spoken = voice.takeSpoken();
    ASSERT_EQ(spoken.size(), 2);
    EXPECT_TRUE(spoken[0].startsWith(QString::fromUtf8("è uscito il numero ")));
    EXPECT_EQ(spoken[1], QString::fromUtf8("L'ambo è uscito, si prosegue per il terno"));

    keys.taps << 37 << 39;  // Left and Right: Smorfia and Scandito, stored
    form->Timer3_Timer();
    EXPECT_EQ(form->Check5->value(), 1);
    EXPECT_EQ(form->Check3->value(), 1);
    EXPECT_EQ(store.values.value("Smorfia"), "1");
    EXPECT_EQ(store.values.value("Scandito"), "1");

    keys.taps << 123;
    form->Timer3_Timer();
    EXPECT_EQ(form->state().drawnCount(), 0);
    EXPECT_EQ(form->Label5->text(), "OV");
}

TEST_F(Form1Test, BoardFillsThePanelAtEverySize)
{
    for (QSize size : {QSize(1143, 734), QSize(1920, 1080), QSize(400, 300)}) {
        form->resize(size);
        const QRect panel = form->Picture1->geometry();
        EXPECT_EQ(panel.right(), size.width() - 1);
        EXPECT_EQ(form->Label1[0]->geometry().topLeft(), QPoint(0, 0));
        EXPECT_EQ(form->Label1[89]->geometry().bottomRight(), QPoint(panel.width() - 1, panel.height() - 1));
        EXPECT_EQ(form->Label6->geometry().bottom(), size.height() - 1);
    }
}
