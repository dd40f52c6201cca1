#include "BitRuler.h"
#include "DialogUnits.h"
#include "FindBar.h"
#include "MemoryWindow.h"
#include "RegistryString.h"
#include "WindowFixture.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QImage>
#include <QLineEdit>
#include <QMetaEnum>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextLayout>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace
{

// The mode buttons in template order.
constexpr EControlId kButtonIds[] = {kIdCastNone, kIdCast32,    kIdCast16,    kIdCast8,
                                     kIdUnsigned, kIdOutputBin, kIdOutputHex, kIdOutputDez,
                                     kIdScroll,   kIdOverwrite, kIdEndPos};

// Each control's rectangle in dialog units.
const std::pair<EControlId, QRect> kTemplateRects[] = {
    {kIdCastNone, {15, 58, 33, 10}},   {kIdCast32, {50, 58, 32, 10}},
    {kIdCast16, {90, 58, 32, 10}},     {kIdCast8, {123, 58, 28, 10}},
    {kIdUnsigned, {160, 58, 54, 10}},  {kIdOutputBin, {230, 53, 30, 10}},
    {kIdOutputHex, {230, 63, 31, 10}}, {kIdOutputDez, {260, 53, 25, 10}},
    {kIdErase, {260, 66, 9, 6}},       {kIdPanel, {7, 16, 260, 29}},
    {kIdInfo, {276, 66, 7, 7}},        {kIdForceCast, {7, 48, 213, 25}},
    {kIdScroll, {10, 183, 40, 10}},    {kIdOverwrite, {50, 183, 52, 10}},
    {kIdEndPos, {105, 183, 50, 10}},   {kIdConsole, {7, 80, 278, 100}},
};

class CCalculatorDlgTest : public CWindowTest
{
protected:
    EControlId FocusId() const
    {
        for (EControlId nId : kButtonIds)
            if (QApplication::focusWidget() == Item(nId)) return nId;
        for (EControlId nId : {kIdPanel, kIdConsole})
            if (QApplication::focusWidget() == Item(nId)) return nId;
        return EControlId::None;
    }
    // The checked buttons' captions in template order, a disabled one in brackets.
    std::string CheckedButtons() const
    {
        std::string strChecked;
        for (EControlId nId : kButtonIds)
        {
            auto* pButton = Item<QAbstractButton>(nId);
            if (!pButton->isChecked()) continue;
            std::string strCaption = pButton->text().remove(u'&').toStdString();
            if (!pButton->isEnabled()) strCaption = "[" + strCaption + "]";
            strChecked += (strChecked.empty() ? "" : " ") + strCaption;
        }
        return strChecked;
    }
    // A control's rectangle in the window, wherever its parent is.
    QRect Geometry(EControlId nId) const
    {
        return QRect(Item(nId)->mapTo(m_pDlg.get(), QPoint()), Item(nId)->size());
    }
    // One fixed size, and every control where the template puts it in its font's units.
    void ExpectTemplateLayout() const
    {
        const CDialogBaseUnits base = BaseUnitsOf(m_pDlg->font());
        EXPECT_EQ(m_pDlg->size(), MapDialogRect(QRect(0, 0, 292, 199), base).size());
        EXPECT_EQ(m_pDlg->minimumSize(), m_pDlg->maximumSize());
        for (const auto& [nId, rectUnits] : kTemplateRects)
            EXPECT_EQ(Geometry(nId), MapDialogRect(rectUnits, base)) << nId;
    }
    // The open find bar in the bottom rows of the console's template rectangle, tall enough
    // for its field; the console above it, shortened, with a gap of two dialog units at most.
    void ExpectFindBarLayout() const
    {
        const CDialogBaseUnits base = BaseUnitsOf(m_pDlg->font());
        const QRect rectTemplate = MapDialogRect(QRect(7, 80, 278, 100), base);
        const QRect rectBar = Geometry(kIdFindBar);
        const QRect rectConsole = Geometry(kIdConsole);
        EXPECT_TRUE(rectTemplate.contains(rectBar));
        EXPECT_LE(rectTemplate.bottom() - rectBar.bottom(), 1) << "each unit rounds on its own";
        EXPECT_GE(rectBar.height(), Item<CFindBar>(kIdFindBar)->Field()->sizeHint().height());
        EXPECT_EQ(rectConsole.topLeft(), rectTemplate.topLeft());
        EXPECT_EQ(rectConsole.width(), rectTemplate.width());
        EXPECT_LT(rectConsole.bottom(), rectBar.top());
        EXPECT_LE(rectBar.top() - rectConsole.bottom(),
                  MapDialogRect(QRect(0, 0, 0, 2), base).height() + 1);
    }
    CBitRuler* Ruler() const
    {
        for (QWidget* pChild : m_pDlg->findChildren<QWidget*>())
            if (auto* pRuler = dynamic_cast<CBitRuler*>(pChild)) return pRuler;
        return nullptr;
    }
};

TEST_F(CCalculatorDlgTest, StartsWithTheBannerAndTheControlsInTheirRectangles)
{
    EXPECT_EQ(ConsoleText(), kStartText);
    EXPECT_EQ(Caret(), static_cast<int>(kStartText.size()));
    EXPECT_EQ(FocusId(), kIdConsole);
    EXPECT_EQ(m_pDlg->windowTitle(), QStringLiteral("Lumdrak"));
    EXPECT_EQ(m_pDlg->windowIcon().pixmap(32).size(), QSize(32, 32));
    // First run: unsigned (disabled with no cast) and EndPos, no cast, decimal output, Overwrite.
    EXPECT_EQ(CheckedButtons(), "None [UNSIGNED] DEZ Overwrite EndPos");
    EXPECT_TRUE(Item(kIdErase)->isHidden() && Item(kIdInfo)->isHidden());
    EXPECT_FALSE(m_pDlg->windowFlags() & Qt::WindowMaximizeButtonHint);
    ExpectTemplateLayout();
}

// lumdrak --expression: the start is as always, with the expression typed on the prompt.
TEST_F(CCalculatorDlgTest, AStartExpressionStandsOnTheFirstPromptReadyForEnter)
{
    OpenWindow("", "$ff<<4");
    EXPECT_EQ(ConsoleText(), kStartText + "$ff<<4");
    EXPECT_EQ(Caret(), static_cast<int>(kStartText.size()) + 6);
    Keys("Return");
    EXPECT_EQ(ConsoleText(), kStartText + "$ff<<4\r\n4080\r\n?");
}

// A start with an empty file where the hive belongs is a first run that keeps its work; with a
// file that is no hive it looks the same (unsigned checked: 200 under 8Bit is 200) but stores
// nothing, so the file stays as it was.
TEST_F(CCalculatorDlgTest, AnEmptyHiveIsAFirstRunAndAForeignOneIsLeftAlone)
{
    const std::string strHive = m_configDir.path().toStdString() + "/lumdrak/registry.sqlite3";
    const std::tuple<const char*, std::string, bool> rows[] = {
        {"empty", "", true},
        {"text", "not a hive\n", false},
    };
    for (const auto& [pszName, strContent, bKept] : rows)
    {
        SCOPED_TRACE(pszName);
        m_pDlg.reset();
        std::FILE* pFile = std::fopen(strHive.c_str(), "wb");
        ASSERT_NE(pFile, nullptr);
        std::fputs(strContent.c_str(), pFile);
        std::fclose(pFile);
        OpenWindow();
        EXPECT_EQ(CheckedButtons(), "None [UNSIGNED] DEZ Overwrite EndPos");
        Keys("Alt+8");
        Type("200\r");
        EXPECT_TRUE(ConsoleText().ends_with("?200\r\n200\r\n?"));
        m_pDlg->close();
        const std::string strCode =
            CRegistryString("Software\\Lumdrak\\Save\\SaveKey", "-", true, HKEY_CURRENT_USER)
                .GetValue();
        EXPECT_EQ(strCode, bKept ? "BB321" : "-");
        const std::string strTranscript =
            CRegistryString("Software\\Lumdrak\\Console", "-", true, HKEY_CURRENT_USER).GetValue();
        EXPECT_EQ(strTranscript.ends_with("?200\r\n200"), bKept) << strTranscript;
        if (!bKept)
        {
            std::ifstream file(strHive, std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), strContent);
        }
    }
}

