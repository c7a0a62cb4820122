#include "announcer/announcer.h"

#include "announcer/smorfia.h"
#include "platform/clock.h"
#include "platform/voice.h"

Announcer::Announcer(GameState &state, Voice &voice, const Clock &clock)
    : state_(state), voice_(voice), clock_(clock), smorfia_(CaricaSmorfia())
{
}

bool Announcer::windowOpen() const
{
    return timer1Tag_ && clock_.nowMs() - timer1StartedMs_ < kWindowMs;
}

void Announcer::Confusi()
{
    if (!state_.UltimoNumero)
        return;
    const int number = *state_.UltimoNumero;
    const QString n = QString::number(number);
    state_.lastNumberCaption = n;
    state_.smorfiaCaption = smorfia_.value(number - 1);

    if (state_.smorfia != 0) {
        voice_.speak(state_.smorfiaCaption);
        return;
    }
    const QString prefix = windowOpen() ? QString() : phrases::kNumberOut;
    timer1Tag_ = true;
    timer1StartedMs_ = clock_.nowMs();
    voice_.speak(prefix + n);
    // The sixties and seventies are easily confused by ear: spell them.
    if (state_.scandito == 1 && number > 59 && number < 80) {
        voice_.speak(n.left(1));
        voice_.speak(n.right(1) + phrases::kSpelledEnd);
    }
}

void Announcer::Timer1_Timer()
{
    timer1Tag_ = false;
}

void Announcer::Label5_Click()
{
    bool numeric = false;
    state_.lastNumberCaption.toInt(&numeric);
    if (!numeric)
        voice_.speak(phrases::kProgramName);
    else if (state_.smorfia == 0)
        voice_.speak(phrases::kRepeat + state_.lastNumberCaption);
    else
        voice_.speak(state_.lastNumberCaption);
}

void Announcer::Label6_Click()
{
    voice_.speak(state_.smorfiaCaption);
}
