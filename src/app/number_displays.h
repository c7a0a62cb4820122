#pragma once

#include <QObject>
#include <optional>

class ClickLabel;
class QWidget;

// The last number, large in the top left corner ("OV" before the first of a game), and its
// meaning in the smorfia on the line under the board. A click on either says it again.
class NumberDisplays : public QObject {
    Q_OBJECT
public:
    explicit NumberDisplays(QWidget *window);

    void show(std::optional<int> number);
    // Centred under the board, on the window's bottom edge.
    void placeSmorfiaLine(QPoint topLeft);

    ClickLabel *lastNumber;
    ClickLabel *smorfiaLine;
};

inline const QString kNoNumberCaption = QStringLiteral("OV");
