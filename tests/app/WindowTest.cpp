#include "Banner.h"
#include "BitRuler.h"
#include "CalculatorDlg.h"
#include "ConsoleText.h"
#include "DialogTemplate.h"
#include "DialogUnits.h"
#include "ResultPanel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{

const std::string kStartText = std::string(kBannerText) + "\r\n" + kVersionText + "?";

// One QApplication for the test program, on the offscreen platform.
class CQtEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        m_pApplication = std::make_unique<QApplication>(m_nArgc, m_arrArgv);
    }
    void TearDown() override { m_pApplication.reset(); }

private:
    int m_nArgc = 1;
    char m_szName[16] = "app_window_test";
    char* m_arrArgv[2] = {m_szName, nullptr};
    std::unique_ptr<QApplication> m_pApplication;
};

const auto* const g_pQtEnvironment = ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

// Every test sets its own settings folder and gets a shown, active main window. A modal window
// that a test did not ask for fails the test and is closed, so that the test cannot hang.
class CWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_configDir.isValid());
        qputenv("XDG_CONFIG_HOME", m_configDir.path().toLocal8Bit());
        QObject::connect(&m_watchdog, &QTimer::timeout,
                         [this]
                         {
                             QWidget* pModal = QApplication::activeModalWidget();
                             if (pModal && !m_bModalExpected)
                             {
                                 ADD_FAILURE() << "unexpected modal window "
                                               << pModal->windowTitle().toStdString();
                                 pModal->close();
                             }
                         });
        m_watchdog.start(20);
        OpenWindow();
    }

    // A new main window, which loads the settings as they were last saved.
    void OpenWindow()
    {
        m_pDlg = std::make_unique<CCalculatorDlg>();
        m_pDlg->OnInitDialog();
        m_pDlg->show();
        m_pDlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    }

    template <class T = QWidget> T* Item(int nId) const
    {
        return dynamic_cast<T*>(m_pDlg->GetDlgItem(nId));
    }
    bool Checked(int nId) const { return Item<QAbstractButton>(nId)->isChecked(); }
    bool Enabled(int nId) const { return Item(nId)->isEnabled(); }
    CResultPanel* Panel() const { return Item<CResultPanel>(kIdPanel); }
    QPlainTextEdit* Console() const { return Item<QPlainTextEdit>(kIdConsole); }
    std::string ConsoleText() const { return ToModelText(Console()->document()->toRawText()); }
    int Caret() const
    {
        int nStart = 0;
        int nEnd = 0;
        m_pDlg->GetConsoleSel(nStart, nEnd);
        return nStart == nEnd ? nStart : -1;
    }
    int FocusId() const
    {
        for (int nId : {kIdCastNone, kIdCast32, kIdCast16, kIdCast8, kIdUnsigned, kIdOutputBin,
                        kIdOutputHex, kIdOutputDez, kIdEndPos, kIdPanel, kIdConsole})
            if (QApplication::focusWidget() == Item(nId)) return nId;
        return kNoId;
    }

    // Keys go where the keyboard focus is, as a user's keys do; '\r' in typed text is Enter.
    static void Keys(const char* pszKeys) // "Alt+H, Num+Enter"
    {
        const QKeySequence keys(QString::fromLatin1(pszKeys));
        for (int nKey = 0; nKey < keys.count(); ++nKey)
            QTest::keyClick(QApplication::focusWidget(), keys[nKey].key(),
                            keys[nKey].keyboardModifiers());
    }
    static void Type(const char* pszText)
    {
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(pszText));
    }

    QTemporaryDir m_configDir;
    QTimer m_watchdog;
    bool m_bModalExpected = false;
    std::unique_ptr<CCalculatorDlg> m_pDlg;
};

using CCalculatorDlgTest = CWindowTest;

