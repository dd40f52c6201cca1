#include "Interactive.h"

#include "Completion.h"
#include "EvalSession.h"
#include "HistoryFile.h"
#include "Libedit.h"
#include "LineEditor.h"

#include <clocale>
#include <cstdio>
#include <cwchar>
#include <string>
#include <string_view>

namespace
{

constexpr char kPrompt[] = "?";

// What :help prints, in 79 columns; the functions are listed from the token table between
// the two parts.
constexpr char kHelpText[] =
    "Type an expression and press Enter; r is the last result, m the memory.\n"
    "  numbers    12.5  1,5  2e3  $FF  #1010  'A' (its code)  pi  r  m\n"
    "  operators  ~ not, < power, * / %, + -, | & ^ << >> (tightest first);\n"
    "             a leading - negates: write 2*(-3), not 2*-3\n";
constexpr std::string_view kFunctionsLabel = "  functions  ";
constexpr std::size_t kHelpWidth = 79;
constexpr char kKeyText[] =
    "Keys: arrows, Home, End, Ctrl+A, Ctrl+E move; Ctrl+K, Ctrl+U cut to the end,\n"
    "  to the start, Ctrl+W the word before; Up, Down recall earlier lines; Ctrl+R\n"
    "  searches them as you type; Tab completes a name; Ctrl+L clears the screen;\n"
    "  Ctrl+C abandons the line; Ctrl+D on an empty line quits.\n"
    "Commands: :m stores r in m (F4 in the window), :help shows this, :q quits.\n";

enum class ECommand
{
    Memory,
    Help,
    Quit,
};

struct SCommand
{
    std::string_view strName;
    ECommand command;
};

constexpr SCommand kCommands[] = {
    {"m", ECommand::Memory}, {"help", ECommand::Help}, {"h", ECommand::Help},
    {"q", ECommand::Quit},   {"quit", ECommand::Quit},
};

std::string_view Trim(std::string_view strText)
{
    const std::size_t nFirst = strText.find_first_not_of(" \t");
    if (nFirst == std::string_view::npos) return {};
    return strText.substr(nFirst, strText.find_last_not_of(" \t") + 1 - nFirst);
}

// The screen column behind strText when it is shown from nColumn on, as libedit shows a
// line: wide characters take two columns, a control byte two (^X), a tab runs to the next
// multiple of eight. A byte that starts no character takes one.
std::size_t ColumnBehind(std::string_view strText, std::size_t nColumn)
{
    std::mbstate_t state{};
    while (!strText.empty())
    {
        wchar_t wc = 0;
        std::size_t nLength = std::mbrtowc(&wc, strText.data(), strText.size(), &state);
        if (nLength == static_cast<std::size_t>(-1) || nLength == static_cast<std::size_t>(-2))
        {
            state = std::mbstate_t{};
            nLength = 1;
            wc = L'?';
        }
        strText.remove_prefix(nLength == 0 ? 1 : nLength);
        if (wc == L'\t')
            nColumn = (nColumn / 8 + 1) * 8;
        else if (wc < L' ' || wc == L'\x7F')
            nColumn += 2;
        else
            nColumn += static_cast<std::size_t>(wcwidth(wc) < 0 ? 1 : wcwidth(wc));
    }
    return nColumn;
}

void PrintLine(std::string_view strText)
{
    std::fwrite(strText.data(), 1, strText.size(), stdout);
    std::fputc('\n', stdout);
}

// Evaluates a line as typed behind the prompt. A syntax error's marker goes under the
// failing character as the terminal shows it, the prompt's width counted.
void EvaluateTyped(CEvalSession& session, std::string_view strLine)
{
    std::string_view strExpression = strLine;
    const bool bAsTyped = !strExpression.empty() && strExpression.front() == '?';
    if (bAsTyped) strExpression.remove_prefix(1);
    if (strExpression.empty()) return;
    const int nErrorPos = session.Enter(strExpression, bAsTyped);
    if (session.DiffersFromC() || session.UnknownInC())
    {
        PrintLine(session.CNotice());
        return;
    }
    if (session.YieldsNoValue())
    {
        if (session.m_bRaw) PrintLine("-");
        return;
    }
    if (session.m_bRaw)
    {
        if (nErrorPos != 0)
            std::printf("error %d\n", nErrorPos);
        else
            PrintLine(session.RawResult());
        return;
    }
    if (nErrorPos == 0)
    {
        PrintLine(session.WrittenLine());
        return;
    }
    const std::size_t nBefore =
        strLine.size() - strExpression.size() + static_cast<std::size_t>(nErrorPos - 1);
    const std::size_t nColumn = ColumnBehind(strLine.substr(0, nBefore), sizeof kPrompt - 1);
    // The second caret stands under the failing character, the first under the one before.
    std::string strMarker(nColumn > 0 ? nColumn - 1 : 0, ' ');
    strMarker += "^^";
    PrintLine(strMarker);
    PrintLine(session.ErrorMessage());
}

void PrintHelp()
{
    std::fputs(kHelpText, stdout);
    std::string strRow(kFunctionsLabel);
    for (const std::string& strName : CompletionNames())
    {
        if (strName.back() != '(') continue;
        if (strRow.size() > kFunctionsLabel.size() &&
            strRow.size() + 1 + strName.size() > kHelpWidth)
        {
            PrintLine(strRow);
            strRow.assign(kFunctionsLabel.size(), ' ');
        }
        if (strRow.size() > kFunctionsLabel.size()) strRow += ' ';
        strRow += strName;
    }
    PrintLine(strRow);
    std::fputs(kKeyText, stdout);
}

// Runs a ':' line; false when the session ends.
bool RunCommand(CEvalSession& session, std::string_view strLine)
{
    const std::string_view strName = Trim(strLine.substr(1));
    for (const SCommand& command : kCommands)
    {
        if (command.strName != strName) continue;
        switch (command.command)
        {
        case ECommand::Memory:
            session.StoreResultInMemory();
            std::printf("m = %s\n", session.LastResultText().c_str());
            return true;
        case ECommand::Help:
            PrintHelp();
            return true;
        case ECommand::Quit:
            return false;
        }
    }
    std::printf("Unknown command ':%.*s'; :help lists the commands.\n",
                static_cast<int>(strName.size()), strName.data());
    return true;
}

} // namespace

bool RunInteractive(CEvalSession& session)
{
    std::string strError;
    if (!LoadLibedit(strError))
    {
        std::fprintf(stderr, "lumdrak-eval: no line editing: %s\n", strError.c_str());
        return false;
    }
    std::setlocale(LC_CTYPE, ""); // typed characters are read in the terminal's encoding
    CHistoryFile history(CHistoryFile::PathFromEnvironment());
    history.Load();
    CLineEditor editor(kPrompt, history);
    if (!editor.IsOpen()) return false;

    std::string strLine;
    for (;;)
    {
        const CLineEditor::ERead read = editor.ReadLine(strLine);
        if (read == CLineEditor::ERead::End)
        {
            std::fputc('\n', stdout);
            return true;
        }
        if (read == CLineEditor::ERead::Interrupted) continue;
        editor.Remember(strLine);
        if (!strLine.empty() && strLine.front() == ':')
        {
            if (!RunCommand(session, strLine)) return true;
        }
        else
        {
            EvaluateTyped(session, strLine);
        }
        std::fflush(stdout);
    }
}
