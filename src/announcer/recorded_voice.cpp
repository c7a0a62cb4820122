// SPDX-License-Identifier: GPL-3.0-or-later
#include "announcer/recorded_voice.h"

#include "announcer/announcer.h"
#include "platform/voice_log.h"

#include <QLoggingCategory>
#include <QMetaObject>
#include <QPointer>
#include <algorithm>

namespace {

// Between the phrase and the number, as a caller breathes.
constexpr int kPhraseGapMs = 100;

} // namespace

RecordedVoice::RecordedVoice(
    Voice &speech, ClipOutput &clips, std::function<void(const QString &)> sayLogged, QObject *parent)
    : QObject(parent), speech_(speech), clips_(clips), sayLogged_(std::move(sayLogged))
{
    if (!sayLogged_)
        sayLogged_ = [this](const QString &text) { speech_.speak(text); };
    speechWatch_.setInterval(5);
    connect(&speechWatch_, &QTimer::timeout, this, &RecordedVoice::pump);
}

RecordedVoice::~RecordedVoice()
{
    if (loader_.joinable())
        loader_.join();
}

void RecordedVoice::speak(const QString &text)
{
    if (!on_ && !held_ && waiting_.empty()) {
        speech_.speak(text);
        return;
    }
    qCInfo(voiceLog).noquote() << text;
    waiting_.push_back({text, on_ ? takeFor(text) : nullptr});
    pump();
}

bool RecordedVoice::isSpeaking() const { return !waiting_.empty() || clips_.playing() || speech_.isSpeaking(); }

bool RecordedVoice::isSaying() const { return clips_.playing() || speech_.isSpeaking(); }

void RecordedVoice::setOn(bool on) { on_ = on; }

void RecordedVoice::setHeld(bool held)
{
    held_ = held;
    pump();
}

void RecordedVoice::setTakes(const Takes &takes) { takes_ = takes; }

int RecordedVoice::takeCount() const
{
    return int(std::count_if(takes_.begin(), takes_.end(), [](const Samples &take) { return bool(take); }));
}

void RecordedVoice::loadTakes()
{
    if (loader_.joinable())
        loader_.join();
    loader_ = std::thread([this] {
        const recordings::Loaded loaded = recordings::loadAll(ClipPlayer::kRate);
        QMetaObject::invokeMethod(
            this, [this, loaded] { takesRead(loaded); }, Qt::QueuedConnection);
    });
}

void RecordedVoice::takesRead(const recordings::Loaded &loaded)
{
    Takes takes;
    for (int take = 0; take < recordings::kTakes; ++take)
        if (const auto &clip = loaded.takes[std::size_t(take)])
            takes[std::size_t(take)] = std::make_shared<const std::vector<qint16>>(toSamples(*clip));
    setTakes(takes);
    QStringList untold;
    for (const QString &file : loaded.unreadable) {
        qCWarning(speechLog).noquote() << "Recording not read:" << file;
        const QString name = file.section(u' ', 0, 0);
        if (!told_.contains(name)) {
            told_.insert(name);
            untold << name;
        }
    }
    if (!untold.isEmpty())
        emit problem(kUnreadableTakes.arg(untold.join(QStringLiteral(", "))));
    emit takesLoaded();
}

RecordedVoice::Samples RecordedVoice::takeFor(const QString &text) const
{
    QString rest = text;
    const bool phrase = rest.startsWith(phrases::kNumberOut);
    if (phrase)
        rest = rest.mid(phrases::kNumberOut.size());
    else if (rest.endsWith(phrases::kSpelledEnd))
        rest.chop(phrases::kSpelledEnd.size());
    bool ok = false;
    const int number = rest.toInt(&ok);
    if (!ok || number < 1 || number > 90 || rest != QString::number(number))
        return nullptr;
    const Samples &said = takes_[std::size_t(number)];
    if (!phrase || !said)
        return said;
    const Samples &lead = takes_[recordings::kPhrase];
    if (!lead)
        return nullptr; // half recorded, half synthesised would sound worse than all synthesised
    auto joined = std::make_shared<std::vector<qint16>>(*lead);
    joined->resize(joined->size() + ClipPlayer::kRate * kPhraseGapMs / 1000);
    joined->insert(joined->end(), said->begin(), said->end());
    return joined;
}

void RecordedVoice::clipFinished() { pump(); }

void RecordedVoice::pump()
{
    while (!held_ && !waiting_.empty() && !clips_.playing()) {
        Item &next = waiting_.front();
        if (next.take) {
            if (speech_.isSpeaking()) {
                speechWatch_.start();
                return;
            }
            if (clips_.play(next.take)) {
                waiting_.pop_front();
                break;
            }
        }
        // Also a take that cannot be played now: said instead.
        sayLogged_(next.text);
        waiting_.pop_front();
    }
    speechWatch_.stop();
}
