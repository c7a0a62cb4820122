#include "game/game.h"

#include "game/saved_draw.h"
#include "platform/random_source.h"
#include "platform/settings_store.h"
#include "platform/voice.h"

#include <vector>

using namespace tabellone;

Game::Game(GameState &state, Voice &voice, SettingsStore &store, RandomSource &random)
    : state_(state), voice_(voice), store_(store), random_(random)
{
}

void Game::Command2_Click()
{
    if (hooks_.hideHelp)
        hooks_.hideHelp();
    if (state_.manuale == 0 && !state_.tombolaOut()) {
        std::vector<int> notOut;
        notOut.reserve(kCells);
        for (int i = 0; i < kCells; ++i)
            if (!state_.cells[i].drawn)
                notOut.push_back(i);
        if (!notOut.empty()) {
            const int cell = notOut[random_.bounded(int(notOut.size()))];
            state_.UltimoNumero = numberOf(cell);
            markDrawn(cell);
            if (hooks_.Confusi)
                hooks_.Confusi();
        }
    }
    Controlla();
}

void Game::markDrawn(int cell)
{
    Cell &c = state_.cells[cell];
    c.drawn = true;
    if (c.inPlay)
        c.owner = true;
}

void Game::Label1_Click(int index)
{
    if (index < 0 || index >= kCells)
        return;
    state_.UltimoNumero = numberOf(index);
    if (state_.manuale != 0 && !state_.tombolaOut()) {
        Cell &c = state_.cells[index];
        if (!c.owner) {
            c.drawn = true;
            if (hooks_.Confusi)
                hooks_.Confusi();
            if (c.inPlay)
                c.owner = true;
        } else {
            c.drawn = false;
            c.owner = false;
            voice_.speak(phrases::kWithdrawn + QString::number(numberOf(index)));
        }
    }
    Controlla();
}

QString Game::nextPrizeCaption() const
{
    for (int m = 0; m < kPrizes; ++m)
        if (state_.prize[m] == 0)
            return kPrizeCaptions[m];
    return {};
}

void Game::Controlla()
{
    state_.cartelleLocked = true;
    state_.messagePending = false;

    for (int first = 0; first < kCells; first += 5) {
        int count = 0;
        QString rowText;
        for (int c = 0; c < 5; ++c) {
            if (!state_.cells[first + c].owner)
                continue;
            if (!rowText.isEmpty())
                rowText += QStringLiteral(", ");
            rowText += QString::number(numberOf(first + c));
            ++count;
        }
        for (int p = 0; p < kPrizes; ++p) {
            if (state_.prize[p] != 0 || kPrizeCounts[p] != count)
                continue;
            state_.prize[p] = 1;
            state_.messagePending = true;
            state_.messageText = QLatin1Char(' ') + rowText + QLatin1Char(' ');
            QString phrase = phrases::kPrizeLead + kPrizeCaptions[p] + phrases::kPrizeFor + state_.nome;
            // With no box left clear there is no next prize to name.
            const QString next = nextPrizeCaption();
            if (!next.isEmpty())
                phrase += phrases::kGoesOnFor + next;
            voice_.speak(phrase);
        }
    }

    for (int k = 0; k < kCartelle; ++k) {
        int sum = 0;
        for (int cell : cellsOfCartella(k))
            sum += state_.cells[cell].owner ? 1 : 0;
        if (sum == kPrizeCounts[kTombola]) {
            state_.prize[kTombola] = 1;
            voice_.speak(phrases::kPrizeLead + kPrizeCaptions[kTombola] + phrases::kPrizeFor + state_.nome);
        }
    }

    SalvaUltimo();
}

void Game::SalvaUltimo()
{
    store_.write(kSavedDrawKey, SavedDraw::of(state_).text());
}

void Game::Command1_Click()
{
    state_.lastNumberCaption = kNoNumberCaption;
    state_.smorfiaCaption = kSmorfiaTitle;
    for (Cell &cell : state_.cells) {
        cell.drawn = false;
        cell.owner = false;
    }
    if (hooks_.Settaggio)
        hooks_.Settaggio();
    state_.prize[kTombola] = 0;
    state_.messagePending = false;
    voice_.speak(phrases::kNewGame);
    state_.cartelleLocked = false;
}

void Game::Command5_Click()
{
    const auto saved = SavedDraw::parse(store_.read(kSavedDrawKey, kNoSavedDraw));
    if (!saved) {
        voice_.speak(phrases::kNoSavedGame);
        return;
    }
    state_.prize = saved->prize;
    for (int k = 0; k < kCartelle; ++k)
        if (state_.cartellaInPlay[k] != saved->cartellaInPlay[k])
            state_.toggleCartella(k);
    for (Cell &cell : state_.cells) {
        cell.drawn = false;
        cell.owner = false;
    }
    for (int cell : saved->drawnCells)
        markDrawn(cell);
    voice_.speak(phrases::kReloaded);
}
