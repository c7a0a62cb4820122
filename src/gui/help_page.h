// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QSvgRenderer;

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
