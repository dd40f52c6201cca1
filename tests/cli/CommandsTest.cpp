// The commands of a terminal session: what each line answers, and that a mode it chooses
// gives what a session started with the same options gives.
#include "Commands.h"
#include "EvalSession.h"
#include "ModeNames.h"
#include "Options.h"

#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fstream>

#include <string>
#include <vector>

namespace
{

// A session as lumdrak-eval starts one with no options.
struct SFreshSession
{
    CEvalSession session{ECastMode::None, 0, EOutputMode::Decimal, false};
};

struct SCommandCase
{
    std::vector<std::string> lines; // the commands, in order; the last one answers
    std::string strAnswer;
    SEvalModes modes; // in force afterwards
};

TEST(Commands, ModeCommandsSayWhatIsInForceAndBadValuesChangeNothing)
{
    using enum ECastMode;
    using enum EOutputMode;
    const SCommandCase cases[] = {
        {{":o hex"}, "output hex, no cast\n", {None, 0, Hexadecimal}},
        {{":o bin"}, "output bin, no cast\n", {None, 0, Binary}},
        {{":o f64"}, "output f64, no cast\n", {None, 0, Double}},
        {{":o f32", ":o dez"}, "output dez, no cast\n", {None, 0, Decimal}},
        {{":c 8"}, "output dez, cast 8 bits signed\n", {Bits8, 0, Decimal}},
        {{":c 16", ":u"}, "output dez, cast 16 bits unsigned\n", {Bits16, 1, Decimal}},
        {{":c 32", ":u", ":u"}, "output dez, cast 32 bits signed\n", {Bits32, 0, Decimal}},
        {{":o hex", ":c 8", ":c none"}, "output hex, no cast\n", {None, 0, Hexadecimal}},
        // the sign is kept without a cast, as -u without -c is, and read once one comes
        {{":u"}, "output dez, no cast (unsigned once a cast is chosen)\n", {None, 1, Decimal}},
        {{":u", ":c 8"}, "output dez, cast 8 bits unsigned\n", {Bits8, 1, Decimal}},
        {{":  o   hex  "}, "output hex, no cast\n", {None, 0, Hexadecimal}},
        {{":o\thex"}, "output hex, no cast\n", {None, 0, Hexadecimal}},
        // wrong or missing values name the right ones and leave the modes
        {{":c 8", ":o oct"}, ":o takes bin, hex, dez, f64 or f32\n", {Bits8, 0, Decimal}},
        {{":o HEX"}, ":o takes bin, hex, dez, f64 or f32\n", {None, 0, Decimal}},
        {{":o"}, ":o takes bin, hex, dez, f64 or f32\n", {None, 0, Decimal}},
        {{":o hex", ":c 12"}, ":c takes none, 32, 16 or 8\n", {None, 0, Hexadecimal}},
        {{":c 8 16"}, ":c takes none, 32, 16 or 8\n", {None, 0, Decimal}},
        {{":c -8"}, ":c takes none, 32, 16 or 8\n", {None, 0, Decimal}},
        {{":u 1"}, ":u takes no value\n", {None, 0, Decimal}},
        {{":ohex"}, "Unknown command ':ohex'; :help lists the commands.\n", {None, 0, Decimal}},
        {{":O hex"}, "Unknown command ':O hex'; :help lists the commands.\n", {None, 0, Decimal}},
        {{":"}, "Unknown command ':'; :help lists the commands.\n", {None, 0, Decimal}},
    };
    for (const SCommandCase& c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(c.lines));
        SFreshSession fresh;
        SCommandOutcome outcome;
        for (const std::string& strLine : c.lines)
            outcome = RunCommand(fresh.session, strLine);
        EXPECT_EQ(outcome.strText, c.strAnswer);
        EXPECT_FALSE(outcome.bQuit);
        const SEvalModes modes = fresh.session.Modes();
        EXPECT_EQ(modes.eCastMode, c.modes.eCastMode);
        EXPECT_EQ(modes.bUnsigned, c.modes.bUnsigned);
        EXPECT_EQ(modes.eOutputMode, c.modes.eOutputMode);
    }
}

