// The debug window: a text log of devices, playlist and combinations, with
// Clear and Save. Created hidden at start-up, hidden again when closed; the log
// is written to whether or not anybody looks. GUI thread only.
#pragma once

#include <QWidget>

#include <string>
#include <vector>

class QFrame;
class QPlainTextEdit;
class QPushButton;

// Opens every diagnostic block: appended as one line, it leaves two empty lines
// and then a line of 54 asterisks.
inline const std::string SEPARATOR_LINE = "\n\n" + std::string(54, '*');

class TFormDebug : public QWidget {
public:
    explicit TFormDebug(QWidget* owner);

    // ---- form data ----
    QFrame* Panel1 = nullptr;
    QPushButton* Button2 = nullptr;  // "&Save ..."
    QPushButton* Button1 = nullptr;  // "&Clear"
    QFrame* Panel2 = nullptr;
    QPlainTextEdit* RichEdit = nullptr;

    // Adds the text as a new last line; a line feed inside it starts a new line.
    void AppendLine(const std::string& strLine);
    void ClearLog();
    // The log's lines as it holds them now (typed or written by the program).
    std::vector<std::string> Lines() const;

    void Button1Click();  // "&Clear"
    void Button2Click();  // "&Save ..."

    // Writes the bare lines, each ended by a line feed, replacing the file.
    // On failure tells the user and leaves the log as it is; false then.
    bool SaveLog(const QString& strFileName);

private:
    // No line was added since the log was last emptied: an empty text then
    // means no lines rather than one empty line.
    bool m_bNoLines = true;
};
