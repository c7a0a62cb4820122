// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>
#include <QStringList>

// The program's own messages of one category, while it lives.
struct LogCapture {
    static inline QStringList messages;
    static inline const char *wanted = nullptr;
    explicit LogCapture(const char *category, const QString &rules = {})
    {
        messages.clear();
        wanted = category;
        QLoggingCategory::setFilterRules(rules);
        previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &text) {
            if (qstrcmp(context.category, wanted) == 0)
                messages << text;
        });
    }
    ~LogCapture() { qInstallMessageHandler(previous), QLoggingCategory::setFilterRules({}); }
    QtMessageHandler previous;
};
