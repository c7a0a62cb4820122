// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/actions.h"

#include <QKeyEvent>

const Action *actionOfKey(const ActionTable &table, const QKeyEvent &event)
{
    const QKeyCombination pressed(event.modifiers() & ~Qt::KeypadModifier, Qt::Key(event.key()));
    for (const Action &action : table) {
        if (action.key.isEmpty() || (action.available && !action.available()))
            continue;
        const QKeyCombination key = action.key[0];
        if (action.gameKey ? key.key() == pressed.key() : key == pressed)
            return &action;
    }
    return nullptr;
}

QList<std::pair<QString, QString>> menuKeyTexts(const ActionTable &table)
{
    QList<std::pair<QString, QString>> texts;
    for (const Action &action : table) {
        if (!action.inMenu)
            continue;
        const QString key = action.key.toString(QKeySequence::NativeText);
        QString caption = action.caption;
        const QString named = QStringLiteral(" (%1)").arg(key);
        if (!key.isEmpty() && caption.endsWith(named))
            caption.chop(named.size());
        texts.append({caption, key});
    }
    return texts;
}
