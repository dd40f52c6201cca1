#include "Options.h"

#include <algorithm>

namespace
{

constexpr std::size_t kHelpWidth = 92;
constexpr std::size_t kHelpColumn = 19; // where an option's words start

// clang-format off
constexpr SOptionEntry kEntries[] = {
    {EOption::Cast, "-c", "", "none|32|16|8", true,
     "force cast: narrow every intermediate value to that many bits",
     R"(Force Cast: narrow every intermediate value to that many bits
.RB ( none
keeps full doubles).)"},
    {EOption::Unsigned, "-u", "", "", true,
     "with -c: read the narrowed values as unsigned",
     R"(With
.BR \-c ,
read the narrowed values as unsigned.)"},
    {EOption::Output, "-o", "", "bin|hex|dez", true,
     "output the binary (#), hexadecimal ($) or decimal line (default dez)",
     R"(Print the binary line
.RB ( # ...),
the hexadecimal line
.RB ( $ ...)
or the decimal line (the default).)"},
    {EOption::Output, "-o", "", "f64|f32", true,
     "output the result's IEEE-754 double or nearest float bits (0x...)",
     R"(Print the result's IEEE-754 bits instead: those of the double
.RB ( f64 ;
0.1 prints
.BR 0x3FB999999999999A )
or of the float nearest to it
.RB ( f32 ;
0.1 prints
.BR 0x3DCCCCCD ),
as
.B 0x
and 16 or 8 hexadecimal digits.
The result is the value the decimal line shows, under the cast of
.BR \-c .)"},
    {EOption::CLiterals, "-C", "--c-literals", "", true,
     "read the expressions as one C text, line after line: a line that is C (an expression, "
     "#define, enumerator, const declaration) is evaluated as C computes it, or refused with C's "
     "value and type and the cast that agrees; what it defines (macros, enums, typedefs) serves "
     "the lines after it; a line that needs what is not defined here is unknown; a line "
     "beginning with '?' and text that is not C are the calculator's own (C and Python integer "
     "literals converted: 0xFF, $FF)",
     R"(Read the expressions as one C text, line after line, as a C compiler reads a
source file on x86-64 Linux (gnu17).
Object-like and function-like
.B #define
(with
.BR # ,
.B ##
and variable arguments),
.BR #undef ,
enumerations over several lines with their implicit values,
.BR typedef ,
.BR const
declarations, comments over several lines, line splices, and
.BR #if ,
.BR #ifdef ,
.BR #ifndef ,
.BR #elif ,
.B #else
and
.B #endif
where their condition can be computed (else the first branch is read) are
understood, and a name defined on one line serves the lines after it.
The integer types of
.IR <stdint.h> ,
.I <stddef.h>
and the kernel
.RB ( __u8 " ... " __s64 ", " __le16 " ... " __be64 ", " __poll_t ),
the limits of
.I <limits.h>
and
.IR <stdint.h> ,
.B sizeof
and
.B _Alignof
of C's scalar types and the
.BR _IO ", " _IOR ", " _IOW ", " _IOWR
ioctl numbers are known without a header.
Each argument is a text of its own, and a comment it leaves open ends with it;
standard input is one text.
.IP
A line that is C and has a value (an expression, an object-like
.BR #define ,
an enumerator, a constant) is evaluated in its translation into the
calculator's syntax when that gives the value a C compiler gives under the
chosen cast; where C has an operator the calculator has not (a comparison,
.BR ! ,
.BR && ,
.BR || ,
.BR ?: ,
.BR sizeof )
or a name, the translation holds C's value.
Where the cast cannot give C's value, or C leaves the expression undefined,
nothing is printed on standard output for it (with
.BR \-\-raw ,
the line
.BR differs ),
and one line on standard error gives C's value and type and the cast that
gives the same, or names what C leaves undefined.
A value that needs what is not known here (a name nothing defined, the size
of a struct) is not printed either (with
.BR \-\-raw ,
the line
.BR unknown ),
and standard error names what is missing.
A line without a value of its own (a directive, a function-like macro, a
typedef, a blank or comment-only line, a line of a declaration) prints
nothing (with
.BR \-\-raw ,
the line
.BR \- ),
so that
.B \-\-raw
prints exactly one line for every line.
.IP
A line that begins with
.B ?\&
is the calculator's own and is read as typed, neither as C nor converted:
.B \(aq?2*\-3\(aq
is a syntax error at 3 with this option too.
Any other line that is not C has its C, C++, Python and Rust integer literals
converted:
.BR 0x ...\&
becomes
.BR $ ...,
.BR 0b ...\&
becomes
.BR # ...,
digit separators and C integer suffixes in them are dropped.
Error positions and markers refer to the expression as given.
Without this option a typed
.B 0b1010
reads as 0.)"},
    {EOption::Include, "-i", "--include", "FILE", true,
     "read the C header FILE first, as the system's C compiler sees it (its preprocessor "
     "follows #include and #if), for its names; implies -C; may be given more than once",
     R"(Read the C header
.I FILE
before the expressions, as the system's C compiler sees it on this machine:
the C preprocessor found on the
.B PATH
.RB ( cpp ,
else
.BR "cc \-E" )
follows its
.B #include
lines and conditionals (gnu17 with
.BR _GNU_SOURCE ),
and every name it defines serves the expressions.
Without a preprocessor the file's own text is read, and standard error says
so.
A
.I FILE
that cannot be read ends the program with status 2.
Implies
.BR \-C ;
may be given more than once.)"},
    {EOption::Literal, "-L", "--literal", "", true,
     "print each result as a literal for code: 0x... with -o hex, 0b... with -o bin, decimal "
     "otherwise",
     R"(Print each result as the literal that Ctrl+Shift+C copies in the window:
.BR 0x ...\&
with
.BR "\-o hex" ,
.BR 0b ...\&
with
.BR "\-o bin" ,
the decimal line otherwise (with
.B \-\-raw
too).)"},
    {EOption::Raw, "", "--raw", "", true,
     "print each value in its shortest exact decimal form, or 'error P' with the 1-based "
     "position of the syntax error; with -C one line for every line: '-' for a line without a "
     "value of its own (a directive, a typedef, a blank line), 'differs', or 'unknown'",
     R"(Print each value in its shortest decimal form that reads back to the same
double
.RB ( nan ,
.BR inf ,
.B \-inf
for those values), and a syntax error as
.BI "error " P
on standard output, where
.I P
is the 1-based position of the failing character.
Values are printed so whatever
.B \-o
says.)"},
    {EOption::EndOfOptions, "", "--", "", false,
     "the arguments after it are expressions, even when they begin with -",
     R"(End the options: every later argument is an expression.)"},
    {EOption::Help, "-h", "--help", "", false,
     "print this help and exit",
     R"(Print the usage and a summary of the options, and exit.)"},
    {EOption::Version, "", "--version", "", false,
     "print the version and exit",
     R"(Print
.RB \(lq "lumdrak\-eval (Lumdrak) )" LUMDRAK_VERSION R"(" \(rq
and exit.)"},
};
// clang-format on

constexpr std::string_view kIntro =
    "Evaluates calculator expressions, from the arguments or one per line from standard input "
    "(a leading '?' is dropped, empty lines are skipped), and prints each result line exactly as "
    "the calculator's console writes it. A syntax error goes to standard error as the console "
    "shows it: the expression, a ^^ marker under the failing character, \"Syntax not "
    "allowed.\"";

constexpr std::string_view kEpilogue[] = {
    "The last result r carries over from one expression to the next. On a terminal, with no "
    "expressions, lines are edited and kept in a history (:help there lists keys and commands).",
    "Exit status: 0 all evaluated, 1 a syntax error (or an output error), 2 bad usage or a FILE "
    "that cannot be read, 3 with -C a C expression whose value the cast cannot give (differs "
    "from C), 4 with -C a C expression whose value is unknown here (a name nothing defined, the "
    "size of a struct): standard error names what is missing.",
};

// strWords broken at blanks into lines of at most kHelpWidth, each after nIndent blanks but the
// first, which continues strLine.
void AppendWrapped(std::string& strText, std::string strLine, std::string_view strWords,
                   std::size_t nIndent)
{
    while (!strWords.empty())
    {
        const std::size_t nRoom = kHelpWidth > strLine.size() ? kHelpWidth - strLine.size() : 0;
        std::size_t nTake = strWords.size();
        if (nTake > nRoom)
        {
            const std::size_t nBlank = strWords.rfind(' ', nRoom);
            nTake = nBlank == std::string_view::npos || nBlank == 0 ? strWords.find(' ') : nBlank;
            if (nTake == std::string_view::npos) nTake = strWords.size();
        }
        strLine.append(strWords.substr(0, nTake));
        strText += strLine;
        strText += '\n';
        strWords.remove_prefix(std::min(strWords.size(), nTake + 1));
        strLine.assign(nIndent, ' ');
    }
}

// "-C, --c-literals", "-i, --include FILE", "-c none|32|16|8".
std::string HelpHeading(const SOptionEntry& entry)
{
    std::string strHeading(entry.strShort);
    if (!entry.strShort.empty() && !entry.strLong.empty()) strHeading += ", ";
    strHeading += entry.strLong;
    if (!entry.strValue.empty()) strHeading.append(1, ' ').append(entry.strValue);
    return strHeading;
}

// A name or a value for roff: its dashes are minus signs.
std::string Roff(std::string_view strText)
{
    std::string strRoff;
    for (const char ch : strText)
        strRoff += ch == '-' ? std::string_view("\\-") : std::string_view(&ch, 1);
    return strRoff;
}

// The entry's names in bold, its value's words in bold between roman bars, or a placeholder
// (FILE) in italics.
std::string ManualHeading(const SOptionEntry& entry)
{
    std::string strHeading;
    for (const std::string_view strName : {entry.strShort, entry.strLong})
    {
        if (strName.empty()) continue;
        if (!strHeading.empty()) strHeading += ", ";
        strHeading += "\\fB" + Roff(strName) + "\\fP";
    }
    if (entry.strValue.empty()) return strHeading;
    const bool bPlaceholder = std::all_of(entry.strValue.begin(), entry.strValue.end(),
                                          [](char ch) { return ch >= 'A' && ch <= 'Z'; });
    strHeading += ' ';
    if (bPlaceholder) return strHeading + "\\fI" + std::string(entry.strValue) + "\\fP";
    std::string_view strValues = entry.strValue;
    for (bool bFirst = true; !strValues.empty(); bFirst = false)
    {
        const std::size_t nBar = strValues.find('|');
        if (!bFirst) strHeading += '|';
        strHeading += "\\fB" + Roff(strValues.substr(0, nBar)) + "\\fP";
        strValues.remove_prefix(nBar == std::string_view::npos ? strValues.size() : nBar + 1);
    }
    return strHeading;
}

} // namespace

std::span<const SOptionEntry> OptionEntries() { return kEntries; }

const SOptionEntry* OptionNamed(std::string_view strArg)
{
    for (const SOptionEntry& entry : kEntries)
        if (strArg == entry.strShort || strArg == entry.strLong) return &entry;
    return nullptr;
}

std::string UsageText()
{
    std::string strItems;
    for (std::size_t i = 0; i < std::size(kEntries); ++i)
    {
        const SOptionEntry& entry = kEntries[i];
        if (!entry.bInUsage || (i > 0 && kEntries[i - 1].eOption == entry.eOption)) continue;
        std::string strItem(entry.strShort.empty() ? entry.strLong : entry.strShort);
        // An option whose entries follow each other takes the values of them all.
        for (std::size_t j = i; j < std::size(kEntries) && kEntries[j].eOption == entry.eOption;
             ++j)
            if (!kEntries[j].strValue.empty())
                strItem.append(1, j == i ? ' ' : '|').append(kEntries[j].strValue);
        strItems += "[" + strItem + "] ";
    }
    strItems += "[EXPRESSION ...]";
    std::string strText;
    AppendWrapped(strText, "usage: lumdrak-eval ", strItems, 20);
    return strText;
}

std::string HelpText()
{
    std::string strText = UsageText();
    strText += '\n';
    AppendWrapped(strText, "", kIntro, 0);
    strText += '\n';
    for (const SOptionEntry& entry : kEntries)
    {
        std::string strHeading = "  " + HelpHeading(entry);
        strHeading.resize(std::max(kHelpColumn, strHeading.size() + 2), ' ');
        AppendWrapped(strText, strHeading, entry.strHelp, kHelpColumn);
    }
    for (const std::string_view strParagraph : kEpilogue)
    {
        strText += '\n';
        AppendWrapped(strText, "", strParagraph, 0);
    }
    return strText;
}

std::string ManualOptionsText()
{
    std::string strText = ".SH OPTIONS\n";
    for (const SOptionEntry& entry : kEntries)
    {
        strText += ".TP\n";
        strText += ManualHeading(entry);
        strText += '\n';
        strText += entry.strRoff;
        strText += '\n';
    }
    return strText;
}
