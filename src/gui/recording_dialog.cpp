// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/recording_dialog.h"

#include "announcer/announcer.h"
#include "announcer/recorded_voice.h"
#include "platform/clip_player.h"
#include "platform/recordings.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int kPositions = recordings::kTakes;
// Too short to hold a number said.
constexpr double kShortestTakeSeconds = 0.15;
constexpr int kMeterFloorDb = -60;

const QString kTitle = QStringLiteral("Registra la voce");
const QString kNumberOf = QStringLiteral("Numero %1 di 90");
const QString kPhraseTitle = QStringLiteral("La frase prima di un numero, dopo una pausa");
const QString kReady = QStringLiteral("Spazio per registrare, Invio per il prossimo.");
const QString kRecordedAlready =
    QStringLiteral("Già registrato: A per ascoltarlo, Backspace per rifarlo, Invio per il prossimo.");
const QString kVoiceSpeaking = QStringLiteral("Si registra appena la voce del programma ha finito di parlare.");
const QString kOpening = QStringLiteral("Un momento: si apre il microfono…");
const QString kListening = QStringLiteral("Si registra: dire il numero, poi Spazio per fermare.");
const QString kNextKey = QStringLiteral(", Invio per il prossimo");
const QString kRecordButton = QStringLiteral("&Registra (Spazio)");
const QString kStopButton = QStringLiteral("&Ferma (Spazio)");
const QString kKept =
    QStringLiteral("Registrato (%1 s): A per ascoltarlo, Backspace per rifarlo, Invio per il prossimo.");
const QString kSilentTake =
    QStringLiteral("Non si è sentita la voce: avvicinarsi al microfono e riprovare con Spazio.");
const QString kCutShortTake =
    QStringLiteral("La registrazione si è fermata mentre si parlava: riprovare con Spazio, fermando un attimo "
                   "dopo la fine.");
const QString kEarlyTake =
    QStringLiteral("La voce c'era già all'inizio: riprovare con Spazio, parlando un attimo dopo.");
const QString kNotSaved = QStringLiteral("La registrazione non si è potuta salvare in %1: %2");
const QString kEarlierKept = QStringLiteral(" La registrazione di prima resta.");
const QString kAllDone = QStringLiteral("Tutti i numeri e la frase sono registrati. Esc per chiudere.");
const QString kNothingToPlay = QStringLiteral("Questo non è ancora registrato.");
const QString kNoSound = QStringLiteral("L'audio non è pronto: riprovare tra un momento.");

int takeAt(int position) { return position < 90 ? position + 1 : recordings::kPhrase; }

// The first position not recorded yet; kPositions when all are.
int firstNotRecorded()
{
    int first = 0;
    while (first < kPositions && QFile::exists(recordings::path(takeAt(first))))
        ++first;
    return first;
}

QPushButton *button(const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setAutoDefault(false);
    return b;
}

} // namespace

RecordingDialog::RecordingDialog(ClipPlayer &player, RecordedVoice &voice, QWidget *parent)
    : QDialog(parent), player_(player), voice_(voice)
{
    voiceWait_.setInterval(20);
    connect(&voiceWait_, &QTimer::timeout, this, &RecordingDialog::startWhenQuiet);
    setWindowTitle(kTitle);
    counter_ = new QLabel(this);
    shown_ = new QLabel(this);
    shown_->setAlignment(Qt::AlignCenter);
    shown_->setMinimumSize(420, 200);
    meter_ = new QProgressBar(this);
    meter_->setRange(kMeterFloorDb, 0);
    meter_->setTextVisible(false);
    meter_->setAccessibleName(QStringLiteral("Livello del microfono"));
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    status_->setMinimumHeight(status_->fontMetrics().height() * 3);
    record_ = button(kStopButton, this);
    // As wide for "Ferma" as for "Registra": the buttons beside it do not move under the mouse.
    const int stopWidth = record_->sizeHint().width();
    record_->setText(kRecordButton);
    record_->setMinimumWidth(std::max(stopWidth, record_->sizeHint().width()));
    listen_ = button(QStringLiteral("&Ascolta (A)"), this);
    redo_ = button(QStringLiteral("Ri&fai (Backspace)"), this);
    back_ = button(QStringLiteral("&Indietro (←)"), this);
    next_ = button(QStringLiteral("&Prossimo (Invio)"), this);
    auto *close = button(QStringLiteral("&Chiudi (Esc)"), this);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {record_, listen_, redo_, back_, next_, close})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(counter_);
    layout->addWidget(shown_, 1);
    layout->addWidget(meter_);
    layout->addWidget(status_);
    layout->addLayout(buttons);

    connect(record_, &QPushButton::clicked, this, &RecordingDialog::toggleRecording);
    connect(listen_, &QPushButton::clicked, this, &RecordingDialog::listen);
    connect(redo_, &QPushButton::clicked, this, &RecordingDialog::redo);
    connect(back_, &QPushButton::clicked, this, &RecordingDialog::back);
    connect(next_, &QPushButton::clicked, this, &RecordingDialog::next);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    // Shortcuts come before the focused button: Space never presses one by mistake.
    const auto key = [this](QKeySequence sequence, auto slot) {
        connect(new QShortcut(sequence, this), &QShortcut::activated, this, slot);
    };
    key(Qt::Key_Space, &RecordingDialog::toggleRecording);
    key(Qt::Key_Return, &RecordingDialog::next);
    key(Qt::Key_Enter, &RecordingDialog::next);
    key(Qt::Key_Backspace, &RecordingDialog::redo);
    key(Qt::Key_A, &RecordingDialog::listen);
    key(Qt::Key_Left, &RecordingDialog::back);

    connect(&recorder_, &VoiceRecorder::level, meter_,
        [this](double db) { meter_->setValue(std::clamp(int(db), kMeterFloorDb, 0)); });
    connect(&recorder_, &VoiceRecorder::listening, this, [this] { setStatus(kListening); });
    connect(&recorder_, &VoiceRecorder::taken, this, &RecordingDialog::taken);
    connect(&recorder_, &VoiceRecorder::failed, this, &RecordingDialog::refused);
}

