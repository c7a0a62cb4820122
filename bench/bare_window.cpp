// A bare Qt window: the baseline that the program's start-up, memory and idle figures
// are compared with. With --speech it also starts the system's speech engine once
// shown, as the program does, so that the engine's own memory can be told apart.
#include <QApplication>
#include <QTextToSpeech>
#include <QTimer>
#include <QWidget>
#include <memory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.resize(1143, 734);
    window.show();
    std::unique_ptr<QTextToSpeech> speech;
    if (app.arguments().contains(QStringLiteral("--speech")))
        QTimer::singleShot(0, &window, [&] { speech = std::make_unique<QTextToSpeech>(); });
    return QApplication::exec();
}
