#include "ConsoleFixture.h"
#include "ConsoleLines.h"

#include <tuple>

namespace
{

constexpr EEditMode kScroll = EEditMode::Scroll;
constexpr EEditMode kOverwrite = EEditMode::Overwrite;

struct EnterCase
{
    const char* szName;
    const char* szBefore; // "\n" is CR LF, "@" the caret
    EEditMode eEditMode;
    int bEndPos;
    const char* szAfter; // nullptr: the key is not consumed and nothing changes
};

const EnterCase kEnterCases[] = {
    {"worked example, scroll", "?1+2@", kScroll, 0, "?1+2\n3\n?@"},
    {"caret at line start", "@?1+2", kScroll, 0, "?1+2\n3\n?@"},
    {"caret inside the line", "?1+@2", kScroll, 0, "?1+2\n3\n?@"},
    {"not a ? line", "x?1@", kScroll, 0, nullptr},
    {"empty line", "?1\n@", kScroll, 0, nullptr},
    {"line starting with a blank", "?1\n ?1@", kScroll, 0, nullptr},
    {"empty console", "@", kScroll, 0, nullptr},
    {"first ? opens the line", "??1@", kScroll, 0, "??1\n^^\nSyntax not allowed.\n?@"},
    {"lone ? gives 0", "?@", kScroll, 0, "?\n0\n?@"},
    {"error at position 5", "?1+2+x@", kScroll, 0, "?1+2+x\n    ^^\nSyntax not allowed.\n?@"},
    {"error one past the end", "?1+ @", kScroll, 0, "?1+ \n   ^^\nSyntax not allowed.\n?@"},
    {"scroll in the middle", "?1+1@\n9\n?5\n5", kScroll, 1, "?1+1\n2\n?@\n9\n?5\n5"},
    {"overwrite on the last line", "x\n?2*3@", kOverwrite, 1, "x\n?2*3\n6\n?@"},
    {"overwrite: one line below, a ? line", "?1+1@\n?7", kOverwrite, 1, "?1+1\n2\n?@"},
    {"overwrite: one line below, text", "?1+1@\nold", kOverwrite, 0, "?1+1\n2\n?@"},
    {"overwrite, EndPos off", "?1+1@\nold\n?2+2", kOverwrite, 0, "?1+1\n2\n?@"},
    {"overwrite, EndPos on", "?1+1@\nold\n?2+2", kOverwrite, 1, "?1+1\n2\n?2+2@"},
    {"overwrite, EndPos on, later lines", "?1+1@\nold\n?2+2\n4", kOverwrite, 1,
     "?1+1\n2\n?2+2@\n4"},
    {"worked example, EndPos on", "?1+3@\n3\n?r+1\n6", kOverwrite, 1, "?1+3\n4\n?r+1@\n6"},
    {"overwrite, empty second line", "?1+1@\nold\n\nmore", kOverwrite, 1, "?1+1\n2\n?@\nmore"},
    {"overwrite, second line not ?", "?1+1@\nold\ntext\nmore", kOverwrite, 1, "?1+1\n2\n?@\nmore"},
    {"overwrite, lone ? second line", "?1+1@\nold\n?\nmore", kOverwrite, 1, "?1+1\n2\n?@\nmore"},
    {"overwrite an error marker", "?1+@x\n^^\nSyntax not allowed.\n?", kOverwrite, 1,
     "?1+x\n  ^^\nSyntax not allowed.\n?@\n?"},
    {"only the caret's line counts", "?1+1\n?2*5@\n?3", kScroll, 0, "?1+1\n?2*5\n10\n?@\n?3"},
};

TEST_F(ConsoleTest, EnterWritesResultOrMarkerAndPlacesTheCaret)
{
    for (const EnterCase& c : kEnterCases)
    {
        SCOPED_TRACE(c.szName);
        StartWith(None, 0, Decimal, c.eEditMode, c.bEndPos);
        SetMarkedText(m_window, c.szBefore);
        const std::string strBefore = MarkedText(m_window);
        EXPECT_EQ(m_console.PreTranslateKeyDown(EVirtualKey::Enter), c.szAfter != nullptr);
        EXPECT_EQ(MarkedText(m_window), c.szAfter != nullptr ? std::string(c.szAfter) : strBefore);
    }
}

// Enter's steps on texts with lone breaks, which only the in-memory window holds: a line ends
// at a CR and begins after an LF. Rows: text, caret, the '?' and the line's end (npos: no '?'
// line), then the end of what Overwrite with EndPos replaces and where the caret goes.
TEST(EnterSteps, FindTheLineAndTheRangeByCrAndLf)
{
    constexpr std::size_t npos = std::string_view::npos;
    const std::tuple<std::string_view, std::size_t, std::size_t, std::size_t, std::size_t,
                     std::size_t>
        rows[] = {
            {"?1\n?2", 0, 3, 5, 5, npos},          // an LF begins a line; no CR: to the end
            {"?1\r?2\r\n?3", 4, 0, 5, 9, npos},    // no LF after a CR: the line goes on
            {"?1\r\nx\r\n?3\r\ny", 1, 0, 2, 8, 9}, // EndPos keeps "?3" and its end
            {"?1\r\nx\r?3", 0, 0, 2, 8, npos},     // a ? after a lone CR opens no line
            {"x?1\r\n?2", 2, npos, 3, 0, 0},
            {"\n?1", 0, 1, 3, 3, npos}, // the caret's line is the one a CR ends
        };
    for (const auto& [strText, nCaret, nQuestion, nEnd, nReplaceEnd, nKeep] : rows)
    {
        SCOPED_TRACE(std::string(strText) + " at " + std::to_string(nCaret));
        const std::optional<SQuestionLine> line = FindQuestionLine(strText, nCaret);
        ASSERT_EQ(line.has_value(), nQuestion != npos);
        if (!line) continue;
        EXPECT_EQ(line->nQuestion, nQuestion);
        EXPECT_EQ(line->nEnd, nEnd);
        const SReplaceRange range = ReplaceRange(strText, line->nEnd, kOverwrite, true);
        EXPECT_EQ(range.nEnd, nReplaceEnd);
        EXPECT_EQ(range.nKeep.value_or(npos), nKeep);
        EXPECT_EQ(ReplaceRange(strText, line->nEnd, kScroll, true).nEnd, line->nEnd);
    }
}

TEST_F(ConsoleTest, SelectionInTheLineIsDiscarded)
{
    StartWith(None, 0, Decimal, Scroll, 0);
    m_window.SetConsoleText("?40+2\r\nrest", 0);
    m_window.SetConsoleSel(2, 9);
    ASSERT_TRUE(m_console.ProcessEnter().bEntered);
    EXPECT_EQ(MarkedText(m_window), "?40+2\n42\n?@\nrest");
}

// The panel line is written whole, even one longer than any panel row; an output mode that
// matches no button (from a stored code) writes the decimal line.
TEST_F(ConsoleTest, OutputModesChooseThePanelLineAndPrefix)
{
    const std::tuple<int, const char*, std::string> rows[] = {
        {0, "2*5", "#" + std::string(60, '0') + "1010"},
        {1, "2*5", "$A"},
        {2, "2*5", "10"},
        {-1, "2*5", "10"},
        {2, "1e300", kExact1e300},
    };
    for (const auto& [nOutputMode, pszExpression, strLine] : rows)
    {
        StartWith(None, 0, Decimal, Scroll, 0);
        m_window.m_nOutputRadio = nOutputMode;
        ASSERT_TRUE(Enter((std::string("?") + pszExpression + "@").c_str()));
        EXPECT_EQ(MarkedText(m_window), std::string("?") + pszExpression + "\n" + strLine + "\n?@");
        EXPECT_EQ(State().m_strLastResult, strLine);
    }
}

TEST_F(ConsoleTest, SuccessKeepsValuesAndFailureClearsThemButNotThePanel)
{
    StartWith(None, 0, Decimal, Scroll, 0);
    ASSERT_TRUE(Enter("?6*7@"));
    EXPECT_EQ(State().m_strLastExpression, "6*7");
    EXPECT_EQ(State().m_dLastValue, 42);
    EXPECT_EQ(m_console.LastResult(), 42);
    EXPECT_EQ(State().m_strLastResult, "42");
    const std::string strPanel = m_window.m_strPanelText;

    ASSERT_TRUE(Enter("?6*(7@"));
    EXPECT_EQ(State().m_strLastExpression, "");
    EXPECT_EQ(State().m_dLastValue, 0.0);
    EXPECT_EQ(m_console.LastResult(), 42);
    EXPECT_EQ(State().m_strLastResult, "42");
    EXPECT_EQ(m_window.m_strPanelText, strPanel);

    ASSERT_TRUE(Enter("?r+1@"));
    EXPECT_EQ(State().m_strLastResult, "43");
}

} // namespace
