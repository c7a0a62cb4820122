#include "form1_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <cmath>

using namespace tabellone;

namespace {

QString accessibleText(QWidget *widget, QAccessible::Text kind)
{
    return QAccessible::queryAccessibleInterface(widget)->text(kind);
}

// Contrast ratio of two colours by their relative luminance, from 1 (none) to 21.
double contrast(const QColor &a, const QColor &b)
{
    auto luminance = [](const QColor &c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

TEST_F(Form1Test, ControlsTellTheirRoleNameAndPurposeAndShowItAsTooltip)
{
    for (int i = 0; i < kPrizes; ++i) {
        EXPECT_EQ(accessibleText(form->Command4[i], QAccessible::Description), "Dichiara il premio vinto in sala");
        EXPECT_EQ(accessibleText(form->Check1[i], QAccessible::Description),
                  "Spuntato: premio già vinto o escluso dal gioco");
    }
    const struct {
        QWidget *widget;
        QAccessible::Role role;
        QString name, tip;
    } controls[] = {
        {form->Label5, QAccessible::Button, "OV", "Ultimo numero estratto (^)"},
        {form->Command4[0], QAccessible::Button, "Ambo (F2)", ""},
        {form->Check1[0], QAccessible::CheckBox, "Ambo", ""},
        {form->Text1, QAccessible::EditableText, "Nome", "Scrivere il nome di chi possiede il tabellone"},
        {form->Check2, QAccessible::CheckBox, "Manuale", "Estrazione manuale"},
        {form->Check3, QAccessible::CheckBox, "Scandito", "Scandisce i numeri che si confondono (>)"},
        {form->Check5, QAccessible::CheckBox, "Smorfia", "Pronuncia la smorfia al posto dei numeri (<)"},
        {form->Label4[0], QAccessible::Button, "Cartella 1", "Esclusione cartelle dal tabellone"},
        {form->Command1, QAccessible::Button, "Ricomincia", "Comincia una nuova partita (F12)"},
        {form->Command5, QAccessible::Button, "Ricarica ultima", "Ricarica l'ultima estrazione interrotta"},
        {form->Command2, QAccessible::Button, "Estrai Numero", "(v)"},
        {form->Label7, QAccessible::Button, "?", "Aiuto"},
        {form->Image2, QAccessible::Button, "Orvanet", "Vai al sito Orvanet"},
        {form->Label6, QAccessible::Button, "La smorfia napoletana", "La smorfia napoletana"},
        {form->Picture1, QAccessible::Client, "Tabellone", ""},
        {form->Picture3, QAccessible::Client, "Aiuto", ""},
    };
    for (const auto &c : controls) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(QAccessible::queryAccessibleInterface(c.widget)->role(), c.role);
        EXPECT_EQ(accessibleText(c.widget, QAccessible::Name), c.name);
        EXPECT_EQ(c.widget->toolTip(), c.tip);
        if (!c.tip.isEmpty()) {
            EXPECT_EQ(accessibleText(c.widget, QAccessible::Description), c.tip);
        }
    }
}

TEST_F(Form1Test, CellsAndDisplaysSayWhatIsDrawn)
{
    auto said = [&](int cell) { return accessibleText(form->Label1[cell], QAccessible::Description); };
    for (int i = 0; i < kCells; ++i) {
        EXPECT_EQ(accessibleText(form->Label1[i], QAccessible::Name), QString::number(i + 1));
        EXPECT_EQ(said(i), "non estratto");
    }
    random.script = {41, 6};
    form->Command2_Click();
    form->Command2_Click();
    EXPECT_EQ(said(41), "estratto");
    EXPECT_EQ(said(6), "estratto");
    EXPECT_EQ(said(40), "non estratto");
    EXPECT_EQ(accessibleText(form->Label5, QAccessible::Name), "7");
    EXPECT_EQ(accessibleText(form->Label6, QAccessible::Name), form->Label6->text());
    EXPECT_NE(form->Label6->text(), "La smorfia napoletana");
    form->Command1_Click();
    EXPECT_EQ(said(6), "non estratto");
}

TEST_F(Form1Test, TabWalksTheLeftColumnTopToBottom)
{
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QWidget *const column[] = {
        form->Command4[0], form->Check1[0], form->Command4[1], form->Check1[1], form->Command4[2],
        form->Check1[2],   form->Command4[3], form->Check1[3], form->Command4[4], form->Check1[4],
        form->Text1,       form->Check2,    form->Check3,     form->Check5,    form->Label4[0],
        form->Label4[1],   form->Label4[2], form->Label4[3],  form->Label4[4], form->Label4[5],
        form->Command1,    form->Command5,  form->Command2,   form->Label7,    form->Image2,
    };
    const int stops = int(std::size(column));
    column[0]->setFocus(Qt::TabFocusReason);
    for (int step = 1; step <= stops; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), column[step % stops]) << "Tab " << step;
    }
    // Once the game is under way the cartelle are locked and Tab passes them by.
    form->Command2_Click();
    form->Check5->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form->Check5, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form->Command1);
}

TEST_F(Form1Test, TicksAndLockedCartelleStayReadable)
{
    QTest::mouseClick(form->Check1[1], Qt::LeftButton);
    for (OptionBox *box : {form->Check1[0], form->Check1[1], form->Check2, form->Check3, form->Check5}) {
        const QPalette &colours = box->palette();
        EXPECT_GE(contrast(colours.color(QPalette::Text), colours.color(QPalette::Base)), 4.5)
            << box->text().toStdString();
    }
    form->Command2_Click();
    for (ClickLabel *label : {form->Label4[0], form->Label4[1]}) {
        const QImage image = label->grab().toImage();
        QColor darkest = Qt::white;
        for (int y = 3; y < image.height() - 3; ++y)
            for (int x = 3; x < image.width() - 3; ++x)
                if (qGray(image.pixel(x, y)) < qGray(darkest.rgb()))
                    darkest = image.pixelColor(x, y);
        EXPECT_GE(contrast(darkest, backColour(label)), 4.5) << label->text().toStdString();
    }
}
