// The window keeps its console between runs and speaks C literals on the clipboard: short key
// sequences on the real window (offscreen), and the real program ended from outside.
#include "RegistryString.h"
#include "Transcript.h"
#include "WindowFixture.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QScrollBar>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace
{

const QString kKeepItem = QStringLiteral("Keep console between runs");

// The stored transcript, "-" when there is none.
std::string StoredTranscript()
{
    return CRegistryString("Software\\Lumdrak\\Console", "-", true, HKEY_CURRENT_USER).GetValue();
}

using CKeptConsoleTest = CWindowTest;

// Each row chooses HEX and Scroll, evaluates two lines and ends the window its own way; the
// next start shows the work above the start-up text, the caret behind the new prompt and the
// end in view. Only a close request saves the settings: that row comes last.
TEST_F(CKeptConsoleTest, EveryWayTheWindowEndsKeepsTheConsoleAndOnlyACloseSavesTheSettings)
{
    const std::pair<const char*, std::function<void(CCalculatorDlg&)>> rows[] = {
        {"Escape", [](CCalculatorDlg&) { Keys("Escape"); }},
        {"EnterReachingOk",
         [](CCalculatorDlg& dlg)
         {
             Keys("Ctrl+Home"); // off any '?' line, so that no Enter is consumed
             dlg.GetDlgItem(kIdOutputHex)->setFocus();
             Keys("Return");
         }},
        {"Cancel", [](CCalculatorDlg& dlg) { dlg.reject(); }},
        {"Signal", [](CCalculatorDlg& dlg) { dlg.EndSession(); }},
        {"Logout", [](CCalculatorDlg&) { QMetaObject::invokeMethod(qApp, "aboutToQuit"); }},
        {"CloseRequest", [](CCalculatorDlg& dlg) { dlg.close(); }},
    };
    for (const auto& [pszRow, fnEnd] : rows)
    {
        const bool bSaved = std::string(pszRow) == "CloseRequest";
        Keys("Alt+H");
        QTest::mouseClick(Item(kIdScroll), Qt::LeftButton);
        ASSERT_TRUE(Checked(kIdScroll) && !Enabled(kIdEndPos));
        Type("1+2\r6*7\r");
        const std::string strBefore = ConsoleText();
        fnEnd(*m_pDlg);
        EXPECT_TRUE(std::string(pszRow) == "Logout" || !m_pDlg->isVisible()) << pszRow;
        OpenWindow();
        const std::string strExpected =
            strBefore.substr(0, strBefore.size() - 3) + "\r\n" + kStartText;
        EXPECT_EQ(ConsoleText(), strExpected) << pszRow;
        EXPECT_EQ(Caret(), static_cast<int>(strExpected.size())) << pszRow;
        EXPECT_EQ(QApplication::focusWidget(), Console()) << pszRow;
        QScrollBar* pScroll = Console()->verticalScrollBar();
        EXPECT_EQ(pScroll->value(), pScroll->maximum()) << pszRow;
        EXPECT_EQ(Checked(kIdOutputHex), bSaved) << pszRow;
        EXPECT_EQ(Checked(kIdScroll), bSaved) << pszRow;
        EXPECT_EQ(Enabled(kIdEndPos), !bSaved) << pszRow;
    }
    EXPECT_GT(Console()->verticalScrollBar()->maximum(), 0) << "the lines outgrew the console";
}

TEST_F(CKeptConsoleTest, AStartAfterAltEOrWithoutChangesLooksAsBeforeAndKeysTypedAheadCount)
{
    Type("1+2\r");
    Keys("Alt+E");
    Keys("Escape");
    EXPECT_EQ(StoredTranscript(), "");
    OpenWindow();
    EXPECT_EQ(ConsoleText(), kStartText) << "erased: as the first run";
    EXPECT_EQ(Caret(), static_cast<int>(kStartText.size()));
    Keys("Escape");
    OpenWindow();
    EXPECT_EQ(ConsoleText(), kStartText) << "an unchanged console adds no banner";

    Type("1\r");
    Keys("Escape");
    OpenWindow("2*"); // keys that come before the transcript
    const std::string strExpected = kStartText + "1\r\n1\r\n" + kStartText + "2*";
    EXPECT_EQ(ConsoleText(), strExpected);
    Keys("Escape");
    OpenWindow();
    EXPECT_EQ(ConsoleText(), strExpected + "\r\n" + kStartText) << "and they are saved";
}

// A transcript stored by anything else may break its lines with a lone LF or CR, which the
// console shows as lines too: no more of them than the bound are shown, the last ones.
TEST_F(CKeptConsoleTest, AForeignTranscriptShowsAtMostItsBoundOfLines)
{
    const std::pair<const char*, std::vector<const char*>> rows[] = {
        {"LF", {"\n"}}, {"CR", {"\r"}}, {"mixed", {"\n", "\r", "\r\n"}}};
    const auto nStartLines = std::count(kStartText.begin(), kStartText.end(), '\n') + 1;
    for (const auto& [pszRow, arrBreaks] : rows)
    {
        std::string strForeign = "L0"; // 100,000 lines
        for (std::size_t nLine = 1; nLine < 100000; ++nLine)
            strForeign += arrBreaks[nLine % arrBreaks.size()] + ("L" + std::to_string(nLine));
        m_pDlg.reset();
        CRegistryString("Software\\Lumdrak\\Console", "", true, HKEY_CURRENT_USER)
            .SetValue(strForeign);
        OpenWindow();
        EXPECT_EQ(Console()->document()->blockCount(), kTranscriptMaxLines + nStartLines) << pszRow;
        EXPECT_TRUE(ConsoleText().starts_with("L90000\r\nL90001\r\n")) << pszRow;
        EXPECT_TRUE(ConsoleText().ends_with("L99999\r\n" + kStartText)) << pszRow;
    }
}

TEST_F(CKeptConsoleTest, TurningTheChoiceOffDeletesTheTranscriptAtOnce)
{
    Type("5\r");
    Keys("Escape");
    OpenWindow();
    ASSERT_NE(StoredTranscript(), "-");
    const QStringList arrItems = UseContextMenu(Console()->viewport(), kKeepItem);
    EXPECT_GE(arrItems.size(), 7) << "Qt's standard items come first: "
                                  << arrItems.join(", ").toStdString();
    EXPECT_EQ(StoredTranscript(), "-");
    Type("6\r");
    Keys("Escape");
    OpenWindow();
    EXPECT_EQ(ConsoleText(), kStartText);
    UseContextMenu(Console()->viewport(), kKeepItem); // on again: what the console holds is stored
    EXPECT_EQ(StoredTranscript(), kStartText.substr(0, kStartText.size() - 3));
}

// Pasted and dropped text arrives converted, in one undo step; typed text never is.
TEST_F(CKeptConsoleTest, PastedAndDroppedLiteralsArriveConverted)
{
    const std::tuple<const char*, const char*, std::string> rows[] = {
        // typed first, key, console line then
        {"", "Ctrl+V", "?$FF & (1 << 4)"},
        {"1+", "Shift+Insert", "?1+$FF & (1 << 4)"},
        {"1+", "Ctrl+V, Ctrl+Z", "?1+"},
        {"0x1+", "Ctrl+V", "?0x1+$FF & (1 << 4)"},
        {"", "Ctrl+V, Return", "?$FF & (1 << 4)\r\n16\r\n?"},
    };
    for (const auto& [pszTyped, pszKeys, strLine] : rows)
    {
        OpenWindow();
        QApplication::clipboard()->setText(QStringLiteral("0xFF & (1 << 4)"));
        Type(pszTyped);
        Keys(pszKeys);
        ASSERT_TRUE(PasteDone());
        EXPECT_EQ(ConsoleText(), kStartText.substr(0, kStartText.size() - 1) + strLine) << pszKeys;
    }

    OpenWindow();
    QMimeData data;
    data.setText(QStringLiteral("0b1010|1"));
    const QPoint point = Console()->cursorRect().center();
    QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Console()->viewport(), &enter);
    QDropEvent drop(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Console()->viewport(), &drop);
    ASSERT_TRUE(PasteDone());
    EXPECT_EQ(ConsoleText(), kStartText + "#1010|1");
}

