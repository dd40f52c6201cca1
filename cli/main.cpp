// lumdrak-eval: the calculator's console for shells and scripts. Every expression is typed on
// a '?' line of an in-memory console and Enter is pressed, so what it prints is exactly what
// the window's console would write.
#include "Banner.h"
#include "EvalSession.h"
#include "Interactive.h"
#include "ModeNames.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace
{

constexpr char kUsage[] =
    "usage: lumdrak-eval [-c none|32|16|8] [-u] [-o bin|hex|dez|f64|f32] [-C] [-i FILE] [-L]\n"
    "                    [--raw] [EXPRESSION ...]\n";

constexpr char kHelp[] =
    "Evaluates calculator expressions, from the arguments or one per line from standard input\n"
    "(a leading '?' is dropped, empty lines are skipped), and prints each result line exactly as\n"
    "the calculator's console writes it. A syntax error goes to standard error as the console\n"
    "shows it: the expression, a ^^ marker under the failing character, \"Syntax not allowed.\"\n"
    "\n"
    "  -c none|32|16|8  force cast: narrow every intermediate value to that many bits\n"
    "  -u               with -c: read the narrowed values as unsigned\n"
    "  -o bin|hex|dez   output the binary (#), hexadecimal ($) or decimal line (default dez)\n"
    "  -o f64|f32       output the result's IEEE-754 double or nearest float bits (0x...)\n"
    "  -C, --c-literals read the expressions as one C text, line after line: a line that is C\n"
    "                   (an expression, #define, enumerator, const declaration) is evaluated\n"
    "                   as C computes it, or refused with C's value and type and the cast\n"
    "                   that agrees; what it defines (macros, enums, typedefs) serves the\n"
    "                   lines after it; a line that needs what is not defined here is\n"
    "                   unknown; a line beginning with '?' and text that is not C are the\n"
    "                   calculator's own (C and Python integer literals converted: 0xFF, $FF)\n"
    "  -i, --include FILE  read the C header FILE first, as the system's C compiler sees it\n"
    "                   (its preprocessor follows #include and #if), for its names; implies\n"
    "                   -C; may be given more than once\n"
    "  -L, --literal    print each result as a literal for code: 0x... with -o hex, 0b...\n"
    "                   with -o bin, decimal otherwise\n"
    "  --raw            print each value in its shortest exact decimal form, or 'error P'\n"
    "                   with the 1-based position of the syntax error; with -C one line for\n"
    "                   every line: '-' for a line without a value of its own (a directive,\n"
    "                   a typedef, a blank line), 'differs', or 'unknown'\n"
    "  --               the arguments after it are expressions, even when they begin with -\n"
    "  -h, --help       print this help and exit\n"
    "  --version        print the version and exit\n"
    "\n"
    "The last result r carries over from one expression to the next. On a terminal, with no\n"
    "expressions, lines are edited and kept in a history (:help there lists keys and commands).\n"
    "Exit status: 0 all evaluated, 1 a syntax error (or an output error), 2 bad usage or a\n"
    "FILE that cannot be read, 3 with -C a C expression whose value the cast cannot give\n"
    "(differs from C), 4 with -C a C expression whose value is unknown here (a name nothing\n"
    "defined, the size of a struct): standard error names what is missing.\n";

constexpr int kExitOk = 0;
constexpr int kExitSyntaxError = 1;
constexpr int kExitUsage = 2;
constexpr int kExitDiffersFromC = 3;
constexpr int kExitUnknownInC = 4;

struct SOptions
{
    ECastMode eCastMode = ECastMode::None;
    int bUnsigned = 0;
    EOutputMode eOutputMode = EOutputMode::Decimal;
    bool bRaw = false;
    bool bCLiterals = false;
    bool bLiteral = false;
    std::vector<std::string> expressions;
    std::vector<std::string> headers; // -i
};

int UsageError(const std::string& strMessage)
{
    std::fprintf(stderr, "lumdrak-eval: %s\n%s", strMessage.c_str(), kUsage);
    return kExitUsage;
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
        else if (strArg == "-C" || strArg == "--c-literals")
        {
            options.bCLiterals = true;
        }
        else if (strArg == "-i" || strArg == "--include")
        {
            if (i + 1 >= argc) return UsageError(std::string(strArg) + " takes a file");
            options.headers.emplace_back(argv[++i]);
            options.bCLiterals = true;
        }
        else if (strArg == "-L" || strArg == "--literal")
        {
            options.bLiteral = true;
        }
        else if (strArg == "-u")
        {
            options.bUnsigned = 1;
        }
        else if (strArg == "-c")
        {
            const std::optional<ECastMode> eCastMode = CastModeNamed(i + 1 < argc ? argv[++i] : "");
            if (!eCastMode) return UsageError("-c takes " + ListOfNames(kCastNames));
            options.eCastMode = *eCastMode;
        }
        else if (strArg == "-o")
        {
            const std::optional<EOutputMode> eOutputMode =
                OutputModeNamed(i + 1 < argc ? argv[++i] : "");
            if (!eOutputMode) return UsageError("-o takes " + ListOfNames(kOutputNames));
            options.eOutputMode = *eOutputMode;
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

} // namespace

int main(int argc, char** argv)
{
    SOptions options;
    const int nParsed = ParseArguments(argc, argv, options);
    if (nParsed >= 0) return nParsed;

    CEvalSession session(options.eCastMode, options.bUnsigned, options.eOutputMode, options.bRaw,
                         options.bCLiterals);
    session.m_bLiteral = options.bLiteral;
    for (const std::string& strHeader : options.headers)
    {
        std::string strError;
        std::string strNote;
        if (!session.ReadHeader(strHeader, strError, strNote))
        {
            std::fprintf(stderr, "lumdrak-eval: %s\n", strError.c_str());
            return kExitUsage;
        }
        if (!strNote.empty()) std::fprintf(stderr, "lumdrak-eval: %s\n", strNote.c_str());
    }
    if (!options.expressions.empty())
    {
        for (const std::string& strExpression : options.expressions)
        {
            session.EvaluateLines(strExpression);
            session.FinishLines(); // each argument is a text of its own
        }
    }
    else
    {
        // Asked once, so that a pipe costs one look at standard input and nothing more.
        const bool bPrompt = isatty(STDIN_FILENO) != 0;
        if (bPrompt && isatty(STDOUT_FILENO) != 0 && RunInteractive(session))
            return kExitOk; // a person saw every error as it happened
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
            if (nRead < 0) break;
            session.EvaluateLines(std::string_view(pLine, static_cast<std::size_t>(nRead)));
            if (bPrompt) std::fflush(stdout);
        }
        session.FinishLines();
        std::free(pLine);
        if (bPrompt) std::fputc('\n', stdout);
    }

    if (std::fflush(stdout) != 0 || std::ferror(stdout))
    {
        std::fprintf(stderr, "lumdrak-eval: cannot write the results: %s\n", std::strerror(errno));
        return kExitSyntaxError;
    }
    if (session.m_bAnyError) return kExitSyntaxError;
    if (session.m_bAnyUnknown) return kExitUnknownInC;
    return session.m_bAnyDifference ? kExitDiffersFromC : kExitOk;
}
