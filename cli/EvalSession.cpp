#include "EvalSession.h"

#include "CLiterals.h"
#include "PanelBits.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

CEvalSession::CEvalSession(int nCastMode, int bUnsigned, int nOutputMode, bool bRaw,
                           bool bCLiterals)
    : m_bRaw(bRaw), m_bCLiterals(bCLiterals), m_nOutputMode(nOutputMode)
{
    m_console.SetStartDefaults();
    m_console.m_nCastMode = nCastMode;
    m_console.m_bUnsigned = bUnsigned;
    // The bits are those of r, the value the decimal line shows.
    m_console.m_nOutputMode = nOutputMode < kOutputDouble ? nOutputMode : 2;
    m_console.m_nEditMode = 0;
    m_console.Start("", "");
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

int CEvalSession::Enter(std::string_view strExpression)
{
    m_strLine.assign(1, '?');
    m_bDiffers = false;
    if (m_bCLiterals && m_reader.Read(strExpression, m_reading, true))
    {
        const SCCheck check = CheckReading(m_reading, m_console.m_evaluator.m_nCastType, m_checker);
        if (check.eAgreement == EAgreement::Differs || check.eAgreement == EAgreement::Undefined)
        {
            m_bDiffers = true;
            m_bAnyDifference = true;
            m_strCNotice = CheckText(m_reading, check, true);
            m_strWritten.clear();
            m_strMessage.clear();
            return 0;
        }
        m_strLine.append(m_reading.strTranslation);
        m_arrSourcePos = m_reading.arrSourcePos;
    }
    else if (m_bCLiterals)
        m_strLine.append(ConvertCLiterals(strExpression, &m_arrSourcePos));
    else
        m_strLine.append(strExpression);
    m_window.SetConsoleText(m_strLine);
    m_console.ProcessEnter();

    // What Enter wrote below the line: the result and a prompt, or the marker, the message
    // and a prompt.
    const std::string& strConsole = m_window.m_strConsoleText;
    const std::size_t nWritten = m_strLine.size() + 2;
    const std::size_t nFirstEnd = strConsole.find("\r\n", nWritten);
    m_strWritten.assign(strConsole, nWritten, nFirstEnd - nWritten);
    int nErrorPos = m_console.m_evaluator.m_nErrorPos;
    if (nErrorPos != 0)
    {
        const std::size_t nSecondEnd = strConsole.find("\r\n", nFirstEnd + 2);
        m_strMessage.assign(strConsole, nFirstEnd + 2, nSecondEnd - nFirstEnd - 2);
    }
    else
    {
        m_strMessage.clear();
        if (m_nOutputMode == kOutputDouble)
            m_strWritten = DoubleBitsText(LastResult());
        else if (m_nOutputMode == kOutputFloat)
            m_strWritten = FloatBitsText(LastResult());
        else if (m_bLiteral)
            m_strWritten = ResultLiteral(m_window.m_strPanelText, m_console.m_nOutputMode);
    }
    if (m_bCLiterals)
    {
        // The line and the marker as they stand for the text that was given.
        m_strLine.assign(1, '?');
        m_strLine.append(strExpression);
        if (nErrorPos != 0)
        {
            const auto nConverted =
                std::min(static_cast<std::size_t>(nErrorPos - 1), m_arrSourcePos.size() - 1);
            nErrorPos = static_cast<int>(m_arrSourcePos[nConverted]) + 1;
            m_strWritten.assign(static_cast<std::size_t>(nErrorPos - 1), ' ');
            m_strWritten += "^^";
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
    if (!strLine.empty() && strLine.front() == '?') strLine.remove_prefix(1);
    if (strLine.empty()) return;
    const int nErrorPos = Enter(strLine);
    if (nErrorPos != 0) m_bAnyError = true;

    if (m_bDiffers)
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
