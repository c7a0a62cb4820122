// SPDX-License-Identifier: GPL-3.0-or-later
// In-process figures on the real window, offscreen, each next to a baseline:
//   draw cycle  a draw with its announcement queued, the prize check and the
//               synced save to a real settings file; baseline a bare QSettings write.
//   layout      the resize handler at several window sizes; baseline the same number
//               of setGeometry calls on plain widgets.
//   voice path  from a Down press reaching the keyboard poll to the text reaching the
//               voice; baseline a text handed straight to the voice.
//   repaint     a full repaint of the board at two sizes.
// The draw cycle and the repaint also with the players' screen open (the "Hall" names):
// a draw then updates both windows, and both boards repaint.
// Every iteration is timed on its own (manual time); the counters median_us, p90_us, p99_us
// and max_us summarise those samples. No figure is checked here: run_bench.py reports.
#include "gui/board_view.h"
#include "gui/board_window.h"
#include "gui/hall_window.h"
#include "gui/more_menu.h"
#include "input/keyboard_poll.h"
#include "layout/board_layout.h"
#include "platform/clock.h"
#include "platform/key_state_filter.h"
#include "platform/qt_settings_store.h"
#include "platform/random_source.h"
#include "platform/url_opener.h"
#include "platform/voice.h"
#include "session/phone_link.h"

#include <benchmark/benchmark.h>

#include "evening/evening_store.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QRandomGenerator>
#include <QResizeEvent>
#include <QSettings>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace {

using Clocked = std::chrono::steady_clock;

double secondsBetween(Clocked::time_point from, Clocked::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// Median, 90th and 99th percentiles and maximum of the samples (seconds), in microseconds.
void report(benchmark::State &state, std::vector<double> samples)
{
    if (samples.empty())
        return;
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) {
        const size_t rank = size_t(std::ceil(q * double(samples.size())));
        return samples[std::clamp<size_t>(rank, 1, samples.size()) - 1] * 1e6;
    };
    state.counters["median_us"] = at(0.5);
    state.counters["p90_us"] = at(0.9);
    state.counters["p99_us"] = at(0.99);
    state.counters["max_us"] = samples.back() * 1e6;
    state.counters["samples"] = double(samples.size());
}

// A voice that takes every text at once, noting when the first one came.
class InstantVoice : public Voice {
public:
    explicit InstantVoice(Clocked::time_point *lastSay) : lastSay_(lastSay) { }
    void speak(const QString &) override
    {
        if (lastSay_->time_since_epoch().count() == 0)
            *lastSay_ = Clocked::now();
    }

private:
    Clocked::time_point *lastSay_;
};

class NoUrls : public UrlOpener {
public:
    bool open(const QUrl &) override { return true; }
};

// A settings store held in memory, to tell the disk's share of a draw apart.
class MemoryStore : public SettingsStore {
public:
    explicit MemoryStore(QMap<QString, QString> stored = {}) : values(std::move(stored)) { }
    QString read(const QString &key, const QString &defaultValue) override { return values.value(key, defaultValue); }
    void writeAll(std::initializer_list<std::pair<QString, QString>> written) override
    {
        for (const auto &[key, value] : written)
            values[key] = value;
    }
    QMap<QString, QString> values;
};

// The window with its resize handler timed exactly as the resize event runs it.
class TimedForm : public BoardWindow {
public:
    using BoardWindow::BoardWindow;
    QSize timedSize;
    std::vector<double> samples;

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        const auto start = Clocked::now();
        BoardWindow::resizeEvent(event);
        const auto end = Clocked::now();
        if (event->size() == timedSize)
            samples.push_back(secondsBetween(start, end));
    }
};

