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

// Records every text handed to it, in order.
class FakeVoice : public Voice {
public:
    void speak(const QString &text) override { spoken << text; }
    QStringList takeSpoken()
    {
        QStringList out = spoken;
        spoken.clear();
        return out;
    }
    QStringList spoken;
};

// A settings store held in a map.
class MemoryStore : public SettingsStore {
public:
    QString read(const QString &key, const QString &defaultValue) override
    {
        return values.value(key, defaultValue);
    }
    void write(const QString &key, const QString &value) override
    {
        values[key] = value;
        ++writes;
    }
    QMap<QString, QString> values;
    int writes = 0;
};

// Answers from a script first, then from a seeded generator.
class FakeRandom : public RandomSource {
public:
    explicit FakeRandom(unsigned seed = 1) : engine(seed) {}
    int bounded(int bound) override
    {
        if (!script.empty()) {
            const int value = script.front();
            script.pop_front();
            return value % bound;
        }
        return std::uniform_int_distribution<int>(0, bound - 1)(engine);
    }
    std::deque<int> script;
    std::mt19937 engine;
};

class FakeClock : public Clock {
public:
    qint64 nowMs() const override { return now; }
    qint64 now = 1'000'000;
};

// Keys held down, and taps seen once since the previous query.
class FakeKeyState : public KeyState {
public:
    bool query(int code) override
    {
        const bool tapped = taps.contains(code);
        taps.remove(code);
        return down.contains(code) || tapped;
    }
    QSet<int> down;
    QSet<int> taps;
};

class FakeUrlOpener : public UrlOpener {
public:
    bool open(const QUrl &url) override
    {
        opened << url;
        return result;
    }
    QList<QUrl> opened;
    bool result = true;
};
