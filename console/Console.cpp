#include "Console.h"

#include "ConsoleLines.h"
#include "IntegerConversion.h"
#include "PanelBits.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace
{

// Fixed notation with 12 decimals, as "%.12f" prints it but independent of the locale. A NaN
// prints as "nan" whatever its sign bit.
std::string Fixed12(double dValue)
{
    char buffer[400]; // a sign, 309 digits, the point and 12 decimals
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, dValue, std::chars_format::fixed, 12);
    std::string strText(buffer, result.ptr);
    if (strText == "-nan") strText = "nan";
    return strText;
}

// The cast the controls show, as the evaluator's cast type (0 to 7). A stored code may hold any
// digit: a sign flag above 1 shows as checked, and a cast mode beyond the radios checks no
// button, which is no cast.
ECastType CastTypeOf(ECastMode eCastMode, int bUnsigned)
{
    const int nSign = bUnsigned != 0 ? 1 : 0;
    const auto nCastMode = static_cast<int>(eCastMode);
    return static_cast<ECastType>((nCastMode >= 0 && nCastMode <= 3) ? 2 * nCastMode + nSign
                                                                     : nSign);
}

} // namespace

std::string MarkerLine(std::size_t nColumn)
{
    std::string strMarker(nColumn > 0 ? nColumn - 1 : 0, ' ');
    strMarker += "^^";
    return strMarker;
}

void CConsole::UpdateData(bool bSaveAndValidate)
{
    if (bSaveAndValidate)
        m_pWindow->ReadControls(*this);
    else
        m_pWindow->WriteControls(*this);
}

std::optional<CConsole::SCaretLine> CConsole::CaretQuestionLine()
{
    int nSelStart = 0;
    int nSelEnd = 0;
    m_pWindow->GetConsoleSel(nSelStart, nSelEnd);
    // Only the caret's line and the two below it take part: the steps find in them what they
    // would find in the whole text, whose position nBegin is their start.
    SConsoleLines lines = m_pWindow->GetConsoleLines(std::max(nSelStart, 0));
    m_strConsole = std::move(lines.strText);
    const auto nBegin = static_cast<std::size_t>(lines.nBegin);
    const std::size_t nCaret = static_cast<std::size_t>(std::max(nSelStart, lines.nBegin)) - nBegin;
    const std::optional<SQuestionLine> line = FindQuestionLine(m_strConsole, nCaret);
    if (!line) return std::nullopt;
    return SCaretLine{nBegin, *line};
}

SEnterResult CConsole::ProcessEnter()
{
    SEnterResult result;
    UpdateData(true);
    const std::optional<SCaretLine> caret = CaretQuestionLine();
    if (!caret) return result;
    const std::string& strText = m_strConsole;
    const std::size_t nBegin = caret->nBegin;
    const SQuestionLine* line = &caret->line;

    m_strLastExpression = strText.substr(line->nQuestion + 1, line->nEnd - line->nQuestion - 1);
    result.strExpression = m_strLastExpression;
    result.bEntered = true;
    const std::string strResult = EvaluateLastExpression(result);
    const SReplaceRange range = ReplaceRange(strText, line->nEnd, m_nEditMode, m_bEndPos != 0);
    m_pWindow->SetConsoleSel(static_cast<int>(nBegin + line->nEnd),
                             static_cast<int>(nBegin + range.nEnd));
    m_pWindow->ReplaceConsoleSel(strResult);
    if (range.nKeep)
    {
        const auto nCaretAfter =
            static_cast<int>(nBegin + *range.nKeep + strResult.size() - (range.nEnd - line->nEnd));
        m_pWindow->SetConsoleSel(nCaretAfter, nCaretAfter);
    }
    return result;
}

