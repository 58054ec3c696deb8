// The debug window: a text log of devices, playlist and combinations, with
// Clear and Save. Created hidden at start-up, hidden again when closed.
// GUI thread only.
#pragma once

#include <QWidget>

#include <string>
#include <vector>

class TFormDebug : public QWidget {
public:
    explicit TFormDebug(QWidget* owner);

    void AppendLine(const std::string& strLine);
    void ClearLog();
    // The log's lines as it holds them now (typed or written by the program).
    std::vector<std::string> Lines() const;

    void Button1Click();  // "&Clear"
    void Button2Click();  // "&Save ..."
};
