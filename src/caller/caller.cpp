// SPDX-License-Identifier: GPL-3.0-or-later
#include "caller/caller.h"

#include "announcer/smorfia.h"
#include "caller/stored.h"
#include "platform/settings_store.h"

#include <QStringList>

using namespace board;

namespace {
const QString kNumberWithdrawn = QStringLiteral("annullato %1");
const QString kNothingToWithdraw = QStringLiteral("nessun numero da annullare");

// "il 42", but "l'8", "l'11", "l'80": the article as the number is spoken.
QString withArticle(int number)
{
    const bool vowel = number == 1 || number == 8 || number == 11 || (number >= 80 && number <= 89);
    return (vowel ? QStringLiteral("l'") : QStringLiteral("il ")) + QString::number(number);
}
} // namespace

QString numbersText(const QList<int> &numbers)
{
    QStringList texts;
    for (int n : numbers)
        texts << QString::number(n);
    return texts.join(QStringLiteral(", "));
}

Caller::Caller(Voice &voice, SettingsStore &store, RandomSource &random, const Clock &clock)
    : announcer_(voice, clock), store_(store), random_(random)
{
    loadOptions();
    game_.setTombolinoPlayed(stored::read(store_, stored::kTombolinoPlayed));
}

void Caller::drawNumber()
{
    if (manual_ == Manual::Off) {
        if (const auto number = game_.draw(random_)) {
            shown_ = number;
            announcer_.announceNumber(*number, speech_);
        }
    }
    checkPrizes();
}

void Caller::clickNumber(int number)
{
    if (manual_ == Manual::On) {
        switch (game_.takeFromBag(number)) {
        case Game::BagResult::Marked:
            shown_ = number;
            announcer_.announceNumber(number, speech_);
            break;
        case Game::BagResult::Withdrawn: announcer_.say(phrases::kWithdrawn + QString::number(number)); break;
        case Game::BagResult::Refused: break;
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
    emit prizesChecked(found);
    saveGame();
    emit changed();
}

void Caller::saveGame() { stored::saveGame(store_, game_.saved()); }

void Caller::loadOptions()
{
    for (int prize = 0; prize < kTombola; ++prize)
        if (const auto value = stored::read(store_, stored::kPrizeOptions[prize]))
            game_.setPrizeBox(prize, *value);
    if (const auto value = stored::read(store_, stored::kScandito))
        setScandito(*value);
    if (const auto value = stored::read(store_, stored::kSmorfia))
        setSmorfia(*value);
    for (int prize = 0; prize < kTombola; ++prize)
        leftOut_[prize] = game_.prizeBox(prize) == PrizeBox::Ticked;
}

void Caller::startNewGame()
{
    shown_.reset();
    game_.startNew();
    stored::write(store_, stored::kGameEnded, true);
    loadOptions();
    message_.reset();
    announcer_.say(phrases::kNewGame);
    emit newGameStarted();
    emit changed();
}

void Caller::reloadSavedGame()
{
    const auto saved = stored::savedGame(store_);
    if (!saved) {
        announcer_.say(phrases::kNoSavedGame);
        return;
    }
    game_.restore(*saved);
    // A red caption means "left out": only a ticked box the options leave out has it.
    for (int prize = 0; prize < kTombola; ++prize)
        leftOut_[prize] = game_.prizeBox(prize) == PrizeBox::Ticked &&
                          stored::read(store_, stored::kPrizeOptions[prize]) == PrizeBox::Ticked;
    announcer_.say(phrases::kReloaded);
    emit changed();
}

void Caller::toggleCartella(int cartella)
{
    if (game_.cartelleLocked())
        return;
    game_.toggleCartella(cartella);
    emit changed();
}

void Caller::declarePrizeWon(int prize)
{
    const bool tombolino = prize == kTombola && game_.tombolinoPlayed() && game_.tombolaOut();
    if (game_.declarePrize(prize)) {
        announcer_.say(tombolino ? phrases::kTombolino : phrases::kPrizeDeclared[prize]);
        emit prizeDeclared(prize, tombolino);
    }
    saveGame();
    emit changed();
}

void Caller::setPrizeBox(int prize, PrizeBox value)
{
    game_.setPrizeBox(prize, value);
    saveGame();
    emit changed();
}

void Caller::commitPrizeBox(int prize)
{
    const PrizeBox value = game_.prizeBox(prize);
    if (prize != kTombola) {
        leftOut_[prize] = value == PrizeBox::Ticked;
        announcer_.say(kPrizeNames[prize] + (value == PrizeBox::Ticked ? phrases::kNotPresent : phrases::kPresent));
    }
    stored::write(store_, stored::kPrizeOptions[prize], value);
    emit changed();
}

void Caller::setManual(Manual value)
{
    if (std::exchange(manual_, value) == value)
        return;
    announcer_.say(value == Manual::On ? phrases::kManualDraw : phrases::kAutomaticDraw);
    emit changed();
}

void Caller::setScandito(Scandito value)
{
    if (std::exchange(speech_.scandito, value) == value)
        return;
    stored::write(store_, stored::kScandito, value);
    emit changed();
}

void Caller::setSmorfia(Smorfia value)
{
    if (std::exchange(speech_.smorfia, value) == value)
        return;
    stored::write(store_, stored::kSmorfia, value);
    emit changed();
}

void Caller::toggleScandito() { setScandito(speech_.scandito == Scandito::Off ? Scandito::On : Scandito::Off); }

void Caller::toggleSmorfia() { setSmorfia(speech_.smorfia == Smorfia::Off ? Smorfia::On : Smorfia::Off); }

void Caller::setOwnerName(const QString &name) { owner_ = name.left(kMaxOwnerName); }

void Caller::setTombolinoPlayed(bool played)
{
    game_.setTombolinoPlayed(played);
    stored::write(store_, stored::kTombolinoPlayed, played);
    emit changed();
}

void Caller::repeatLastNumber() { announcer_.repeat(shown_, speech_); }

void Caller::speakDrawOrder()
{
    const QList<int> &order = game_.drawOrder();
    if (order.isEmpty()) {
        announcer_.say(phrases::kNoneDrawn);
        return;
    }
    // One text for all ninety would outlast the voice's bound on a text and be cut.
    constexpr qsizetype kNumbersPerText = 10;
    for (qsizetype first = 0; first < order.size(); first += kNumbersPerText) {
        const QString lead = first == 0 ? phrases::kDrawnSoFar.arg(order.size()) : QString();
        announcer_.say(lead + numbersText(order.mid(first, kNumbersPerText)));
    }
}

QString Caller::bannerText() const
{
    if (game_.over())
        return game_.tombolinoOut() ? kTombolinoBanner : kTombolaBanner;
    return message_ ? numbersText(*message_) : QString();
}

void Caller::speakSmorfiaLine() { announcer_.say(shown_ ? smorfiaOf(*shown_) : kSmorfiaTitle); }

void Caller::dismissPrizeMessage()
{
    message_.reset();
    emit changed();
}

bool Caller::withdrawLastNumber()
{
    const std::optional<int> number = game_.withdrawLastNumber();
    if (!number) {
        announcer_.say(kNothingToWithdraw);
        return false;
    }
    shown_.reset();
    if (!game_.drawOrder().isEmpty())
        shown_ = game_.drawOrder().last();
    message_.reset();
    announcer_.say(kNumberWithdrawn.arg(withArticle(*number)));
    emit numberWithdrawn(*number);
    saveGame();
    emit changed();
    return true;
}
