#include "window/help_panel.h"

QUrl makerPageUrl()
{
    return QUrl(QStringLiteral("http://") + kMakerHost + QStringLiteral("/ftp/?tombola"));
}

void HelpPanel::Label7_Click()
{
    // Every click moves the panel, also the one that hides it.
    position_ = kHelpShownPlace;
    visible_ = !visible_;
}

void HelpPanel::Picture3_Click() { hide(); }

void HelpPanel::hide() { visible_ = false; }
