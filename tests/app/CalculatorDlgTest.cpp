#include "WindowTest.h"

#include "Banner.h"
#include "BitRuler.h"
#include "DialogUnits.h"
#include "ResultPanel.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QImage>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

const auto* const g_pQtEnvironment = ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

const std::string kStartText = std::string(kBannerText) + "\r\n" + kVersionText + "?";

class CCalculatorDlgTest : public CWindowTest
{
protected:
    CResultPanel* Panel() const { return Item<CResultPanel>(kIdPanel); }
    bool Checked(int nId) const { return Item<QAbstractButton>(nId)->isChecked(); }
    bool Enabled(int nId) const { return Item(nId)->isEnabled(); }
    int FocusId() const
    {
        for (int nId :
             {kIdCastNone, kIdCast32, kIdCast16, kIdCast8, kIdUnsigned, kIdOutputBin, kIdOutputHex,
              kIdOutputDez, kIdScroll, kIdOverwrite, kIdEndPos, kIdPanel, kIdConsole})
            if (QApplication::focusWidget() == Item(nId)) return nId;
        return kNoId;
    }
    void Evaluate(const char* pszExpression)
    {
        Type(pszExpression);
        Key(Qt::Key_Return);
    }
};

TEST_F(CCalculatorDlgTest, StartsWithTheBannerAndTheCaretAfterThePrompt)
{
    EXPECT_EQ(ConsoleText(), kStartText);
    EXPECT_EQ(Caret(), static_cast<int>(kStartText.size()));
    EXPECT_EQ(FocusId(), kIdConsole);
    EXPECT_EQ(m_pDlg->windowTitle(), QStringLiteral("Lumdrak"));
    EXPECT_EQ(m_pDlg->windowIcon().pixmap(32).size(), QSize(32, 32));
    EXPECT_TRUE(Panel()->toPlainText().isEmpty());
    // First run: unsigned and EndPos checked, no cast, decimal output, Overwrite.
    EXPECT_TRUE(Checked(kIdUnsigned) && !Enabled(kIdUnsigned));
    EXPECT_TRUE(Checked(kIdEndPos) && Enabled(kIdEndPos));
    EXPECT_TRUE(Checked(kIdCastNone) && Checked(kIdOutputDez) && Checked(kIdOverwrite));
    EXPECT_TRUE(Item(kIdErase)->isHidden() && Item(kIdInfo)->isHidden());
}

struct CLayoutRow
{
    int nId;
    QRect rectUnits;
};

const CLayoutRow kLayoutRows[] = {
    {kIdCastNone, {15, 58, 33, 10}},   {kIdCast32, {50, 58, 32, 10}},
    {kIdCast16, {90, 58, 32, 10}},     {kIdCast8, {123, 58, 28, 10}},
    {kIdUnsigned, {160, 58, 54, 10}},  {kIdOutputBin, {230, 53, 30, 10}},
    {kIdOutputHex, {230, 63, 31, 10}}, {kIdOutputDez, {260, 53, 25, 10}},
    {kIdErase, {260, 66, 9, 6}},       {kIdPanel, {7, 16, 260, 29}},
    {kIdInfo, {276, 66, 7, 7}},        {kIdForceCast, {7, 48, 213, 25}},
    {kIdScroll, {10, 183, 40, 10}},    {kIdOverwrite, {50, 183, 52, 10}},
    {kIdEndPos, {105, 183, 50, 10}},   {kIdConsole, {7, 80, 278, 100}},
};

TEST_F(CCalculatorDlgTest, ControlsStandAtTheirRectanglesInTheWindowFont)
{
    const QFontInfo fontInfo(m_pDlg->font());
    EXPECT_TRUE(fontInfo.fixedPitch()) << fontInfo.family().toStdString();
    const CDialogBaseUnits base = BaseUnitsOf(m_pDlg->font());
    EXPECT_EQ(base.m_nCharWidth,
              std::lround(QFontMetricsF(m_pDlg->font()).horizontalAdvance(QLatin1Char('x'))));
    EXPECT_EQ(m_pDlg->size(), MapDialogRect(QRect(0, 0, 292, 199), base).size());
    EXPECT_EQ(m_pDlg->minimumSize(), m_pDlg->maximumSize());
    for (const CLayoutRow& row : kLayoutRows)
        EXPECT_EQ(Item(row.nId)->geometry(), MapDialogRect(row.rectUnits, base)) << row.nId;
}

struct CEnterRow
{
    const char* pszName;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int nFocusId; // where the focus is when the key is pressed
};

class CEnterTest : public CCalculatorDlgTest, public ::testing::WithParamInterface<CEnterRow>
{
};

