#include "window/banner.h"

#include "game/game_state.h"

BannerView Banner::Timer2_Timer(bool tombolaTicked, bool messagePending,
                                const QString &messageText)
{
    if (tombolaTicked && phase_ == 1) {
        phase_ = 0;
        return {true, kTombolaCaption};
    }
    if (messagePending && phase_ > 0)
        return {true, messageText};
    phase_ = 1;
    return {false, QString()};
}

BannerPlace placeBanner(float panelWidth, float panelHeight, float bannerWidth,
                        float bannerHeight)
{
    return {(panelWidth - bannerWidth) / 2.0f, (panelHeight - bannerHeight) / 2.0f};
}

void Label3_Click(GameState &state) { state.messagePending = false; }
