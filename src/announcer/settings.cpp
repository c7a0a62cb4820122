#include "announcer/settings.h"

#include "platform/settings_store.h"
#include "platform/voice.h"

#include <optional>

namespace {

// A stored check-box value: a whole number the box takes (0, 1 or 2), or nothing.
std::optional<int> checkValue(const QString &text)
{
    // toInt stops at an embedded NUL: "1\0junk" would load as 1.
    if (text.contains(QChar(0)))
        return std::nullopt;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 0 || value > 2)
        return std::nullopt;
    return value;
}

} // namespace

Settings::Settings(GameState &state, SettingsStore &store, Voice &voice)
    : state_(state), store_(store), voice_(voice)
{
}

void Settings::Settaggio()
{
    const QString zero = QStringLiteral("0");
    for (int i = 0; i < tabellone::kTombola; ++i)
        if (const auto value = checkValue(store_.read(tabellone::kPrizeCaptions[i], zero)))
            state_.prize[i] = *value;
    if (const auto value = checkValue(store_.read(keys::kScandito, zero)))
        setScandito(*value);
    if (const auto value = checkValue(store_.read(keys::kSmorfia, zero)))
        setSmorfia(*value);
    for (int i = 0; i < tabellone::kTombola; ++i)
        state_.prizeRed[i] = state_.prize[i] == 1;
}

void Settings::Check2_Click()
{
    voice_.speak(state_.manuale == 1 ? phrases::kManualDraw : phrases::kAutomaticDraw);
}

void Settings::Check3_Click()
{
    store_.write(keys::kScandito, QString::number(state_.scandito));
}

void Settings::Check5_Click()
{
    store_.write(keys::kSmorfia, QString::number(state_.smorfia));
}

void Settings::setManuale(int value)
{
    if (state_.manuale == value)
        return;
    state_.manuale = value;
    Check2_Click();
}

void Settings::setScandito(int value)
{
    if (state_.scandito == value)
        return;
    state_.scandito = value;
    Check3_Click();
}

void Settings::setSmorfia(int value)
{
    if (state_.smorfia == value)
        return;
    state_.smorfia = value;
    Check5_Click();
}
