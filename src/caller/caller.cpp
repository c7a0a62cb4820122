// SPDX-License-Identifier: GPL-3.0-or-later
#include "caller/caller.h"

#include "announcer/smorfia.h"
#include "caller/options.h"
#include "platform/settings_store.h"

#include <QStringList>

using namespace board;

Caller::Caller(Voice &voice, SettingsStore &store, RandomSource &random, const Clock &clock)
    : announcer_(voice, clock), store_(store), random_(random)
{
    loadOptions();
    game_.setTombolinoPlayed(options::read(store_, options::kTombolino) == 1);
}

void Caller::update()
{
    emit changed();
}

void Caller::drawNumber()
{
    if (manual_ == 0) {
        if (const auto number = game_.draw(random_)) {
            shown_ = number;
            announcer_.announceNumber(*number, speech_);
        }
    }
    checkPrizes();
}

void Caller::clickNumber(int number)
{
    if (manual_ != 0) {
        switch (game_.takeFromBag(number)) {
        case Game::BagResult::Marked:
            shown_ = number;
            announcer_.announceNumber(number, speech_);
            break;
        case Game::BagResult::Withdrawn:
            announcer_.say(phrases::kWithdrawn + QString::number(number));
            break;
        case Game::BagResult::Refused:
            break;
        }
    }
    checkPrizes();
}

void Caller::checkPrizes()
{
    const PrizeCheck found = game_.checkPrizes();
    message_.reset();
    if (!found.rows.isEmpty())
        message_ = found.rows.last().numbers;
    announcer_.announcePrizes(found, owner_);
    saveGame();
    update();
}

void Caller::saveGame()
{
    const SavedGame saved = game_.saved();
    store_.writeAll({{kSavedGameKey, saved.text()},
                     {kDrawOrderKey, saved.orderText()},
                     {kTombolinoKey, saved.tombolinoText()}});
}

void Caller::loadOptions()
{
    for (int i = 0; i < kTombola; ++i)
        if (const auto value = options::read(store_, options::prizeKey(i)))
            game_.setPrizeBox(i, *value);
    if (const auto value = options::read(store_, options::kScandito))
        setScandito(*value);
    if (const auto value = options::read(store_, options::kSmorfia))
        setSmorfia(*value);
    for (int i = 0; i < kTombola; ++i)
        leftOut_[i] = game_.prizeBox(i) == 1;
}

void Caller::startNewGame()
{
    shown_.reset();
    game_.startNew();
    loadOptions();
    message_.reset();
    announcer_.say(phrases::kNewGame);
    update();
}

void Caller::reloadSavedGame()
{
    const auto saved = SavedGame::parse(store_.read(kSavedGameKey, kNoSavedGame), store_.read(kDrawOrderKey, {}),
                                        store_.read(kTombolinoKey, {}));
    if (!saved) {
        announcer_.say(phrases::kNoSavedGame);
        return;
    }
    game_.restore(*saved);
    // A red caption means "left out": only a ticked box the options leave out has it.
    for (int i = 0; i < kTombola; ++i)
        leftOut_[i] = game_.prizeBox(i) == 1 && options::read(store_, options::prizeKey(i)) == 1;
    announcer_.say(phrases::kReloaded);
    update();
}

void Caller::toggleCartella(int k)
{
    if (game_.cartelleLocked())
        return;
    game_.toggleCartella(k);
    update();
}

void Caller::declarePrizeWon(int i)
{
    const bool tombolino = i == kTombola && game_.tombolinoPlayed() && game_.tombolaOut();
    if (game_.declarePrize(i))
        announcer_.say(tombolino ? phrases::kTombolino : phrases::kPrizeDeclared[i]);
    saveGame();
    update();
}

void Caller::setPrizeBox(int i, int value)
{
    game_.setPrizeBox(i, value);
    saveGame();
    update();
}

void Caller::commitPrizeBox(int i)
{
    const int value = game_.prizeBox(i);
    if (i != kTombola) {
        leftOut_[i] = value == 1;
        announcer_.say(kPrizeNames[i] + (value == 1 ? phrases::kNotPresent : phrases::kPresent));
    }
    options::write(store_, options::prizeKey(i), value);
    update();
}

void Caller::setManual(int value)
{
    if (std::exchange(manual_, value) == value)
        return;
    announcer_.say(value == 1 ? phrases::kManualDraw : phrases::kAutomaticDraw);
    update();
}

void Caller::setScandito(int value)
{
    if (std::exchange(speech_.scandito, value) == value)
        return;
    options::write(store_, options::kScandito, value);
    update();
}

void Caller::setSmorfia(int value)
{
    if (std::exchange(speech_.smorfia, value) == value)
        return;
    options::write(store_, options::kSmorfia, value);
    update();
}

void Caller::setOwnerName(const QString &name)
{
    owner_ = name.left(kMaxOwnerName);
}

void Caller::setTombolinoPlayed(bool played)
{
    game_.setTombolinoPlayed(played);
    options::write(store_, options::kTombolino, played ? 1 : 0);
    update();
}

void Caller::repeatLastNumber()
{
    announcer_.repeat(shown_, speech_);
}

void Caller::speakDrawOrder()
{
    QStringList numbers;
    for (int n : game_.drawOrder())
        numbers << QString::number(n);
    announcer_.say(numbers.isEmpty() ? phrases::kNoneDrawn
                                     : phrases::kDrawnSoFar.arg(numbers.size()) + numbers.join(QStringLiteral(", ")));
}

void Caller::speakSmorfiaLine()
{
    announcer_.say(shown_ ? smorfiaOf(*shown_) : kSmorfiaTitle);
}

void Caller::dismissPrizeMessage()
{
    message_.reset();
    update();
}
