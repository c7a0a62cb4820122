// SPDX-License-Identifier: GPL-3.0-or-later
#include "evening/auto_caller.h"

#include "caller/caller.h"
#include "caller/stored.h"
#include "platform/clock.h"
#include "platform/settings_store.h"
#include "platform/voice.h"

#include <algorithm>
#include <utility>

AutoCaller::AutoCaller(Caller &caller, Voice &voice, const Clock &clock, SettingsStore &store)
    : caller_(caller), voice_(voice), clock_(clock), store_(store)
{
    intervalS_ = stored::read(store_, stored::kAutoCallSeconds);
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &AutoCaller::tick);
    connect(&caller_, &Caller::prizesChecked, this, &AutoCaller::onPrizesChecked);
    connect(&caller_, &Caller::prizeDeclared, this, [this](int prize, bool tombolino) {
        holdFor(prize == board::kTombola || tombolino ? Hold::Tombola : Hold::Prize);
    });
    connect(&caller_, &Caller::changed, this, &AutoCaller::followManualMode);
}

void AutoCaller::setOn(bool on)
{
    if (std::exchange(on_, on) == on)
        return;
    hold_ = Hold::None;
    quietSinceMs_.reset();
    firstAtOnce_ = on;
    if (on && caller_.manual() != Manual::Off) {
        caller_.setManual(Manual::Off);
        caller_.say(kOnAfterManual.arg(intervalS_));
    } else {
        caller_.say(on ? kOn.arg(intervalS_) : kOff);
    }
    if (on)
        timer_.start();
    else
        timer_.stop();
    emit changed();
}

void AutoCaller::setIntervalSeconds(int seconds)
{
    intervalS_ = std::clamp(seconds, kMinSeconds, kMaxSeconds);
    stored::write(store_, stored::kAutoCallSeconds, intervalS_);
    emit changed();
}

void AutoCaller::togglePause()
{
    // A game over stays held until a new one starts.
    if (!on_ || caller_.game().over())
        return;
    if (hold_ == Hold::None) {
        holdFor(Hold::User);
        return;
    }
    hold_ = Hold::None;
    quietSinceMs_.reset();
    caller_.say(kResumed);
    emit changed();
}

void AutoCaller::setClaimOpen(bool open)
{
    claimOpen_ = open;
    quietSinceMs_.reset();
    emit changed();
}

void AutoCaller::setClaimsWaiting(bool waiting)
{
    if (std::exchange(claimsWaiting_, waiting) == waiting)
        return;
    quietSinceMs_.reset();
    emit changed();
}

std::optional<qint64> AutoCaller::msToNextNumber() const
{
    if (!on_ || hold_ != Hold::None || claimOpen_ || claimsWaiting_ || !quietSinceMs_)
        return std::nullopt;
    return std::max<qint64>(0, intervalS_ * 1000 - (clock_.nowMs() - *quietSinceMs_));
}

void AutoCaller::tick()
{
    if (!on_)
        return;
    const Game &game = caller_.game();
    if (game.over() || game.drawnCount() == board::kCells) {
        holdFor(Hold::Tombola);
        return;
    }
    if (hold_ != Hold::None || claimOpen_ || claimsWaiting_) {
        quietSinceMs_.reset();
        firstAtOnce_ = false;
        return;
    }
    if (voice_.isSpeaking()) {
        quietSinceMs_.reset();
        return;
    }
    if (std::exchange(firstAtOnce_, false)) {
        caller_.drawNumber();
        return;
    }
    const qint64 now = clock_.nowMs();
    if (!quietSinceMs_) {
        quietSinceMs_ = now;
        emit changed();
        return;
    }
    if (now - *quietSinceMs_ < intervalS_ * 1000)
        return;
    quietSinceMs_.reset();
    caller_.drawNumber();
}

void AutoCaller::holdFor(Hold why)
{
    if (!on_ || hold_ != Hold::None)
        return;
    hold_ = why;
    quietSinceMs_.reset();
    firstAtOnce_ = false;
    caller_.say(kPaused);
    emit changed();
}

void AutoCaller::onPrizesChecked(const PrizeCheck &found)
{
    if (found.fullCartelle > 0 || found.tombolino)
        holdFor(Hold::Tombola);
    else if (!found.rows.isEmpty())
        holdFor(Hold::Prize);
}

void AutoCaller::followManualMode()
{
    if (!on_ || caller_.manual() == Manual::Off)
        return;
    on_ = false;
    hold_ = Hold::None;
    timer_.stop();
    caller_.say(kOffForManual);
    emit changed();
}