// Each expression, after the commands, prints what it prints in a session that started with
// the modes they chose, C read or not; r and m stay through the change.
TEST(Commands, AModeChosenInASessionGivesWhatTheOptionsGive)
{
    using enum ECastMode;
    using enum EOutputMode;
    const char* const expressions[] = {
        "255", "200", "-1", "70000", "300",  "0.1",     "-0.5",
        "1/0", "(1",  "r",  "m+1",   "0xFF", "1 << 32", "(1u << 31) | (0x3 << 12)"};
    const struct
    {
        std::vector<std::string> lines;
        SEvalModes modes;
    } cases[] = {
        {{":o hex"}, {None, 0, Hexadecimal}},
        {{":o hex", ":c 8"}, {Bits8, 0, Hexadecimal}},
        {{":c 8", ":u", ":o bin"}, {Bits8, 1, Binary}},
        {{":c 16", ":u"}, {Bits16, 1, Decimal}},
        {{":u", ":c 32", ":o hex"}, {Bits32, 1, Hexadecimal}},
        {{":c 32", ":c none", ":o hex"}, {None, 0, Hexadecimal}},
        {{":c 8", ":o f64"}, {Bits8, 0, Double}},
        {{":o f32"}, {None, 0, Float}},
    };
    for (const bool bCLiterals : {false, true})
        for (const auto& c : cases)
        {
            SCOPED_TRACE(testing::PrintToString(c.lines) + (bCLiterals ? " -C" : ""));
            CEvalSession changed(None, 0, Decimal, false, bCLiterals);
            CEvalSession started(c.modes.eCastMode, c.modes.bUnsigned, c.modes.eOutputMode, false,
                                 bCLiterals);
            for (CEvalSession* pSession : {&changed, &started})
            {
                ASSERT_EQ(pSession->Enter("7"), 0);
                pSession->StoreResultInMemory();
                ASSERT_EQ(pSession->Enter("5"), 0);
            }
            for (const std::string& strLine : c.lines)
                RunCommand(changed, strLine);
            EXPECT_EQ(changed.LastResult(), 5.0);
            EXPECT_EQ(changed.Memory(), 7.0);

            for (const char* szExpression : expressions)
            {
                const int nErrorPos = started.Enter(szExpression);
                EXPECT_EQ(changed.Enter(szExpression), nErrorPos) << szExpression;
                EXPECT_EQ(changed.WrittenLine(), started.WrittenLine()) << szExpression;
                EXPECT_EQ(changed.DiffersFromC(), started.DiffersFromC()) << szExpression;
                EXPECT_EQ(changed.CNotice(), started.CNotice()) << szExpression;
            }
        }
}

// The options' table names the values the terminal's :c and :o take, in their order.
TEST(Commands, OptionsAndCommandsTakeTheSameValues)
{
    std::string strCast;
    std::string strOutput;
    for (const SOptionEntry& entry : OptionEntries())
    {
        if (entry.eOption != EOption::Cast && entry.eOption != EOption::Output) continue;
        std::string& strValues = entry.eOption == EOption::Cast ? strCast : strOutput;
        strValues.append(strValues.empty() ? "" : "|").append(entry.strValue);
    }
    const auto Joined = [](std::span<const std::string_view> names)
    {
        std::string strJoined;
        for (const std::string_view strName : names)
            strJoined.append(strJoined.empty() ? "" : "|").append(strName);
        return strJoined;
    };
    EXPECT_EQ(strCast, Joined(kCastNames));
    EXPECT_EQ(strOutput, Joined(kOutputNames));
}

// :i reads a header as -i does: its names serve the lines after it, which are read as C from
// then on; a file that cannot be read is named and changes nothing.
TEST(Commands, IncludeReadsAHeadersNamesForTheLinesAfterIt)
{
    const CTemporaryFolder folder("lumdrak-include");
    const std::string strHeader = (folder.Path() / "uart.h").string();
    std::ofstream(strHeader) << "#define UART0_BASE 0x40000000\n"
                                "#define UART0_CR (UART0_BASE + 0x30)\n";
    SFreshSession fresh;
    EXPECT_EQ(RunCommand(fresh.session, ":i").strText, ":i takes a file\n");
    const std::string strMissing = (folder.Path() / "none.h").string();
    const std::string strRefused = RunCommand(fresh.session, ":i " + strMissing).strText;
    EXPECT_NE(strRefused.find(strMissing), std::string::npos) << strRefused;
    EXPECT_FALSE(fresh.session.m_bCLiterals);

    const std::string strRead = RunCommand(fresh.session, ":include " + strHeader).strText;
    EXPECT_TRUE(
        strRead.ends_with("Read " + strHeader + ": 2 C names. Lines are read as C from now on.\n"))
        << strRead;
    ASSERT_EQ(fresh.session.Enter("UART0_CR | 1"), 0);
    EXPECT_EQ(fresh.session.LastResult(), 0x40000031);
    // read again: the same definitions, and C was read already
    EXPECT_TRUE(RunCommand(fresh.session, ":i " + strHeader).strText.ends_with(": 2 C names.\n"));
}

TEST(Commands, QuitEndsTheSessionAndHelpListsEveryCommand)
{
    SFreshSession fresh;
    EXPECT_TRUE(RunCommand(fresh.session, ":q").bQuit);
    EXPECT_TRUE(RunCommand(fresh.session, ":quit").bQuit);
    EXPECT_EQ(RunCommand(fresh.session, ":q now").strText, ":q takes no value\n");
    const std::string strHelp = RunCommand(fresh.session, ":h").strText;
    for (const SCommand& command : Commands())
        EXPECT_NE(strHelp.find("\n  :" + std::string(command.strName)), std::string::npos)
            << command.strName;
    std::size_t nLineStart = 0;
    for (std::size_t nEnd = strHelp.find('\n'); nEnd != std::string::npos;
         nLineStart = nEnd + 1, nEnd = strHelp.find('\n', nLineStart))
        EXPECT_LE(nEnd - nLineStart, 79u) << strHelp.substr(nLineStart, nEnd - nLineStart);
}

} // namespace
