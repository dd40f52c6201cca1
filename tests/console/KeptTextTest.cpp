// The Qt-free parts of the window's kept console and its literals: the conversion of pasted
// C and Python literals, the copied result literals, the transcript's bounds and when it is saved.
#include "CLiterals.h"
#include "ConsoleFixture.h"
#include "ResultLiteral.h"
#include "Transcript.h"

#include <string>
#include <tuple>

namespace
{

// One table for every rule of the conversion and for everything it must leave alone.
TEST(CLiterals, ConvertsHexAndBinaryLiteralsAndNothingElse)
{
    const std::pair<const char*, const char*> rows[] = {
        // pasted, as the console gets it
        {"0xFF & (1 << 4)", "$FF & (1 << 4)"},
        {"0XfF", "$fF"}, // prefix in capitals; digits keep their case
        {"0b1010|1", "#1010|1"},
        {"0B11", "#11"},
        {"0xFF'FF", "$FFFF"}, // C++14 separator
        {"0b1010'0101", "#10100101"},
        {"0x_dead_beef", "$deadbeef"}, // Python and Rust separators
        {"0b1_0", "#10"},
        {"0xFFu", "$FF"}, // C suffixes, any case
        {"0xFFUL", "$FF"},
        {"0xffull", "$ff"},
        {"0x1LLU", "$1"},
        {"0x1lu", "$1"},
        {"0x10z", "$10"},
        {"0b1uz", "#1"},
        {"0x7fffffffL", "$7fffffff"},
        {"sin(0x10)+0b1", "sin($10)+#1"},
        {"-0x1", "-$1"},
        {"0x1\r\n0b1\n0x2", "$1\r\n#1\n$2"}, // every line
        {"a = 0x10;", "a = $10;"},
        {"0x10e3", "$10e3"}, // e is a hexadecimal digit
        // left alone
        {"$ff", "$ff"},
        {"$0b1", "$0b1"}, // already the calculator's hexadecimal
        {"#0x1", "#0x1"},
        {"pi*r+m", "pi*r+m"},
        {"0.5e3", "0.5e3"},
        {"1'000", "1'000"}, // decimal numbers keep their separators
        {"12ab", "12ab"},
        {"x0x1", "x0x1"}, // inside a name
        {"10x5", "10x5"}, // inside a number
        {"0x", "0x"},     // no digits
        {"0b", "0b"},
        {"0x_", "0x_"},
        {"0b102", "0b102"}, // a digit of no base: no such literal
        {"0b12", "0b12"},
        {"0xFG", "0xFG"},
        {"0x1.8p3", "0x1.8p3"}, // hexadecimal floating point
        {"0x1uu", "0x1uu"},     // no such suffix
        {"0x1lul", "0x1lul"},
        {"0o17", "0o17"},
        {"'0x1'", "'0x1'"}, // between single quotes
        {"'a'+0x1", "'a'+$1"},
        {"'''+0x1", "'''+$1"},        // the quote character's literal
        {"'0x1 + 0b1", "'0x1 + 0b1"}, // an open quote runs to the line's end
        {"'0x1\n0x1", "'0x1\n$1"},
        {"\xC3\xA4"
         "0x1\xE2\x80\xA6",
         "\xC3\xA4$1\xE2\x80\xA6"}, // UTF-8 around a literal
        {"", ""},
    };
    for (const auto& [pszPasted, pszConverted] : rows)
    {
        std::vector<std::size_t> arrSource;
        EXPECT_EQ(ConvertCLiterals(pszPasted, &arrSource), pszConverted) << pszPasted;
        EXPECT_EQ(ConvertCLiterals(pszPasted), pszConverted) << pszPasted;
        EXPECT_EQ(arrSource.size(), std::string(pszConverted).size() + 1) << pszPasted;
    }
}

TEST(CLiterals, EachConvertedByteKnowsWhereItCameFrom)
{
    const std::pair<const char*, std::vector<std::size_t>> rows[] = {
        {"0xF'F+x", {0, 2, 4, 5, 6, 7}}, // $ F F + x, end
        {"(0b1u)", {0, 1, 3, 5, 6}},     // ( # 1 ), end
        {"q", {0, 1}},
    };
    for (const auto& [pszText, arrExpected] : rows)
    {
        std::vector<std::size_t> arrSource;
        ConvertCLiterals(pszText, &arrSource);
        EXPECT_EQ(arrSource, arrExpected) << pszText;
    }
}

// Each row: the cast (mode, unsigned), the value, then the literals of the three lines.
TEST_F(ConsoleTest, ResultLiteralsFollowTheCastWidthAndThePanelsDigits)
{
    const std::tuple<int, int, const char*, std::string, const char*, const char*> rows[] = {
        {0, 0, "-1", "0b" + std::string(64, '1'), "0xFFFFFFFFFFFFFFFF", "-1"},
        {1, 0, "-1", "0b" + std::string(32, '1'), "0xFFFFFFFF", "-1"},
        {3, 1, "-1", "0b11111111", "0xFF", "255"},
        {0, 0, "10", "0b" + std::string(60, '0') + "1010", "0xA", "10"},
        {3, 0, "$1FF", "0b11111111", "0xFF", "-1"},
        {0, 0, "2.5", "0b" + std::string(62, '0') + "10", "0x2", "2.5"},
        {0, 0, "1/0", "0b1" + std::string(63, '0'), "0x8000000000000000", "INF"}, // as shown
    };
    for (const auto& [nCast, bUnsigned, pszExpression, strBinary, pszHex, pszDecimal] : rows)
    {
        StartWith(static_cast<ECastMode>(nCast), bUnsigned, Decimal, Scroll, 0);
        ASSERT_TRUE(Enter((std::string("?") + pszExpression + "@").c_str()));
        const std::string strPanel = m_window.m_strPanelText;
        EXPECT_EQ(ResultLiteral(strPanel, 0), strBinary) << pszExpression << " cast " << nCast;
        EXPECT_EQ(ResultLiteral(strPanel, 1), pszHex) << pszExpression << " cast " << nCast;
        EXPECT_EQ(ResultLiteral(strPanel, 2), pszDecimal) << pszExpression << " cast " << nCast;
        EXPECT_EQ(ConvertCLiterals(ResultLiteral(strPanel, 1)), std::string("$") + (pszHex + 2))
            << "a copied literal pastes back as the calculator's own";
    }
    CMemoryWindow fresh;
    CConsole console(fresh);
    console.SetStartDefaults();
    console.Start(kBannerText, kVersionText);
    for (const int nLine : {-1, 0, 1, 2, 3})
        EXPECT_EQ(ResultLiteral(fresh.m_strPanelText, nLine), "") << "nothing evaluated yet";
}

const std::string kStartText = std::string(kBannerText) + "\r\n" + kVersionText + "?";

// Lines of the given lengths, CR LF (or the break given) between them.
std::string Lines(std::size_t nLines, std::size_t nLength, char chFill = 'x',
                  const char* pszBreak = "\r\n")
{
    std::string strText;
    for (std::size_t i = 0; i < nLines; ++i)
        strText.append(i ? pszBreak : "").append(nLength, chFill);
    return strText;
}

TEST(Transcript, KeepsTheLastWholeLinesWithinBothBounds)
{
    const std::string strTenThousand = Lines(kTranscriptMaxLines, 3);
    const std::size_t nLong = kTranscriptMaxBytes / 4; // four such lines and their breaks overflow
    const std::string strHuge = "?" + Lines(1, kTranscriptMaxBytes + 100, '1');
    std::string strAccents; // "é" is two bytes: the bound after "a\r\n" falls inside one
    while (strAccents.size() <= kTranscriptMaxBytes)
        strAccents += "\xC3\xA9";
    const std::tuple<const char*, std::string, std::string> rows[] = {
        // row, console text, kept
        {"empty", "", ""},
        {"start-up text", kStartText, kStartText.substr(0, kStartText.size() - 3)},
        {"only the prompt", "?", ""},
        {"empty prompt dropped", "?1\r\n1\r\n?", "?1\r\n1"},
        {"typed prompt kept", "?1\r\n1\r\n?2*", "?1\r\n1\r\n?2*"},
        {"prompt not last", "?\r\nx", "?\r\nx"},
        {"empty last line kept", "x\r\n", "x\r\n"},
        {"line count at the bound", strTenThousand, strTenThousand},
        {"one line too many", "first\r\n" + strTenThousand, strTenThousand},
        {"the prompt is no line", strTenThousand + "\r\n?", strTenThousand},
        {"bytes at the bound", Lines(1, kTranscriptMaxBytes), Lines(1, kTranscriptMaxBytes)},
        {"a byte too many", "y\r\n" + Lines(1, kTranscriptMaxBytes - 2),
         Lines(1, kTranscriptMaxBytes - 2)},
        {"exactly full", "y\r\n" + Lines(1, kTranscriptMaxBytes - 3, 'z'),
         "y\r\n" + Lines(1, kTranscriptMaxBytes - 3, 'z')},
        {"whole lines dropped", Lines(4, nLong), Lines(3, nLong)},
        // a last line beyond the bound: the lines before it that fit, then its start
        {"an overlong last line", Lines(1, kTranscriptMaxBytes + 1), Lines(1, kTranscriptMaxBytes)},
        {"lines before an overlong one", "?1\r\n1\r\n" + strHuge,
         "?1\r\n1\r\n" + strHuge.substr(0, kTranscriptMaxBytes - 7)},
        {"overlong after a prompt dropped", strHuge + "\r\n?",
         strHuge.substr(0, kTranscriptMaxBytes)},
        {"overlong after too many bytes", Lines(4, nLong, 'y') + "\r\n" + strHuge,
         Lines(3, nLong, 'y') + "\r\n" + strHuge.substr(0, nLong - 6)},
        {"no room left for the overlong line",
         Lines(1, kTranscriptMaxBytes - 2, 'y') + "\r\n" + strHuge,
         Lines(1, kTranscriptMaxBytes - 2, 'y')},
        {"cut before a UTF-8 sequence", "a\r\n" + strAccents,
         "a\r\n" + strAccents.substr(0, kTranscriptMaxBytes - 4)},
        {"NUL bytes", std::string("a\0b", 3),
         "a\x1A"
         "b"},
        // a text stored by anything else: every break counts as the console shows it
        {"LF only", "a\nb\n?", "a\r\nb"},
        {"CR only", "a\rb\r\r?", "a\r\nb\r\n"},
        {"mixed", "a\r\nb\n\rc", "a\r\nb\r\n\r\nc"},
        {"LF lines beyond the bound", "first\n" + Lines(kTranscriptMaxLines, 3, 'x', "\n"),
         strTenThousand},
        {"CR lines beyond the bound", "first\r" + Lines(kTranscriptMaxLines, 3, 'x', "\r"),
         strTenThousand},
        {"a megabyte of LF", std::string(kTranscriptMaxBytes, '\n'), Lines(kTranscriptMaxLines, 0)},
        {"LF bytes doubled beyond the bound", Lines(4, nLong, 'x', "\n"), Lines(3, nLong)},
    };
    for (const auto& [pszRow, strConsole, strKept] : rows)
    {
        const std::string strTranscript = TranscriptOf(strConsole);
        EXPECT_EQ(strTranscript.size(), strKept.size()) << pszRow;
        EXPECT_TRUE(strTranscript == strKept) << pszRow;
        EXPECT_LE(strTranscript.size(), kTranscriptMaxBytes) << pszRow;
    }
}

// Rows of edits: the time, whether lines changed, and the delay the save timer gets.
TEST(Transcript, SavesTwoSecondsAfterAPauseOrAnEnterAndAtMostTenAfterTheFirstEdit)
{
    using Edit = std::tuple<std::int64_t, bool, std::int64_t>;
    const std::pair<const char*, std::vector<Edit>> rows[] = {
        {"typing restarts the pause", {{0, false, 2000}, {500, false, 2000}, {1900, false, 2000}}},
        {"an Enter sets a deadline", {{0, false, 2000}, {100, true, 2000}, {1100, false, 1000}}},
        {"typing after an Enter", {{0, true, 2000}, {1500, false, 500}, {1999, false, 1}}},
        {"steady typing",
         {{0, false, 2000},
          {7000, false, 2000},
          {9000, false, 1000},
          {9999, false, 1},
          {10500, false, 0}}},
        {"a later Enter comes first", {{0, false, 2000}, {9000, true, 1000}}},
    };
    for (const auto& [pszRow, arrEdits] : rows)
    {
        CSaveSchedule schedule;
        for (const auto& [nNow, bLines, nDelay] : arrEdits)
            EXPECT_EQ(schedule.OnEdit(nNow, bLines), nDelay) << pszRow << " at " << nNow;
        schedule.OnSaved();
        EXPECT_EQ(schedule.OnEdit(20000, false), 2000) << pszRow << ": saved, a new start";
    }
}

} // namespace
