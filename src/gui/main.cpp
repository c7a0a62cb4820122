// SPDX-License-Identifier: GPL-3.0-or-later
#include "announcer/recorded_voice.h"
#include "caller/stored.h"
#include "cartelle/command_line.h"
#include "evening/evening_store.h"
#include "evening/season.h"
#include "gui/board_window.h"
#include "gui/recording_dialog.h"
#include "gui/voice_dialog.h"
#include "platform/clip_player.h"
#include "platform/clock.h"
#include "platform/desktop_url_opener.h"
#include "platform/font_warm_up.h"
#include "platform/key_state_filter.h"
#include "platform/lifetime.h"
#include "platform/qt_settings_store.h"
#include "platform/random_source.h"
#include "platform/single_instance.h"
#include "platform/speech_dispatcher_voice.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTranslator>
#include <QWindow>

int main(int argc, char **argv)
{
    // Read before Qt starts, so that --help and --version need no display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    const cartelle::CommandLine command = cartelle::readCommandLine(arguments);
    using Action = cartelle::CommandLine::Action;
    if (command.action == Action::PrintCartelle || command.action == Action::ListEvenings ||
        command.action == Action::WriteStandings) {
        // Printing cartelle or the standings needs fonts, no window.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        int programOnly = 1;
        QGuiApplication app(programOnly, argv);
        return command.action == Action::PrintCartelle ? cartelle::printCartelle(command)
                                                       : evening::answerSeasonCommand(command);
    }
    if (command.action != Action::OpenWindow)
        return cartelle::answerCommandLine(command);

    FontWarmUp fonts;
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(QStringLiteral("Sorteggina"));
    // The program speaks Italian whatever the desktop's language, Qt's own dialogs too.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qt"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    // A second start shows the running copy and writes nothing of its own.
    SingleInstance instance;
    if (!instance.claim())
        return 0;
    quitOnTerminationSignals();
    fonts.wait();

    // The voice connects to speech-dispatcher at once, on a thread of its own, so that the
    // first number is heard as soon as possible; what is said meanwhile waits in its queue.
    SpeechDispatcherVoice voice;
    QtSettingsStore store;
    voice.setChoice(loadVoiceChoice(store));
    KeyStateFilter keys;
    app.installEventFilter(&keys);
    DesktopUrlOpener urls;
    SystemRandomSource random;
    SteadyClock clock;

    // "La mia voce": the recorded numbers through a sound stream of their own, the rest spoken.
    ClipPlayer player;
    RecordedVoice voices(voice, player, [&voice](const QString &text) { voice.speakLogged(text); });
    QObject::connect(&player, &ClipPlayer::finished, &voices, &RecordedVoice::clipFinished);
    const auto useOwnVoice = [&](bool on) {
        voices.setOn(on);
        if (on) {
            player.open();
            voices.loadTakes();
        }
    };
    useOwnVoice(stored::read(store, stored::kOwnVoice));

    EveningStore evenings;
    BoardWindow window({voices, store, keys, urls, random, clock, &evenings});
    QStringList notices{store.problem(), instance.problem(), evenings.problem()};
    notices.removeAll(QString());
    window.showNotice(notices.join(u'\n'));
    store.onProblem([&window](const QString &problem) { window.showNotice(problem); });
    QObject::connect(&voice, &SpeechDispatcherVoice::availabilityChanged, &window,
        [&window](bool working, const QString &problem) { window.showNotice(working ? QString() : problem); });
    QObject::connect(&voice, &SpeechDispatcherVoice::choiceFailed, &window, &BoardWindow::showNotice);
    QObject::connect(&voices, &RecordedVoice::problem, &window, &BoardWindow::showNotice);
    QObject::connect(&evenings, &EveningStore::problemChanged, &window, [&window](const QString &problem) {
        if (!problem.isEmpty())
            window.showNotice(problem);
    });

    // Made when first asked for, not before the window is painted.
    VoiceDialog *voiceDialog = nullptr;
    RecordingDialog *recordingDialog = nullptr;
    QObject::connect(&window, &BoardWindow::voiceChoiceAsked, &window, [&] {
        if (!voiceDialog) {
            voiceDialog = new VoiceDialog(voice, &window);
            QObject::connect(voiceDialog, &QDialog::accepted, &voice, [&] {
                voice.setChoice(voiceDialog->choice());
                storeVoiceChoice(store, voiceDialog->choice());
                stored::write(store, stored::kOwnVoice, voiceDialog->ownVoice());
                useOwnVoice(voiceDialog->ownVoice());
            });
            QObject::connect(voiceDialog, &VoiceDialog::recordingAsked, voiceDialog, [&] {
                if (!recordingDialog) {
                    recordingDialog = new RecordingDialog(player, voices, voiceDialog);
                    QObject::connect(recordingDialog, &RecordingDialog::takeKept, &voices, &RecordedVoice::loadTakes);
                    QObject::connect(recordingDialog, &RecordingDialog::recordingChanged, voiceDialog,
                        [&](bool recording) { voiceDialog->allowSample(!recording); });
                }
                recordingDialog->present();
            });
            QObject::connect(&voices, &RecordedVoice::takesLoaded, voiceDialog,
                [&] { voiceDialog->showOwnVoice(voiceDialog->ownVoice(), voices.takeCount()); });
        }
        voiceDialog->showOwnVoice(voices.isOn(), voices.takeCount());
        voices.loadTakes(); // counted afresh: recorded since, or removed
        voiceDialog->present(voice.choice());
    });

    window.show();
    quitWhenWindowDestroyed(window.windowHandle());
    QObject::connect(&instance, &SingleInstance::showRequested, &window, [&window] {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
    });
    return QApplication::exec();
}