// "Courier" would be whatever fontconfig prefers (with fonts-urw-base35, Nimbus Mono PS and a
// taller window); the window asks for its face by name and for nothing else.
TEST_F(CCalculatorDlgTest, OneFaceOnEveryMachineWithTheTemplatesBaseUnits)
{
    const bool bLookalike = QFontDatabase::hasFamily(QStringLiteral("Nimbus Mono PS"));
    for (const QWidget* pWidget : {static_cast<QWidget*>(m_pDlg.get()), Item(kIdConsole),
                                   static_cast<QWidget*>(Panel()), Item(kIdCastNone)})
        EXPECT_EQ(QFontInfo(pWidget->font()).family(), QStringLiteral("DejaVu Sans Mono"));
    const CDialogBaseUnits base = BaseUnitsOf(m_pDlg->font());
    EXPECT_EQ(base.m_nCharWidth, 7);
    EXPECT_EQ(base.m_nCharHeight, 13);
    EXPECT_EQ(m_pDlg->size(), QSize(511, 323));
    EXPECT_EQ(m_pDlg->font().pointSizeF(), 8.0);

    // Where the face is missing, the system's fixed-pitch font, not a lookalike.
    const QFont fontMissing = DialogFont("No Such Face Anywhere", 8, 100);
    EXPECT_EQ(QFontInfo(fontMissing).family(),
              QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family());
    EXPECT_TRUE(QFontInfo(fontMissing).fixedPitch());

    // Every step is a larger font whose characters fit their dialog units.
    int nLastWidth = 0;
    for (int nPercent : kZoomSteps)
    {
        const QFont font = DialogFont("DejaVu Sans Mono", 8, nPercent);
        const double dAverage = QFontMetricsF(font).horizontalAdvance(QString(52, u'x')) / 52;
        EXPECT_LE(dAverage, BaseUnitsOf(font).m_nCharWidth) << nPercent;
        EXPECT_GT(BaseUnitsOf(font).m_nCharWidth, nLastWidth) << nPercent;
        EXPECT_NEAR(font.pointSizeF(), 8 * nPercent / 100.0 - 0.5, 0.5) << nPercent;
        nLastWidth = BaseUnitsOf(font).m_nCharWidth;
    }
    if (!bLookalike)
        GTEST_SKIP() << "no Nimbus Mono PS (fonts-urw-base35): the window's face was not tried "
                        "against the look-alike that fontconfig would prefer for \"Courier\"";
}

// Each row starts in a new window: text typed in the console, then keys pressed where the focus
// has been put, then text typed where the focus is then. The console text ends so, with the
// caret at its end, and the window stays.
TEST_F(CCalculatorDlgTest, KeysActOnTheConsoleWhereverTheFocusIs)
{
    const std::string strSum = kStartText + "1+2\r\n3\r\n?4";
    const std::string strProduct = kStartText + "6*7\r\n42\r\n?";
    const std::string strTen = kStartText + "10\r\n";
    const std::tuple<const char*, EControlId, const char*, const char*, std::string> rows[] = {
        {"1+2", kIdConsole, "Return", "4", strSum},
        {"1+2", kIdConsole, "Num+Enter", "4", strSum},
        {"1+2", kIdOutputHex, "Shift+Return", "4", strSum},
        {"1+2", kIdEndPos, "Ctrl+Return", "4", strSum},
        {"1+2", kIdPanel, "Num+Enter", "4", strSum},
        {"1/0", kIdConsole, "Return", "", kStartText + "1/0\r\ninf\r\n?"},             // as written
        {"", kIdConsole, "Ctrl+Home, Ctrl+Return, Ctrl+End", "", "\r\n" + kStartText}, // no prompt
        {"6*7\r", kIdConsole, "F2", "", strProduct + "42"},
        {"6*7\r", kIdOutputBin, "F2", "", strProduct + "42"},
        {"6*7\r", kIdCast8, "F3", "", strProduct + "6*7"},
        {"6*7\r", kIdConsole, "F4", "m+1\r", strProduct + "m+1\r\n43\r\n?"},
        {"", kIdConsole, "Alt+H, Alt+B", "10\r", strTen + "#" + std::string(60, '0') + "1010\r\n?"},
        {"", kIdConsole, "Alt+H, Alt+D", "10\r", strTen + "10\r\n?"},
        {"5\r", kIdConsole, "Alt+E", "", ""},
        {"1+2\r", kIdConsole, "Ctrl+Z", "", kStartText + "1+2"},
        {"1+2\r", kIdConsole, "Ctrl+Z, Ctrl+Z", "", kStartText}, // the undo history survives
    };
    for (const auto& [pszTyped, nFocusId, pszKeys, pszThen, strText] : rows)
    {
        SCOPED_TRACE(std::string(pszKeys) + " on " + std::to_string(static_cast<int>(nFocusId)));
        OpenWindow();
        Type(pszTyped);
        Item(nFocusId)->setFocus();
        Keys(pszKeys);
        Type(pszThen);
        EXPECT_EQ(ConsoleText(), strText);
        EXPECT_EQ(Caret(), static_cast<int>(strText.size()));
        EXPECT_TRUE(m_pDlg->isVisible());
    }
}

