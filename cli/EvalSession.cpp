#include "EvalSession.h"

#include "CHeaderFile.h"
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

CEvalSession::SCText& CEvalSession::C()
{
    if (!m_pC) m_pC = std::make_unique<SCText>();
    return *m_pC;
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
    m_arrPasted.clear();
    C().paste.Finish(PasteOptions(), m_arrPasted);
    PrintPasted();
}

bool CEvalSession::ReadHeader(const std::string& strPath, std::string& strError,
                              std::string& strNote, std::size_t* pDefinitions)
{
    const SCHeaderRead read = ReadHeaderFile(strPath, C().names);
    strError = read.strError;
    strNote = read.strNote;
    if (pDefinitions != nullptr) *pDefinitions = read.nDefinitions;
    if (read.bRead) m_bCLiterals = true;
    return read.bRead;
}

int CEvalSession::Enter(std::string_view strExpression, bool bAsTyped)
{
    m_bDiffers = m_bUnknown = m_bNoValue = false;
    if (!m_bCLiterals || bAsTyped) return EnterText(strExpression);
    // One line on its own: a comment it leaves open ends with it.
    m_arrPasted.clear();
    C().paste.ReadLine(strExpression, PasteOptions(), m_arrPasted);
    C().paste.Finish(PasteOptions(), m_arrPasted);
    return EnterPasted(m_arrPasted.empty() ? SPastedLine{} : m_arrPasted.back());
}

// A line read as C: its translation entered where it gives C's value, nothing where it
// differs, is unknown or yields no value, and the literal conversion where it is no C. The
// line and its marker are shown as it was given.
int CEvalSession::EnterPasted(const SPastedLine& pasted)
{
    m_strWritten.clear();
    m_strMessage.clear();
    switch (pasted.eEntry)
    {
    case EPasteEntry::None:
        m_bNoValue = true;
        return 0;
    case EPasteEntry::Unknown:
        m_bUnknown = true;
        m_bAnyUnknown = true;
        m_strCNotice = pasted.strNotice;
        return 0;
    case EPasteEntry::AsTyped:
        return EnterText(pasted.strEntry);
    case EPasteEntry::Value:
        if (!pasted.bDiffers) break;
        m_bDiffers = true;
        m_bAnyDifference = true;
        m_strCNotice = pasted.strNotice;
        return 0;
    case EPasteEntry::Converted:
        break;
    }
    m_strLine.assign(1, '?');
    m_strLine.append(pasted.strEntry);
    return Evaluate(pasted.strGiven, &pasted);
}

int CEvalSession::EnterText(std::string_view strText)
{
    m_strLine.assign(1, '?');
    m_strLine.append(strText);
    return Evaluate(strText, nullptr);
}

// Enter on m_strLine; with pMapped its bytes came from strText as pMapped's positions say, and
// the line and its marker are shown as strText stands.
int CEvalSession::Evaluate(std::string_view strText, const SPastedLine* pMapped)
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
    if (pMapped)
    {
        // The line and the marker as they stand for the text that was given.
        m_strLine.assign(1, '?');
        m_strLine.append(strText);
        if (nErrorPos != 0)
        {
            nErrorPos = pMapped->SourcePos(nErrorPos);
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
    if (m_bCLiterals)
    {
        m_arrPasted.clear();
        C().paste.ReadLine(strLine, PasteOptions(), m_arrPasted);
        PrintPasted();
        return;
    }
    if (strLine.starts_with('?')) strLine.remove_prefix(1);
    if (strLine.empty()) return;
    Print(strLine, Enter(strLine, true));
}

// The lines the C text completed, each with its outcome; a '?' line as typed.
void CEvalSession::PrintPasted()
{
    for (const SPastedLine& pasted : m_arrPasted)
    {
        m_bDiffers = m_bUnknown = m_bNoValue = false;
        if (pasted.eEntry != EPasteEntry::AsTyped)
            Print(pasted.strGiven, EnterPasted(pasted));
        else if (!pasted.strEntry.empty())
            Print(pasted.strEntry, EnterText(pasted.strEntry));
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