TEST_P(CEnterTest, EvaluatesTheCaretLineWhereverTheFocusIs)
{
    Type("1+2");
    Item(GetParam().nFocusId)->setFocus();
    Key(GetParam().key, GetParam().modifiers);
    EXPECT_EQ(ConsoleText(), kStartText + "1+2\r\n3\r\n?");
    EXPECT_EQ(Caret(), static_cast<int>(ConsoleText().size()));
    EXPECT_EQ(FocusId(), kIdConsole);
    EXPECT_TRUE(m_pDlg->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, CEnterTest,
    ::testing::Values(CEnterRow{"InConsole", Qt::Key_Return, Qt::NoModifier, kIdConsole},
                      CEnterRow{"KeypadInConsole", Qt::Key_Enter, Qt::KeypadModifier, kIdConsole},
                      CEnterRow{"ShiftOnRadio", Qt::Key_Return, Qt::ShiftModifier, kIdOutputHex},
                      CEnterRow{"CtrlOnCheckBox", Qt::Key_Return, Qt::ControlModifier, kIdEndPos},
                      CEnterRow{"KeypadInPanel", Qt::Key_Enter, Qt::KeypadModifier, kIdPanel}),
    CRowName());

TEST_F(CCalculatorDlgTest, EnterOffAPromptLineTypesALineBreakInTheConsole)
{
    Key(Qt::Key_Up);
    Key(Qt::Key_Return, Qt::ControlModifier);
    const std::string strText = ConsoleText();
    EXPECT_EQ(std::count(strText.begin(), strText.end(), '\n'), 5);
    EXPECT_TRUE(m_pDlg->isVisible());
}

struct CFunctionKeyRow
{
    const char* pszName;
    Qt::Key key;
    int nFocusId;
    const char* pszThenEvaluate; // nullptr: nothing
    const char* pszTail;
};

class CFunctionKeyTest : public CCalculatorDlgTest,
                         public ::testing::WithParamInterface<CFunctionKeyRow>
{
};

TEST_P(CFunctionKeyTest, ActsOnTheConsoleAndTheMemory)
{
    Evaluate("6*7");
    Item(GetParam().nFocusId)->setFocus();
    Key(GetParam().key);
    if (GetParam().pszThenEvaluate) Evaluate(GetParam().pszThenEvaluate);
    const std::string strText = ConsoleText();
    const std::string strTail = GetParam().pszTail;
    ASSERT_GE(strText.size(), strTail.size());
    EXPECT_EQ(strText.substr(strText.size() - strTail.size()), strTail);
    EXPECT_EQ(Caret(), static_cast<int>(strText.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, CFunctionKeyTest,
    ::testing::Values(
        CFunctionKeyRow{"F2InsertsTheResult", Qt::Key_F2, kIdConsole, nullptr, "?6*7\r\n42\r\n?42"},
        CFunctionKeyRow{"F2FromARadio", Qt::Key_F2, kIdOutputBin, nullptr, "\r\n42\r\n?42"},
        CFunctionKeyRow{"F3FromARadio", Qt::Key_F3, kIdCast8, nullptr, "\r\n42\r\n?6*7"},
        CFunctionKeyRow{"F4StoresInM", Qt::Key_F4, kIdConsole, "m+1", "\r\n?m+1\r\n43\r\n?"}),
    CRowName());

struct COutputRow
{
    const char* pszName;
    Qt::Key key;
    const char* pszLine;
    int nCheckedId;
};

class COutputTest : public CCalculatorDlgTest, public ::testing::WithParamInterface<COutputRow>
{
};

TEST_P(COutputTest, AltKeyChoosesThePrefixOfTheNextResult)
{
    Key(Qt::Key_H, Qt::AltModifier);
    Key(GetParam().key, Qt::AltModifier);
    EXPECT_TRUE(Checked(GetParam().nCheckedId));
    EXPECT_EQ(FocusId(), kIdConsole);
    Evaluate("10");
    EXPECT_EQ(ConsoleText(), kStartText + "10\r\n" + GetParam().pszLine + "\r\n?");
}

INSTANTIATE_TEST_SUITE_P(
    Mnemonics, COutputTest,
    ::testing::Values(
        COutputRow{"AltB", Qt::Key_B,
                   "#0000000000000000000000000000000000000000000000000000000000001010",
                   kIdOutputBin},
        COutputRow{"AltH", Qt::Key_H, "$A", kIdOutputHex},
        COutputRow{"AltD", Qt::Key_D, "10", kIdOutputDez}),
    CRowName());

struct CCastRow
{
    const char* pszName;
    const char* pszAltKeys;
    int nCheckedId;
    bool bUnsigned;
    bool bUnsignedEnabled;
    const char* pszBinary;
    const char* pszDecimal;
};

class CCastTest : public CCalculatorDlgTest, public ::testing::WithParamInterface<CCastRow>
{
};

TEST_P(CCastTest, AltKeysChangeTheCastAndThePanel)
{
    Evaluate("-1");
    for (const char* p = GetParam().pszAltKeys; *p; ++p)
        Key(static_cast<Qt::Key>(*p), Qt::AltModifier);
    EXPECT_TRUE(Checked(GetParam().nCheckedId));
    EXPECT_EQ(Checked(kIdUnsigned), GetParam().bUnsigned);
    EXPECT_EQ(Enabled(kIdUnsigned), GetParam().bUnsignedEnabled);
    EXPECT_EQ(m_pDlg->GetPanelLine(0), GetParam().pszBinary);
    EXPECT_EQ(m_pDlg->GetPanelLine(2), GetParam().pszDecimal);
    EXPECT_EQ(m_pDlg->m_console.m_evaluator.m_nCastType,
              2 * m_pDlg->m_console.m_nCastMode + m_pDlg->m_console.m_bUnsigned);
}

const std::string k64Ones(64, '1');

INSTANTIATE_TEST_SUITE_P(
    Mnemonics, CCastTest,
    ::testing::Values(
        CCastRow{"Alt3", "3", kIdCast32, true, true, "11111111111111111111111111111111",
                 "4294967295"},
        CCastRow{"Alt1", "1", kIdCast16, true, true, "1111111111111111", "65535"},
        CCastRow{"Alt8", "8", kIdCast8, true, true, "11111111", "255"},
        CCastRow{"Alt8ThenU", "8U", kIdCast8, false, true, "11111111", "-1"},
        CCastRow{"Alt8UThenN", "8UN", kIdCastNone, false, false, k64Ones.c_str(), "-1"},
        CCastRow{"AltUDeadUnderNone", "U", kIdCastNone, true, false, k64Ones.c_str(), "-1"}),
    CRowName());

TEST_F(CCalculatorDlgTest, PanelShowsCapitalsButTheConsoleGetsTheTextAsWritten)
{
    Evaluate("1/0");
    EXPECT_EQ(m_pDlg->GetPanelLine(2), "inf");
    EXPECT_EQ(Panel()->document()->findBlockByNumber(2).text(), QStringLiteral("INF"));
    EXPECT_EQ(ConsoleText(), kStartText + "1/0\r\ninf\r\n?");
}

TEST_F(CCalculatorDlgTest, AltEEmptiesTheConsole)
{
    Evaluate("5");
    Key(Qt::Key_E, Qt::AltModifier);
    EXPECT_EQ(ConsoleText(), "");
    EXPECT_EQ(m_pDlg->GetPanelLine(2), "5");
}

TEST_F(CCalculatorDlgTest, CtrlZRemovesTheInsertedResult)
{
    Evaluate("1+2");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ConsoleText(), kStartText + "1+2");
    // The typing before it is still in the undo history: the console was not set anew.
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ConsoleText(), kStartText);
}

TEST_F(CCalculatorDlgTest, ForeignCharactersBeforeAPromptKeepPositionsAligned)
{
    // As pasted: a character outside the code page, a surrogate pair, CR LF and a lone CR.
    Console()->textCursor().insertText(QString::fromUtf16(u"\u20AC\u0416\r\n\U0001F600\r?2*3"));
    Key(Qt::Key_Return);
    EXPECT_EQ(ConsoleText(), kStartText + "\x80\x1A\r\n\x1A\x1A\r\n?2*3\r\n6\r\n?");
    EXPECT_TRUE(Console()->toPlainText().endsWith(QString::fromUtf16(u"\U0001F600\n?2*3\n6\n?")));
    EXPECT_EQ(Caret(), static_cast<int>(ConsoleText().size()));
}

TEST_F(CCalculatorDlgTest, TabFollowsTemplateOrderAndArrowsMoveInARadioGroup)
{
    std::vector<int> arrOrder;
    for (int i = 0; i < 9; ++i)
    {
        Key(Qt::Key_Tab);
        arrOrder.push_back(FocusId());
    }
    // "&UNSIGNED" is disabled under "&None"; "Scroll" and "Overwrite" are no tab stops.
    EXPECT_EQ(arrOrder, (std::vector<int>{kIdCastNone, kIdCast32, kIdCast16, kIdCast8, kIdOutputBin,
                                          kIdOutputHex, kIdOutputDez, kIdEndPos, kIdConsole}));
    Item(kIdCastNone)->setFocus();
    Key(Qt::Key_Right);
    EXPECT_TRUE(Checked(kIdCast32));
    EXPECT_EQ(m_pDlg->GetPanelLine(0), std::string(32, '0'));
}

struct CEndRow
{
    const char* pszName;
    std::function<void(CCalculatorDlg&)> fnEnd;
    bool bSaved;
};

class CEndTest : public CCalculatorDlgTest, public ::testing::WithParamInterface<CEndRow>
{
};

TEST_P(CEndTest, OnlyTheCloseRequestSavesTheSettings)
{
    Key(Qt::Key_H, Qt::AltModifier);
    QTest::mouseClick(Item(kIdScroll), Qt::LeftButton);
    ASSERT_TRUE(Checked(kIdScroll) && !Enabled(kIdEndPos));
    GetParam().fnEnd(*m_pDlg);
    EXPECT_FALSE(m_pDlg->isVisible());

    m_pDlg = OpenWindow();
    const bool bSaved = GetParam().bSaved;
    EXPECT_EQ(Checked(kIdOutputHex), bSaved);
    EXPECT_EQ(Checked(kIdScroll), bSaved);
    EXPECT_EQ(Enabled(kIdEndPos), !bSaved);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CEndTest,
    ::testing::Values(CEndRow{"CloseRequest", [](CCalculatorDlg& dlg) { dlg.close(); }, true},
                      CEndRow{"Escape",
                              [](CCalculatorDlg&)
                              { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); },
                              false},
                      CEndRow{"EnterOffAPromptInARadio",
                              [](CCalculatorDlg& dlg)
                              {
                                  QTest::keyClick(dlg.GetDlgItem(kIdConsole), Qt::Key_Home,
                                                  Qt::ControlModifier);
                                  dlg.GetDlgItem(kIdOutputHex)->setFocus();
                                  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                              },
                              false}),
    CRowName());

