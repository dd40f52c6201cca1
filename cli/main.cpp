// lumdrak-eval: the calculator's console for shells and scripts. Every expression is typed on
// a '?' line of an in-memory console and Enter is pressed, so what it prints is exactly what
// the window's console would write.
#include "Banner.h"
#include "EvalSession.h"
#include "Interactive.h"
#include "ModeNames.h"
#include "Options.h"

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
    std::fprintf(stderr, "lumdrak-eval: %s\n%s", strMessage.c_str(), UsageText().c_str());
    return kExitUsage;
}

// Returns -1 when every argument was understood, otherwise the exit status to end with.
int ParseArguments(int argc, char** argv, SOptions& options)
{
    bool bOptions = true;
    for (int i = 1; i < argc; ++i)
    {
        const std::string_view strArg = argv[i];
        const SOptionEntry* pEntry = bOptions ? OptionNamed(strArg) : nullptr;
        // The value after an option that takes one; empty when there is none.
        const auto Value = [&] { return i + 1 < argc ? std::string_view(argv[++i]) : ""; };
        if (pEntry == nullptr)
        {
            // "-3" and "-pi" are expressions; a word after "--" that names no option is not.
            if (bOptions && strArg.size() > 2 && strArg.substr(0, 2) == "--")
                return UsageError("unknown option '" + std::string(strArg) + "'");
            options.expressions.emplace_back(strArg);
            continue;
        }
        switch (pEntry->eOption)
        {
        case EOption::EndOfOptions:
            bOptions = false;
            break;
        case EOption::Help:
            std::fputs(HelpText().c_str(), stdout);
            return kExitOk;
        case EOption::Version:
            std::printf("lumdrak-eval (Lumdrak) %s\n", kVersionNumber);
            return kExitOk;
        case EOption::Raw:
            options.bRaw = true;
            break;
        case EOption::CLiterals:
            options.bCLiterals = true;
            break;
        case EOption::Include:
            if (i + 1 >= argc) return UsageError(std::string(strArg) + " takes a file");
            options.headers.emplace_back(Value());
            options.bCLiterals = true;
            break;
        case EOption::Literal:
            options.bLiteral = true;
            break;
        case EOption::Unsigned:
            options.bUnsigned = 1;
            break;
        case EOption::Cast:
        {
            const std::optional<ECastMode> eCastMode = CastModeNamed(Value());
            if (!eCastMode) return UsageError("-c takes " + ListOfNames(kCastNames));
            options.eCastMode = *eCastMode;
            break;
        }
        case EOption::Output:
        {
            const std::optional<EOutputMode> eOutputMode = OutputModeNamed(Value());
            if (!eOutputMode) return UsageError("-o takes " + ListOfNames(kOutputNames));
            options.eOutputMode = *eOutputMode;
            break;
        }
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
