#include "window/help_panel.h"

#include <gtest/gtest.h>

TEST(HelpPanel, QuestionMarkTogglesAndOtherEventsHide)
{
    HelpPanel panel;
    EXPECT_FALSE(panel.visible());
    EXPECT_FLOAT_EQ(panel.position().left, 6360.0f);
    QString shown;
    for (auto event :
         {&HelpPanel::Label7_Click, &HelpPanel::Label7_Click, &HelpPanel::Label7_Click, &HelpPanel::Picture3_Click,
          &HelpPanel::Picture3_Click, &HelpPanel::Label7_Click, &HelpPanel::hide, &HelpPanel::hide,
          &HelpPanel::Label7_Click}) {
        (panel.*event)();
        shown += panel.visible() ? '1' : '0';
    }
    EXPECT_EQ(shown, "101001001");
    EXPECT_EQ(std::pair(panel.position().left, panel.position().top), std::pair(100.0f, 100.0f));
}

TEST(HelpPanel, LogoOpensTheMakerPage)
{
    EXPECT_EQ(makerPageUrl(), QUrl("http://www.orvanet.it/ftp/?tombola"));
}