TEST_F(CCalculatorDlgTest, StartsWithTheBannerAndTheControlsInTheirRectangles)
{
    EXPECT_EQ(ConsoleText(), kStartText);
    EXPECT_EQ(Caret(), static_cast<int>(kStartText.size()));
    EXPECT_EQ(FocusId(), kIdConsole);
    EXPECT_EQ(m_pDlg->windowTitle(), QStringLiteral("Lumdrak"));
    EXPECT_EQ(m_pDlg->windowIcon().pixmap(32).size(), QSize(32, 32));
    // First run: unsigned (disabled with no cast) and EndPos, no cast, decimal output, Overwrite.
    EXPECT_TRUE(Checked(kIdUnsigned) && !Enabled(kIdUnsigned) && Checked(kIdEndPos));
    EXPECT_TRUE(Checked(kIdCastNone) && Checked(kIdOutputDez) && Checked(kIdOverwrite));
    EXPECT_TRUE(Item(kIdErase)->isHidden() && Item(kIdInfo)->isHidden());

    const std::pair<int, QRect> rows[] = {
        {kIdCastNone, {15, 58, 33, 10}},   {kIdCast32, {50, 58, 32, 10}},
        {kIdCast16, {90, 58, 32, 10}},     {kIdCast8, {123, 58, 28, 10}},
        {kIdUnsigned, {160, 58, 54, 10}},  {kIdOutputBin, {230, 53, 30, 10}},
        {kIdOutputHex, {230, 63, 31, 10}}, {kIdOutputDez, {260, 53, 25, 10}},
        {kIdErase, {260, 66, 9, 6}},       {kIdPanel, {7, 16, 260, 29}},
        {kIdInfo, {276, 66, 7, 7}},        {kIdForceCast, {7, 48, 213, 25}},
        {kIdScroll, {10, 183, 40, 10}},    {kIdOverwrite, {50, 183, 52, 10}},
        {kIdEndPos, {105, 183, 50, 10}},   {kIdConsole, {7, 80, 278, 100}},
    };
    const QFont font = m_pDlg->font();
    EXPECT_TRUE(QFontInfo(font).fixedPitch()) << QFontInfo(font).family().toStdString();
    const CDialogBaseUnits base = BaseUnitsOf(font);
    EXPECT_EQ(base.m_nCharWidth, std::lround(QFontMetricsF(font).horizontalAdvance(u'x')));
    EXPECT_EQ(m_pDlg->size(), MapDialogRect(QRect(0, 0, 292, 199), base).size());
    EXPECT_EQ(m_pDlg->minimumSize(), m_pDlg->maximumSize());
    for (const auto& [nId, rectUnits] : rows)
        EXPECT_EQ(Item(nId)->geometry(), MapDialogRect(rectUnits, base)) << nId;
}

