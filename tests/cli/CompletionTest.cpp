// Tab completion of names from the text before the cursor.
#include "Completion.h"

#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace
{

const std::vector<std::string> kAllNames = {"int(",  "sqr(",  "cos(", "sin(", "tan(",   "acos(",
                                            "asin(", "atan(", "exp(", "log(", "log10(", "pow(",
                                            "rand(", "pi",    "r",    "m"};

struct SCompletionCase
{
    const char* szBeforeCursor;
    const char* szInsert;
    std::vector<std::string> candidates;
};

TEST(Completion, ContinuesTheNameBeforeTheCursor)
{
    const SCompletionCase cases[] = {
        {"sq", "r(", {}},
        {"SQ", "R(", {}},     // all capitals continue in capitals
        {"Sq", "r(", {}},     // mixed case continues in small letters
        {"1+log1", "0(", {}}, // after an operator, digits inside the name
        {"sin(co", "s(", {}},
        {"ac", "os(", {}},
        {"ra", "nd(", {}},
        {"2p", "", {"pow(", "pi"}}, // leading digits are a number of their own
        {"lo", "g", {}},            // as far as log( and log10( agree
        {"log", "", {"log(", "log10("}},
        {"a", "", {"acos(", "asin(", "atan("}},
        {"r", "", {"rand(", "r"}},
        {"pi", "", {}}, // complete already
        {"M", "", {}},
        {"$ab", "", {}}, // hexadecimal digits, not a name
        {"#1", "", {}},
        {"x", "", {}},
        {"sqr(", "", kAllNames}, // no name begun: all of them, the function tokens first
        {"", "", kAllNames},
    };
    for (const SCompletionCase& c : cases)
    {
        const SCompletion completion = CompleteName(c.szBeforeCursor);
        EXPECT_EQ(completion.strInsert, c.szInsert) << c.szBeforeCursor;
        EXPECT_EQ(completion.candidates, c.candidates) << c.szBeforeCursor;
    }
}

TEST(Completion, ContinuesACommandAndItsValue)
{
    const SCompletionCase cases[] = {
        {":", "", {"o", "c", "u", "i", "m", "help", "q"}},
        {":he", "lp", {}},
        {":c", " ", {}}, // whole, and it takes a value
        {":u", "", {}},
        {":H", "", {}}, // commands are spelt in small letters
        {":x", "", {}},
        {":o ", "", {"bin", "hex", "dez", "f64", "f32"}},
        {":o h", "ex", {}},
        {":o f", "", {"f64", "f32"}},
        {":c 1", "6", {}},
        {":c  n", "one", {}},
        {":c 8 1", "", {}}, // a second value is none it takes
        {":u ", "", {}},
        {":x ", "", {}},
        {"1+:c", "os(", {}}, // a command only at the start: here c begins cos(
    };
    for (const SCompletionCase& c : cases)
    {
        const SCompletion completion = CompleteName(c.szBeforeCursor);
        EXPECT_EQ(completion.strInsert, c.szInsert) << c.szBeforeCursor;
        EXPECT_EQ(completion.candidates, c.candidates) << c.szBeforeCursor;
    }
}

// :i takes a header's path: the entries of the folder named that continue its last part.
TEST(Completion, ContinuesAPathAfterACommandThatReadsAFile)
{
    const CTemporaryFolder folder("lumdrak-completion");
    const std::string strFolder = folder.Path().string() + "/";
    for (const char* szFile : {"uart.h", "usb.h", ".hidden.h"})
        std::ofstream(strFolder + szFile) << "#define A 1\n";
    std::filesystem::create_directory(strFolder + "sub");
    const struct
    {
        std::string strAfter; // after ":i " and the folder
        std::string strInsert;
        std::vector<std::string> candidates; // listed without the folder
    } cases[] = {
        {"u", "", {"uart.h", "usb.h"}},
        {"ua", "rt.h", {}},
        {"s", "ub/", {}}, // a folder gets its '/'
        {".", "hidden.h", {}},
        {"x", "", {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.strAfter);
        const SCompletion completion = CompleteName(":i " + strFolder + c.strAfter);
        EXPECT_EQ(completion.strInsert, c.strInsert);
        EXPECT_EQ(completion.candidates, c.candidates);
    }
    // hidden entries only when asked for: "u" and "s" above would otherwise find none here
    EXPECT_TRUE(CompleteName(":i " + strFolder + "h").candidates.empty());
}

} // namespace
