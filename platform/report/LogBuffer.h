// The debug log's text: an ordered list of lines held in one plain buffer.
// Appending is cheap whatever the log holds; the debug window shows the text
// in one piece when it is shown or its text is asked for. GUI thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TLogBuffer {
public:
    // Adds the text as a new last line; a line feed inside it starts a new line.
    void AppendLine(const std::string& strLine);
    void ClearLog();
    // Replaces the whole log, as typed text ("" is one empty line, unlike a
    // cleared log, which has none).
    void Assign(std::string strText, bool bNoLines);

    // The lines joined by line feeds, without a final one.
    const std::string& Text() const { return m_strText; }
    bool NoLines() const { return m_bNoLines; }
    std::vector<std::string> Lines() const;
    // Changes with every change of the text, so a view knows when it is behind.
    std::uint64_t Revision() const { return m_nRevision; }

private:
    std::string m_strText;
    bool m_bNoLines = true;
    std::uint64_t m_nRevision = 0;
};