std::string CConsole::EvaluateLastExpression(SEnterResult& result)
{
    m_dLastValue = m_evaluator.Evaluate(&m_strLastExpression);
    result.nErrorPos = m_evaluator.m_nErrorPos;
    std::string strResult = "\r\n";
    if (result.nErrorPos != 0)
    {
        result.strLine = MarkerLine(static_cast<std::size_t>(result.nErrorPos));
        strResult += result.strLine;
        strResult += "\r\n";
        strResult += kSyntaxNotAllowed;
        m_dLastValue = 0.0;
        m_strLastExpression.clear();
    }
    else
    {
        // The value just computed is the decimal line too: evaluating again would draw a new
        // rand( and show two numbers for one Enter.
        ShowPanel(m_dLastValue, m_dLastValue);
        // The panel line is written whole: a cut one would print a wrong number. Any output
        // mode but binary and hexadecimal writes the decimal line.
        const bool bPrefixed =
            m_nOutputMode == EOutputMode::Binary || m_nOutputMode == EOutputMode::Hexadecimal;
        m_strLastResult.clear();
        if (bPrefixed) m_strLastResult += m_nOutputMode == EOutputMode::Binary ? '#' : '$';
        m_strLastResult += m_pWindow->GetPanelLine(
            static_cast<int>(bPrefixed ? m_nOutputMode : EOutputMode::Decimal));
        strResult += m_strLastResult;
        result.dValue = m_dLastValue;
        result.strLine = m_strLastResult;
    }
    strResult += "\r\n?";
    return strResult;
}

SEnterResult CConsole::EnterLine(std::string_view strExpression)
{
    UpdateData(true);
    // The last line: everything after the last LF.
    const SConsoleLines lines = m_pWindow->GetConsoleLines(-1);
    const std::string_view strLastLine = lines.strText;
    std::string strAdded = strLastLine == "?" ? "" : strLastLine.empty() ? "?" : "\r\n?";
    strAdded += strExpression;
    m_pWindow->SetConsoleSel(lines.nLength, lines.nLength);
    m_pWindow->ReplaceConsoleSel(strAdded);
    return ProcessEnter();
}

bool CConsole::AtEmptyLastPrompt()
{
    int nSelStart = 0;
    int nSelEnd = 0;
    m_pWindow->GetConsoleSel(nSelStart, nSelEnd);
    const SConsoleLines lines = m_pWindow->GetConsoleLines(-1);
    return nSelStart == nSelEnd && nSelStart >= lines.nBegin && lines.strText == "?";
}

SEnterResult CConsole::EnterPastedLine(std::string_view strText, bool bEnter,
                                       std::string_view strExpression)
{
    const SConsoleLines lines = m_pWindow->GetConsoleLines(-1);
    // The prompt takes the line; any other last line keeps its text, and the line goes below.
    const bool bPrompt = lines.strText == "?";
    m_pWindow->SetConsoleSel(bPrompt ? lines.nBegin : lines.nLength, lines.nLength);
    if (strText.starts_with('?'))
    {
        m_pWindow->ReplaceConsoleSel(bPrompt ? "?" : "\r\n?");
        return EnterLine(strText.substr(1));
    }
    std::string strAdded = bPrompt ? "" : "\r\n";
    strAdded += strText;
    strAdded += "\r\n?";
    m_pWindow->ReplaceConsoleSel(strAdded);
    return bEnter ? EnterLine(strExpression) : SEnterResult{};
}

bool CConsole::TranslateLine(
    const std::function<std::optional<std::string>(std::string_view)>& fnTranslate)
{
    const std::optional<SCaretLine> caret = CaretQuestionLine();
    if (!caret) return false;
    const SQuestionLine& line = caret->line;
    const std::optional<std::string> translated = fnTranslate(
        std::string_view(m_strConsole).substr(line.nQuestion + 1, line.nEnd - line.nQuestion - 1));
    if (!translated ||
        m_strConsole.compare(line.nQuestion + 1, line.nEnd - line.nQuestion - 1, *translated) == 0)
        return false;
    m_pWindow->SetConsoleSel(static_cast<int>(caret->nBegin + line.nQuestion + 1),
                             static_cast<int>(caret->nBegin + line.nEnd));
    m_pWindow->ReplaceConsoleSel(*translated);
    return true;
}

void CConsole::ShowResult(double dValue)
{
    // The decimal line is the last expression evaluated anew under the current cast type.
    ShowPanel(dValue, m_evaluator.Evaluate(&m_strLastExpression));
}

