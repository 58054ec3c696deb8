#include "platform/ui/Messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QString>

#include <cstdio>

namespace {

QMessageBox::Icon ToQt(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Error: return QMessageBox::Critical;
        case MsgIcon::Warning: return QMessageBox::Warning;
        case MsgIcon::Information: return QMessageBox::Information;
        case MsgIcon::Question: return QMessageBox::Question;
        case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

class TMessageBoxes final : public IReporter {
public:
    void ShowMessage(const std::string& text, const std::string& caption, MsgIcon icon) override {
        if (!QApplication::instance()) {
            std::fprintf(stderr, "Sondarium: %s: %s\n", caption.c_str(), text.c_str());
            return;
        }
        // No owner window; application-modal, as the system's task-modal boxes are.
        QMessageBox box(ToQt(icon), QString::fromUtf8(caption.c_str()), QString::fromUtf8(text.c_str()),
                        QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
    }
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        if (!QApplication::instance()) return IReporter::AskYesNo(text, caption);
        QMessageBox box(QMessageBox::Question, QString::fromUtf8(caption.c_str()), QString::fromUtf8(text.c_str()),
                        QMessageBox::Yes | QMessageBox::No);
        // The toolkit's own labels would be English.
        box.button(QMessageBox::Yes)->setText(QString::fromUtf8("&Sì"));
        box.button(QMessageBox::No)->setText("&No");
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        box.setWindowModality(Qt::ApplicationModal);
        return box.exec() == QMessageBox::Yes;
    }
    void MessageBeep() override {
        if (QApplication::instance()) QApplication::beep();
    }
};

}  // namespace

void UseMessageBoxes() {
    static TMessageBoxes boxes;
    if (!Reporter()) SetReporter(&boxes);
}
