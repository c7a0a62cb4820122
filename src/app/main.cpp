#include "app/board_window.h"
#include "app/lifetime.h"
#include "cartelle/command_line.h"
#include "platform/clock.h"
#include "platform/desktop_url_opener.h"
#include "platform/key_state_filter.h"
#include "platform/qt_settings_store.h"
#include "platform/queued_voice.h"
#include "platform/random_source.h"
#include "platform/single_instance.h"

#include <QApplication>
#include <QMessageBox>
#include <QStyleFactory>
#include <QTextToSpeech>
#include <QTimer>
#include <functional>
#include <utility>

namespace {

void fail(const QString &message)
{
    QMessageBox::critical(nullptr, kWindowTitle, message);
}

// Runs `then` once, after the watched widget has first been painted.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget *watched, std::function<void()> then)
        : QObject(watched), then_(std::move(then))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && then_) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, std::exchange(then_, nullptr));
        }
        return false;
    }

private:
    std::function<void()> then_;
};

} // namespace

int main(int argc, char **argv)
{
    // Printing cartelle from the command line needs fonts, no window.
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--cartelle") == 0 || qstrcmp(argv[i], "--pdf") == 0) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            QGuiApplication app(argc, argv);
            return cartelle::runCartelleCommandLine(QCoreApplication::arguments());
        }

    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(QStringLiteral("Sorteggina"));
    // A second start shows the running copy and writes nothing of its own.
    SingleInstance instance;
    if (!instance.claim())
        return 0;
    quitOnTerminationSignals();

    // Without any speech engine there is no voice to call the numbers: say what to install.
    if (QTextToSpeech::availableEngines().isEmpty()) {
        fail(kNoEngineMessage);
        return 1;
    }

    QueuedVoice voice;
    QtSettingsStore store;
    KeyStateFilter keys;
    app.installEventFilter(&keys);
    DesktopUrlOpener urls;
    SystemRandomSource random;
    SteadyClock clock;

    BoardWindow window({voice, store, keys, urls, random, clock});
    window.show();
    quitWhenWindowDestroyed(&window);
    QObject::connect(&instance, &SingleInstance::showRequested, &window, [&window] {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
    });

    // The engine takes about a second of work to start: begin once the window is on screen.
    // The window is usable meanwhile, and what is spoken waits in the voice's queue.
    new AfterFirstPaint(&window, [&] {
        startSystemSpeechEngine(&window, [&](std::unique_ptr<SpeechEngine> engine, const QString &error) {
            if (!engine) {
                fail(error);
                QApplication::exit(1);
                return;
            }
            voice.attachEngine(std::move(engine));
        });
    });
    return QApplication::exec();
}