// Each row starts in a new window: text typed in the console, then keys pressed where the focus
// has been put, then text typed where the focus is then. The console text ends so, with the
// caret at its end, and the window stays.
TEST_F(CCalculatorDlgTest, KeysActOnTheConsoleWhereverTheFocusIs)
{
    const std::string strSum = kStartText + "1+2\r\n3\r\n?4";
    const std::string strProduct = kStartText + "6*7\r\n42\r\n?";
    const std::string strTen = kStartText + "10\r\n";
    const std::tuple<const char*, int, const char*, const char*, std::string> rows[] = {
        {"1+2", kIdConsole, "Return", "4", strSum},
        {"1+2", kIdConsole, "Num+Enter", "4", strSum},
        {"1+2", kIdOutputHex, "Shift+Return", "4", strSum},
        {"1+2", kIdEndPos, "Ctrl+Return", "4", strSum},
        {"1+2", kIdPanel, "Num+Enter", "4", strSum},
        {"", kIdConsole, "Ctrl+Home, Ctrl+Return, Ctrl+End", "", "\r\n" + kStartText}, // no prompt
        {"6*7\r", kIdConsole, "F2", "", strProduct + "42"},
        {"6*7\r", kIdOutputBin, "F2", "", strProduct + "42"},
        {"6*7\r", kIdCast8, "F3", "", strProduct + "6*7"},
        {"6*7\r", kIdConsole, "F4", "m+1\r", strProduct + "m+1\r\n43\r\n?"},
        {"", kIdConsole, "Alt+H, Alt+B", "10\r", strTen + "#" + std::string(60, '0') + "1010\r\n?"},
        {"", kIdConsole, "Alt+H", "10\r", strTen + "$A\r\n?"},
        {"", kIdConsole, "Alt+H, Alt+D", "10\r", strTen + "10\r\n?"},
        {"5\r", kIdConsole, "Alt+E", "", ""},
        {"1+2\r", kIdConsole, "Ctrl+Z", "", kStartText + "1+2"},
        {"1+2\r", kIdConsole, "Ctrl+Z, Ctrl+Z", "", kStartText}, // the undo history survives
    };
    for (const auto& [pszTyped, nFocusId, pszKeys, pszThen, strText] : rows)
    {
        SCOPED_TRACE(std::string(pszKeys) + " on " + std::to_string(nFocusId));
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

TEST_F(CCalculatorDlgTest, AltKeysChangeTheCastAndThePanel)
{
    const std::tuple<const char*, int, bool, bool, int, const char*> rows[] = {
        // keys, cast checked, "&UNSIGNED" checked and enabled, panel digits and decimal line
        {"Alt+3", kIdCast32, true, true, 32, "4294967295"},
        {"Alt+1", kIdCast16, true, true, 16, "65535"},
        {"Alt+8", kIdCast8, true, true, 8, "255"},
        {"Alt+8, Alt+U", kIdCast8, false, true, 8, "-1"},
        {"Alt+8, Alt+U, Alt+N", kIdCastNone, false, false, 64, "-1"},
        {"Alt+U", kIdCastNone, true, false, 64, "-1"}, // dead under "&None"
    };
    for (const auto& [pszKeys, nCastId, bUnsigned, bEnabled, nDigits, pszDecimal] : rows)
    {
        OpenWindow();
        Type("-1\r");
        Keys(pszKeys);
        EXPECT_TRUE(Checked(nCastId)) << pszKeys;
        EXPECT_EQ(Checked(kIdUnsigned), bUnsigned) << pszKeys;
        EXPECT_EQ(Enabled(kIdUnsigned), bEnabled) << pszKeys;
        EXPECT_EQ(m_pDlg->GetPanelLine(0), std::string(nDigits, '1'));
        EXPECT_EQ(m_pDlg->GetPanelLine(2), pszDecimal);
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

    const QTextLayout* pLayout = Console()->document()->findBlockByNumber(4).layout(); // the '?' line
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

TEST_F(CCalculatorDlgTest, PanelShowsCapitalsButTheConsoleGetsTheTextAsWritten)
{
    Type("1/0\r");
    EXPECT_EQ(m_pDlg->GetPanelLine(2), "inf");
    EXPECT_EQ(Panel()->document()->findBlockByNumber(2).text(), QStringLiteral("INF"));
    EXPECT_EQ(ConsoleText(), kStartText + "1/0\r\ninf\r\n?");
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

TEST_F(CCalculatorDlgTest, TabFollowsTemplateOrderAndArrowsMoveInARadioGroup)
{
    std::vector<int> arrOrder;
    for (int i = 0; i < 9; ++i)
    {
        Keys("Tab");
        arrOrder.push_back(FocusId());
    }
    // "&UNSIGNED" is disabled under "&None"; "Scroll" and "Overwrite" are no tab stops.
    EXPECT_EQ(arrOrder, (std::vector<int>{kIdCastNone, kIdCast32, kIdCast16, kIdCast8, kIdOutputBin,
                                          kIdOutputHex, kIdOutputDez, kIdEndPos, kIdConsole}));
    Item(kIdCastNone)->setFocus();
    Keys("Right");
    EXPECT_TRUE(Checked(kIdCast32));
    EXPECT_EQ(m_pDlg->GetPanelLine(0), std::string(32, '0'));
}

// The saving row comes last: the rows share the settings folder.
TEST_F(CCalculatorDlgTest, OnlyTheCloseRequestSavesTheSettings)
{
    const std::tuple<const char*, std::function<void()>, bool> rows[] = {
        {"Escape", [] { Keys("Escape"); }, false},
        {"EnterOffAPromptOnARadio",
         [this]
         {
             Keys("Ctrl+Home");
             Item(kIdOutputHex)->setFocus();
             Keys("Return");
         },
         false},
        {"CloseRequest", [this] { m_pDlg->close(); }, true},
    };
    for (const auto& [pszName, fnEnd, bSaved] : rows)
    {
        OpenWindow();
        Keys("Alt+H");
        QTest::mouseClick(Item(kIdScroll), Qt::LeftButton);
        ASSERT_TRUE(Checked(kIdScroll) && !Enabled(kIdEndPos));
        fnEnd();
        EXPECT_FALSE(m_pDlg->isVisible()) << pszName;
        OpenWindow();
        EXPECT_EQ(Checked(kIdOutputHex), bSaved) << pszName;
        EXPECT_EQ(Checked(kIdScroll), bSaved) << pszName;
        EXPECT_EQ(Enabled(kIdEndPos), !bSaved) << pszName;
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
        {64, "Version 1.3"},
        {65, ""},
    };
    for (const char* pszKey : {"F1", "Alt+I", "F1"})
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
                             m_bModalExpected = false; // the watchdog closes it unless Enter does
                             Keys("Return");
                         });
        check.start(10);
        m_bModalExpected = true;
        Keys(pszKey);
        ASSERT_EQ(arrLines.size(), 65) << pszKey;
        for (const auto& [nLine, strText] : kLines)
            EXPECT_EQ(arrLines[nLine - 1].toStdString(), strText) << "line " << nLine;
        for (const QString& strLine : arrLines)
            EXPECT_TRUE(strLine.isEmpty() || strLine[0] == u' ' || strLine == "Version 1.3");
        m_pDlg->activateWindow(); // there is no window manager offscreen to hand it back
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    }
    EXPECT_TRUE(m_pDlg->isVisible());
    EXPECT_EQ(FocusId(), kIdConsole);
}

TEST_F(CCalculatorDlgTest, RulerLabelsStandOverTheirBitsAtAnyFontSizeAndPixelRatio)
{
    Type("-1\r");
    CBitRuler* pRuler = nullptr;
    for (QWidget* pChild : m_pDlg->findChildren<QWidget*>())
        if (auto* p = dynamic_cast<CBitRuler*>(pChild)) pRuler = p;
    ASSERT_NE(pRuler, nullptr);
    // Pixel sizes 10 and 11 keep the 64-digit line on one row of the panel.
    for (const auto& [nPixelSize, dRatio] : {std::pair{11, 1.0}, {11, 2.0}, {10, 1.0}, {10, 1.5}})
    {
        QFont font = Panel()->font();
        font.setPixelSize(nPixelSize);
        Panel()->setFont(font);
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

        // Each label's inked columns centre on the digit of its bit.
        const QTextBlock line = Panel()->document()->firstBlock();
        QTextCursor cursor(line);
        Panel()->cursorRect(cursor); // lays the line out
        ASSERT_EQ(line.layout()->lineCount(), 1) << "the 64-digit line wraps";
        const int nOffset =
            pRuler->mapFrom(m_pDlg.get(), Panel()->viewport()->mapTo(m_pDlg.get(), QPoint())).x();
        for (int nChar = 0; nChar < 64; ++nChar)
        {
            cursor.setPosition(line.position() + nChar);
            const int nLeft = nOffset + Panel()->cursorRect(cursor).left();
            cursor.setPosition(line.position() + nChar + 1);
            const int nRight = nOffset + Panel()->cursorRect(cursor).left();
            const double dCentre = arrCentres[static_cast<std::size_t>(nChar)];
            EXPECT_TRUE(dCentre >= nLeft && dCentre <= nRight)
                << "bit " << 63 - nChar << " at " << nPixelSize << " px, ratio " << dRatio;
        }
    }
}

} // namespace
