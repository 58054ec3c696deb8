// Program entry: starts the GUI framework, creates the main window and runs the
// message loop. No command-line argument, environment variable or file is read.
#include <QApplication>

#include "app/TFormMain.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    FormMain = new TFormMain();
    FormMain->FormCreate();
    const int rc = app.exec();
    delete FormMain;
    FormMain = nullptr;
    return rc == 0 ? 0 : rc;
}
