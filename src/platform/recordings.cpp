// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/recordings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

namespace recordings {

QString folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Vellucario/voce");
}

QString fileName(int take)
{
    return take == kPhrase ? QStringLiteral("numero.flac") : QStringLiteral("%1.flac").arg(take);
}

QString path(int take) { return folder() + u'/' + fileName(take); }

int Loaded::count() const
{
    return int(std::count_if(takes.begin(), takes.end(), [](const auto &take) { return take.has_value(); }));
}

Loaded loadAll(int rate)
{
    Loaded loaded;
    for (int take = 0; take < kTakes; ++take) {
        const QFileInfo file(path(take));
        if (!file.exists())
            continue;
        AudioClip clip;
        QString error;
        // Bounded before it is read: a FLAC of ten seconds is well under 2 MB.
        if (!file.isFile() || file.size() > 4 * 1024 * 1024)
            error = QStringLiteral("not a file of a recording");
        else if (readClip(file.filePath(), &clip, &error))
            loaded.takes[std::size_t(take)] = fromFirstSound(resampled(clip, rate));
        if (!error.isEmpty())
            loaded.unreadable << QStringLiteral("%1 (%2)").arg(fileName(take), error);
    }
    return loaded;
}

} // namespace recordings
