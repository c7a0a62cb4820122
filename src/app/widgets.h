#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

class QSvgRenderer;

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

// One cell of the board: the cell picture (a paper texture stretched to the cell) with
// its number label over it, red once the number is drawn.
class BoardCell : public QWidget {
    Q_OBJECT
public:
    BoardCell(int index, QWidget *parent);
    void showMarks(bool drawn, bool inPlay);
    void setNumberFont(const QFont &font);
    bool drawn() const { return drawn_; }
    bool inPlay() const { return inPlay_; }
signals:
    void clicked(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void describe();

    int index_;
    bool drawn_ = false;
    bool inPlay_ = true;
    bool pressed_ = false;
};

// The help page, drawn from its vector picture so it stays sharp at any scale.
class HelpPage : public QWidget {
    Q_OBJECT
public:
    explicit HelpPage(QWidget *parent);
signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QSvgRenderer *renderer_ = nullptr;
};
