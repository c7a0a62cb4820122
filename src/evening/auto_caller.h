// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

class Caller;
class Clock;
class SettingsStore;
class Voice;
struct PrizeCheck;

// "Estrazione automatica": a number every few seconds, counted from the moment the voice
// has finished, so that no number is ever drawn over a text still being said; the first
// comes as soon as the words that turned it on are said, unless something held it first. It holds by
// itself at a prize and at the tombola until the caller resumes it, and waits while a
// claim is being checked. It and the real bag's manual mode exclude each other.
class AutoCaller : public QObject {
    Q_OBJECT
public:
    static constexpr int kMinSeconds = 3;
    static constexpr int kMaxSeconds = 30;
    static constexpr int kDefaultSeconds = 8;
    static constexpr int kTickMs = 100;
    inline static const QString kOn = QStringLiteral("estrazione automatica, un numero ogni %1 secondi");
    // After the caller's own phrase for leaving manual mode.
    inline static const QString kOnAfterManual = QStringLiteral("un numero ogni %1 secondi");
    inline static const QString kOff = QStringLiteral("estrazione automatica spenta");
    inline static const QString kOffForManual = QStringLiteral("estrazione automatica spenta: estrazione manuale");
    inline static const QString kPaused = QStringLiteral("pausa");
    inline static const QString kResumed = QStringLiteral("si riprende");

    // What holds it: the caller, a prize, or the tombola (and a board full with no tombola).
    enum class Hold { None, User, Prize, Tombola };

    AutoCaller(Caller &caller, Voice &voice, const Clock &clock, SettingsStore &store);

    bool isOn() const { return on_; }
    // Turning it on leaves manual mode, with the reason said.
    void setOn(bool on);
    int intervalSeconds() const { return intervalS_; }
    // Kept between 3 and 30 seconds, and remembered.
    void setIntervalSeconds(int seconds);
    Hold hold() const { return hold_; }
    bool claimOpen() const { return claimOpen_; }
    // Space: holds it, or resumes it whatever held it.
    void togglePause();
    // While "Verifica cartella" is open, no number comes.
    void setClaimOpen(bool open);
    // While a phone's claim waits for the caller's answer, no number comes either.
    void setClaimsWaiting(bool waiting);
    // Until the next number, for the windows' bar or count; nothing while it does not count.
    std::optional<qint64> msToNextNumber() const;
    // Draws when the interval has passed; the object's timer calls it.
    void tick();

signals:
    void changed();

private:
    void holdFor(Hold why);
    void onPrizesChecked(const PrizeCheck &found);
    void followManualMode();

    Caller &caller_;
    Voice &voice_;
    const Clock &clock_;
    SettingsStore &store_;
    bool on_ = false;
    int intervalS_ = kDefaultSeconds;
    Hold hold_ = Hold::None;
    bool claimOpen_ = false;
    bool claimsWaiting_ = false;
    std::optional<qint64> quietSinceMs_; // the voice silent and nothing holding it, since
    bool firstAtOnce_ = false;
    QTimer timer_;
};
