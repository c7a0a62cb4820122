// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/url_opener.h"

// Opens a web address with the desktop's default browser.
class DesktopUrlOpener : public UrlOpener {
public:
    bool open(const QUrl &url) override;
};