// The window writes what the console logic writes on its text model, whatever the mode and
// the line, and one Ctrl+Z takes it back; the replacement keeps a line break it would only
// write again, which must not show.
TEST_F(CCalculatorDlgTest, EnterWritesWhatTheTextModelWritesAndOneUndoTakesItBack)
{
    const std::string strLines = "?1+1\r\n2\r\n?2*3\r\n6\r\nx";
    const std::tuple<std::string, int, int, int, bool> rows[] = {
        // console text, caret, edit mode, EndPos, the first break a U+2028 inside a block
        {strLines, 2, 0, 0, false},       // Scroll, in the middle: inserted before a line break
        {strLines, 2, 1, 0, false},       // Overwrite: the old result and the '?' line after it
        {strLines, 2, 1, 1, false},       // Overwrite with EndPos: the caret goes to "?2*3"'s end
        {strLines, 12, 1, 0, false},      // Overwrite with one line below and no break after it
        {"?1+1", 4, 1, 1, false},         // the last line: a pure insertion
        {"?1+1\r\n", 4, 0, 0, false},     // before the break that ends the text
        {"?(1\r\n\r\n?", 1, 1, 0, false}, // a marker over an empty line
        {strLines, 12, 1, 1, true},       // a pasted line separator is a line break too
        {strLines, 2, 1, 0, true},
    };
    for (const auto& [strText, nCaret, nEditMode, bEndPos, bInnerBreak] : rows)
    {
        SCOPED_TRACE(strText + " at " + std::to_string(nCaret));
        CMemoryWindow memory;
        CConsole model(memory);
        for (CConsole* pConsole : {&model, &m_pDlg->m_console})
        {
            pConsole->UpdateData(true);
            SConsoleModes modes = pConsole->Modes();
            modes.eEditMode = static_cast<EEditMode>(nEditMode);
            modes.bEndPos = bEndPos;
            pConsole->SetModes(modes);
            pConsole->UpdateData(false);
        }
        memory.SetConsoleText(strText);
        Console()->setPlainText(ToWidgetText(strText));
        if (bInnerBreak)
        {
            QTextCursor cursor(Console()->document()->firstBlock());
            cursor.movePosition(QTextCursor::EndOfBlock);
            cursor.deleteChar();
            cursor.insertText(QString(QChar::LineSeparator));
        }
        memory.SetConsoleSel(nCaret, nCaret);
        m_pDlg->SetConsoleSel(nCaret, nCaret);
        ASSERT_TRUE(model.ProcessEnter().bEntered);
        Keys("Return");
        EXPECT_EQ(ConsoleText(), memory.m_strConsoleText);
        EXPECT_EQ(Caret(), memory.m_nSelStart);
        Keys("Ctrl+Z");
        EXPECT_EQ(ConsoleText(), strText);
    }
}

// A line far wider than the console wraps at every row's end, blanks or not: looking for word
// boundaries instead made each edit of a long unbroken line take time in its length squared.
TEST_F(CCalculatorDlgTest, LongLinesWrapAtTheConsolesWidthWhereverTheRowIsFull)
{
    std::string strSum = "1";
    for (int i = 0; i < 20000; ++i)
        strSum += i % 7 == 0 ? " + 1" : "+1";
    Console()->insertPlainText(QString::fromLatin1(strSum.c_str()));
    Type("\r");
    EXPECT_EQ(ConsoleText(), kStartText + strSum + "\r\n20001\r\n?");

    const QTextLayout* pLayout =
        Console()->document()->findBlockByNumber(4).layout(); // the '?' line
    ASSERT_GT(pLayout->lineCount(), 100);
    // Full rows differ by one character at most: the font's advance is not a whole pixel.
    int nShortest = INT_MAX;
    int nLongest = 0;
    for (int nLine = 0; nLine + 1 < pLayout->lineCount(); ++nLine)
    {
        nShortest = std::min(nShortest, pLayout->lineAt(nLine).textLength());
        nLongest = std::max(nLongest, pLayout->lineAt(nLine).textLength());
    }
    EXPECT_GT(nShortest, 50);
    EXPECT_LE(nLongest - nShortest, 1);
}

TEST_F(CCalculatorDlgTest, ForeignCharactersBeforeAPromptKeepPositionsAligned)
{
    // As pasted: a character outside the code page, a surrogate pair, CR LF and a lone CR.
    Console()->textCursor().insertText(QString::fromUtf16(u"\u20AC\u0416\r\n\U0001F600\r?2*3"));
    Keys("Return");
    EXPECT_EQ(ConsoleText(), kStartText + "\x80\x1A\r\n\x1A\x1A\r\n?2*3\r\n6\r\n?");
    EXPECT_TRUE(Console()->toPlainText().endsWith(QString::fromUtf16(u"\U0001F600\n?2*3\n6\n?")));
    EXPECT_EQ(Caret(), static_cast<int>(ConsoleText().size()));
}

