#include "windows/TFormDebug.h"

#include <QFileDialog>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include "platform/ui/Fonts.h"
#include "platform/ui/Messages.h"

TFormDebug::TFormDebug(QWidget* owner) : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint) {
    setWindowTitle("  Sondarium  :   Debug");
    setFont(PixelFont("MS Sans Serif", 11));
    resize(383, 306);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::NoFrame);
    Panel1->setFixedHeight(45);
    Button2 = new QPushButton("&Save ...", Panel1);
    Button2->setGeometry(8, 16, 75, 25);
    Button1 = new QPushButton("&Clear", Panel1);
    Button1->setGeometry(88, 16, 81, 25);

    Panel2 = new QFrame(this);
    Panel2->setFrameStyle(QFrame::NoFrame);
    RichEdit = new QPlainTextEdit(Panel2);
    RichEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit->setReadOnly(false);

    auto* inner = new QVBoxLayout(Panel2);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->addWidget(RichEdit);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(Panel1);
    outer->addWidget(Panel2, 1);

    setTabOrder(Button1, Button2);
    setTabOrder(Button2, RichEdit);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TFormDebug::AppendLine(const std::string& strLine) {
    QTextCursor cursor(RichEdit->document());
    cursor.movePosition(QTextCursor::End);
    if (!(m_bNoLines && RichEdit->document()->isEmpty())) cursor.insertBlock();
    // Line feeds in the text become line breaks of the log.
    cursor.insertText(QString::fromUtf8(strLine.data(), static_cast<qsizetype>(strLine.size())));
    m_bNoLines = false;
}

void TFormDebug::ClearLog() {
    RichEdit->clear();
    m_bNoLines = true;
}

std::vector<std::string> TFormDebug::Lines() const {
    std::vector<std::string> lines;
    const QTextDocument* doc = RichEdit->document();
    if (m_bNoLines && doc->isEmpty()) return lines;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) lines.push_back(b.text().toStdString());
    return lines;
}

void TFormDebug::Button1Click() { ClearLog(); }

void TFormDebug::Button2Click() {
    QFileDialog dlg(this, QString(), QString(), "Text File (*.txt)");
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setDefaultSuffix("txt");
    dlg.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    dlg.selectFile("*.txt");
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    SaveLog(dlg.selectedFiles().first());
}

bool TFormDebug::SaveLog(const QString& strFileName) {
    QByteArray bytes;
    for (const std::string& s : Lines()) {
        bytes.append(s.data(), static_cast<qsizetype>(s.size()));
        bytes.append('\n');
    }
    // Written aside and renamed over the old file, so a failed write leaves it whole.
    QSaveFile file(strFileName);
    file.setDirectWriteFallback(true);  // a file in a folder we may not create files in
    const bool bOk = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!bOk) {
        ShowMessage("Impossibile salvare il log nel file:\n" + strFileName.toStdString(), "Errore :", MsgIcon::Error);
    }
    return bOk;
}