// A pasted C line is checked under the cast the window shows: where the cast cannot give C's
// value a note stands beside the caret, without taking the focus, until the next key.
TEST_F(CKeptConsoleTest, PastedCIsCheckedUnderTheCastAndANoteSaysWhereItDiffers)
{
    const QString strLine = QStringLiteral("#define CFG (1u << 31) | (0x3 << 12)");
    const std::string strPrompt = kStartText.substr(0, kStartText.size() - 1);
    const std::tuple<const char*, const char*, const char*> rows[] = {
        // cast keys (UNSIGNED starts checked), the note (empty: none), what Enter then writes
        {"Alt+N", "C: 2147495936 = 0x80003000 (unsigned int). 32Bit UNSIGNED gives the same.",
         "-2147471360"},
        {"Alt+3", "", "2147495936"},
        {"Alt+3, Alt+U",
         "C: 2147495936 = 0x80003000 (unsigned int). 32Bit UNSIGNED gives the same.",
         "-2147471360"},
    };
    for (const auto& [pszCast, pszNote, pszResult] : rows)
    {
        OpenWindow();
        Keys(pszCast);
        QApplication::clipboard()->setText(strLine);
        Keys("Ctrl+V");
        ASSERT_TRUE(PasteDone());
        EXPECT_EQ(ConsoleText(), strPrompt + "?(1 << 31) | ($3 << 12)") << pszCast;
        auto* pNote = Console()->findChild<QLabel*>(QStringLiteral("pasteNotice"));
        ASSERT_NE(pNote, nullptr);
        EXPECT_EQ(pNote->isVisible(), *pszNote != '\0') << pszCast;
        EXPECT_EQ(QApplication::focusWidget(), Console()) << "the note takes no focus";
        if (*pszNote != '\0')
        {
            EXPECT_EQ(pNote->text().toStdString(), pszNote);
            const QAccessibleInterface* pAccessible = QAccessible::queryAccessibleInterface(pNote);
            ASSERT_NE(pAccessible, nullptr);
            EXPECT_EQ(pAccessible->text(QAccessible::Name).toStdString(), pszNote);
            const QRect caret(Console()->viewport()->mapToGlobal(Console()->cursorRect().topLeft()),
                              Console()->cursorRect().size());
            EXPECT_LE(std::abs(pNote->mapToGlobal(QPoint(0, 0)).y() - caret.bottom()), 2)
                << "just below the caret";
        }
        Keys("Return");
        EXPECT_FALSE(pNote->isVisible()) << pszCast << ": gone at the next key";
        EXPECT_EQ(ConsoleText(), strPrompt + "?(1 << 31) | ($3 << 12)\r\n" + pszResult + "\r\n?");
    }

    OpenWindow(); // typed text is never read as C
    Type("0x10 + 1");
    EXPECT_EQ(ConsoleText(), kStartText + "0x10 + 1");
    EXPECT_FALSE(Console()->findChild<QLabel*>(QStringLiteral("pasteNotice"))->isVisible());
}

