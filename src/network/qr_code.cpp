// SPDX-License-Identifier: GPL-3.0-or-later
#include "network/qr_code.h"

#include <qrencode.h>

#include <memory>

namespace network {

QImage qrCodeImage(const QString &text, int moduleSize)
{
    constexpr int kQuietModules = 4;
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(text.toUtf8().constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code || moduleSize < 1)
        return {};
    const int side = (code->width + 2 * kQuietModules) * moduleSize;
    QImage image(side, side, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                for (int dy = 0; dy < moduleSize; ++dy) {
                    uchar *line = image.scanLine((y + kQuietModules) * moduleSize + dy);
                    std::fill_n(line + (x + kQuietModules) * moduleSize, moduleSize, uchar(0));
                }
    return image;
}

} // namespace network
