// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QWidget>

#include "layout/board_layout.h"

class QSvgRenderer;

// The window's fonts, by the names it was drawn with, then their metric twins on Linux.
inline const QStringList kArial{QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
inline const QStringList kTimes{QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")};
inline const QStringList kSansSerif{QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")};
inline const QStringList kTerminal{
    QStringLiteral("Terminal"), QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")};
QFont fontOf(const QStringList &families, qreal points, bool bold = false);

// Design positions on the caller's window, in twips, kept at every size and density.
void placeInTwips(QWidget *widget, const TwipsRect &place);
// Shrinks by zoom, from their design places, fonts and style sizes, the children of parent
// placed within the control column; 1 gives back the design.
void zoomColumnPlaces(QWidget *parent, float zoom);

// A hand pointer from one of the window's pictures.
QCursor handCursor(const QString &path);

// Sets a control's text colour and, when given, its opaque background.
void paintText(QWidget *widget, const QColor &text, const QColor &back = QColor());

// A label that reports a click: a left button pressed and released over it, Space or
// Enter while it has the focus, or the press action of a screen reader, to which it is
// a button.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget *parent = nullptr);
    explicit ClickLabel(const QString &text, QWidget *parent = nullptr);
    // Draws the text, centred, from a kept picture: for the large last number and banner.
    void setLargeText(bool large) { largeText_ = large; }
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool pressed_ = false;
    bool largeText_ = false;
};

// A check box with the three values 0 clear, 1 ticked, 2 grey. A click turns a grey box
// clear; grey is reached only by setting it. Reports every mouse-button release over it.
class OptionBox : public QCheckBox {
    Q_OBJECT
public:
    explicit OptionBox(const QString &text, QWidget *parent = nullptr);
    int value() const;
    // Sets the value without running the handlers that a user's change runs.
    void showValue(int value);
signals:
    void mouseUp(Qt::MouseButton button);

protected:
    void nextCheckState() override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The help page, drawn from its vector picture so that it stays sharp at any scale. It
// covers the board from near its top left corner, its arrows pointing out to the controls.
class HelpPage : public QWidget {
    Q_OBJECT
public:
    explicit HelpPage(QWidget *parent);
    // Shows the page, or hides it when it shows.
    void toggle();
signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QSvgRenderer *renderer_ = nullptr;
};
