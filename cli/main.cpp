// lumdrak-eval: the calculator's console for shells and scripts. Every expression is typed on
// a '?' line of an in-memory console and Enter is pressed, so what it prints is exactly what
// the window's console would write.
#include "Banner.h"
#include "Console.h"
#include "MemoryWindow.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace
{

constexpr char kUsage[] =
    "usage: lumdrak-eval [-c none|32|16|8] [-u] [-o bin|hex|dez] [--raw] [EXPRESSION ...]\n";

constexpr char kHelp[] =
    "Evaluates calculator expressions, from the arguments or one per line from standard input\n"
    "(a leading '?' is dropped, empty lines are skipped), and prints each result line exactly as\n"
    "the calculator's console writes it. A syntax error goes to standard error as the console\n"
    "shows it: the expression, a ^^ marker under the failing character, \"Syntax not allowed.\"\n"
    "\n"
    "  -c none|32|16|8  force cast: narrow every intermediate value to that many bits\n"
    "  -u               with -c: read the narrowed values as unsigned\n"
    "  -o bin|hex|dez   output the binary (#), hexadecimal ($) or decimal line (default dez)\n"
    "  --raw            print each value in its shortest exact decimal form, or 'error P'\n"
    "                   with the 1-based position of the syntax error\n"
    "  --               the arguments after it are expressions, even when they begin with -\n"
    "  -h, --help       print this help and exit\n"
    "  --version        print the version and exit\n"
    "\n"
    "The last result r carries over from one expression to the next.\n"
    "Exit status: 0 all evaluated, 1 a syntax error (or an output error), 2 bad usage.\n";

constexpr int kExitOk = 0;
constexpr int kExitSyntaxError = 1;
constexpr int kExitUsage = 2;

struct SOptions
{
    int nCastMode = 0;
    int bUnsigned = 0;
    int nOutputMode = 2;
    bool bRaw = false;
    std::vector<std::string> expressions;
};

int UsageError(const std::string& strMessage)
{
    std::fprintf(stderr, "lumdrak-eval: %s\n%s", strMessage.c_str(), kUsage);
    return kExitUsage;
}

// The index of strValue among names, or -1.
int IndexOf(std::string_view strValue, std::initializer_list<std::string_view> names)
{
    int nIndex = 0;
    for (const std::string_view strName : names)
    {
        if (strName == strValue)
            return nIndex;
        ++nIndex;
    }
    return -1;
}

// Returns -1 when every argument was understood, otherwise the exit status to end with.
int ParseArguments(int argc, char** argv, SOptions& options)
{
    bool bOptions = true;
    for (int i = 1; i < argc; ++i)
    {
        const std::string_view strArg = argv[i];
        if (!bOptions)
        {
            options.expressions.emplace_back(strArg);
        }
        else if (strArg == "--")
        {
            bOptions = false;
        }
        else if (strArg == "--help" || strArg == "-h")
        {
            std::fputs(kUsage, stdout);
            std::fputs(kHelp, stdout);
            return kExitOk;
        }
        else if (strArg == "--version")
        {
            std::printf("lumdrak-eval (Lumdrak) %s\n", kVersionNumber);
            return kExitOk;
        }
        else if (strArg == "--raw")
        {
            options.bRaw = true;
        }
        else if (strArg == "-u")
        {
            options.bUnsigned = 1;
        }
        else if (strArg == "-c" || strArg == "-o")
        {
            const bool bCast = strArg == "-c";
            const std::string_view strValue = i + 1 < argc ? argv[++i] : "";
            const int nMode = bCast ? IndexOf(strValue, {"none", "32", "16", "8"})
                                    : IndexOf(strValue, {"bin", "hex", "dez"});
            if (nMode < 0)
                return UsageError(std::string(strArg) + (bCast ? " takes none, 32, 16 or 8"
                                                               : " takes bin, hex or dez"));
            (bCast ? options.nCastMode : options.nOutputMode) = nMode;
        }
        else if (strArg.size() > 2 && strArg.substr(0, 2) == "--")
        {
            return UsageError("unknown option '" + std::string(strArg) + "'");
        }
        else
        {
            options.expressions.emplace_back(strArg); // "-3" and "-pi" are expressions
        }
    }
    return -1;
}

// The in-memory console in Scroll mode with the chosen cast and output.
class CEvalSession
{
public:
    explicit CEvalSession(const SOptions& options) : m_bRaw(options.bRaw)
    {
        m_console.SetStartDefaults();
        m_console.m_nCastMode = options.nCastMode;
        m_console.m_bUnsigned = options.bUnsigned;
        m_console.m_nOutputMode = options.nOutputMode;
        m_console.m_nEditMode = 0;
        m_console.Start("", "");
    }

    // Evaluates every line of strText; CR and LF both end a line.
    void EvaluateLines(std::string_view strText)
    {
        while (!strText.empty())
        {
            const std::size_t nEnd = strText.find_first_of("\r\n");
            EvaluateLine(strText.substr(0, nEnd));
            if (nEnd == std::string_view::npos)
                break;
            strText.remove_prefix(nEnd + 1);
        }
    }

    bool m_bAnyError = false;

private:
    void EvaluateLine(std::string_view strLine)
    {
        if (!strLine.empty() && strLine.front() == '?')
            strLine.remove_prefix(1);
        if (strLine.empty())
            return;
        m_strLine.assign(1, '?');
        m_strLine.append(strLine);
        m_window.SetConsoleText(m_strLine);
        m_console.ProcessEnter();

        // What Enter wrote below the line: the result and a prompt, or the marker, the
        // message and a prompt.
        const std::string& strConsole = m_window.m_strConsoleText;
        const std::size_t nWritten = m_strLine.size() + 2;
        const std::size_t nFirstEnd = strConsole.find("\r\n", nWritten);
        const std::string_view strFirst(strConsole.data() + nWritten, nFirstEnd - nWritten);
        const int nErrorPos = m_console.m_evaluator.m_nErrorPos;
        if (nErrorPos != 0)
            m_bAnyError = true;

        if (m_bRaw)
        {
            if (nErrorPos != 0)
                std::printf("error %d\n", nErrorPos);
            else
                PrintRaw(m_console.m_evaluator.m_dLastResult);
        }
        else if (nErrorPos != 0)
        {
            const std::size_t nSecondEnd = strConsole.find("\r\n", nFirstEnd + 2);
            std::fwrite(m_strLine.data(), 1, m_strLine.size(), stderr);
            std::fputc('\n', stderr);
            std::fwrite(strFirst.data(), 1, strFirst.size(), stderr);
            std::fputc('\n', stderr);
            std::fwrite(strConsole.data() + nFirstEnd + 2, 1, nSecondEnd - nFirstEnd - 2, stderr);
            std::fputc('\n', stderr);
        }
        else
        {
            std::fwrite(strFirst.data(), 1, strFirst.size(), stdout);
            std::fputc('\n', stdout);
        }
    }

    static void PrintRaw(double dValue)
    {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, dValue);
        std::string_view strValue(buffer, static_cast<std::size_t>(result.ptr - buffer));
        if (strValue == "-nan")
            strValue = "nan";
        std::printf("%.*s\n", static_cast<int>(strValue.size()), strValue.data());
    }

    bool m_bRaw;
    std::string m_strLine;
    CMemoryWindow m_window;
    CConsole m_console{m_window};
};

} // namespace