// The window with the program's own platform services, the voice replaced by one that
// finishes at once and the settings file in a folder of its own; with `hall`, the players'
// screen open too (F7's action).
struct Program {
    explicit Program(bool memoryStore = false, bool hall = false, QMap<QString, QString> stored = {})
        : diskStore(dir.filePath(QStringLiteral("Vellucario.conf"))), memory(std::move(stored)), evenings(dir.path()),
          window({voice, memoryStore ? static_cast<SettingsStore &>(memory) : diskStore, keys, urls, random, clock,
              memoryStore ? nullptr : &evenings})
    {
        qApp->installEventFilter(&keys);
        window.show();
        QApplication::processEvents();
        if (hall) {
            window.toggleHall();
            QApplication::processEvents();
        }
    }
    ~Program() { qApp->removeEventFilter(&keys); }

    QTemporaryDir dir;
    Clocked::time_point lastSay{};
    InstantVoice voice{&lastSay};
    QtSettingsStore diskStore;
    MemoryStore memory;
    EveningStore evenings; // on disk with the settings, none with the memory store
    KeyStateFilter keys;
    NoUrls urls;
    SystemRandomSource random;
    SteadyClock clock;
    TimedForm window;
};

constexpr int kDraws = 3600;
constexpr int kCells = 90;

// A board ends at the tombola (the owner plays every cartella) or when all is drawn.
bool boardOver(BoardWindow &window)
{
    return window.caller().game().tombolaOut() || window.caller().game().drawnCount() == kCells;
}

// between runs untimed after each draw, timedToo timed with it.
void timeDraws(benchmark::State &state, BoardWindow &window, const std::function<void()> &between = {},
    const std::function<void()> &timedToo = {});

void drawCycle(benchmark::State &state, bool memoryStore, bool hall = false)
{
    Program program(memoryStore, hall);
    BoardWindow &window = program.window;
    if (hall && !(window.parts().more->hall() && window.parts().more->hall()->isVisible())) {
        state.SkipWithError("the players' screen did not open");
        return;
    }
    timeDraws(state, window);
}

// With the players' phones on at SORTEGGINA_BENCH_PORT and SORTEGGINA_BENCH_PHONES of them
// connected first: bench/phones_load.py runs it and connects them.
void BM_DrawCyclePhones(benchmark::State &state)
{
    const QString port = qEnvironmentVariable("SORTEGGINA_BENCH_PORT");
    if (port.isEmpty()) {
        state.SkipWithError("run by bench/phones_load.py");
        return;
    }
    Program program(true, false,
        {{QStringLiteral("Rete/Attiva"), QStringLiteral("true")}, {QStringLiteral("Rete/Porta"), port},
            {QStringLiteral("Rete/Codice"), QStringLiteral("0123456789abcdef0123456789abcdef")}});
    const int phones = qEnvironmentVariableIntValue("SORTEGGINA_BENCH_PHONES");
    QElapsedTimer waited;
    waited.start();
    while (program.window.phones().phoneCount() < phones && waited.elapsed() < 60'000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    if (program.window.phones().phoneCount() < phones) {
        state.SkipWithError("the phones did not connect");
        return;
    }
    timeDraws(state, program.window);
}

// [Remoto] on towards SORTEGGINA_BENCH_BROKER ("off": stored off): bench/broker_load.py runs it
// with a broker that answers, one behind a slow proxy, and an address where nothing listens.
// The events between draws run untimed, so the link does its work as in the program.
void BM_DrawCycleBroker(benchmark::State &state)
{
    const QString broker = qEnvironmentVariable("SORTEGGINA_BENCH_BROKER");
    if (broker.isEmpty()) {
        state.SkipWithError("run by bench/broker_load.py");
        return;
    }
    const bool on = broker != QLatin1String("off");
    Program program(true, false,
        {{QStringLiteral("Remoto/Attiva"), on ? QStringLiteral("true") : QStringLiteral("false")},
            {QStringLiteral("Remoto/Broker"), on ? broker : QString()},
            {QStringLiteral("Remoto/Stanza"), QStringLiteral("bench")}});
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 3000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    timeDraws(state, program.window, [] { QApplication::processEvents(); });
}

