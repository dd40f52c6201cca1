#include "Paste.h"

#include "CLiterals.h"
#include "CNotice.h"
#include "CTexts.h"

#include <algorithm>

namespace
{

// The first line with a notice says it, after its number where there are several lines, and how
// many more have one.
class CNoticeCount
{
public:
    void Add(const std::string& strNotice, int nLine)
    {
        if (strNotice.empty()) return;
        if (m_nWith++ == 0)
        {
            m_strFirst = strNotice;
            m_nFirstLine = nLine;
        }
    }
    std::string Text(int nLines)
    {
        return PasteNoticeText(std::move(m_strFirst), m_nFirstLine, nLines, m_nWith);
    }

private:
    std::string m_strFirst;
    int m_nFirstLine = 0;
    int m_nWith = 0;
};

// Reads one line alone, a comment it leaves open ending with it.
SPastedLine ReadAlone(std::string_view strLine, CCNames& names, ECastType eCast)
{
    CPasteReader reader(names);
    std::vector<SPastedLine> arrLines;
    const SPasteOptions options{eCast, false, false};
    reader.ReadLine(strLine, options, arrLines);
    reader.Finish(options, arrLines);
    return arrLines.empty() ? SPastedLine{} : std::move(arrLines.back());
}

} // namespace

std::vector<std::size_t> SPastedLine::SourcePositions() const
{
    if (!arrSourcePos.empty() || eEntry != EPasteEntry::Converted) return arrSourcePos;
    std::vector<std::size_t> arrPositions;
    ConvertCLiterals(strGiven, &arrPositions);
    return arrPositions;
}

