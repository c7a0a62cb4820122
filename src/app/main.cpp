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
#include <QTimer>

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
        fail(QStringLiteral("Nessuna sintesi vocale disponibile.\n"
                            "Installare i pacchetti qt6-speech-speechd-plugin, speech-dispatcher "
                            "e speech-dispatcher-espeak-ng."));
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

    // Starting the engine blocks for about a second: do it once the window is on screen;
    // what is spoken meanwhile waits in the voice's queue.
    QTimer::singleShot(0, &window, [&] {
        QString error;
        auto engine = createSystemSpeechEngine(&error);
        if (!engine) {
            fail(error);
            QApplication::exit(1);
            return;
        }
        voice.attachEngine(std::move(engine));
    });
    return QApplication::exec();
}
