// The yardstick of the start-up benchmark: a bare main window, sized and
// maximised as the program's, in an application object with nothing else.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("  Sondarium  :   Test di ascolto"));
    window.resize(730, 640);
    window.setWindowState(Qt::WindowMaximized);
    window.show();
    return app.exec();
}
