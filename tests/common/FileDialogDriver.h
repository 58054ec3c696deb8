// Answers the file dialogs a test's code opens modally, headless: each answer
// waits for the next showing of a QFileDialog and either types a name into it
// and accepts it, or cancels it. Answers are used in order, one per showing.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QTimer;

class FileDialogDriver {
public:
    FileDialogDriver();
    ~FileDialogDriver();

    // Types name (a full path, or a name relative to folder when folder is not
    // empty) and presses the dialog's accept.
    void Accept(const QString& name, const QString& folder = QString());
    void Cancel();

    // The title of every dialog answered, in order.
    QStringList titles;
    int Pending() const;

private:
    struct Answer {
        bool bAccept;
        QString name;
        QString folder;
    };
    void Poll();
    std::unique_ptr<QTimer> m_timer;
    QList<Answer> m_answers;
};