int main(int argc, char** argv)
{
    SOptions options;
    const int nParsed = ParseArguments(argc, argv, options);
    if (nParsed >= 0)
        return nParsed;

    CEvalSession session(options);
    if (!options.expressions.empty())
    {
        for (const std::string& strExpression : options.expressions)
            session.EvaluateLines(strExpression);
    }
    else
    {
        const bool bPrompt = isatty(STDIN_FILENO) != 0;
        char* pLine = nullptr;
        std::size_t nCapacity = 0;
        for (;;)
        {
            if (bPrompt)
            {
                std::fputc('?', stdout);
                std::fflush(stdout);
            }
            const ssize_t nRead = getline(&pLine, &nCapacity, stdin);
            if (nRead < 0)
                break;
            session.EvaluateLines(std::string_view(pLine, static_cast<std::size_t>(nRead)));
            if (bPrompt)
                std::fflush(stdout);
        }
        std::free(pLine);
        if (bPrompt)
            std::fputc('\n', stdout);
    }

    if (std::fflush(stdout) != 0 || std::ferror(stdout))
    {
        std::fprintf(stderr, "lumdrak-eval: cannot write the results: %s\n", std::strerror(errno));
        return kExitSyntaxError;
    }
    return session.m_bAnyError ? kExitSyntaxError : kExitOk;
}
