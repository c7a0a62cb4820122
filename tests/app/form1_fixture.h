#pragma once

#include "app/form1.h"
#include "app/widgets.h"
#include "fakes.h"
#include "platform/doubles.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// The window's voice: records every text in call order and queues it in front of a
// ScriptedEngine that finishes each at once unless a test says otherwise. `leftQueue`
// lists the texts in the order they left the queue, spoken or pushed out.
class RecordingVoice : public Voice {
public:
    explicit RecordingVoice(const Clock &clock) : queue(&clock)
    {
        auto owned = std::make_unique<ScriptedEngine>();
        engine = owned.get();
        engine->outcome = [](const QString &) { return ScriptedEngine::Finish; };
        engine->handedOver = &leftQueue;
        queue.attachEngine(std::move(owned));
        QObject::connect(&queue, &QueuedVoice::textDropped, [this](const QString &text, const QString &why) {
            ++dropped;
            if (why.contains(QStringLiteral("waiting")))
                leftQueue << text;
        });
    }
    void speak(const QString &text) override
    {
        said << text;
        if (!text.trimmed().isEmpty())
            queued << text;
        queue.speak(text);
    }
    QStringList take() { return std::exchange(said, {}); }
    // Lets time pass until every text has been spoken or given up.
    void drain(FakeClock &clock)
    {
        for (int round = 0; round < 100000 && (queue.isSpeaking() || queue.waitingCount() > 0); ++round) {
            engine->finishLate();
            clock.now += 10'000'000;
            queue.checkStuck();
        }
    }

    QueuedVoice queue;
    ScriptedEngine *engine;
    QStringList said, queued, leftQueue;
    int dropped = 0;
};

// A window on fakes of the platform, shown offscreen at its design size.
struct Window {
    explicit Window(SettingsStore *otherStore = nullptr) { open(otherStore); }
    void open(SettingsStore *otherStore = nullptr, KeyState *otherKeys = nullptr)
    {
        form.reset();
        form = std::make_unique<Form1>(
            Platform{voice, otherStore ? *otherStore : store, otherKeys ? *otherKeys : keys, urls, random, clock});
        form->show();
        form->resize(1143, 734);
        voice.said.clear();
    }
    // Draws until the board is full, clearing the tombola box whenever it stops the drawing.
    void drawTheWholeBoard(const std::function<void()> &afterEachDraw = [] {})
    {
        for (int press = 0; press < 200 && form->state().drawnCount() < tabellone::kCells; ++press) {
            if (form->state().tombolaOut())
                QTest::mouseClick(form->Check1[tabellone::kTombola], Qt::LeftButton);
            form->Command2_Click();
            afterEachDraw();
        }
    }

    FakeClock clock;
    RecordingVoice voice{clock};
    MemoryStore store;
    FakeKeyState keys;
    FakeUrlOpener urls;
    FakeRandom random;
    std::unique_ptr<Form1> form;
};

class Form1Test : public ::testing::Test, public Window {};

inline void pressByScreenReader(QWidget *widget)
{
    QAccessibleActionInterface *actions = QAccessible::queryAccessibleInterface(widget)->actionInterface();
    actions->doAction(QAccessibleActionInterface::pressAction());
}
inline QColor textColour(QWidget *w) { return w->palette().color(QPalette::WindowText); }
inline QColor backColour(QWidget *w) { return w->palette().color(QPalette::Window); }