TEST_F(CCalculatorDlgTest, TabVisitsEveryTabStopInTemplateOrder)
{
    std::vector<EControlId> arrOrder;
    for (int i = 0; i < 9; ++i)
    {
        Keys("Tab");
        arrOrder.push_back(FocusId());
    }
    // "&UNSIGNED" is disabled under "&None"; "Scroll" and "Overwrite" are no tab stops.
    EXPECT_EQ(arrOrder,
              (std::vector<EControlId>{kIdCastNone, kIdCast32, kIdCast16, kIdCast8, kIdOutputBin,
                                       kIdOutputHex, kIdOutputDez, kIdEndPos, kIdConsole}));
}

// Each row starts in a new window (no cast, "&UNSIGNED" checked but disabled, "&DEZ",
// "Overwrite", "EndPos") where -1 was evaluated: keys pressed in the console, the focus put on a
// control, the keys of the row, text typed where the focus then is. Alt keys that are no
// mnemonic of an enabled control type nothing; an arrow walks the group in template order and
// clicks an unchecked radio button, whose handler gives the console the focus; a cast
// narrows the last value in the panel.
TEST_F(CCalculatorDlgTest, DialogKeysActAsTheDialogManagerDoes)
{
    const std::string kStart = "None [UNSIGNED] DEZ Overwrite EndPos";
    const std::string k8Bit = "8Bit UNSIGNED DEZ Overwrite EndPos";
    const std::string k32Bit = "32Bit UNSIGNED DEZ Overwrite EndPos";
    const std::string kHex = "None [UNSIGNED] HEX Overwrite EndPos";
    const struct
    {
        const char* m_pszSetup;
        EControlId m_nFocusId;
        const char* m_pszKeys;
        const char* m_pszTyped;
        std::string m_strChecked;
        EControlId m_nFocusAfter;
        std::string m_strAdded;   // to the console's text after -1
        const char* m_pszDecimal; // the panel's line
    } rows[] = {
        {"", kIdConsole, "Alt+U, Alt+S, Alt+O, Alt+C, Alt+X, Alt+4", "1\r", kStart, kIdConsole,
         "1\r\n1\r\n?", "1"},
        {"", kIdCast16, "Alt+U, Alt+S, Alt+#", "", kStart, kIdCast16, "", "-1"},
        {"", kIdConsole, "Alt+Shift+H", "10\r", kHex, kIdConsole, "10\r\n$A\r\n?", "10"},
        {"Alt+3", kIdConsole, "Alt+Shift+U", "", "32Bit DEZ Overwrite EndPos", kIdConsole, "",
         "-1"},
        {"", kIdConsole, "Alt+1", "", "16Bit UNSIGNED DEZ Overwrite EndPos", kIdConsole, "",
         "65535"},
        {"Alt+8, Alt+U", kIdConsole, "Alt+N", "", "None DEZ Overwrite EndPos", kIdConsole, "",
         "-1"},
        {"", kIdEndPos, "Alt+8", "300\r", k8Bit, kIdConsole, "300\r\n44\r\n?", "44"},
        {"", kIdCastNone, "Right", "-1\r", k32Bit, kIdConsole, "-1\r\n4294967295\r\n?",
         "4294967295"},
        {"Alt+3", kIdCast8, "Right", "", k32Bit, kIdUnsigned, "", "4294967295"},
        {"Alt+3", kIdUnsigned, "Down", "", kStart, kIdConsole, "", "-1"}, // round to "&None"
        {"", kIdCast8, "Right", "", kStart, kIdCastNone, "", "-1"},       // past the disabled box
        {"", kIdCastNone, "Up", "", k8Bit, kIdConsole, "", "255"},
        {"", kIdOutputBin, "Down", "10\r", kHex, kIdConsole, "10\r\n$A\r\n?", "10"},
        {"", kIdOutputBin, "Left", "", kStart, kIdPanel, "", "-1"}, // round, past the hidden one
        {"", kIdEndPos, "Up", "", kStart, kIdOverwrite, "", "-1"},
        {"", kIdEndPos, "Up, Left", "", "None [UNSIGNED] DEZ Scroll [EndPos]", kIdConsole, "",
         "-1"},
        {"", kIdEndPos, "Down", "x", kStart, kIdConsole, "x", "-1"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(std::string(row.m_pszKeys) + " on " +
                     std::to_string(static_cast<int>(row.m_nFocusId)));
        OpenWindow();
        Type("-1\r");
        Keys(row.m_pszSetup);
        Item(row.m_nFocusId)->setFocus();
        Keys(row.m_pszKeys);
        Type(row.m_pszTyped);
        EXPECT_EQ(CheckedButtons(), row.m_strChecked);
        EXPECT_EQ(FocusId(), row.m_nFocusAfter);
        EXPECT_EQ(ConsoleText(), kStartText + "-1\r\n-1\r\n?" + row.m_strAdded);
        EXPECT_EQ(m_pDlg->GetPanelLine(2), row.m_pszDecimal);
    }
}

// Ctrl+F opens the find bar over the console's bottom rows; what is typed there is found as
// it is typed, from the caret round to the top, and Enter, Shift+Enter, F2 and F3 act in the
// bar, never on the console. Escape gives the console back its focus, caret and rows.
TEST_F(CCalculatorDlgTest, TheFindBarFindsInTheConsoleAndLeavesItAsItWas)
{
    Type("1234\r1+1234\rx");
    const std::string strBefore = ConsoleText();
    const int nCaret = Caret();
    const QString strWidget = ToWidgetText(strBefore);
    std::vector<int> arrAt; // where 1234 stands in the console
    for (qsizetype i = strWidget.indexOf(u"1234"); i >= 0; i = strWidget.indexOf(u"1234", i + 4))
        arrAt.push_back(static_cast<int>(i));
    ASSERT_EQ(arrAt.size(), 3u);
    const QRect rectConsole = Geometry(kIdConsole);

    Keys("Ctrl+F");
    auto* pBar = Item<CFindBar>(kIdFindBar);
    ASSERT_TRUE(pBar->IsOpen());
    EXPECT_EQ(QApplication::focusWidget(), pBar->Field());
    ExpectFindBarLayout();
    EXPECT_EQ(Geometry(kIdConsole).topLeft(), rectConsole.topLeft());

    // Keys in the bar, then the match selected in the console (its index, -1 for a caret) and
    // what the bar says.
    const std::tuple<const char*, int, const char*> rows[] = {
        {"1, 2, 3, 4", 0, "1 of 3"}, // from the caret at the end, round to the top
        {"Return", 1, "2 of 3"},        {"Num+Enter", 2, "3 of 3"},
        {"Return", 0, "1 of 3"},        {"Shift+Return", 2, "3 of 3"},
        {"Ctrl+Return", 0, "1 of 3"},   {"5", -1, "no match"},        // back at the caret
        {"Backspace", 0, "1 of 3"},     {"Ctrl+A, F2", -1, "1 of 1"}, // the last result, 1235
        {"Return", -1, "1 of 1"},       {"Ctrl+A, F3", -1, "1 of 1"}, // the last expression, 1+1234
        {"Ctrl+A, F4, Delete", -1, ""},
    };
    for (const auto& [pszKeys, nMatch, pszStatus] : rows)
    {
        SCOPED_TRACE(pszKeys);
        Keys(pszKeys);
        EXPECT_EQ(ConsoleText(), strBefore) << "a key in the bar reached the console";
        EXPECT_EQ(QApplication::focusWidget(), pBar->Field());
        EXPECT_EQ(pBar->Status().toStdString(), pszStatus);
        EXPECT_EQ(pBar->Field()->accessibleDescription(), pBar->Status());
        const QTextCursor cursor = Console()->textCursor();
        if (nMatch >= 0)
        {
            EXPECT_EQ(cursor.selectionStart(), arrAt[static_cast<std::size_t>(nMatch)]);
            EXPECT_EQ(cursor.selectedText(), QStringLiteral("1234"));
            EXPECT_EQ(Console()->extraSelections().size(), 3) << "every match marked";
        }
    }
    EXPECT_EQ(pBar->Field()->text(), QString());
    EXPECT_EQ(Caret(), nCaret) << "nothing to find: the caret where it was";

    Keys("Escape");
    EXPECT_FALSE(pBar->IsOpen());
    EXPECT_TRUE(m_pDlg->isVisible());
    EXPECT_EQ(FocusId(), kIdConsole);
    EXPECT_EQ(Caret(), nCaret);
    EXPECT_TRUE(Console()->extraSelections().isEmpty());
    ExpectTemplateLayout();
    Type("\r");
    EXPECT_TRUE(ConsoleText().ends_with("?x\r\n^^\r\nSyntax not allowed.\r\n?"));
    EXPECT_EQ(m_pDlg->m_console.Memory(), 1235.0) << "F4 in the bar stores r";
}

// While the bar is open it is the last tab stop, it follows the zoom, and Escape anywhere
// closes it first; a selection on one line is what Ctrl+F looks for.
TEST_F(CCalculatorDlgTest, TheOpenFindBarIsATabStopFollowsTheZoomAndClosesFirst)
{
    Type("6*7\r");
    auto* pBar = Item<CFindBar>(kIdFindBar);
    Keys("Up, Home, Shift+End"); // "42" selected
    Keys("Ctrl+F");
    EXPECT_EQ(pBar->Field()->text(), QStringLiteral("42"));
    EXPECT_EQ(pBar->Status().toStdString(), "1 of 1");
    Keys("Tab");
    EXPECT_EQ(FocusId(), kIdCastNone);
    Keys("Shift+Tab");
    EXPECT_EQ(QApplication::focusWidget(), pBar->Field());
    Keys("Shift+Tab");
    EXPECT_EQ(FocusId(), kIdConsole);
    Keys("Tab");
    EXPECT_EQ(QApplication::focusWidget(), pBar->Field());

    for (const char* pszZoom : {"Ctrl++", "Ctrl++", "Ctrl++", "Ctrl++", "Ctrl+0"})
    {
        Keys(pszZoom);
        SCOPED_TRACE(std::string(pszZoom) + " to " + std::to_string(m_pDlg->Zoom()));
        EXPECT_EQ(pBar->font(), m_pDlg->font());
        ExpectFindBarLayout();
    }

    // The console erased under the open bar: nothing left to find, nowhere to go back to.
    Keys("Alt+E");
    pBar->Field()->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([pBar] { return pBar->Status() == "no match"; }));
    Keys("Return, Escape");
    EXPECT_EQ(FocusId(), kIdConsole);
    EXPECT_EQ(Caret(), 0);
    Keys("Ctrl+F");

    Console()->setFocus();
    Keys("Escape");
    EXPECT_FALSE(pBar->IsOpen());
    EXPECT_TRUE(m_pDlg->isVisible()) << "Escape closed the window, not the bar";
    EXPECT_EQ(FocusId(), kIdConsole);
    ExpectTemplateLayout();
    Keys("Tab");
    EXPECT_EQ(FocusId(), kIdCastNone) << "the closed bar is no tab stop";
}

