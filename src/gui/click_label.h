// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

// A label that reports a click: a left button pressed and released over it, Space or
// Enter while it has the focus, or the press action of a screen reader, to which it is
// a button.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget *parent = nullptr);
    explicit ClickLabel(const QString &text, QWidget *parent = nullptr);
    // Draws the text, centred, from a kept picture: for the large last number and banner;
    // shrunk to fit, a text wider than the label is shown whole.
    void setLargeText(bool large, bool shrinkToFit = false)
    {
        largeText_ = large;
        shrinkToFit_ = shrinkToFit;
    }
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
    bool shrinkToFit_ = false;
};
