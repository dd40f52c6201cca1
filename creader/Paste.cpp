#include "Paste.h"

#include "CLiterals.h"
#include "CTexts.h"

#include <algorithm>

int SPastedLine::SourcePos(int nPos) const
{
    if (nPos < 1 || arrSourcePos.empty()) return nPos;
    const std::size_t nIndex =
        std::min(static_cast<std::size_t>(nPos - 1), arrSourcePos.size() - 1);
    return static_cast<int>(arrSourcePos[nIndex]) + 1;
}

void CPasteConverter::CheckLine(std::string_view strSource, ECastType eCast, bool bPositions,
                                bool bOptions)
{
    m_line.strNotice.clear();
    if (!m_line.reading.bC)
    {
        m_line.check = SCCheck{};
        m_line.strText = ConvertCLiterals(strSource, bPositions ? &m_line.arrSourcePos : nullptr);
        m_line.strNotice = m_line.reading.strRefusal;
        return;
    }
    m_line.strText = m_line.reading.strTranslation;
    if (bPositions) m_line.arrSourcePos = m_line.reading.arrSourcePos;
    m_line.check = CheckReading(m_line.reading, eCast, m_evaluator);
    if (m_line.check.eAgreement != EAgreement::Same)
        m_line.strNotice = CheckText(m_line.reading, m_line.check, bOptions);
}

const SPastedLine& CPasteConverter::ReadLine(std::string_view strLine, ECastType eCast,
                                             bool bPositions, bool bOptions)
{
    m_line.arrSourcePos.clear();
    m_reader.Read(strLine, m_line.reading, bPositions);
    CheckLine(strLine, eCast, bPositions, bOptions);
    return m_line;
}

std::size_t PortionEnd(std::string_view strText, std::size_t nFrom, int nMaxLines,
                       std::size_t nMaxBytes)
{
    const std::size_t nLongEnough = nFrom + std::min(nMaxBytes, strText.size() - nFrom);
    std::size_t nPos = nFrom;
    for (int nLine = 0; nLine < nMaxLines; ++nLine)
    {
        const std::size_t nBreak = strText.find('\n', nPos);
        if (nBreak == std::string_view::npos) return strText.size();
        nPos = nBreak + 1;
        if (nPos >= nLongEnough) break;
    }
    return nPos;
}

SPasteConversion CPasteConverter::Convert(std::string_view strPasted, ECastType eCast,
                                          const std::function<bool()>& fnGoOn)
{
    SPasteConversion result;
    result.strText.reserve(strPasted.size());
    SCleanText clean; // not kept: one long paste must not hold its memory for the session
    CleanSource(strPasted, clean, CommentEndOfPaste(strPasted));
    const auto nCleanSize = static_cast<std::uint32_t>(clean.strText.size());
    std::uint32_t nLineBegin = 0;
    std::size_t nSourceBegin = 0;
    int nLine = 0;
    int nDiffering = 0;
    int nFirstDiffering = 0;
    std::string strFirstNotice;
    for (std::uint32_t i = 0; i <= nCleanSize; ++i)
    {
        if (i < nCleanSize && clean.strText[i] != '\n') continue;
        if (fnGoOn && !fnGoOn())
        {
            result.bWhole = false;
            break;
        }
        ++nLine;
        const std::size_t nSourceEnd = i < nCleanSize ? clean.SourceOf(i) : strPasted.size();
        const std::string_view strLine = strPasted.substr(nSourceBegin, nSourceEnd - nSourceBegin);
        if (strLine.starts_with('?'))
        {
            result.strText += strLine; // the calculator's own line, exactly as typed there
        }
        else
        {
            m_reader.ReadClean(clean, nLineBegin, i, strPasted.size(), m_line.reading, false);
            CheckLine(strLine, eCast, false, false);
            result.strText += m_line.strText;
            if (!m_line.strNotice.empty() && nDiffering++ == 0)
            {
                strFirstNotice = m_line.strNotice;
                nFirstDiffering = nLine;
            }
        }
        if (i == nCleanSize) break;
        const std::size_t nBreak = strPasted.compare(nSourceEnd, 2, "\r\n") == 0 ? 2 : 1;
        result.strText.append(strPasted, nSourceEnd, nBreak);
        nSourceBegin = nSourceEnd + nBreak;
        nLineBegin = i + 1;
    }
    result.strNotice =
        PasteNoticeText(std::move(strFirstNotice), nFirstDiffering, nLine, nDiffering);
    const SPastedLine lastLine = std::move(m_line); // its buffers go with it, as the clean text's
    m_line = SPastedLine{};
    return result;
}
