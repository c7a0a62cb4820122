#include "form1_fixture.h"

#include "game/tabellone.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <cmath>

using namespace tabellone;

namespace {

QAccessibleInterface *accessible(QWidget *widget)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    EXPECT_NE(iface, nullptr) << widget->metaObject()->className();
    return iface;
}

std::string nameOf(QWidget *widget) { return accessible(widget)->text(QAccessible::Name).toStdString(); }
std::string descriptionOf(QWidget *widget)
{
    return accessible(widget)->text(QAccessible::Description).toStdString();
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

class AccessibilityTest : public Form1Test {
protected:
    // Draws the number `number` with "Estrai Numero".
    void draw(int number)
    {
        random.script = {number - 1};
        form->Command2_Click();
    }

    void pressByAction(QWidget *widget)
    {
        QAccessibleActionInterface *actions = accessible(widget)->actionInterface();
        ASSERT_NE(actions, nullptr) << nameOf(widget);
        ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
        actions->doAction(QAccessibleActionInterface::pressAction());
    }
};

TEST_F(AccessibilityTest, ControlsTellTheirRoleNameAndPurpose)
{
    struct Expected {
        QWidget *widget;
        QAccessible::Role role;
        const char *name;
        const char *description;
    };
    const Expected controls[] = {
        {form->Label5, QAccessible::Button, "OV", "Ultimo numero estratto (^)"},
        {form->Command4[0], QAccessible::Button, "Ambo (F2)", "Dichiara il premio vinto in sala"},
        {form->Command4[4], QAccessible::Button, "Tombola (F6)", "Dichiara il premio vinto in sala"},
        {form->Check1[0], QAccessible::CheckBox, "Ambo", "Spuntato: premio già vinto o escluso dal gioco"},
        {form->Check1[3], QAccessible::CheckBox, "Cinquina", "Spuntato: premio già vinto o escluso dal gioco"},
        {form->Text1, QAccessible::EditableText, "Nome", "Scrivere il nome di chi possiede il tabellone"},
        {form->Check2, QAccessible::CheckBox, "Manuale", "Estrazione manuale"},
        {form->Check3, QAccessible::CheckBox, "Scandito", "Scandisce i numeri che si confondono (>)"},
        {form->Check5, QAccessible::CheckBox, "Smorfia", "Pronuncia la smorfia al posto dei numeri (<)"},
        {form->Label4[0], QAccessible::Button, "Cartella 1", "Esclusione cartelle dal tabellone"},
        {form->Label4[5], QAccessible::Button, "Cartella 6", "Esclusione cartelle dal tabellone"},
        {form->Command1, QAccessible::Button, "Ricomincia", "Comincia una nuova partita (F12)"},
        {form->Command5, QAccessible::Button, "Ricarica ultima", "Ricarica l'ultima estrazione interrotta"},
        {form->Command2, QAccessible::Button, "Estrai Numero", "(v)"},
        {form->Label7, QAccessible::Button, "?", "Aiuto"},
        {form->Image2, QAccessible::Button, "Orvanet", "Vai al sito Orvanet"},
        {form->Label6, QAccessible::Button, "La smorfia napoletana", "La smorfia napoletana"},
    };
    for (const Expected &c : controls) {
        SCOPED_TRACE(c.name);
        QAccessibleInterface *iface = accessible(c.widget);
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->role(), c.role);
        EXPECT_EQ(nameOf(c.widget), c.name);
        EXPECT_EQ(descriptionOf(c.widget), c.description);
    }
    EXPECT_EQ(nameOf(form->Picture1), "Tabellone");
    EXPECT_EQ(nameOf(form->Picture3), "Aiuto");
}

TEST_F(AccessibilityTest, TicksStandOutOfTheirBoxes)
{
    // A prize left out is painted again, in red.
    QTest::mouseClick(form->Check1[1], Qt::LeftButton);
    OptionBox *const boxes[] = {form->Check1[0], form->Check1[1], form->Check1[4],
                                form->Check2,    form->Check3,    form->Check5};
    for (OptionBox *box : boxes) {
        const QPalette &colours = box->palette();
        EXPECT_GE(contrast(colours.color(QPalette::Text), colours.color(QPalette::Base)), 4.5)
            << box->text().toStdString();
    }
}

