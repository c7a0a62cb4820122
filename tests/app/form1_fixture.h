#pragma once

#include "app/form1.h"
#include "app/widgets.h"
#include "fakes.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// A window on fakes of the platform, shown offscreen at its design size.
class Form1Test : public ::testing::Test {
protected:
    void SetUp() override { open(); }

    void open()
    {
        form.reset();
        form = std::make_unique<Form1>(Platform{voice, store, keys, urls, random, clock});
        form->show();
        form->resize(1143, 734);
        voice.spoken.clear();
    }

    static QColor textColour(QWidget *w) { return w->palette().color(QPalette::WindowText); }
    static QColor backColour(QWidget *w) { return w->palette().color(QPalette::Window); }

    FakeVoice voice;
    MemoryStore store;
    FakeKeyState keys;
    FakeUrlOpener urls;
    FakeRandom random;
    FakeClock clock;
    std::unique_ptr<Form1> form;
};