struct CRulerRow
{
    const char* pszName;
    int nPixelSize; // 10 and 11 keep the 64-digit line on one row of the panel
    double dRatio;
};

class CRulerTest : public CCalculatorDlgTest, public ::testing::WithParamInterface<CRulerRow>
{
};

// Each label's inked columns, rendered as the screen would show them, centre on the digit of
// its bit in a 64-digit panel line.
TEST_P(CRulerTest, LabelsStandOverTheirBits)
{
    Evaluate("-1");
    QFont font = Panel()->font();
    font.setPixelSize(GetParam().nPixelSize);
    Panel()->setFont(font);
    CBitRuler* pRuler = nullptr;
    for (QWidget* pChild : m_pDlg->findChildren<QWidget*>())
        if (auto* p = dynamic_cast<CBitRuler*>(pChild)) pRuler = p;
    ASSERT_NE(pRuler, nullptr);

    const double dRatio = GetParam().dRatio;
    QImage image(pRuler->size() * dRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(dRatio);
    image.fill(Qt::white);
    pRuler->render(&image);

    std::vector<double> arrCentres; // of the inked column runs, left to right, logical pixels
    int nRunStart = -1;
    for (int x = 0; x <= image.width(); ++x)
    {
        bool bInk = false;
        for (int y = 0; x < image.width() && y < image.height(); ++y)
            bInk = bInk || qGray(image.pixel(x, y)) < 64;
        if (bInk && nRunStart < 0) nRunStart = x;
        if (!bInk && nRunStart >= 0)
        {
            arrCentres.push_back((nRunStart + x) / 2.0 / dRatio);
            nRunStart = -1;
        }
    }
    ASSERT_EQ(arrCentres.size(), 64u);

    const QTextBlock line = Panel()->document()->firstBlock();
    ASSERT_EQ(line.text(), QString(64, QLatin1Char('1')));
    QTextCursor cursor(line);
    Panel()->cursorRect(cursor); // lays the line out
    ASSERT_EQ(line.layout()->lineCount(), 1) << "the 64-digit line wraps";
    for (int nChar = 0; nChar < 64; ++nChar)
    {
        cursor.setPosition(line.position() + nChar);
        const int nLeft = Panel()->cursorRect(cursor).left();
        cursor.setPosition(line.position() + nChar + 1);
        const int nRight = Panel()->cursorRect(cursor).left();
        const QWidget* pViewport = Panel()->viewport();
        const double dLeft =
            pRuler->mapFrom(m_pDlg.get(), pViewport->mapTo(m_pDlg.get(), QPoint(nLeft, 0))).x();
        const double dRight = dLeft + (nRight - nLeft);
        EXPECT_GE(arrCentres[static_cast<std::size_t>(nChar)], dLeft) << "bit " << 63 - nChar;
        EXPECT_LE(arrCentres[static_cast<std::size_t>(nChar)], dRight) << "bit " << 63 - nChar;
    }
}

INSTANTIATE_TEST_SUITE_P(FontsAndRatios, CRulerTest,
                         ::testing::Values(CRulerRow{"Px11Ratio1", 11, 1.0},
                                           CRulerRow{"Px11Ratio2", 11, 2.0},
                                           CRulerRow{"Px10Ratio1", 10, 1.0},
                                           CRulerRow{"Px10Ratio1_5", 10, 1.5}),
                         CRowName());

} // namespace
