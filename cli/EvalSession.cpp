#include "EvalSession.h"

#include "CHeaderFile.h"
#include "CLiterals.h"
#include "CTexts.h"
#include "PanelBits.h"
#include "ResultLiteral.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

CEvalSession::CEvalSession(ECastMode eCastMode, int bUnsigned, EOutputMode eOutputMode, bool bRaw,
                           bool bCLiterals)
    : m_bRaw(bRaw), m_bCLiterals(bCLiterals)
{
    SetModes({eCastMode, bUnsigned, eOutputMode});
    m_console.Start("", "");
}

void CEvalSession::SetModes(const SEvalModes& modes)
{
    m_nOutputMode = modes.eOutputMode;
    // The IEEE-754 bits are those of r, the value the decimal line shows.
    const bool bBits =
        modes.eOutputMode == EOutputMode::Double || modes.eOutputMode == EOutputMode::Float;
    m_console.SetModes({modes.eCastMode, modes.bUnsigned,
                        bBits ? EOutputMode::Decimal : modes.eOutputMode, EEditMode::Scroll, 0});
    // Enter reads the modes from the controls, as the window's does: they show them now.
    m_console.UpdateData(false);
}

SEvalModes CEvalSession::Modes() const
{
    const SConsoleModes modes = m_console.Modes();
    return {modes.eCastMode, modes.bUnsigned, m_nOutputMode};
}

void CEvalSession::EvaluateLines(std::string_view strText)
{
    while (!strText.empty())
    {
        const std::size_t nEnd = strText.find_first_of("\r\n");
        EvaluateLine(strText.substr(0, nEnd));
        if (nEnd == std::string_view::npos) break;
        strText.remove_prefix(nEnd + 1);
    }
}

void CEvalSession::FinishLines()
{
    if (!m_bCLiterals) return;
    m_arrOutcomes.clear();
    m_reader.Finish(m_arrOutcomes);
    PrintOutcomes();
    m_arrWaiting.clear();
}

bool CEvalSession::ReadHeader(const std::string& strPath, std::string& strError,
                              std::string& strNote)
{
    const SCHeaderRead read = ReadHeaderFile(strPath, m_names);
    strError = read.strError;
    strNote = read.strNote;
    return read.bRead;
}

int CEvalSession::Enter(std::string_view strExpression, bool bAsTyped)
{
    m_bDiffers = m_bUnknown = m_bNoValue = false;
    if (!m_bCLiterals || bAsTyped) return EnterText(strExpression, false);
    // One line on its own: a comment it leaves open ends with it.
    m_arrOutcomes.clear();
    m_reader.ReadLine(strExpression, m_arrOutcomes);
    m_reader.Finish(m_arrOutcomes);
    if (m_arrOutcomes.empty()) return EnterOutcome(SCLine{}, strExpression, 0);
    return EnterOutcome(m_arrOutcomes.back(), strExpression, 0);
}

// A line's outcome read as C: its translation entered where it gives C's value, nothing where
// it differs, is unknown or yields no value, and the literal conversion where it is no C.
// Its positions count from nOffset before the line's own first byte.
int CEvalSession::EnterOutcome(const SCLine& line, std::string_view strText, std::size_t nOffset)
{
    m_strWritten.clear();
    m_strMessage.clear();
    switch (line.eKind)
    {
    case ECLineKind::None:
        m_bNoValue = true;
        return 0;
    case ECLineKind::Unknown:
        m_bUnknown = true;
        m_bAnyUnknown = true;
        m_strCNotice = TextUnknown(line.strUnknown);
        return 0;
    case ECLineKind::NotC:
        return EnterText(strText, true);
    case ECLineKind::Value:
        break;
    }
    const SCReading& reading = line.reading;
    const SCCheck check = CheckReading(reading, m_console.CastType(), m_checker);
    if (check.eAgreement == EAgreement::Differs || check.eAgreement == EAgreement::Undefined ||
        reading.strTranslation.empty())
    {
        m_bDiffers = true;
        m_bAnyDifference = true;
        m_strCNotice = CheckText(reading, check, true);
        return 0;
    }
    m_strLine.assign(1, '?');
    m_strLine.append(reading.strTranslation);
    m_arrSourcePos.clear();
    for (const std::size_t nSource : reading.arrSourcePos)
        m_arrSourcePos.push_back(std::min(nSource - std::min(nSource, nOffset), strText.size()));
    return Evaluate(strText, true);
}

int CEvalSession::EnterText(std::string_view strText, bool bConvert)
{
    m_strLine.assign(1, '?');
    if (bConvert)
        m_strLine.append(ConvertCLiterals(strText, &m_arrSourcePos));
    else
        m_strLine.append(strText);
    return Evaluate(strText, bConvert);
}

