#include "common/FileDialogDriver.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

FileDialogDriver::FileDialogDriver() : m_timer(std::make_unique<QTimer>()) {
    // Polling from the modal dialog's own event loop: the dialog is up by the
    // time the loop runs, whatever was shown before it.
    m_timer->setInterval(1);
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { Poll(); });
    m_timer->start();
}

FileDialogDriver::~FileDialogDriver() = default;

void FileDialogDriver::Accept(const QString& name, const QString& folder) { m_answers.append({true, name, folder}); }

void FileDialogDriver::Cancel() { m_answers.append({false, QString(), QString()}); }

int FileDialogDriver::Pending() const { return static_cast<int>(m_answers.size()); }

void FileDialogDriver::Poll() {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible() || m_answers.isEmpty()) return;
    const Answer answer = m_answers.takeFirst();
    titles.append(dialog->windowTitle());
    if (!answer.bAccept) {
        dialog->reject();
        return;
    }
    if (!answer.folder.isEmpty()) dialog->setDirectory(answer.folder);
    // Typed into the name box, as a person would; selectFile() second-guesses
    // names in folders that do not exist.
    if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(answer.name);
    else
        dialog->selectFile(answer.name);
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, which checks the name
}