void timeDraws(benchmark::State &state, BoardWindow &window, const std::function<void()> &between,
    const std::function<void()> &timedToo)
{
    // One board untimed, so that first-use costs do not count.
    while (!boardOver(window))
        window.drawNumber();

    std::vector<double> samples;
    samples.reserve(kDraws);
    for (auto _ : state) {
        if (boardOver(window))
            window.caller().startNewGame();
        const int before = window.caller().game().drawnCount();
        const auto start = Clocked::now();
        window.drawNumber();
        if (timedToo)
            timedToo();
        const auto end = Clocked::now();
        if (window.caller().game().drawnCount() != before + 1) {
            state.SkipWithError("no number was drawn");
            break;
        }
        state.SetIterationTime(secondsBetween(start, end));
        samples.push_back(secondsBetween(start, end));
        if (between)
            between();
    }
    report(state, std::move(samples));
}

void BM_DrawCycle(benchmark::State &state) { drawCycle(state, false); }
void BM_DrawCycleMemoryStore(benchmark::State &state) { drawCycle(state, true); }
void BM_DrawCycleHall(benchmark::State &state) { drawCycle(state, false, true); }

// A draw until its saved game is on the disk too, not only its evening's row.
void BM_DrawToDisk(benchmark::State &state)
{
    Program program;
    timeDraws(state, program.window, {}, [&program] { program.diskStore.flush(); });
}

// The saved draw's text after each draw of a board drawn in a random order.
std::vector<QString> savedDrawTexts()
{
    std::vector<int> order(kCells);
    for (int i = 0; i < kCells; ++i)
        order[i] = i;
    std::shuffle(order.begin(), order.end(), *QRandomGenerator::global());
    std::vector<QString> texts;
    for (int drawn = 1; drawn <= kCells; ++drawn) {
        std::vector<int> cells(order.begin(), order.begin() + drawn);
        std::sort(cells.begin(), cells.end());
        QString text = QStringLiteral("0-0-0-0-0-1-1-1-1-1-1-");
        for (int cell : cells)
            text += QString::number(cell) + QLatin1Char('-');
        texts.push_back(text);
    }
    return texts;
}

void BM_QSettingsWrite(benchmark::State &state)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("Vellucario.conf")), QSettings::IniFormat);
    const std::vector<QString> texts = savedDrawTexts();
    for (const QString &text : texts) {
        settings.setValue(QStringLiteral("Settaggio/SalvaUlt"), text);
        settings.sync();
    }
    std::vector<double> samples;
    samples.reserve(kDraws);
    size_t next = 0;
    for (auto _ : state) {
        const QString &text = texts[next];
        next = (next + 1) % texts.size();
        const auto start = Clocked::now();
        settings.setValue(QStringLiteral("Settaggio/SalvaUlt"), text);
        settings.sync();
        const auto end = Clocked::now();
        state.SetIterationTime(secondsBetween(start, end));
        samples.push_back(secondsBetween(start, end));
    }
    report(state, std::move(samples));
}

// The design client area, the size every timed resize starts from.
const QSize kDesignSize(1143, 734);

QSize sizeOf(const benchmark::State &state) { return QSize(int(state.range(0)), int(state.range(1))); }

void BM_Layout(benchmark::State &state)
{
    Program program;
    TimedForm &window = program.window;
    const QSize target = sizeOf(state);
    window.timedSize = target;
    for (auto _ : state) {
        window.resize(kDesignSize);
        QApplication::processEvents();
        const size_t before = window.samples.size();
        window.resize(target);
        QApplication::processEvents();
        if (window.samples.size() != before + 1 || window.size() != target) {
            state.SkipWithError("the window did not take the size");
            break;
        }
        state.SetIterationTime(window.samples.back());
    }
    report(state, window.samples);
}