RecordingDialog::~RecordingDialog()
{
    if (held_)
        voice_.setHeld(false);
}

void RecordingDialog::present()
{
    player_.open();
    const int first = firstNotRecorded();
    show(first % kPositions);
    if (first == kPositions)
        setStatus(kAllDone);
    QDialog::show();
    raise();
    activateWindow();
}

int RecordingDialog::shownTake() const { return takeAt(position_); }

void RecordingDialog::show(int position)
{
    voiceWait_.stop();
    recorder_.cancel();
    position_ = position;
    const int take = shownTake();
    QFont big = font();
    big.setBold(true);
    big.setPixelSize(take == recordings::kPhrase ? 48 : 160);
    shown_->setFont(big);
    shown_->setText(take == recordings::kPhrase ? phrases::kNumberOut.trimmed() : QString::number(take));
    counter_->setText(take == recordings::kPhrase ? kPhraseTitle : kNumberOf.arg(take));
    shown_->setAccessibleName(counter_->text() + QStringLiteral(": ") + shown_->text());
    meter_->setValue(kMeterFloorDb);
    setStatus(QFile::exists(recordings::path(take)) ? kRecordedAlready : kReady);
    showState();
}

bool RecordingDialog::taking() const { return voiceWait_.isActive() || recorder_.recording(); }

void RecordingDialog::showState()
{
    const bool recording = taking();
    if (recording != held_) {
        held_ = recording;
        voice_.setHeld(recording);
        emit recordingChanged(recording);
    }
    record_->setText(recording ? kStopButton : kRecordButton);
    const bool kept = QFile::exists(recordings::path(shownTake()));
    listen_->setEnabled(!recording && kept);
    redo_->setEnabled(!recording);
    back_->setEnabled(!recording && position_ > 0);
    next_->setEnabled(!recording && position_ + 1 < kPositions);
}

void RecordingDialog::toggleRecording()
{
    if (recorder_.recording()) {
        recorder_.stop();
        return;
    }
    if (voiceWait_.isActive()) {
        voiceWait_.stop();
        show(position_);
        return;
    }
    player_.open();
    voiceWait_.start();
    showState();
    startWhenQuiet();
}

void RecordingDialog::startWhenQuiet()
{
    if (voice_.isSaying()) {
        setStatus(kVoiceSpeaking);
        return;
    }
    voiceWait_.stop();
    // A sound server can take a second or two to send a source's first samples: what is
    // said before them is lost, so the caller is asked to speak only once they come.
    if (recorder_.start())
        setStatus(kOpening);
    showState();
}

void RecordingDialog::redo()
{
    if (!taking())
        toggleRecording();
}

void RecordingDialog::next()
{
    if (!taking() && position_ + 1 < kPositions)
        show(position_ + 1);
}

void RecordingDialog::back()
{
    if (!taking() && position_ > 0)
        show(position_ - 1);
}

void RecordingDialog::listen()
{
    if (taking())
        return;
    AudioClip clip;
    QString error;
    if (!readClip(recordings::path(shownTake()), &clip, &error)) {
        setStatus(kNothingToPlay);
        return;
    }
    if (!player_.play(std::make_shared<const std::vector<qint16>>(toSamples(resampled(clip, ClipPlayer::kRate)))))
        setStatus(kNoSound);
}

void RecordingDialog::taken(const AudioClip &take)
{
    showState();
    const VoicedSpan span = voicedSpan(take);
    if (span.empty() || take.seconds() < kShortestTakeSeconds)
        return refused(kSilentTake);
    if (span.reachesEnd)
        return refused(kCutShortTake);
    if (span.begin == 0)
        return refused(kEarlyTake);
    const AudioClip kept = normalised(trimmed(take));
    QString error;
    const QString path = recordings::path(shownTake());
    if (!QDir().mkpath(recordings::folder()) || !writeClip(path, kept, &error))
        return refused(kNotSaved.arg(QDir::toNativeSeparators(recordings::folder()), error));
    setStatus(kKept.arg(QLocale(QLocale::Italian).toString(kept.seconds(), 'f', 1)) +
              (firstNotRecorded() == kPositions ? QStringLiteral(" ") + kAllDone : QString()));
    showState();
    emit takeKept(shownTake());
}

void RecordingDialog::refused(const QString &message)
{
    meter_->setValue(kMeterFloorDb);
    const bool earlier = QFile::exists(recordings::path(shownTake()));
    setStatus(message + (earlier ? kEarlierKept : QString()));
    showState();
}

void RecordingDialog::setStatus(const QString &said)
{
    // At the last take there is no next one to go to.
    const QString text = position_ + 1 < kPositions ? said : QString(said).remove(kNextKey);
    status_->setText(text);
    status_->setAccessibleName(text);
}

void RecordingDialog::reject()
{
    voiceWait_.stop();
    recorder_.cancel();
    showState();
    QDialog::reject();
}