// Enter on m_strLine; with bMapped its bytes came from strText as m_arrSourcePos says, and
// the line and its marker are shown as strText stands.
int CEvalSession::Evaluate(std::string_view strText, bool bMapped)
{
    m_window.SetConsoleText(m_strLine);
    SEnterResult entered = m_console.ProcessEnter();
    m_strWritten = std::move(entered.strLine);
    int nErrorPos = entered.nErrorPos;
    if (nErrorPos != 0)
    {
        m_strMessage = kSyntaxNotAllowed;
    }
    else
    {
        m_strMessage.clear();
        if (m_nOutputMode == EOutputMode::Double)
            m_strWritten = DoubleBitsText(entered.dValue);
        else if (m_nOutputMode == EOutputMode::Float)
            m_strWritten = FloatBitsText(entered.dValue);
        else if (m_bLiteral)
            m_strWritten = ResultLiteral(m_window.m_strPanelText,
                                         static_cast<int>(m_console.Modes().eOutputMode));
    }
    if (bMapped)
    {
        // The line and the marker as they stand for the text that was given.
        m_strLine.assign(1, '?');
        m_strLine.append(strText);
        if (nErrorPos != 0)
        {
            const auto nConverted =
                std::min(static_cast<std::size_t>(nErrorPos - 1), m_arrSourcePos.size() - 1);
            nErrorPos = static_cast<int>(m_arrSourcePos[nConverted]) + 1;
            m_strWritten = MarkerLine(static_cast<std::size_t>(nErrorPos));
        }
    }
    return nErrorPos;
}

std::string CEvalSession::LastResultText() const
{
    if (m_bRaw) return RawText(LastResult());
    std::string strDecimal = LineOfText(m_window.m_strPanelText, 2);
    return strDecimal.empty() ? "0" : strDecimal;
}

std::string CEvalSession::RawResult() const
{
    return m_bLiteral ? m_strWritten : RawText(LastResult());
}

std::string CEvalSession::RawText(double dValue)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, dValue);
    std::string strValue(buffer, result.ptr);
    if (strValue == "-nan") strValue = "nan";
    return strValue;
}

void CEvalSession::EvaluateLine(std::string_view strLine)
{
    const bool bAsTyped = !strLine.empty() && strLine.front() == '?';
    if (m_bCLiterals && !bAsTyped)
    {
        m_arrWaiting.emplace_back(strLine);
        m_arrOutcomes.clear();
        m_reader.ReadLine(strLine, m_arrOutcomes);
        PrintOutcomes();
        return;
    }
    if (bAsTyped) strLine.remove_prefix(1);
    if (strLine.empty()) return;
    if (m_bCLiterals) FinishLines(); // a '?' line is the calculator's own, and ends the C text
    Print(strLine, Enter(strLine, true));
}

// The outcomes the reader gave, each for the line it waited for. A value whose text began on
// lines before maps its positions past them.
void CEvalSession::PrintOutcomes()
{
    for (const SCLine& line : m_arrOutcomes)
    {
        if (m_arrWaiting.empty()) return;
        const std::string strText = std::move(m_arrWaiting.front());
        m_arrWaiting.pop_front();
        std::size_t nOffset = 0;
        const auto nBefore = static_cast<std::size_t>(line.nLinesBefore);
        for (std::size_t n = 0; n < nBefore && n < m_arrDone.size(); ++n)
            nOffset += m_arrDone[m_arrDone.size() - 1 - n] + 1;
        m_arrDone.push_back(strText.size());
        if (m_arrDone.size() > kMaxLinesBefore) m_arrDone.pop_front();
        m_bDiffers = m_bUnknown = m_bNoValue = false;
        Print(strText, EnterOutcome(line, strText, nOffset));
    }
}

void CEvalSession::Print(std::string_view strLine, int nErrorPos)
{
    if (nErrorPos != 0) m_bAnyError = true;
    if (m_bUnknown)
    {
        std::fprintf(stderr, "?%.*s: %s\n", static_cast<int>(strLine.size()), strLine.data(),
                     m_strCNotice.c_str());
        if (m_bRaw) std::printf("unknown\n");
    }
    else if (m_bNoValue)
    {
        if (m_bRaw) std::printf("-\n");
    }
    else if (m_bDiffers)
    {
        // Nothing for a script to take as the value: a person reads why.
        std::fprintf(stderr, "?%.*s: %s\n", static_cast<int>(strLine.size()), strLine.data(),
                     m_strCNotice.c_str());
        if (m_bRaw) std::printf("differs\n");
    }
    else if (m_bRaw)
    {
        if (nErrorPos != 0)
            std::printf("error %d\n", nErrorPos);
        else
            std::printf("%s\n", RawResult().c_str());
    }
    else if (nErrorPos != 0)
    {
        std::fwrite(m_strLine.data(), 1, m_strLine.size(), stderr);
        std::fputc('\n', stderr);
        std::fwrite(m_strWritten.data(), 1, m_strWritten.size(), stderr);
        std::fputc('\n', stderr);
        std::fwrite(m_strMessage.data(), 1, m_strMessage.size(), stderr);
        std::fputc('\n', stderr);
    }
    else
    {
        std::fwrite(m_strWritten.data(), 1, m_strWritten.size(), stdout);
        std::fputc('\n', stdout);
    }
}
