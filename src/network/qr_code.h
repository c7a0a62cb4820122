// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

namespace network {

// The text as a QR code, black on white with the quiet zone around it, each module
// `moduleSize` pixels; a null image if the text cannot be encoded.
QImage qrCodeImage(const QString &text, int moduleSize = 6);

} // namespace network
