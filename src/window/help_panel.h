#pragma once

#include <QString>
#include <QUrl>

struct TwipsPos {
    float left, top;
};

// The help picture and the panel that frames it keep their design sizes.
constexpr int kHelpPageWidthPx = 700;
constexpr int kHelpPageHeightPx = 650;
constexpr float kHelpPanelWidth = 10560.0f;
constexpr float kHelpPanelHeight = 9810.0f;
constexpr TwipsPos kHelpDesignPlace{6360.0f, 3660.0f};
// Near the board's top left corner, so the arrows point out to the left column.
constexpr TwipsPos kHelpShownPlace{100.0f, 100.0f};

inline const QString kMakerHost = QStringLiteral("www.orvanet.it");

// The maker's page that the logo `Image2` opens.
QUrl makerPageUrl();

// The help panel `Picture3`: hidden at start, toggled by "?", hidden by a click on it
// and by every draw through "Estrai Numero".
class HelpPanel {
public:
    bool visible() const { return visible_; }
    TwipsPos position() const { return position_; }

    void Label7_Click();
    void Picture3_Click();
    void hide();

private:
    bool visible_ = false;
    TwipsPos position_ = kHelpDesignPlace;
};
