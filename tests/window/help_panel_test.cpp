#include "window/help_panel.h"

#include <gtest/gtest.h>

namespace {

TEST(HelpPanel, QuestionMarkTogglesAndOtherEventsHide)
{
    HelpPanel panel;
    EXPECT_FALSE(panel.visible());
    EXPECT_FLOAT_EQ(panel.position().left, 6360.0f);

    panel.Label7_Click();
    EXPECT_TRUE(panel.visible());
    EXPECT_FLOAT_EQ(panel.position().left, 100.0f);
    EXPECT_FLOAT_EQ(panel.position().top, 100.0f);
    panel.Label7_Click();
    EXPECT_FALSE(panel.visible());

    panel.Label7_Click();
    panel.Picture3_Click();
    EXPECT_FALSE(panel.visible());

    panel.Label7_Click();
    panel.hide();
    EXPECT_FALSE(panel.visible());
    panel.Label7_Click();
    EXPECT_TRUE(panel.visible());
}

TEST(HelpPanel, LogoOpensTheMakerPage)
{
    const QUrl url = makerPageUrl();
    ASSERT_TRUE(url.isValid());
    EXPECT_EQ(url.host(), kMakerHost);
    EXPECT_EQ(url.path(), QStringLiteral("/ftp/"));
    EXPECT_EQ(url.query(), QStringLiteral("tombola"));
    EXPECT_EQ(url.toString(), QStringLiteral("http://www.orvanet.it/ftp/?tombola"));
}

} // namespace
