#pragma once

#include "platform/clock.h"
#include "platform/key_state.h"
#include "platform/random_source.h"
#include "platform/settings_store.h"
#include "platform/url_opener.h"
#include "platform/voice.h"

#include <QMap>
#include <QSet>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <random>
#include <utility>

// Records every text handed to it, in order.
struct FakeVoice : Voice {
    void speak(const QString &text) override { spoken << text; }
    QStringList takeSpoken() { return std::exchange(spoken, {}); }
    QStringList spoken;
};

struct MemoryStore : SettingsStore {
    QString read(const QString &key, const QString &fallback) override { return values.value(key, fallback); }
    void write(const QString &key, const QString &value) override
    {
        values[key] = value;
        ++writes;
    }
    QMap<QString, QString> values;
    int writes = 0;
};

// Answers from a script first, then from a seeded generator.
struct FakeRandom : RandomSource {
    explicit FakeRandom(unsigned seed = 1) : engine(seed) {}
    int bounded(int bound) override
    {
        if (script.empty())
            return std::uniform_int_distribution<int>(0, bound - 1)(engine);
        const int value = script.front();
        script.pop_front();
        return value % bound;
    }
    std::deque<int> script;
    std::mt19937 engine;
};

struct FakeClock : Clock {
    qint64 nowMs() const override { return now; }
    qint64 now = 1'000'000;
};

// Keys held down, and taps seen once since the previous query.
struct FakeKeyState : KeyState {
    bool query(int code) override { return taps.remove(code) || down.contains(code); }
    QSet<int> down;
    QSet<int> taps;
};

struct FakeUrlOpener : UrlOpener {
    bool open(const QUrl &url) override
    {
        opened << url;
        return result;
    }
    QList<QUrl> opened;
    bool result = true;
};
