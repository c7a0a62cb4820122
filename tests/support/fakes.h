// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/clock.h"
#include "platform/key_state.h"
#include "platform/random_source.h"
#include "platform/settings_store.h"
#include "platform/url_opener.h"
#include "platform/voice.h"

#include <QHash>
#include <QMap>
#include <QStringList>
#include <QUrl>
#include <random>
#include <utility>

// Records every text handed to it, in order; speaking until told it has finished.
struct FakeVoice : Voice {
    void speak(const QString &text) override
    {
        spoken << text;
        speaking = holdsTexts;
    }
    bool isSpeaking() const override { return speaking; }
    bool holdsTexts = false;
    bool speaking = false;
    QStringList take() { return std::exchange(spoken, {}); }
    QStringList spoken;
};

struct MemoryStore : SettingsStore {
    QString read(const QString &path, const QString &fallback) override { return values.value(path, fallback); }
    void writeAll(std::initializer_list<std::pair<QString, QString>> written) override
    {
        for (const auto &[path, value] : written)
            values[path] = value;
        ++writes;
    }
    void remove(const QString &path) override { values.remove(path); }
    QMap<QString, QString> values;
    int writes = 0;
};

// A seeded generator: the same draws on every run.
struct FakeRandom : RandomSource {
    explicit FakeRandom(unsigned seed = 1) : engine(seed) { }
    int bounded(int bound) override { return std::uniform_int_distribution<int>(0, bound - 1)(engine); }
    std::mt19937 engine;
};

struct FakeClock : Clock {
    qint64 nowMs() const override { return now; }
    qint64 now = 1'000'000;
};

// Presses since the last reading, and the keys held down.
struct FakeKeyState : KeyState {
    Reading read(int code) override { return {presses.take(code), down.contains(code)}; }
    QHash<int, int> presses;
    QHash<int, bool> down;
};

struct FakeUrlOpener : UrlOpener {
    bool open(const QUrl &url) override
    {
        opened << url;
        return true;
    }
    QList<QUrl> opened;
};