int SPastedLine::SourcePos(int nPos) const
{
    const std::vector<std::size_t> arrPositions = SourcePositions();
    if (nPos < 1 || arrPositions.empty()) return nPos;
    const std::size_t nIndex =
        std::min(static_cast<std::size_t>(nPos - 1), arrPositions.size() - 1);
    return static_cast<int>(arrPositions[nIndex]) + 1;
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

CPasteReader::CPasteReader(CCNames& names, std::string strOrigin)
    : m_names(names), m_reader(names, ECReadMode::Paste, std::move(strOrigin))
{
}

void CPasteReader::ReadLine(std::string_view strLine, const SPasteOptions& options,
                            std::vector<SPastedLine>& arrOut)
{
    m_reader.m_bPositions = options.bPositions;
    if (strLine.starts_with('?'))
    {
        Finish(options, arrOut);
        SPastedLine& pasted = arrOut.emplace_back();
        pasted.eEntry = EPasteEntry::AsTyped;
        pasted.strGiven = strLine;
        pasted.strEntry = strLine.substr(1);
        return;
    }
    m_arrWaiting.emplace_back(strLine);
    m_reader.ReadLine(strLine, m_arrOutcomes);
    TakeOutcomes(options, arrOut);
}

void CPasteReader::Finish(const SPasteOptions& options, std::vector<SPastedLine>& arrOut)
{
    m_reader.m_bPositions = options.bPositions;
    m_reader.Finish(m_arrOutcomes);
    TakeOutcomes(options, arrOut);
    m_arrWaiting.clear();
}

// The outcomes the block reader gave, each for the line it waited for. A value whose text
// began on lines before maps its positions past them.
void CPasteReader::TakeOutcomes(const SPasteOptions& options, std::vector<SPastedLine>& arrOut)
{
    for (SCLine& line : m_arrOutcomes)
    {
        if (m_arrWaiting.empty()) break;
        SPastedLine& pasted = arrOut.emplace_back();
        pasted.strGiven = std::move(m_arrWaiting.front());
        m_arrWaiting.pop_front();
        std::size_t nOffset = 0;
        const auto nBefore = static_cast<std::size_t>(line.nLinesBefore);
        for (std::size_t n = 0; n < nBefore && n < m_arrDone.size(); ++n)
            nOffset += m_arrDone[m_arrDone.size() - 1 - n] + 1;
        m_arrDone.push_back(pasted.strGiven.size());
        if (m_arrDone.size() > kMaxLinesBefore) m_arrDone.pop_front();
        Complete(line, options, nOffset, pasted.strGiven, pasted);
    }
    m_arrOutcomes.clear();
}

void CPasteReader::Complete(SCLine& line, const SPasteOptions& options, std::size_t nOffset,
                            std::string_view strGiven, SPastedLine& pasted)
{
    if (!options.bTerminal && !line.strDefines.empty()) m_definedHere.insert(line.strDefines);
    switch (line.eKind)
    {
    case ECLineKind::None:
        pasted.eEntry = EPasteEntry::None;
        break;
    case ECLineKind::Unknown:
        pasted.eEntry = EPasteEntry::Unknown;
        pasted.strNotice = TextUnknown(line.strUnknown);
        break;
    case ECLineKind::NotC:
        pasted.eEntry = EPasteEntry::Converted;
        pasted.strEntry = ConvertCLiterals(strGiven);
        pasted.strNotice = std::move(line.strRefusal);
        break;
    case ECLineKind::Value:
        CompleteValue(line, options, nOffset, strGiven, pasted);
        break;
    }
}

void CPasteReader::CompleteValue(SCLine& line, const SPasteOptions& options, std::size_t nOffset,
                                 std::string_view strGiven, SPastedLine& pasted)
{
    pasted.eEntry = EPasteEntry::Value;
    const SCReading& reading = line.reading;
    if (options.bTerminal)
    {
        pasted.check = CheckReading(reading, options.eCast, m_checker);
        if (pasted.check.eAgreement != EAgreement::Same)
            pasted.strNotice = CheckText(reading, pasted.check, true);
    }
    else
    {
        SCNotice notice = NoticeFor(line, strGiven, options.eCast, m_checker, false);
        pasted.check = notice.check;
        pasted.strNotice = std::move(notice.strText);
        const std::string strOrigins = Origins(line);
        if (!strOrigins.empty() && !pasted.strNotice.empty()) pasted.strNotice += ' ';
        pasted.strNotice += strOrigins;
    }
    const bool bTranslated = !reading.strTranslation.empty();
    if (!bTranslated && pasted.check.eAgreement == EAgreement::Same)
    {
        // A value the calculator cannot write: nothing gives it.
        pasted.check.eAgreement = EAgreement::Differs;
        pasted.check.eSameCast.reset();
        pasted.strNotice = CheckText(reading, pasted.check, options.bTerminal);
    }
    pasted.bDiffers = !bTranslated || pasted.check.eAgreement == EAgreement::Differs ||
                      pasted.check.eAgreement == EAgreement::Undefined;
    pasted.reading = std::move(line.reading);
    if (!bTranslated)
    {
        pasted.strEntry =
            ConvertCLiterals(strGiven, options.bPositions ? &pasted.arrSourcePos : nullptr);
        return;
    }
    // A value read over several lines is one line in the console.
    pasted.strEntry = pasted.reading.strTranslation;
    std::replace(pasted.strEntry.begin(), pasted.strEntry.end(), '\n', ' ');
    if (!options.bPositions) return;
    pasted.arrSourcePos = std::move(pasted.reading.arrSourcePos);
    for (std::size_t& nSource : pasted.arrSourcePos)
        nSource = std::min(nSource - std::min(nSource, nOffset), strGiven.size());
}

// Where the names a line took came from, those that this read did not define itself:
// "UART0_CR: pasted; EVIOCGRAB: linux/input.h."
std::string CPasteReader::Origins(const SCLine& line) const
{
    std::string strText;
    for (const SCNameUse& use : line.arrUsed)
    {
        if (m_definedHere.contains(use.strName)) continue;
        const SCName* pName = m_names.FindMacro(use.strName);
        if (!pName) pName = m_names.FindOrdinary(use.strName);
        if (!pName || pName->bBuiltIn) continue;
        if (!strText.empty()) strText += "; ";
        strText += TextNameOrigin(use.strName, use.strOrigin);
    }
    if (!strText.empty()) strText += '.';
    return strText;
}

SPasteConversion CPasteReader::Convert(std::string_view strPasted, ECastType eCast,
                                       const std::function<bool()>& fnGoOn)
{
    SPasteConversion result;
    result.strText.reserve(strPasted.size());
    SCleanText clean; // not kept: one long paste must not hold its memory for the session
    CleanSource(strPasted, clean, CommentEndOfPaste(strPasted));
    const SPasteOptions options{eCast, false, false};
    const auto nCleanSize = static_cast<std::uint32_t>(clean.strText.size());
    std::uint32_t nLineBegin = 0;
    std::size_t nSourceBegin = 0;
    int nLine = 0;
    CNoticeCount notices;
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
            m_reader.ReadCleanLine(
                std::string_view(clean.strText).substr(nLineBegin, i - nLineBegin), m_arrOutcomes);
            for (SCLine& line : m_arrOutcomes)
            {
                SPastedLine pasted;
                Complete(line, options, 0, strLine, pasted);
                const bool bEntry =
                    pasted.eEntry == EPasteEntry::Value || pasted.eEntry == EPasteEntry::Converted;
                result.strText += bEntry ? pasted.strEntry : ConvertCLiterals(strLine);
                notices.Add(pasted.strNotice, nLine);
            }
            m_arrOutcomes.clear();
        }
        if (i == nCleanSize) break;
        const std::size_t nBreak = strPasted.compare(nSourceEnd, 2, "\r\n") == 0 ? 2 : 1;
        result.strText.append(strPasted, nSourceEnd, nBreak);
        nSourceBegin = nSourceEnd + nBreak;
        nLineBegin = i + 1;
    }
    result.strNotice = notices.Text(nLine);
    return result;
}