// Each row starts at 100 % in a new window that then shows a 64-bit result: keys pressed on a
// control, then Ctrl+wheel turns over it (in eighths of a degree).
TEST_F(CCalculatorDlgTest, ZoomScalesTheWholeWindowAndIsRemembered)
{
    const auto storeZoom = [](const char* pszZoom)
    { CRegistryString("Software\\Lumdrak\\Zoom", "", false, HKEY_CURRENT_USER).SetValue(pszZoom); };
    const std::tuple<EControlId, const char*, std::vector<int>, int> rows[] = {
        {kIdConsole, "Ctrl++", {}, 125},
        {kIdConsole, "Ctrl+=", {}, 125},
        {kIdCast16, "Ctrl+Shift++, Ctrl+Shift++", {}, 150},
        {kIdConsole, "Ctrl++, Ctrl++, Ctrl++, Ctrl++, Ctrl++", {}, 200}, // past the largest
        {kIdConsole, "Ctrl++, Ctrl++, Ctrl+-", {}, 125},
        {kIdConsole, "Ctrl+-", {}, 100}, // below the smallest
        {kIdConsole, "Ctrl++, Ctrl++, Ctrl+0", {}, 100},
        {kIdPanel, "", {120}, 125},
        {kIdConsole, "", {240}, 150},
        {kIdPanel, "", {60, 60}, 125}, // half notches add up
        {kIdConsole, "", {240, -120}, 125},
    };
    for (const auto& [nId, pszKeys, arrWheel, nPercent] : rows)
    {
        SCOPED_TRACE(std::string(pszKeys) + " and " + std::to_string(arrWheel.size()) +
                     " turns on " + std::to_string(static_cast<int>(nId)));
        storeZoom("100");
        OpenWindow();
        Type("-1\r");
        Item(nId)->setFocus();
        Keys(pszKeys);
        for (const int nDelta : arrWheel)
        {
            QWidget* pViewport = Item<QPlainTextEdit>(nId)->viewport();
            const QPointF pt(10, 10);
            QWheelEvent event(pt, pViewport->mapToGlobal(pt), QPoint(), QPoint(0, nDelta),
                              Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(pViewport, &event);
        }
        EXPECT_EQ(m_pDlg->Zoom(), nPercent);
        // No control zooms alone; the layout follows the font's dialog units.
        EXPECT_EQ(m_pDlg->font(), DialogFont("DejaVu Sans Mono", 8, nPercent));
        for (EControlId nControl : {kIdPanel, kIdConsole, kIdCast8})
            EXPECT_EQ(Item(nControl)->font(), m_pDlg->font()) << nControl;
        ExpectTemplateLayout();
        const QTextBlock line = Panel()->document()->firstBlock();
        Panel()->cursorRect(QTextCursor(line)); // lays the line out
        EXPECT_EQ(line.text(), QString(64, u'1'));
        EXPECT_EQ(line.layout()->lineCount(), 1) << "the 64-digit line wraps";
    }

    // The zoom is its own hive value, read at start; what is no zoom step means 100 % and
    // stays as it is until the zoom changes.
    Keys("Ctrl++");
    OpenWindow();
    EXPECT_EQ(m_pDlg->Zoom(), 150);
    for (const char* pszStored : {"abc", "130", ""})
    {
        storeZoom(pszStored);
        OpenWindow();
        EXPECT_EQ(m_pDlg->Zoom(), 100) << pszStored;
        EXPECT_EQ(
            CRegistryString("Software\\Lumdrak\\Zoom", "", false, HKEY_CURRENT_USER).GetValue(),
            pszStored);
    }
}

TEST_F(CCalculatorDlgTest, ScreenReadersGetNamedControlsInTemplateOrderAndEachNewResult)
{
    QAccessibleInterface* pWindow = QAccessible::queryAccessibleInterface(m_pDlg.get());
    ASSERT_NE(pWindow, nullptr);
    std::vector<std::string> arrTree; // role and name, depth first, a group's members indented
    const std::function<void(QAccessibleInterface*, const std::string&)> walk =
        [&](QAccessibleInterface* pParent, const std::string& strIndent)
    {
        for (int i = 0; i < pParent->childCount(); ++i)
        {
            QAccessibleInterface* pChild = pParent->child(i);
            EXPECT_EQ(pChild->parent(), pParent);
            arrTree.push_back(strIndent +
                              QMetaEnum::fromType<QAccessible::Role>().valueToKey(pChild->role()) +
                              " " + pChild->text(QAccessible::Name).toStdString());
            if (pChild->role() == QAccessible::Grouping) walk(pChild, strIndent + "  ");
        }
    };
    walk(pWindow, "");
    EXPECT_EQ(arrTree, (std::vector<std::string>{"Grouping Force Cast",
                                                 "  RadioButton None",
                                                 "  RadioButton 32Bit",
                                                 "  RadioButton 16Bit",
                                                 "  RadioButton 8Bit",
                                                 "  CheckBox UNSIGNED",
                                                 "RadioButton BIN",
                                                 "RadioButton HEX",
                                                 "RadioButton DEZ",
                                                 "Button erase",
                                                 "EditableText Result",
                                                 "Graphic Bit positions 63 to 0",
                                                 "StaticText Binary, Hexadecimal, Decimal",
                                                 "Button Info",
                                                 "RadioButton Scroll",
                                                 "RadioButton Overwrite",
                                                 "CheckBox EndPos",
                                                 "EditableText Console",
                                                 "Grouping Find",
                                                 "  StaticText Find:",
                                                 "  EditableText Find",
                                                 "  StaticText ",
                                                 "  Button Previous match",
                                                 "  Button Next match",
                                                 "  Button Close"}));

    QAccessibleInterface* pPanel = QAccessible::queryAccessibleInterface(Panel());
    bool bLabelled = false;
    for (const auto& [pOther, relation] : pPanel->relations(QAccessible::Label))
        bLabelled = bLabelled || pOther->text(QAccessible::Name) == "Binary, Hexadecimal, Decimal";
    EXPECT_TRUE(bLabelled);

    // Each new result changes the panel's description, which a screen reader announces (Qt
    // tells it only while one listens, so the offscreen platform shows no event).
    const std::pair<const char*, QString> results[] = {
        {"-1\r", "Binary: " + QString(64, u'1') + "\nHexadecimal: FFFFFFFFFFFFFFFF\nDecimal: -1"},
        {"6*7\r", "Binary: " + QString(58, u'0') + "101010\nHexadecimal: 2A\nDecimal: 42"},
        {"1/0\r",
         "Binary: 1" + QString(63, u'0') + "\nHexadecimal: 8000000000000000\nDecimal: INF"},
    };
    EXPECT_EQ(pPanel->text(QAccessible::Description), QString());
    for (const auto& [pszTyped, strDescription] : results)
    {
        Type(pszTyped);
        EXPECT_EQ(pPanel->text(QAccessible::Description), strDescription) << pszTyped;
    }
}

TEST_F(CCalculatorDlgTest, F1AndAltIShowTheHelpAndTheVersionOnceWithTheFocusOnClose)
{
    const std::pair<int, std::string> kLines[] = {
        // 1-based line, text; 62 lines of help, an empty one, the version and what follows it
        {1, ""},
        {2, " \t\t\tLumdrak Info"},
        {7, " usage: \t?(function|token)[(prefix)value][token] ..."},
        {60, " ALT+i\t\thelp & info screen"},
        {62, " " + std::string(44, '=')},
        {63, ""},
        {64, "Version " LUMDRAK_VERSION},
        {65, ""},
    };
    // Enter on the text does nothing, and the zoom keys zoom both windows.
    const std::tuple<const char*, const char*, int, const char*> rows[] = {
        // opening key, keys that leave it open, zoom then, closing key
        {"F1", "", 100, "Return"},
        {"Alt+I", "Tab, Return, Num+Enter, Alt+X, Alt+Shift+H", 100, "Alt+C"},
        {"F1", "Ctrl++, Tab, Ctrl++", 150, "Escape"},
    };
    for (const auto& [pszKey, pszStayOpen, nZoom, pszClose] : rows)
    {
        QStringList arrLines;
        QTimer check; // runs in the Info window's own event loop
        check.setSingleShot(true);
        QObject::connect(&check, &QTimer::timeout,
                         [&]
                         {
                             QWidget* pInfo = QApplication::activeModalWidget();
                             ASSERT_NE(pInfo, nullptr);
                             EXPECT_TRUE(QTest::qWaitForWindowActive(pInfo));
                             EXPECT_EQ(pInfo->windowTitle(), QStringLiteral("Info"));
                             EXPECT_EQ(QApplication::focusWidget(),
                                       pInfo->findChild<QPushButton*>());
                             auto* pText = pInfo->findChild<QPlainTextEdit*>();
                             EXPECT_TRUE(pText->isReadOnly());
                             arrLines = pText->toPlainText().split(u'\n');
                             Keys(pszStayOpen);
                             EXPECT_TRUE(pInfo->isVisible());
                             EXPECT_EQ(pText->toPlainText().split(u'\n'), arrLines);
                             EXPECT_EQ(m_pDlg->Zoom(), nZoom);
                             EXPECT_EQ(pInfo->font(), m_pDlg->font());
                             m_bModalExpected = false; // the watchdog closes it unless the key does
                             Keys(pszClose);
                         });
        check.start(10);
        m_bModalExpected = true;
        Keys(pszKey);
        ASSERT_EQ(arrLines.size(), 65) << pszKey;
        for (const auto& [nLine, strText] : kLines)
            EXPECT_EQ(arrLines[nLine - 1].toStdString(), strText) << "line " << nLine;
        for (const QString& strLine : arrLines)
            EXPECT_TRUE(strLine.isEmpty() || strLine[0] == u' ' ||
                        strLine == "Version " LUMDRAK_VERSION);
        m_pDlg->activateWindow(); // there is no window manager offscreen to hand it back
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    }
    EXPECT_TRUE(m_pDlg->isVisible());
    EXPECT_EQ(FocusId(), kIdConsole);
    EXPECT_EQ(ConsoleText(), kStartText);
}

// The window as painted into an image at a device pixel ratio; lightness of device pixels.
class CPainted
{
public:
    CPainted(QWidget& window, double dRatio)
        : m_image(window.size() * dRatio, QImage::Format_RGB32), m_dRatio(dRatio)
    {
        m_image.setDevicePixelRatio(dRatio);
        m_image.fill(Qt::white);
        window.render(&m_image);
    }
    int Gray(int x, int y) const { return qGray(m_image.pixel(x, y)); }
    bool Ink(int x, int y) const { return Gray(x, y) < 64; }
    // A logical rectangle of the window in device pixels, every pixel it touches.
    QRect Device(const QRect& rect) const
    {
        return QRect(QPoint(static_cast<int>(rect.left() * m_dRatio),
                            static_cast<int>(rect.top() * m_dRatio)),
                     QPoint(static_cast<int>(std::ceil((rect.right() + 1) * m_dRatio)) - 1,
                            static_cast<int>(std::ceil((rect.bottom() + 1) * m_dRatio)) - 1));
    }

private:
    QImage m_image;
    double m_dRatio;
};

// At 100 % on a plain screen each ruler label is the bitmap: square one-pixel dots, ink or
// background. Larger, by the zoom or the ratio, it is its glyph scaled, drawn at the device's
// resolution: 5 x 7 dots of the scaled size, each dot inked exactly where the bitmap's is,
// antialiased (more shades than two, no blown-up blocks), and alike wherever it stands, as its
// digits start on device pixels. Every label stands over its bit; the panel's and the
// console's frames are complete.
TEST_F(CCalculatorDlgTest, RulerAndFramesStayCrispAtEveryZoomAndPixelRatio)
{
    Type("-1\r");
    std::vector<std::vector<bool>> arrReference; // each label's 5 x 7 dots, from the bitmap
    for (const auto& [nPercent, dRatio] : {std::pair{100, 1.0},
                                           {100, 1.25},
                                           {100, 1.5},
                                           {100, 1.75},
                                           {100, 2.0},
                                           {125, 1.0},
                                           {150, 1.0},
                                           {200, 1.0},
                                           {200, 1.5}})
    {
        SCOPED_TRACE(std::to_string(nPercent) + " %, ratio " + std::to_string(dRatio));
        m_pDlg->SetZoom(nPercent);
        const CPainted painted(*m_pDlg, dRatio);
        const QRect rectRuler =
            painted.Device(QRect(Ruler()->mapTo(m_pDlg.get(), QPoint()), Ruler()->size()));
        const int nBackground = qGray(QColor(208, 207, 192).rgb());
        const auto inked = [&](int x, int y) { return painted.Gray(x, y) < nBackground - 16; };

        // The labels: runs of inked columns in the ruler's rows.
        std::vector<std::pair<int, int>> arrRuns; // first column, width
        int nTop = rectRuler.bottom();
        for (int x = rectRuler.left(); x <= rectRuler.right(); ++x)
            for (int y = rectRuler.top(); y <= rectRuler.bottom(); ++y)
                if (inked(x, y))
                {
                    nTop = std::min(nTop, y);
                    if (arrRuns.empty() || arrRuns.back().first + arrRuns.back().second < x)
                        arrRuns.emplace_back(x, 0);
                    arrRuns.back().second = x - arrRuns.back().first + 1;
                }
        ASSERT_EQ(arrRuns.size(), 64u);
        const bool bBitmap = nPercent == 100 && dRatio == 1.0;
        EXPECT_EQ(Ruler()->IsBitmap(dRatio), bBitmap);
        const double dDot = Ruler()->DotSize(dRatio);
        EXPECT_NEAR(dDot, nPercent / 100.0 * dRatio, 0.1) << "scaled with the font";
        // How far a label's ink is from its bitmap glyph scaled, dot by dot: the largest
        // difference between a dot's ink and the ink of the glyph's square dots there, both
        // taken from whole device pixels, so that a pixel shared by two dots counts in both.
        // The rounding of the corners costs a little; a dot of another glyph, about half a dot.
        const auto glyphError = [&](int nLeft, const std::vector<bool>& arrGlyph)
        {
            const auto dotRect = [&](int nCol, int nRow)
            { return QRectF(nLeft + nCol * dDot, nTop + nRow * dDot, dDot, dDot); };
            const auto overlap = [](const QRectF& a, const QRectF& b)
            {
                const QRectF rectPart = a.intersected(b);
                return rectPart.width() * rectPart.height();
            };
            double dError = 0;
            for (int nRow = 0; nRow < CBitRuler::kHeightDots; ++nRow)
                for (int nCol = 0; nCol < CBitRuler::kLabelDots; ++nCol)
                {
                    const QRectF rectDot = dotRect(nCol, nRow);
                    double dInk = 0;
                    double dGlyph = 0;
                    for (int y = static_cast<int>(rectDot.top()); y < rectDot.bottom(); ++y)
                        for (int x = static_cast<int>(rectDot.left()); x < rectDot.right(); ++x)
                        {
                            const QRectF rectPixel(x, y, 1, 1);
                            const double dShare = overlap(rectPixel, rectDot);
                            dInk += dShare * (nBackground - painted.Gray(x, y)) / nBackground;
                            for (int nOnRow = 0; nOnRow < CBitRuler::kHeightDots; ++nOnRow)
                                for (int nOnCol = 0; nOnCol < CBitRuler::kLabelDots; ++nOnCol)
                                    if (arrGlyph[nOnRow * CBitRuler::kLabelDots + nOnCol])
                                        dGlyph +=
                                            dShare * overlap(rectPixel, dotRect(nOnCol, nOnRow));
                        }
                    dError = std::max(dError, std::abs(dInk - dGlyph) / (dDot * dDot));
                }
            return dError;
        };
        if (arrReference.empty()) // the bitmap's labels are the reference
        {
            ASSERT_TRUE(bBitmap);
            for (const auto& [nLeft, nWidth] : arrRuns)
            {
                arrReference.emplace_back();
                for (int nRow = 0; nRow < CBitRuler::kHeightDots; ++nRow)
                    for (int nCol = 0; nCol < CBitRuler::kLabelDots; ++nCol)
                        arrReference.back().push_back(painted.Ink(nLeft + nCol, nTop + nRow));
            }
        }
        for (std::size_t nLabel = 0; nLabel < arrRuns.size(); ++nLabel)
        {
            const auto [nLeft, nWidth] = arrRuns[nLabel];
            ASSERT_NEAR(nWidth, CBitRuler::kLabelDots * dDot, 1.0) << "label " << nLabel;
            // The label is its own glyph, and far from its neighbour's.
            const double dError = glyphError(nLeft, arrReference[nLabel]);
            EXPECT_LT(dError, bBitmap ? 1e-9 : 0.2) << "label " << nLabel;
            const std::size_t nOther = nLabel == 0 ? 1 : nLabel - 1;
            EXPECT_GT(glyphError(nLeft, arrReference[nOther]), 0.35) << "label " << nLabel;
            // Ink and background in the bitmap; antialiased edges, more shades, where scaled.
            std::set<int> setGrays;
            for (int dy = 0; dy < CBitRuler::kHeightDots * dDot; ++dy)
                for (int dx = 0; dx < nWidth; ++dx)
                    setGrays.insert(painted.Gray(nLeft + dx, nTop + dy));
            if (bBitmap)
                EXPECT_EQ(setGrays, (std::set<int>{0, nBackground})) << "label " << nLabel;
            else
                EXPECT_GT(setGrays.size(), 2u) << "label " << nLabel << " is blown-up dots";
            // The same units digit, ten labels on, is the same pixels.
            if (nLabel >= 10)
            {
                for (int dy = 0; dy < 3 * dDot; ++dy)
                    for (int dx = 0; dx < nWidth; ++dx)
                        ASSERT_EQ(painted.Gray(nLeft + dx, nTop + dy),
                                  painted.Gray(arrRuns[nLabel - 10].first + dx, nTop + dy))
                            << "labels " << nLabel << " and " << nLabel - 10 << " differ";
            }

            // Over its bit: the label's centre lies on the digit below it.
            const QTextBlock line = Panel()->document()->firstBlock();
            QTextCursor cursor(line);
            cursor.setPosition(line.position() + static_cast<int>(nLabel));
            const QPoint ptOrigin = Panel()->viewport()->mapTo(m_pDlg.get(), QPoint());
            const double dDigitLeft = ptOrigin.x() + Panel()->cursorRect(cursor).left();
            cursor.setPosition(line.position() + static_cast<int>(nLabel) + 1);
            const double dDigitRight = ptOrigin.x() + Panel()->cursorRect(cursor).left();
            const double dCentre = (nLeft + nWidth / 2.0) / dRatio;
            EXPECT_TRUE(dCentre >= dDigitLeft && dCentre <= dDigitRight) << "label " << nLabel;
        }

        // Frames: every column and row along each edge has a frame pixel within a device
        // pixel of the edge.
        for (EControlId nId : {kIdPanel, kIdConsole})
        {
            const QRect rect = painted.Device(Geometry(nId));
            const int nFrame = qGray(Item(nId)->palette().color(QPalette::Mid).rgb());
            const auto gap = [&](int x, int y, int dx, int dy)
            { return painted.Gray(x, y) != nFrame && painted.Gray(x + dx, y + dy) != nFrame; };
            int nGaps = 0;
            for (int x = rect.left() + 2; x < rect.right() - 1; ++x)
                nGaps += gap(x, rect.top(), 0, 1) + gap(x, rect.bottom(), 0, -1);
            for (int y = rect.top() + 2; y < rect.bottom() - 1; ++y)
                nGaps += gap(rect.left(), y, 1, 0) + gap(rect.right(), y, -1, 0);
            EXPECT_EQ(nGaps, 0) << "pixels missing from the frame of " << nId;
        }
    }
}

} // namespace
