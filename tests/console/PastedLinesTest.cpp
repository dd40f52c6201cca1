// A pasted block entered at the empty last prompt, and F5's replacement of a '?' line's
// expression: both through the console logic, on the text model.
#include "ConsoleFixture.h"

#include <optional>
#include <string>
#include <tuple>

namespace
{

// "\n" is CR LF and "@" the caret; "[" and "]" a selection.
TEST_F(ConsoleTest, ABlockIsEnteredOnlyAtAnEmptyPromptOnTheLastLine)
{
    const std::pair<const char*, bool> rows[] = {
        {"?1\n1\n?@", true},   {"?1\n1\n@?", true},
        {"?@", true},          {"?@\n", false}, // an empty line below
        {"?1\n1\n?2@", false},                  // an expression typed
        {"?@\n1\n?", false},                    // not the last line
        {"@", false},                           // erased
    };
    StartWith(None, 0, Decimal, Scroll, 0);
    for (const auto& [pszText, bBlock] : rows)
    {
        SetMarkedText(m_window, pszText);
        EXPECT_EQ(m_console.AtEmptyLastPrompt(), bBlock) << pszText;
    }
    SetMarkedText(m_window, "?1\n1\n?@");
    m_window.SetConsoleSel(m_window.m_nSelStart - 1, m_window.m_nSelStart);
    EXPECT_FALSE(m_console.AtEmptyLastPrompt()) << "a selection";
}

// Rows: the lines of a block (text, expression entered below it or none), and the console after
// them, in either edit mode: what Enter writes after each value, an empty prompt at the end.
TEST_F(ConsoleTest, ABlocksLinesStayAndEachValueGetsItsLineAndResult)
{
    using SLine = std::pair<const char*, const char*>; // nullptr: no value
    const std::tuple<const char*, std::vector<SLine>, const char*> rows[] = {
        {"?1\n1\n?@",
         {{"#define A 0x10", "$10"}, {"#define F(x) x", nullptr}, {"A | 1", "16 | 1"}},
         "?1\n1\n#define A 0x10\n?$10\n16\n#define F(x) x\nA | 1\n?16 | 1\n17\n?@"},
        {"?@",
         {{"", nullptr}, {"?2*-3", nullptr}, {"x", nullptr}},
         "\n?2*-3\n  ^^\nSyntax not allowed.\nx\n?@"},
        {"?1\n1\n?2@", {{"2", "2"}}, "?1\n1\n?2\n2\n?2\n2\n?@"}, // a last line is kept
    };
    for (const EEditMode eEdit : {Scroll, Overwrite})
        for (const auto& [pszBefore, arrLines, pszAfter] : rows)
        {
            StartWith(None, 0, Decimal, eEdit, 1);
            SetMarkedText(m_window, pszBefore);
            for (const auto& [pszText, pszExpression] : arrLines)
                m_console.EnterPastedLine(pszText, pszExpression != nullptr,
                                          pszExpression ? pszExpression : "");
            EXPECT_EQ(MarkedText(m_window), pszAfter) << pszBefore;
        }
    EXPECT_EQ(m_console.LastResult(), 2.0) << "r is the last value, as after Enter";
}

// Rows: the console, what the translation gives (nullopt: nothing), the console after F5.
TEST_F(ConsoleTest, F5ReplacesTheExpressionOfTheCaretsLineAsOneStep)
{
    const std::tuple<const char*, std::optional<std::string>, const char*, bool> rows[] = {
        {"?1\n1\n?0xFF@ & 1", "$FF & 1", "?1\n1\n?$FF & 1@", true},
        {"?0x@1\n1\n?", "$1", "?$1@\n1\n?", true}, // the caret's line, not the last
        {"?$1@", "$1", "?$1@", false},             // nothing changes
        {"?2<10@", std::nullopt, "?2<10@", false}, // nothing to give
        {"x 0x1@", "$1", "x 0x1@", false},         // no '?' line
        {"?\n@", "", "?\n@", false},
    };
    StartWith(None, 0, Decimal, Scroll, 0);
    for (const auto& [pszBefore, translated, pszAfter, bChanged] : rows)
    {
        SetMarkedText(m_window, pszBefore);
        const auto fnTranslate = [&](std::string_view) { return translated; };
        EXPECT_EQ(m_console.TranslateLine(fnTranslate), bChanged) << pszBefore;
        EXPECT_EQ(MarkedText(m_window), pszAfter) << pszBefore;
    }
}

} // namespace
