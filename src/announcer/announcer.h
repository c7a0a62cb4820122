#pragma once

#include "game/game_state.h"

#include <QStringList>

class Clock;
class Voice;

// Shows and speaks each number: the last-number display, the smorfia line, the full
// sentence or the bare number, the spelled digits and the smorfia mode; and the repeat.
class Announcer {
public:
    // Numbers announced within this time of the previous one are spoken bare.
    static constexpr qint64 kWindowMs = 10000;

    Announcer(GameState &state, Voice &voice, const Clock &clock);

    // Announces `UltimoNumero`.
    void Confusi();
    // Closes the announcement window at once.
    void Timer1_Timer();
    // Repeats the last number (a click on it, or the Up arrow).
    void Label5_Click();
    // Speaks the smorfia line.
    void Label6_Click();

    bool windowOpen() const;
    const QStringList &smorfia() const { return smorfia_; }

private:
    GameState &state_;
    Voice &voice_;
    const Clock &clock_;
    QStringList smorfia_;
    bool timer1Tag_ = false;      // the announcement window is open
    qint64 timer1StartedMs_ = 0;  // when its 10 s count last started
};

namespace phrases {
inline const QString kNumberOut = QStringLiteral("è uscito il numero ");
inline const QString kRepeat = QStringLiteral("Ripeto, ");
inline const QString kProgramName = QStringLiteral("Sorteggina di Orvanet");
inline const QString kSpelledEnd = QStringLiteral(". ");
} // namespace phrases
