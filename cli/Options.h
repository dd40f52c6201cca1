#pragma once

#include <span>
#include <string>
#include <string_view>

// lumdrak-eval's options. The parser, --help and the manual's OPTIONS section are all made
// from one table, so none of them can name an option, or a value, that the others do not.
enum class EOption
{
    Cast,
    Unsigned,
    Output,
    CLiterals,
    Include,
    Literal,
    Raw,
    EndOfOptions,
    Help,
    Version,
};

// One entry of the help and the manual. An option whose values mean two kinds of thing (-o)
// has an entry for each kind; the usage line and the parser see them as one.
struct SOptionEntry
{
    EOption eOption;
    std::string_view strShort; // "-c", or empty
    std::string_view strLong;  // "--c-literals", or empty
    std::string_view strValue; // what follows the option ("none|32|16|8", "FILE"), or empty
    bool bInUsage;             // named on the usage line
    std::string_view strHelp;  // --help's words; wrapped when printed
    std::string_view strRoff;  // the manual's paragraph, in roff
};

std::span<const SOptionEntry> OptionEntries();

// The entry an argument names exactly ("-c", "--raw"), or nullptr.
const SOptionEntry* OptionNamed(std::string_view strArg);

// "usage: lumdrak-eval [-c none|32|16|8] ... [EXPRESSION ...]", wrapped, ending in a line break.
std::string UsageText();
// The usage, then what the program does, each option, the exit statuses.
std::string HelpText();
// The manual's OPTIONS section, from its ".SH OPTIONS" line on.
std::string ManualOptionsText();
