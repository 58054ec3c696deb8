// The debug window: a text log of devices, playlist and combinations, with
// Clear and Save. Created hidden at start-up, hidden again when closed; the log
// is written to whether or not anybody looks. GUI thread only.
//
// The log's text lives in a plain buffer (TLogBuffer), so a dump of many lines
// costs no more than the lines themselves; the log box gets the text in one
// piece when the window is shown (and, while shown, once per turn of the event
// loop). What the user types there is taken back before the log changes or
// its text is read.
#pragma once

#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/report/LogBuffer.h"

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
    std::vector<std::string> Lines();
    // The log, for writers that add many lines at once.
    TLogBuffer& Log();

    void Button1Click();  // "&Clear"
    void Button2Click();  // "&Save ..."

    // Writes the bare lines, each ended by a line feed, replacing the file.
    // On failure tells the user and leaves the log as it is; false then.
    bool SaveLog(const QString& strFileName);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The log box from the buffer, in one piece, when it is behind.
    void ShowLog();
    void ShowLogSoon();
    // The buffer from the log box, when the user typed into it.
    void TakeTyped();

    TLogBuffer m_Log;
    std::uint64_t m_nShownRevision = 0;  // the buffer's revision the log box shows
    bool m_bTyped = false;               // the log box holds typing the buffer lacks
    bool m_bShowing = false;             // the log box is being filled by ShowLog
    bool m_bShowPosted = false;
};
