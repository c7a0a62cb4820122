// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop_url_opener.h"

#include <QDesktopServices>

bool DesktopUrlOpener::open(const QUrl &url) { return QDesktopServices::openUrl(url); }
