#include "Commands.h"

#include "CTexts.h"
#include "Completion.h"
#include "EvalSession.h"
#include "Files.h"
#include "ModeNames.h"

#include <algorithm>
#include <optional>

namespace
{

// What :help prints, in 79 columns; the functions are listed from the token table between
// the two parts, the commands from their table after the keys.
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
    "  searches them as you type; Tab completes a name or a command; Ctrl+L clears\n"
    "  the screen; Ctrl+C abandons the line; Ctrl+D on an empty line quits.\n"
    "Commands (a mode chosen holds for the lines after it):\n";

std::string_view Trim(std::string_view strText)
{
    const std::size_t nFirst = strText.find_first_not_of(" \t");
    if (nFirst == std::string_view::npos) return {};
    return strText.substr(nFirst, strText.find_last_not_of(" \t") + 1 - nFirst);
}

// The modes in force, as the line that answers a mode command.
std::string InForce(const CEvalSession& session)
{
    const SEvalModes modes = session.Modes();
    return ModesText(modes.eCastMode, modes.bUnsigned, modes.eOutputMode) + '\n';
}

void RunOutput(CEvalSession& session, std::string_view strArgument, SCommandOutcome& outcome)
{
    const std::optional<EOutputMode> eOutputMode = OutputModeNamed(strArgument);
    if (!eOutputMode)
    {
        outcome.strText = ":o takes " + ListOfNames(kOutputNames) + '\n';
        return;
    }
    SEvalModes modes = session.Modes();
    modes.eOutputMode = *eOutputMode;
    session.SetModes(modes);
    outcome.strText = InForce(session);
}

void RunCast(CEvalSession& session, std::string_view strArgument, SCommandOutcome& outcome)
{
    const std::optional<ECastMode> eCastMode = CastModeNamed(strArgument);
    if (!eCastMode)
    {
        outcome.strText = ":c takes " + ListOfNames(kCastNames) + '\n';
        return;
    }
    SEvalModes modes = session.Modes();
    modes.eCastMode = *eCastMode;
    session.SetModes(modes);
    outcome.strText = InForce(session);
}

void RunUnsigned(CEvalSession& session, std::string_view, SCommandOutcome& outcome)
{
    SEvalModes modes = session.Modes();
    modes.bUnsigned = modes.bUnsigned != 0 ? 0 : 1;
    session.SetModes(modes);
    outcome.strText = InForce(session);
}

void RunMemory(CEvalSession& session, std::string_view, SCommandOutcome& outcome)
{
    session.StoreResultInMemory();
    outcome.strText = "m = " + session.LastResultText() + '\n';
}

void RunHelp(CEvalSession&, std::string_view, SCommandOutcome& outcome)
{
    std::string& strHelp = outcome.strText;
    strHelp = kHelpText;
    std::string strRow(kFunctionsLabel);
    for (const std::string& strName : CompletionNames())
    {
        if (strName.back() != '(') continue;
        if (strRow.size() > kFunctionsLabel.size() &&
            strRow.size() + 1 + strName.size() > kHelpWidth)
        {
            strHelp += strRow + '\n';
            strRow.assign(kFunctionsLabel.size(), ' ');
        }
        if (strRow.size() > kFunctionsLabel.size()) strRow += ' ';
        strRow += strName;
    }
    strHelp += strRow + '\n';
    strHelp += kKeyText;

    std::size_t nWidth = 0;
    for (const SCommand& command : Commands())
        nWidth = std::max(nWidth, command.strName.size() + 1 + command.strArgument.size());
    for (const SCommand& command : Commands())
    {
        std::string strUsage = ":" + std::string(command.strName);
        if (!command.strArgument.empty()) strUsage += " " + std::string(command.strArgument);
        strUsage.resize(nWidth + 1, ' ');
        strHelp += "  " + strUsage + "  " + std::string(command.strHelp) + '\n';
    }
}

void RunInclude(CEvalSession& session, std::string_view strArgument, SCommandOutcome& outcome)
{
    if (strArgument.empty())
    {
        outcome.strText = ":i takes a file\n";
        return;
    }
    const bool bWasC = session.m_bCLiterals;
    std::string strError;
    std::string strNote;
    std::size_t nDefinitions = 0;
    if (!session.ReadHeader(ExpandHome(strArgument), strError, strNote, &nDefinitions))
    {
        outcome.strText = strError + '\n';
        return;
    }
    if (!strNote.empty()) outcome.strText = strNote + '\n';
    outcome.strText += TextHeaderRead(strArgument, nDefinitions);
    if (!bWasC) outcome.strText += " Lines are read as C from now on.";
    outcome.strText += '\n';
}

void RunQuit(CEvalSession&, std::string_view, SCommandOutcome& outcome) { outcome.bQuit = true; }

constexpr SCommand kCommands[] = {
    {"o", "", "bin|hex|dez|f64|f32", kOutputNames,
     "output in that base, or as IEEE-754 bits (as -o)", &RunOutput},
    {"c", "", "none|32|16|8", kCastNames, "narrow every value to that many bits (as -c)", &RunCast},
    {"u", "", "", {}, "unsigned on or off, read under a cast only (as -u)", &RunUnsigned},
    {"i",
     "include",
     "FILE",
     {},
     "read a C header's names (as -i); lines are read as C",
     &RunInclude,
     true},
    {"m", "", "", {}, "store r in m (F4 in the window)", &RunMemory},
    {"help", "h", "", {}, "show this", &RunHelp},
    {"q", "quit", "", {}, "quit", &RunQuit},
};

} // namespace

std::span<const SCommand> Commands() { return kCommands; }

std::string ExpandHome(std::string_view strPath)
{
    if (!strPath.starts_with("~/")) return std::string(strPath);
    const std::string strHome = lumdrak::HomeFolder();
    return strHome.empty() ? std::string(strPath) : strHome + std::string(strPath.substr(1));
}

const SCommand* CommandNamed(std::string_view strName)
{
    for (const SCommand& command : kCommands)
        if (!strName.empty() && (command.strName == strName || command.strAlias == strName))
            return &command;
    return nullptr;
}

SCommandOutcome RunCommand(CEvalSession& session, std::string_view strLine)
{
    if (strLine.starts_with(':')) strLine.remove_prefix(1);
    const std::string_view strText = Trim(strLine);
    const std::size_t nBlank = std::min(strText.find_first_of(" \t"), strText.size());
    const std::string_view strArgument = Trim(strText.substr(nBlank));
    const SCommand* pCommand = CommandNamed(strText.substr(0, nBlank));
    SCommandOutcome outcome;
    if (pCommand == nullptr)
        outcome.strText =
            "Unknown command ':" + std::string(strText) + "'; :help lists the commands.\n";
    else if (pCommand->strArgument.empty() && !strArgument.empty())
        outcome.strText = ":" + std::string(pCommand->strName) + " takes no value\n";
    else
        pCommand->pfnRun(session, strArgument, outcome);
    return outcome;
}
