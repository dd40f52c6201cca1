// lumdrak-eval's bash completion as bash runs it: the function that the file registers, and
// what it offers after each option.
#include "Options.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace
{

// Single quotes around any text, for bash.
std::string Quoted(const std::string& strText)
{
    std::string strQuoted = "'";
    for (const char ch : strText)
        strQuoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return strQuoted + "'";
}

// What bash prints for strScript after sourcing the completion file.
std::string RunBash(const std::string& strScript)
{
    const std::string strCommand =
        std::string(BASH_PATH) + " --norc --noprofile -c " +
        Quoted("source " + Quoted(LUMDRAK_BASH_COMPLETION) + "\n" + strScript);
    FILE* pPipe = popen(strCommand.c_str(), "r");
    std::string strOut;
    char buffer[256];
    while (pPipe && std::fgets(buffer, sizeof buffer, pPipe))
        strOut += buffer;
    if (pPipe) pclose(pPipe);
    return strOut;
}

// The offers for the words after "lumdrak-eval", the last being completed, sorted and joined
// by '|'.
std::string Offers(const std::vector<std::string>& words)
{
    std::string strScript = "COMP_WORDS=(lumdrak-eval";
    for (const std::string& strWord : words)
        strScript += " " + Quoted(strWord);
    strScript += "); COMP_CWORD=" + std::to_string(words.size()) +
                 "; _lumdrak_eval; printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort | "
                 "paste -sd '|'";
    std::string strOut = RunBash(strScript);
    if (!strOut.empty() && strOut.back() == '\n') strOut.pop_back();
    return strOut;
}

TEST(ShellCompletion, BashOffersTheOptionsAndTheirValues)
{
    EXPECT_EQ(RunBash("complete -p lumdrak-eval"), "complete -F _lumdrak_eval lumdrak-eval\n");
    const struct
    {
        std::vector<std::string> words;
        const char* pszOffers;
    } rows[] = {
        {{"-o", ""}, "bin|dez|f32|f64|hex"},
        {{"-u", "-o", "f"}, "f32|f64"},
        {{"-c", ""}, "16|32|8|none"},
        {{"-c", "1"}, "16"},
        {{"--l"}, "--literal"},
        {{"-C", "--r"}, "--raw"},
        {{"--i"}, "--include"},
        {{"--v"}, "--version"},
        // Expressions are not completed, nor is anything after "--".
        {{"$ff"}, ""},
        {{"1+2", ""}, ""},
        {{"--", "--r"}, ""},
        {{"--", "-o", ""}, ""},
    };
    for (const auto& row : rows)
    {
        std::string strWords;
        for (const std::string& strWord : row.words)
            strWords += " [" + strWord + "]";
        EXPECT_EQ(Offers(row.words), row.pszOffers) << strWords;
    }
}

// Every option and value of lumdrak-eval's own table, so that the two cannot drift apart.
TEST(ShellCompletion, BashOffersEveryOptionAndValueOfTheTable)
{
    const std::string strOptions = "|" + Offers({"-"}) + "|";
    for (const SOptionEntry& entry : OptionEntries())
    {
        for (const std::string_view strName : {entry.strShort, entry.strLong})
        {
            if (strName.empty()) continue;
            EXPECT_NE(strOptions.find("|" + std::string(strName) + "|"), std::string::npos)
                << strName;
        }
        if (entry.strValue.find('|') == std::string_view::npos) continue;
        const std::string strValues = "|" + Offers({std::string(entry.strShort), ""}) + "|";
        std::string_view strExpected = entry.strValue;
        while (!strExpected.empty())
        {
            const std::size_t nBar = std::min(strExpected.find('|'), strExpected.size());
            EXPECT_NE(strValues.find("|" + std::string(strExpected.substr(0, nBar)) + "|"),
                      std::string::npos)
                << entry.strShort << " " << strExpected.substr(0, nBar);
            strExpected.remove_prefix(std::min(strExpected.size(), nBar + 1));
        }
    }
}

TEST(ShellCompletion, BashOffersFilesForAnInclude)
{
    const CTemporaryFolder folder("lumdrak-completion");
    const std::string strFolder = folder.Path().string();
    for (const char* pszName : {"notes.txt", "no tes.txt", "other"})
        std::ofstream(strFolder + "/" + pszName) << "1+2\n";
    const std::string strFiles = strFolder + "/no tes.txt|" + strFolder + "/notes.txt";
    EXPECT_EQ(Offers({"-i", strFolder + "/no"}), strFiles);
    EXPECT_EQ(Offers({"-c", "8", "--include", strFolder + "/no"}), strFiles);
}

} // namespace
