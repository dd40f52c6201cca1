#include "Interactive.h"

#include "Commands.h"
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
    PrintLine(MarkerLine(nColumn));
    PrintLine(session.ErrorMessage());
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
            const SCommandOutcome outcome = RunCommand(session, strLine);
            std::fputs(outcome.strText.c_str(), stdout);
            if (outcome.bQuit) return true;
        }
        else
        {
            EvaluateTyped(session, strLine);
        }
        std::fflush(stdout);
    }
}
