// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/speech_text.h"

#include <algorithm>

namespace {

bool isControl(char16_t c) { return c < 0x20 || (c >= 0x7f && c < 0xa0); }

} // namespace

QString escapedControls(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (isControl(c.unicode()))
            out += QStringLiteral("\\x%1").arg(int(c.unicode()), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QByteArray spokenUtf8(QString text)
{
    std::replace_if(
        text.begin(), text.end(), [](QChar c) { return isControl(c.unicode()); }, QChar(u' '));
    return text.toUtf8();
}

QStringList italianVoices(const QString &reply)
{
    QStringList voices;
    for (const QString &line : reply.split(QStringLiteral("\r\n"))) {
        const QStringList fields = line.mid(4).split(u'\t');
        if (line.startsWith(QLatin1String("249-")) && fields.size() >= 2 &&
            (fields[1] == QLatin1String("it") || fields[1].startsWith(QLatin1String("it-"))))
            voices << fields[0];
    }
    return voices;
}

size_t clientIdOf(const char *reply) { return QByteArray(reply).mid(4).split('\r').value(0).toULong(); }