// Plain widgets in the board's arrangement: the panel, 90 cells, 7 bars, the smorfia line.
void BM_LayoutPlainWidgets(benchmark::State &state)
{
    const QSize target = sizeOf(state);
    QWidget top;
    top.resize(target);
    auto *panel = new QWidget(&top);
    std::vector<QWidget *> cells, bars;
    for (int i = 0; i < kCells; ++i)
        cells.push_back(new QWidget(panel));
    for (int k = 0; k < kBars; ++k)
        bars.push_back(new QWidget(panel));
    auto *line = new QWidget(&top);
    top.show();
    QApplication::processEvents();

    const float dpi = float(top.logicalDpiY());
    struct Layout {
        TwipsRect panel;
        BoardGeometry board;
        QPointF line;
    };
    const auto layoutFor = [&](QSize size) {
        const float height = pixelsToTwips(size.height(), dpi);
        const TwipsRect panel = boardPanel(pixelsToTwips(size.width(), dpi), height, {});
        return Layout{panel, boardGeometry(panel.width, panel.height), smorfiaLinePlace(panel, height)};
    };
    const auto apply = [&](const Layout &layout) {
        panel->setGeometry(toPixels(layout.panel, dpi));
        for (int i = 0; i < kCells; ++i)
            cells[i]->setGeometry(toPixels(layout.board.cells[i], dpi));
        for (int k = 0; k < kBars; ++k)
            bars[k]->setGeometry(toPixels(layout.board.bars[k], dpi));
        line->move(twipsToPixels(layout.line.x(), dpi), twipsToPixels(layout.line.y(), dpi));
    };
    const Layout design = layoutFor(kDesignSize);
    const Layout wanted = layoutFor(target);

    std::vector<double> samples;
    for (auto _ : state) {
        apply(design);
        QApplication::processEvents();
        const auto start = Clocked::now();
        apply(wanted);
        const auto end = Clocked::now();
        QApplication::processEvents();
        state.SetIterationTime(secondsBetween(start, end));
        samples.push_back(secondsBetween(start, end));
    }
    report(state, std::move(samples));
}

// The key-state filter counts keys only while the program is active.
bool makeActive(Program &program)
{
    program.window.activateWindow();
    QApplication::processEvents();
    if (program.keys.applicationActive())
        return true;
    QObject target;
    target.installEventFilter(&program.keys);
    QApplicationStateChangeEvent active(Qt::ApplicationActive);
    QCoreApplication::sendEvent(&target, &active);
    return program.keys.applicationActive();
}

void BM_VoicePath(benchmark::State &state)
{
    Program program;
    if (!makeActive(program)) {
        state.SkipWithError("the key-state filter stays inactive");
        return;
    }
    constexpr int kDown = 40;
    std::vector<double> samples;
    for (auto _ : state) {
        if (boardOver(program.window))
            program.window.caller().startNewGame();
        program.lastSay = {};
        const auto start = Clocked::now();
        program.keys.feed(kDown, true);
        program.window.keyboardPoll().tick();
        const auto said = program.lastSay;
        program.keys.feed(kDown, false);
        program.window.keyboardPoll().tick();
        if (said.time_since_epoch().count() == 0) {
            state.SkipWithError("the press did not reach the voice");
            break;
        }
        state.SetIterationTime(secondsBetween(start, said));
        samples.push_back(secondsBetween(start, said));
    }
    report(state, std::move(samples));
}

void BM_VoiceSpeak(benchmark::State &state)
{
    Program program;
    std::vector<double> samples;
    int number = 0;
    for (auto _ : state) {
        const QString text = QStringLiteral("È uscito il numero ") + QString::number(number % 90 + 1);
        ++number;
        program.lastSay = {};
        const auto start = Clocked::now();
        program.voice.speak(text);
        const auto said = program.lastSay;
        state.SetIterationTime(secondsBetween(start, said));
        samples.push_back(secondsBetween(start, said));
    }
    report(state, std::move(samples));
}

