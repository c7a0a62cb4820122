// SPDX-License-Identifier: GPL-3.0-or-later
// A bare Qt window: the baseline that the program's start-up, memory and idle figures
// are compared with. --label adds one line of text, so that the cost of the first text
// on screen (font database, shaping) can be told apart.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.resize(1143, 734);
    if (app.arguments().contains(QStringLiteral("--label")))
        (new QLabel(QStringLiteral("Estrai Numero"), &window))->move(20, 20);
    window.show();
    return QApplication::exec();
}