// Rows: keys that set the cast and the output mode, then the three literals of -1 and the one
// Ctrl+Shift+C copies.
TEST_F(CKeptConsoleTest, PanelMenuAndCtrlShiftCCopyTheResultAsALiteral)
{
    const std::tuple<const char*, std::string, const char*, const char*, std::string> rows[] = {
        {"Alt+N", "0b" + std::string(64, '1'), "0xFFFFFFFFFFFFFFFF", "-1", "-1"},
        {"Alt+3, Alt+H", "0b" + std::string(32, '1'), "0xFFFFFFFF", "4294967295", "0xFFFFFFFF"},
        {"Alt+3, Alt+U, Alt+B", "0b" + std::string(32, '1'), "0xFFFFFFFF", "-1",
         "0b" + std::string(32, '1')},
        {"Alt+1, Alt+H", "0b" + std::string(16, '1'), "0xFFFF", "65535", "0xFFFF"},
        {"Alt+8, Alt+D", "0b11111111", "0xFF", "255", "255"},
    };
    for (const auto& [pszKeys, strBinary, pszHex, pszDecimal, strShortcut] : rows)
    {
        OpenWindow();
        Keys(pszKeys);
        Type("-1\r");
        const std::string arrCopied[3] = {strBinary, pszHex, pszDecimal};
        const char* arrItems[3] = {"Copy as 0b\u2026", "Copy as 0x\u2026", "Copy as decimal"};
        for (int nLine = 0; nLine < 3; ++nLine)
        {
            QApplication::clipboard()->clear();
            const QStringList arrAll =
                UseContextMenu(Panel()->viewport(), QString::fromUtf8(arrItems[nLine]));
            EXPECT_TRUE(arrAll.contains(QStringLiteral("Select All\tCtrl+A")))
                << "Qt's items stay: " << arrAll.join(", ").toStdString();
            EXPECT_EQ(QApplication::clipboard()->text().toStdString(), arrCopied[nLine])
                << pszKeys << " " << arrItems[nLine];
        }
        QApplication::clipboard()->clear();
        Keys("Ctrl+Shift+C");
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), strShortcut) << pszKeys;
    }
    OpenWindow(); // nothing evaluated: nothing to copy
    QApplication::clipboard()->setText(QStringLiteral("before"));
    Keys("Ctrl+Shift+C");
    UseContextMenu(Panel()->viewport(), QStringLiteral("Copy as decimal"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
}

// The whole program (kept_console_child) ended from outside a while after an Enter: by
// signals, with nothing open or while a menu, a drag or a paste runs, or by a quit request,
// which ends it as a close does (the settings saved too). The next start shows the Enter's
// result and the edit typed after it, but no paste that was not whole; nothing was left
// running.
TEST_F(CKeptConsoleTest, AProgramEndedFromOutsideKeepsTheLastEnter)
{
    struct SRow
    {
        const char* pszThen; // what the child does after the Enter (see KeptConsoleChild.cpp)
        std::vector<int> arrSignals;
        bool bAfterSave; // the signals wait for the timed save
        const char* pszExpression;
        const char* pszResult;
        bool bSettingsSaved;
        bool bEndsBySignal;  // else it exits as the window's end makes it
        const char* pszEdit; // typed after the Enter, not entered
    };
    const SRow rows[] = {
        {"", {SIGKILL}, true, "6*7", "42", false, true, ""},
        {"", {SIGTERM}, false, "6*8", "48", false, false, ""},
        // a burst: the first signal's save runs, a later one then ends the program at once
        {"", {SIGTERM, SIGHUP, SIGINT}, false, "6*9", "54", false, true, ""},
        {"console-menu", {SIGTERM}, false, "7*7", "49", false, false, ""},
        {"panel-menu", {SIGTERM}, false, "7*8", "56", false, false, ""},
        {"drag", {SIGTERM}, false, "7*9", "63", false, false, ""},
        {"quit", {}, false, "8*8", "64", true, false, ""},
        {"paste-converting", {SIGTERM, SIGHUP}, false, "9*8", "72", false, true, "2*"},
        {"paste-inserting", {SIGTERM, SIGHUP}, false, "9*9", "81", false, true, "2*"},
        {"paste-inserting", {SIGTERM}, false, "9*7", "63", false, false, "2*"},
    };
    for (const SRow& row : rows)
    {
        const std::string strEnter = std::string("?") + row.pszExpression + "\r\n" + row.pszResult;
        SCOPED_TRACE(std::string(row.pszExpression) + " " + row.pszThen);
        m_pDlg.reset();
        CRegistryString("Software\\Lumdrak\\Save\\SaveKey", "", true, HKEY_CURRENT_USER)
            .SetValue("BB021");
        QProcess child;
        child.start(QStringLiteral(KEPT_CONSOLE_CHILD_PATH),
                    {row.pszExpression, QString::fromLatin1(row.pszThen)});
        ASSERT_TRUE(child.waitForReadyRead(20000));
        ASSERT_EQ(child.readLine(), "typed\n");
        if (*row.pszThen && std::string(row.pszThen) != "quit")
        {
            ASSERT_TRUE(child.canReadLine() || child.waitForReadyRead(20000));
            ASSERT_EQ(child.readLine(), "ready\n");
        }
        // A kill -9 loses what was not saved: it comes once the save after the Enter is in.
        if (row.bAfterSave)
        {
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return StoredTranscript().find(strEnter) != std::string::npos; }, 20000));
        }
        for (const int nSignal : row.arrSignals)
            kill(static_cast<pid_t>(child.processId()), nSignal);
        EXPECT_TRUE(child.waitForFinished(20000)) << "still running after the signal";
        if (child.state() != QProcess::NotRunning)
        {
            child.kill();
            child.waitForFinished(20000);
        }
        EXPECT_EQ(child.exitStatus() == QProcess::CrashExit, row.bEndsBySignal);
        EXPECT_TRUE(row.bEndsBySignal || child.exitCode() == 0) << child.exitCode();
        OpenWindow();
        const std::string strEdit = *row.pszEdit ? std::string("\r\n?") + row.pszEdit : "";
        EXPECT_TRUE(ConsoleText().ends_with(strEnter + strEdit + "\r\n" + kStartText))
            << ConsoleText();
        EXPECT_EQ(Checked(kIdOutputHex), row.bSettingsSaved);
    }
}

} // namespace
