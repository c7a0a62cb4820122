#pragma once

#include "platform/queued_voice.h"

#include <QLoggingCategory>
#include <QStringList>
#include <functional>
#include <utility>

// A speech engine that ends each text as the test chooses: at once, when finishLate is
// called, with an error, or never.
class ScriptedEngine : public SpeechEngine {
public:
    enum Outcome { Finish, Late, Fail, Hang };

    void say(const QString &text) override
    {
        said << text;
        if (handedOver)
            *handedOver << text;
        late_ = false;
        switch (outcome ? outcome(text) : Late) {
        case Finish: onReady(); break;
        case Fail: onError(QStringLiteral("synthesis failed")); break;
        case Late: late_ = true; break;
        case Hang: break;
        }
    }
    void finishLate()
    {
        if (std::exchange(late_, false))
            onReady();
    }

    std::function<Outcome(const QString &)> outcome;
    QStringList said;
    QStringList *handedOver = nullptr;

private:
    bool late_ = false;
};

// The program's own log messages ("sorteggina.*") while it lives, under the given rules.
struct LogCapture {
    static inline QList<std::pair<QString, QString>> messages; // category, text

    explicit LogCapture(const QString &rules = {})
    {
        messages.clear();
        QLoggingCategory::setFilterRules(rules);
        previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &text) {
            if (QLatin1String(context.category).startsWith(QLatin1String("sorteggina.")))
                messages.append({QString::fromLatin1(context.category), text});
        });
    }
    ~LogCapture()
    {
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules({});
    }
    QStringList texts(const QString &category) const
    {
        QStringList out;
        for (const auto &[from, text] : messages)
            if (from == category)
                out << text;
        return out;
    }
    QtMessageHandler previous;
};