void CConsole::ShowPanel(double dValue, double dDecimal)
{
    const std::int64_t nValue = lumdrak::ToInt64(dValue);
    const auto nBits = static_cast<std::uint64_t>(nValue);
    switch (m_nCastMode)
    {
    case ECastMode::Bits32:
        m_strPanel = m_evaluator.Binary32(static_cast<std::int32_t>(nBits & 0xFFFFFFFFu));
        m_strPanel += "\r\n" + HexDigits(nBits & 0xFFFFFFFFu);
        break;
    case ECastMode::Bits16:
        m_strPanel = m_evaluator.Binary16(nValue);
        m_strPanel += "\r\n" + HexDigits(nBits & 0xFFFFu);
        break;
    case ECastMode::Bits8:
        m_strPanel = m_evaluator.Binary8(nValue);
        m_strPanel += "\r\n" + HexDigits(nBits & 0xFFu);
        break;
    default:
        m_strPanel = m_evaluator.Binary64(nValue);
        m_strPanel += "\r\n" + HexDigits(nBits);
        break;
    }

    m_evaluator.m_dLastResult = dDecimal;
    m_strPanel += "\r\n" + Fixed12(m_evaluator.m_dLastResult);
    m_strPanel.erase(m_strPanel.find_last_not_of('0') + 1);
    m_strPanel.erase(m_strPanel.find_last_not_of('.') + 1);

    UpdateData(false);
    m_pWindow->FocusConsole();
}

bool CConsole::PreTranslateKeyDown(EVirtualKey eKey)
{
    switch (eKey)
    {
    case EVirtualKey::Enter:
        return ProcessEnter().bEntered;
    case EVirtualKey::F2:
        m_pWindow->ReplaceConsoleSel(m_strLastResult);
        return false;
    case EVirtualKey::F3:
        m_pWindow->ReplaceConsoleSel(m_strLastExpression);
        return false;
    case EVirtualKey::F4:
        m_evaluator.m_dMemory = m_evaluator.m_dLastResult;
        return false;
    default:
        return false;
    }
}

void CConsole::OnCastChange()
{
    UpdateData(true);
    m_evaluator.m_nCastType = CastTypeOf(m_nCastMode, m_bUnsigned);
    m_pWindow->EnableControl(EConsoleControl::Unsigned, m_nCastMode != ECastMode::None);
    ShowResult(m_dLastValue);
}

void CConsole::OnFocusConsole() { m_pWindow->FocusConsole(); }

void CConsole::OnEditMode()
{
    UpdateData(true);
    m_pWindow->EnableControl(EConsoleControl::EndPos, m_nEditMode != EEditMode::Scroll);
    m_pWindow->FocusConsole();
}

void CConsole::OnErase()
{
    // The controls are read first: writing back a stale view state would undo a mode the user
    // has just chosen (an output radio, whose click does nothing but move the focus).
    UpdateData(true);
    m_strConsole.clear();
    UpdateData(false);
    m_pWindow->ReplaceConsoleText(m_strConsole);
}

SConsoleModes CConsole::Modes() const
{
    return {m_nCastMode, m_bUnsigned, m_nOutputMode, m_nEditMode, m_bEndPos};
}

void CConsole::SetModes(const SConsoleModes& modes)
{
    m_nCastMode = modes.eCastMode;
    m_bUnsigned = modes.bUnsigned;
    m_nOutputMode = modes.eOutputMode;
    m_nEditMode = modes.eEditMode;
    m_bEndPos = modes.bEndPos;
    m_evaluator.m_nCastType = CastTypeOf(m_nCastMode, m_bUnsigned);
}

void CConsole::Start(std::string_view strBanner, std::string_view strVersion)
{
    m_evaluator.m_nCastType = CastTypeOf(m_nCastMode, m_bUnsigned);
    m_pWindow->EnableControl(EConsoleControl::EndPos, m_nEditMode != EEditMode::Scroll);
    m_pWindow->EnableControl(EConsoleControl::Unsigned, m_nCastMode != ECastMode::None);
    m_dLastValue = 0.0;
    m_strLastExpression.clear();
    m_strLastResult.clear();
    m_strConsole.assign(strBanner);
    m_strConsole += "\r\n";
    m_strConsole += strVersion;
    m_strConsole += '?';
    UpdateData(false);
    m_pWindow->ReplaceConsoleText(m_strConsole);
    m_pWindow->FocusConsole();
    const auto nEnd = static_cast<int>(m_strConsole.size());
    m_pWindow->SetConsoleSel(nEnd, nEnd);
}
