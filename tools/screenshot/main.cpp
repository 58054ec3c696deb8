// Starts the program's main window exactly as the program does, but on the
// offscreen platform and without an audio back end, and saves what it shows
// as a PNG. Usage: screenshot OUTPUT.png
#include <QApplication>
#include <QImage>
#include <QPixmap>

#include <cstdio>
#include <memory>

#include "app/TFormMain.h"
#include "platform/ui/Fonts.h"
#include "platform/ui/Messages.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    // A tool, not the program: it picks the headless platform itself.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutes();
    MessageObserver messages;  // a missing asset is reported here, not in a box

    auto form = std::make_unique<TFormMain>();
    form->FormCreate();
    form->show();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();

    const QImage image = form->grab().toImage();
    for (const ShownMessage& m : messages.messages)
        std::fprintf(stderr, "message: %s: %s\n", m.caption.c_str(), m.text.c_str());
    if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %dx%d, %s\n", argv[1], image.width(), image.height(),
                form->isMaximized() ? "maximised" : "not maximised");
    return 0;
}
