#pragma once

#include <QString>

struct GameState;

inline const QString kTombolaCaption = QStringLiteral(" TOMBOLA ");

// What `Frame1` shows after a tick; the caption is empty when it is hidden.
struct BannerView {
    bool visible;
    QString caption;
};

// The banner over the board: " TOMBOLA " blinking while the tombola box is ticked,
// otherwise a pending prize message shown steadily.
class Banner {
public:
    // The tick of `Timer2`, every 500 ms.
    BannerView Timer2_Timer(bool tombolaTicked, bool messagePending, const QString &messageText);
    // The Tag of `Timer2`: 1 lets the next tick show the banner, 0 makes it hide it.
    int phase() const { return phase_; }

private:
    int phase_ = 0;
};

struct BannerPlace {
    float left, top;
};

// Centres the banner on the panel; a banner larger than the panel overhangs both sides evenly.
BannerPlace placeBanner(float panelWidth, float panelHeight, float bannerWidth,
                        float bannerHeight);

// A click on the banner's text drops the pending message; the banner follows at the next tick.
void Label3_Click(GameState &state);
