#include "platform/report/LogBuffer.h"

#include <utility>

void TLogBuffer::AppendLine(const std::string& strLine) {
    if (!m_bNoLines) m_strText += '\n';
    m_strText += strLine;
    m_bNoLines = false;
    ++m_nRevision;
}

void TLogBuffer::ClearLog() {
    m_strText.clear();
    m_bNoLines = true;
    ++m_nRevision;
}

void TLogBuffer::Assign(std::string strText, bool bNoLines) {
    m_strText = std::move(strText);
    m_bNoLines = bNoLines && m_strText.empty();
    ++m_nRevision;
}

std::vector<std::string> TLogBuffer::Lines() const {
    std::vector<std::string> lines;
    if (m_bNoLines) return lines;
    std::size_t nStart = 0;
    for (;;) {
        const std::size_t nEnd = m_strText.find('\n', nStart);
        if (nEnd == std::string::npos) break;
        lines.emplace_back(m_strText, nStart, nEnd - nStart);
        nStart = nEnd + 1;
    }
    lines.emplace_back(m_strText, nStart);
    return lines;
}
