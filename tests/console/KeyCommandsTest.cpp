#include "ConsoleFixture.h"

namespace
{

TEST_F(ConsoleTest, StartWritesBannerAndPromptWithTheCaretBehindIt)
{
    StartWith(None, 0, Decimal, Overwrite, 1);
    const std::string strMarked = MarkedText(m_window);
    // Five lines: product line, "F1 for HELP", an empty line, the version, the prompt.
    EXPECT_EQ(strMarked.substr(strMarked.find('\n') + 1),
              "F1 for HELP\n\nVersion " LUMDRAK_VERSION "\n?@");
    EXPECT_LT(strMarked.size(), 300u);
    EXPECT_EQ(m_window.m_nSelEnd, m_window.m_nSelStart);
    EXPECT_TRUE(m_window.m_bConsoleFocused);
    EXPECT_EQ(m_window.m_strPanelText, "");
}

// Modes as a stored code restores them, any digit at any position: the window shows a sign
// flag above 1 as checked and a cast beyond the radios as none, a disabled box keeps its
// check, and the evaluator computes in the cast shown from the first Enter on.
TEST_F(ConsoleTest, StartAppliesTheRestoredModesFromTheFirstEnter)
{
    const struct
    {
        int nCastMode, bUnsigned, nEditMode;
        const char* szExpression;
        const char* szResult;
        int nCastType, nCastRadio;
        bool bUnsignedEnabled, bEndPosEnabled;
    } rows[] = {
        {0, 0, 1, "?-1.5@", "-1.5", 0, 0, false, true},
        {0, 1, 0, "?-1.5@", "-1.5", 1, 0, false, false},
        {1, 0, 0, "?-1@", "-1", 2, 1, true, false},
        {3, 0, 1, "?300@", "44", 6, 3, true, true},
        {3, 1, 1, "?300@", "44", 7, 3, true, true},
        {3, 0, 1, "?200@", "-56", 6, 3, true, true},
        {3, 1, 1, "?200@", "200", 7, 3, true, true},
        {1, 2, 1, "?-1@", "4294967295", 3, 1, true, true},
        {2, 5, 1, "?-1@", "65535", 5, 2, true, true},
        {3, 9, 1, "?-1@", "255", 7, 3, true, true},
        {9, 1, 1, "?-1.5@", "-1.5", 1, -1, true, true},
        {4, 0, 1, "?-1.5@", "-1.5", 0, -1, true, true},
    };
    for (const auto& row : rows)
    {
        StartWith(static_cast<ECastMode>(row.nCastMode), row.bUnsigned, Decimal,
                  static_cast<EEditMode>(row.nEditMode), 1);
        ASSERT_TRUE(Enter(row.szExpression));
        EXPECT_EQ(State().m_strLastResult, row.szResult) << row.nCastMode << row.bUnsigned;
        EXPECT_EQ(static_cast<int>(m_console.CastType()), row.nCastType) << row.nCastMode;
        EXPECT_EQ(m_window.m_nCastRadio, row.nCastRadio) << row.nCastMode;
        EXPECT_EQ(m_window.m_bUnsignedChecked, row.bUnsigned != 0) << row.nCastMode;
        EXPECT_EQ(m_window.m_bUnsignedEnabled, row.bUnsignedEnabled) << row.nCastMode;
        EXPECT_EQ(m_window.m_bEndPosEnabled, row.bEndPosEnabled) << row.nCastMode;
    }
}

TEST_F(ConsoleTest, F2AndF3InsertAtTheSelectionAndAreNotConsumed)
{
    StartWith(None, 0, Hexadecimal, Scroll, 0);
    // Before any success they insert nothing, so a selection is deleted.
    m_window.SetConsoleText("?abcdef", 0);
    m_window.SetConsoleSel(2, 4);
    EXPECT_FALSE(m_console.PreTranslateKeyDown(EVirtualKey::F2));
    EXPECT_EQ(MarkedText(m_window), "?a@def");

    ASSERT_TRUE(Enter("?255@"));
    ASSERT_EQ(MarkedText(m_window), "?255\n$FF\n?@");
    EXPECT_FALSE(m_console.PreTranslateKeyDown(EVirtualKey::F2));
    EXPECT_FALSE(m_console.PreTranslateKeyDown(EVirtualKey::F2))
        << "each repetition inserts once more";
    EXPECT_FALSE(m_console.PreTranslateKeyDown(EVirtualKey::F3));
    EXPECT_EQ(MarkedText(m_window), "?255\n$FF\n?$FF$FF255@");

    // The prefixed result reads back as the same value.
    m_window.SetConsoleText("?", -1);
    m_console.PreTranslateKeyDown(EVirtualKey::F2);
    ASSERT_TRUE(m_console.PreTranslateKeyDown(EVirtualKey::Enter));
    EXPECT_EQ(State().m_strLastResult, "$FF");

    // After a failure F3 has nothing to insert.
    ASSERT_TRUE(Enter("?2**2@"));
    m_window.SetConsoleText("?xyz", 1);
    m_window.SetConsoleSel(1, 3);
    m_console.PreTranslateKeyDown(EVirtualKey::F3);
    EXPECT_EQ(MarkedText(m_window), "?@z");
}

TEST_F(ConsoleTest, F4CopiesTheLastResultToMemory)
{
    StartWith(None, 0, Decimal, Scroll, 0);
    ASSERT_TRUE(Enter("?6*7@"));
    EXPECT_FALSE(m_console.PreTranslateKeyDown(EVirtualKey::F4));
    ASSERT_TRUE(Enter("?m+1@"));
    EXPECT_EQ(State().m_strLastResult, "43");
    ASSERT_TRUE(Enter("?m@"));
    EXPECT_EQ(State().m_strLastResult, "42") << "m keeps its value until the next F4";
}

TEST_F(ConsoleTest, OtherKeysAreIgnored)
{
    StartWith(None, 0, Decimal, Scroll, 0);
    SetMarkedText(m_window, "?1+1@");
    for (const int nKey : {0x70 /* F1 */, 0x74 /* F5 */, 0x41 /* A */, 0x1B /* Escape */})
        EXPECT_FALSE(m_console.PreTranslateKeyDown(static_cast<EVirtualKey>(nKey)));
    EXPECT_EQ(MarkedText(m_window), "?1+1@");
}

TEST_F(ConsoleTest, NoneDisablesUnsignedButKeepsItsCheck)
{
    StartWith(Bits16, 1, Decimal, Scroll, 0);
    m_window.m_nCastRadio = 0;
    m_console.OnCastChange();
    EXPECT_FALSE(m_window.m_bUnsignedEnabled);
    EXPECT_EQ(m_window.m_bUnsignedChecked, 1);
    EXPECT_EQ(m_console.CastType(), ECastType::NoneUnsigned);
    ASSERT_TRUE(Enter("?-1.5@"));
    EXPECT_EQ(State().m_strLastResult, "-1.5") << "cast type 1 computes like no cast";

    m_window.m_nCastRadio = 2;
    m_console.OnCastChange();
    EXPECT_TRUE(m_window.m_bUnsignedEnabled);
    EXPECT_EQ(m_console.CastType(), ECastType::Unsigned16);
}

TEST_F(ConsoleTest, OutputModeTakesEffectAtTheNextEnter)
{
    StartWith(None, 0, Decimal, Scroll, 0);
    ASSERT_TRUE(Enter("?26@"));
    const std::string strConsole = m_window.m_strConsoleText;
    const std::string strPanel = m_window.m_strPanelText;
    m_window.m_bConsoleFocused = false;
    m_window.m_nOutputRadio = 1;
    m_console.OnFocusConsole();
    EXPECT_TRUE(m_window.m_bConsoleFocused);
    EXPECT_EQ(m_window.m_strConsoleText, strConsole);
    EXPECT_EQ(m_window.m_strPanelText, strPanel);
    m_window.SetConsoleText(strConsole + "r", -1);
    ASSERT_TRUE(m_console.ProcessEnter().bEntered);
    EXPECT_EQ(State().m_strLastResult, "$1A");
}

TEST_F(ConsoleTest, ScrollDisablesEndPosWithoutClearingIt)
{
    StartWith(None, 0, Decimal, Overwrite, 1);
    m_window.m_nEditRadio = 0;
    m_console.OnEditMode();
    EXPECT_FALSE(m_window.m_bEndPosEnabled);
    EXPECT_EQ(m_window.m_bEndPosChecked, 1);
    ASSERT_TRUE(Enter("?1+1@\nold\n?2+2"));
    EXPECT_EQ(MarkedText(m_window), "?1+1\n2\n?@\nold\n?2+2") << "Scroll inserts";

    m_window.m_nEditRadio = 1;
    m_console.OnEditMode();
    EXPECT_TRUE(m_window.m_bEndPosEnabled);
    ASSERT_TRUE(Enter("?1+1@\nold\n?2+2"));
    EXPECT_EQ(MarkedText(m_window), "?1+1\n2\n?2+2@") << "EndPos acts again";
}

TEST_F(ConsoleTest, EraseLeavesAnEmptyConsoleAndKeepsEverythingElse)
{
    StartWith(None, 0, Decimal, Scroll, 0);
    ASSERT_TRUE(Enter("?6*7@"));
    m_console.PreTranslateKeyDown(EVirtualKey::F4);
    const std::string strPanel = m_window.m_strPanelText;
    m_console.OnErase();
    EXPECT_EQ(m_window.m_strConsoleText, "");
    EXPECT_EQ(m_window.m_strPanelText, strPanel);
    EXPECT_EQ(State().m_strLastResult, "42");
    EXPECT_EQ(State().m_strLastExpression, "6*7");
    EXPECT_EQ(m_console.Memory(), 42);
    EXPECT_FALSE(m_console.PreTranslateKeyDown(EVirtualKey::Enter)) << "no prompt to evaluate";

    // A mode chosen since the last exchange survives the erase.
    m_window.m_nOutputRadio = 1;
    m_window.m_nEditRadio = 1;
    m_console.OnErase();
    EXPECT_EQ(m_window.m_nOutputRadio, 1);
    EXPECT_EQ(m_window.m_nEditRadio, 1);
}

} // namespace
