// The second yardstick of the start-up benchmark: what plain Qt needs for what
// the program must show at start-up, without any of the program's code. A
// frameless picture window of the splash's size is shown first; then a main
// window like the bare one, with a menu bar of three menus and one text in
// each of the six fonts of the main form, is shown.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel splash(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    splash.setPixmap(QPixmap(QStringLiteral(SPLASH_PICTURE)));
    splash.setFixedSize(400, 300);
    splash.show();

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("  Sondarium  :   Test di ascolto"));
    for (const char* menu : {"&File", "&Imposta", "&Aiuto"}) window.menuBar()->addMenu(QString::fromLatin1(menu));
    auto* client = new QWidget(&window);
    window.setCentralWidget(client);
    struct Text {
        const char* family;
        int pixels;
        bool bold;
        const char* caption;
    };
    int y = 10;
    for (const Text& t : {Text{"Arial", 64, false, "A B"}, Text{"Arial", 24, false, "Preferisco A  Preferisco B"},
                          Text{"Arial", 19, false, "Test 1 di 10"}, Text{"Arial", 16, true, "Commenti  (opzionale)  :"},
                          Text{"MS Sans Serif", 13, true, "< <"}, Text{"MS Sans Serif", 11, false, "0:00"}}) {
        QFont font(QString::fromLatin1(t.family));
        font.setPixelSize(t.pixels);
        font.setBold(t.bold);
        auto* label = new QLabel(QString::fromUtf8(t.caption), client);
        label->setFont(font);
        label->setGeometry(10, y, 700, t.pixels + 12);
        y += t.pixels + 16;
    }
    window.resize(730, 640);
    window.setWindowState(Qt::WindowMaximized);
    window.show();
    return app.exec();
}
