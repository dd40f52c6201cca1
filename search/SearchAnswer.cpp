#include "SearchAnswer.h"

#include "Console.h"
#include "MemoryWindow.h"
#include "Paste.h"
#include "Settings.h"

#include <algorithm>

namespace
{

// Enter on one line, as pasted into a console with the settings of a code: the lines the
// result panel shows and what the paste noted. The one place that drives the console and the
// C reader.
struct SEntered
{
    std::string strExpression; // the line entered, after the paste's conversion
    std::string strNotice;     // the paste's notice: C's value where the calculator's differs
    int nErrorPos = 0;
    std::string strPanel; // binary, hexadecimal and decimal line, CR LF apart
};

SEntered EnterAsPasted(std::string_view strText, std::string_view strSettingsCode)
{
    // Only the cast and the sign count; Scroll, since the panel is all that is read back.
    const SConsoleModes start;
    SSettings settings{start.bUnsigned, start.bEndPos, static_cast<int>(start.eCastMode),
                       static_cast<int>(start.eOutputMode), static_cast<int>(start.eEditMode)};
    DecodeSettingsCode(strSettingsCode, settings);
    CMemoryWindow window;
    CConsole console(window);
    console.SetModes({static_cast<ECastMode>(settings.m_nCastMode), settings.m_bUnsigned,
                      start.eOutputMode, EEditMode::Scroll, start.bEndPos});
    console.Start("", "");

    SEntered entered;
    CCNames names; // a launcher's query knows the built-in names alone
    SPasteConversion conversion = CPasteReader(names).Convert(strText, console.CastType());
    entered.strExpression = std::move(conversion.strText);
    entered.strNotice = std::move(conversion.strNotice);
    window.SetConsoleText('?' + entered.strExpression);
    entered.nErrorPos = console.ProcessEnter().nErrorPos;
    entered.strPanel = window.m_strPanelText;
    return entered;
}

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

std::string_view Trimmed(std::string_view strText)
{
    while (!strText.empty() && IsBlank(strText.front()))
        strText.remove_prefix(1);
    while (!strText.empty() && IsBlank(strText.back()))
        strText.remove_suffix(1);
    return strText;
}

// A digit, '$', '#', or a character between single quotes: words alone ("pi day", "face")
// are what a launcher is mostly asked, and the other programs answer them.
bool HasOperand(std::string_view strText)
{
    const auto IsOperandByte = [](char ch)
    { return (ch >= '0' && ch <= '9') || ch == '$' || ch == '#'; };
    const bool bDigit = std::any_of(strText.begin(), strText.end(), IsOperandByte);
    const std::size_t nQuote = strText.find('\'');
    return bDigit || (nQuote != std::string_view::npos &&
                      strText.find('\'', nQuote + 1) != std::string_view::npos);
}

// The panel's binary line shows every bit of the cast's width; a launcher's one line shows
// the number, as the hexadecimal line does.
std::string_view WithoutLeadingZeros(std::string_view strDigits)
{
    const std::size_t nFirst = strDigits.find_first_not_of('0');
    return nFirst == std::string_view::npos ? strDigits.substr(0, 1) : strDigits.substr(nFirst);
}

} // namespace

std::optional<SSearchAnswer> AnswerQuery(std::string_view strQuery,
                                         std::string_view strSettingsCode)
{
    if (strQuery.size() > kMaxQueryBytes) return std::nullopt;
    strQuery = Trimmed(strQuery);
    if (!strQuery.empty() && strQuery.front() == '?') strQuery = Trimmed(strQuery.substr(1));
    if (strQuery.empty() || strQuery.find_first_of("\r\n") != std::string_view::npos ||
        !HasOperand(strQuery))
        return std::nullopt;

    SEntered entered = EnterAsPasted(strQuery, strSettingsCode);
    if (entered.nErrorPos != 0) return std::nullopt;
    SSearchAnswer answer;
    answer.strTitle = LineOfText(entered.strPanel, 2);
    // With the prefixes the console writes them with.
    answer.strDescription.append(1, '$')
        .append(LineOfText(entered.strPanel, 1))
        .append(kDescriptionSeparator)
        .append(1, '#')
        .append(WithoutLeadingZeros(LineOfText(entered.strPanel, 0)));
    if (!entered.strNotice.empty())
        answer.strDescription.append(kDescriptionSeparator).append(entered.strNotice);
    answer.strExpression = std::move(entered.strExpression);
    return answer;
}