// An image as the backing store of `widget` gets it at that pixel ratio.
QImage backingImage(const QWidget *widget, qreal ratio)
{
    QImage image(widget->size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    return image;
}

// A full repaint of the board panel (cells, numbers, bars) at a window size and pixel
// ratio, into an image as the backing store gets it; a few numbers drawn in red. With
// `hall`, what a draw repaints when the players' screen is open, as full screen on a second
// screen of the same size: the caller's board and the whole players' screen (its board,
// the large last number and its side panel). The counter hall_median_us is the players'
// screen's part.
void boardRepaint(benchmark::State &state, bool hall)
{
    Program program(false, hall);
    BoardWindow &window = program.window;
    HallWindow *players = hall ? window.parts().more->hall() : nullptr;
    if (hall && !(players && players->isVisible())) {
        state.SkipWithError("the players' screen did not open");
        return;
    }
    const qreal ratio = qreal(state.range(2));
    const QSize size = QSize(int(state.range(0)), int(state.range(1))) / ratio;
    window.resize(size);
    if (players)
        players->resize(size);
    QApplication::processEvents();
    for (int draw = 0; draw < 12; ++draw)
        window.drawNumber();
    QApplication::processEvents();
    QImage image = backingImage(window.parts().board, ratio);
    QImage hallImage = players ? backingImage(players, ratio) : QImage();
    // First use: pictures made, not timed.
    window.parts().board->render(&image);
    if (players)
        players->render(&hallImage);
    std::vector<double> samples, hallSamples;
    for (auto _ : state) {
        const auto start = Clocked::now();
        window.parts().board->render(&image);
        const auto boardDone = Clocked::now();
        if (players)
            players->render(&hallImage);
        const auto end = Clocked::now();
        state.SetIterationTime(secondsBetween(start, end));
        samples.push_back(secondsBetween(start, end));
        hallSamples.push_back(secondsBetween(boardDone, end));
    }
    if (players) {
        std::sort(hallSamples.begin(), hallSamples.end());
        state.counters["hall_median_us"] = hallSamples[hallSamples.size() / 2] * 1e6;
    }
    report(state, std::move(samples));
}

void BM_BoardRepaint(benchmark::State &state) { boardRepaint(state, false); }
void BM_BoardRepaintHall(benchmark::State &state) { boardRepaint(state, true); }

// From the smallest common screen the window fits (its minimum height is 687 px at 96 dpi).
void windowSizes(benchmark::internal::Benchmark *b)
{
    for (auto [w, h] : {std::pair{1024, 768}, {1280, 1024}, {1920, 1080}, {3840, 2160}})
        b->Args({w, h});
    b->ArgNames({"w", "h"});
}

} // namespace

BENCHMARK(BM_DrawCycle)->UseManualTime()->Iterations(kDraws)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawCycleMemoryStore)->UseManualTime()->Iterations(kDraws)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawCycleHall)->UseManualTime()->Iterations(kDraws)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawToDisk)->UseManualTime()->Iterations(kDraws)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawCyclePhones)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawCycleBroker)->UseManualTime()->Iterations(900)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QSettingsWrite)->UseManualTime()->Iterations(kDraws)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Layout)->Apply(windowSizes)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayoutPlainWidgets)->Apply(windowSizes)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BoardRepaint)
    ->Args({1920, 1080, 1})
    ->Args({3840, 2160, 2})
    ->ArgNames({"w", "h", "scale"})
    ->UseManualTime()
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BoardRepaintHall)
    ->Args({1920, 1080, 1})
    ->Args({3840, 2160, 2})
    ->ArgNames({"w", "h", "scale"})
    ->UseManualTime()
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VoicePath)->UseManualTime()->Iterations(kDraws)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VoiceSpeak)->UseManualTime()->Iterations(kDraws)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
