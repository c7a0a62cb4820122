// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

// A ring drawn around whichever control of the window has the keyboard focus: black and
// yellow, so that it stands out at well over 3:1 from the green of the window and from
// every control's own colours alike. It lies over the window and lets clicks through.
class FocusRing : public QWidget {
    Q_OBJECT
public:
    explicit FocusRing(QWidget *window);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow(QWidget *focused);

    QPointer<QWidget> focused_;
};