TEST_F(AccessibilityTest, LockedCartelleStayReadable)
{
    random.script = {0};
    form->Command2_Click();
    ASSERT_FALSE(form->Label4[0]->isEnabled());
    for (ClickLabel *label : {form->Label4[0], form->Label4[1]}) {
        const QImage image = label->grab().toImage();
        const QImage inside = image.copy(image.rect().adjusted(3, 3, -3, -3));
        QColor darkest = Qt::white;
        for (int y = 0; y < inside.height(); ++y)
            for (int x = 0; x < inside.width(); ++x)
                if (qGray(inside.pixel(x, y)) < qGray(darkest.rgb()))
                    darkest = inside.pixelColor(x, y);
        EXPECT_GE(contrast(darkest, label->palette().color(QPalette::Window)), 4.5) << label->text().toStdString();
    }
}

TEST_F(AccessibilityTest, ADrawIsReadOnTheBoardAndTheDisplays)
{
    for (int i = 0; i < kCells; ++i) {
        EXPECT_EQ(nameOf(form->Label1[i]), std::to_string(i + 1));
        EXPECT_EQ(descriptionOf(form->Label1[i]), "non estratto");
    }
    draw(42);
    draw(7);
    EXPECT_EQ(descriptionOf(form->Label1[41]), "estratto");
    EXPECT_EQ(descriptionOf(form->Label1[6]), "estratto");
    EXPECT_EQ(descriptionOf(form->Label1[40]), "non estratto");
    EXPECT_EQ(nameOf(form->Label5), "7");
    EXPECT_EQ(nameOf(form->Label6), form->Label6->text().toStdString());
    EXPECT_NE(nameOf(form->Label6), "La smorfia napoletana");

    // Manual mode: a second click on a number takes it back.
    form->Check2->click();
    form->Label1_Click(41);
    EXPECT_EQ(descriptionOf(form->Label1[41]), "non estratto");
    form->Check2->click();

    form->Command1_Click();
    EXPECT_EQ(descriptionOf(form->Label1[6]), "non estratto");
}

TEST_F(AccessibilityTest, ClickableLabelsArePressedWithoutAMouse)
{
    // Through the screen reader's press action.
    pressByAction(form->Label4[2]);
    EXPECT_FALSE(form->Label1[30]->inPlay());
    pressByAction(form->Label7);
    EXPECT_TRUE(form->Picture3->isVisible());
    pressByAction(form->Image2);
    EXPECT_EQ(urls.opened.size(), 1);

    // From the keyboard, once the label has the focus.
    form->Label4[2]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form->Label4[2], Qt::Key_Space);
    EXPECT_TRUE(form->Label1[30]->inPlay());
    QTest::keyClick(form->Label4[2], Qt::Key_Return);
    EXPECT_FALSE(form->Label1[30]->inPlay());
    QTest::keyClick(form->Label4[2], Qt::Key_A);
    EXPECT_FALSE(form->Label1[30]->inPlay());

    // A locked cartella label takes no press, however it comes.
    draw(1);
    pressByAction(form->Label4[2]);
    EXPECT_FALSE(form->Label1[30]->inPlay());
}

TEST_F(AccessibilityTest, TabWalksTheLeftColumnTopToBottom)
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
        EXPECT_EQ(nameOf(QApplication::focusWidget()), nameOf(column[step % stops])) << "Tab " << step;
    }
    for (int step = stops - 1; step >= 0; --step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        EXPECT_EQ(nameOf(QApplication::focusWidget()), nameOf(column[step])) << "Shift+Tab to " << step;
    }

    // Once the game is under way the cartelle are locked and Tab passes them by.
    draw(5);
    form->Check5->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form->Check5, Qt::Key_Tab);
    EXPECT_EQ(nameOf(QApplication::focusWidget()), "Ricomincia");
}
