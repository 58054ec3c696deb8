#include "windows/TFormDebug.h"

#include <QFileDialog>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "files/DurableWrite.h"
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
    connect(RichEdit, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_bShowing) m_bTyped = true;
    });
}

void TFormDebug::AppendLine(const std::string& strLine) { Log().AppendLine(strLine); }

void TFormDebug::ClearLog() { Log().ClearLog(); }

TLogBuffer& TFormDebug::Log() {
    TakeTyped();
    ShowLogSoon();
    return m_Log;
}

std::vector<std::string> TFormDebug::Lines() {
    TakeTyped();
    return m_Log.Lines();
}

void TFormDebug::TakeTyped() {
    if (!m_bTyped) return;
    m_bTyped = false;
    m_Log.Assign(RichEdit->toPlainText().toStdString(), m_Log.NoLines());
    m_nShownRevision = m_Log.Revision();
}

void TFormDebug::ShowLog() {
    m_bShowPosted = false;
    if (m_nShownRevision == m_Log.Revision()) return;
    m_bShowing = true;
    RichEdit->setPlainText(QString::fromStdString(m_Log.Text()));
    m_bShowing = false;
    m_nShownRevision = m_Log.Revision();
}

// Writers call Log() before they write: the box follows after the event loop's
// turn, so a dump shows once, whatever its length.
void TFormDebug::ShowLogSoon() {
    if (m_bShowPosted || !isVisible()) return;
    m_bShowPosted = true;
    QTimer::singleShot(0, this, [this] { ShowLog(); });
}

void TFormDebug::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ShowLog();
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
    std::string bytes;
    for (const std::string& s : Lines()) {
        bytes += s;
        bytes += '\n';
    }
    // Written aside, on the disk, then renamed over the old file: a failed write
    // leaves it whole. A folder that forbids new files therefore refuses the
    // save even for a file in it that may be written; another folder will do.
    const TWriteResult r = WriteFileDurably(strFileName.toStdString(), bytes);
    if (!r.bOk) {
        ShowMessage("Impossibile salvare il log nel file:\n" + strFileName.toStdString(), "Errore :", MsgIcon::Error);
    }
    return r.bOk;
}