SPasteBlock CPasteReader::ReadBlock(std::string_view strPasted, ECastType eCast,
                                    const std::function<bool()>& fnGoOn)
{
    SPasteBlock block;
    const SPasteOptions options{eCast, false, false};
    std::vector<SPastedLine> arrLines;
    CNoticeCount notices;
    const auto take = [&]
    {
        for (SPastedLine& pasted : arrLines)
        {
            SBlockLine& line = block.arrLines.emplace_back();
            line.strText = std::move(pasted.strGiven);
            if (pasted.eEntry == EPasteEntry::Value)
                line.bEnter = !pasted.reading.strTranslation.empty();
            else if (pasted.eEntry == EPasteEntry::Converted)
            {
                // The calculator's own text gets its line where the calculator reads it.
                m_checker.m_nCastType = eCast;
                (void)m_checker.Evaluate(&pasted.strEntry);
                line.bEnter = m_checker.m_nErrorPos == 0;
            }
            if (line.bEnter) line.strExpression = std::move(pasted.strEntry);
            notices.Add(pasted.strNotice, static_cast<int>(block.arrLines.size()));
        }
        arrLines.clear();
    };
    std::size_t nStart = 0;
    while (nStart < strPasted.size())
    {
        if (fnGoOn && !fnGoOn())
        {
            block.bWhole = false;
            return block;
        }
        const std::size_t nEnd =
            std::min(strPasted.find_first_of("\r\n", nStart), strPasted.size());
        ReadLine(strPasted.substr(nStart, nEnd - nStart), options, arrLines);
        take();
        nStart = nEnd + (strPasted.compare(nEnd, 2, "\r\n") == 0 ? 2 : 1);
    }
    Finish(options, arrLines);
    take();
    block.strNotice = notices.Text(static_cast<int>(block.arrLines.size()));
    return block;
}

STypedC TranslateTyped(std::string_view strExpression, const CCNames& names, ECastType eCast)
{
    const std::unique_ptr<CCNames> pOver = CCNames::Over(names);
    SPastedLine pasted = ReadAlone(strExpression, *pOver, eCast);
    STypedC typed;
    const bool bEntry =
        (pasted.eEntry == EPasteEntry::Value && !pasted.reading.strTranslation.empty()) ||
        pasted.eEntry == EPasteEntry::Converted;
    typed.strText = bEntry ? std::move(pasted.strEntry) : std::string(strExpression);
    typed.bChanged = typed.strText != strExpression;
    typed.strNotice = std::move(pasted.strNotice);
    return typed;
}

std::string AsCNotice(std::string_view strExpression, const CCNames& names, ECastType eCast)
{
    const std::unique_ptr<CCNames> pOver = CCNames::Over(names);
    const SPastedLine pasted = ReadAlone(strExpression, *pOver, eCast);
    if (pasted.eEntry != EPasteEntry::Value || !pasted.reading.bDefined ||
        pasted.reading.strTranslation.empty() || pasted.check.eAgreement == EAgreement::SyntaxError)
        return {};
    return TextAsC(pasted.reading.value);
}
