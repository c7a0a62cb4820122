// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QUrl>

// The desktop's service that shows a web address in the user's browser.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual bool open(const QUrl &url) = 0;
};
