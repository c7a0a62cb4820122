#include "app/form1.h"
#include "platform/clock.h"
#include "platform/desktop_url_opener.h"
#include "platform/key_state_filter.h"
#include "platform/qt_settings_store.h"
#include "platform/queued_voice.h"
#include "platform/random_source.h"

#include <QApplication>
#include <QMessageBox>
#include <QStyleFactory>
#include <QTextToSpeech>

namespace {

void fail(const QString &message)
{
    QMessageBox::critical(nullptr, kWindowTitle, message);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(QStringLiteral("Sorteggina"));

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

    Form1 window({voice, store, keys, urls, random, clock});
    window.show();

    // The engine takes about a second to start: the window is usable meanwhile, and what
    // is spoken waits in the voice's queue.
    startSystemSpeechEngine(&window, [&](std::unique_ptr<SpeechEngine> engine, const QString &error) {
        if (!engine) {
            fail(error);
            QApplication::exit(1);
            return;
        }
        voice.attachEngine(std::move(engine));
    });
    return QApplication::exec();
}
