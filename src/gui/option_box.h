// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCheckBox>

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
