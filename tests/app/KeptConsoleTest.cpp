// The window keeps its console between runs and speaks C literals on the clipboard: short key
// sequences on the real window (offscreen), and the real program ended from outside.
#include "Banner.h"
#include "CalculatorDlg.h"
#include "ConsoleEdit.h"
#include "ConsoleKeeper.h"
#include "ConsoleText.h"
#include "DialogTemplate.h"
#include "RegistryString.h"
#include "ResultPanel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <tuple>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

const std::string kStartText = std::string(kBannerText) + "\r\n" + kVersionText + "?";
const QString kKeepItem = QStringLiteral("Keep console between runs");

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
    char m_szName[20] = "app_kept_test";
    char* m_arrArgv[2] = {m_szName, nullptr};
    std::unique_ptr<QApplication> m_pApplication;
};

const auto* const g_pQtEnvironment = ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

// The stored transcript, "-" when there is none.
std::string StoredTranscript()
{
    return CRegistryString("Software\\Lumdrak\\Console", "-", true, HKEY_CURRENT_USER).GetValue();
}

// Every test has its own settings folder; OpenWindow starts the window as the program does.
class CKeptConsoleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_configDir.isValid());
        qputenv("XDG_CONFIG_HOME", m_configDir.path().toLocal8Bit());
        OpenWindow();
    }

    // Shown, active, and the kept transcript restored after the first paint.
    void OpenWindow(const char* pszTypedAhead = "")
    {
        m_pDlg = std::make_unique<CCalculatorDlg>();
        m_pDlg->OnInitDialog();
        QTest::keyClicks(Console(), QString::fromLatin1(pszTypedAhead));
        m_pDlg->show();
        m_pDlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
        const CConsoleKeeper* pKeeper = nullptr;
        for (QObject* pChild : m_pDlg->children())
            if (auto* p = dynamic_cast<CConsoleKeeper*>(pChild)) pKeeper = p;
        ASSERT_NE(pKeeper, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([pKeeper] { return pKeeper->IsRestored(); }));
    }

    CConsoleEdit* Console() const { return dynamic_cast<CConsoleEdit*>(m_pDlg->GetDlgItem(kIdConsole)); }
    CResultPanel* Panel() const { return dynamic_cast<CResultPanel*>(m_pDlg->GetDlgItem(kIdPanel)); }
    std::string ConsoleText() const { return ToModelText(Console()->document()->toRawText()); }
    int Caret() const
    {
        int nStart = 0;
        int nEnd = 0;
        m_pDlg->GetConsoleSel(nStart, nEnd);
        return nStart == nEnd ? nStart : -1;
    }
    static void Keys(const char* pszKeys)
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

    // Opens the context menu of pWidget as a right click does and triggers its item strItem;
    // returns the texts of all its items.
    static QStringList UseContextMenu(QWidget* pWidget, const QString& strItem)
    {
        QStringList arrItems;
        QTimer::singleShot(0, [&]
        {
            auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!pMenu) return;
            for (QAction* pAction : pMenu->actions())
                if (!pAction->isSeparator()) arrItems.append(pAction->text());
            for (QAction* pAction : pMenu->actions())
                if (pAction->text() == strItem && pAction->isEnabled()) pAction->trigger();
            pMenu->close();
        });
        const QPoint point = pWidget->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, pWidget->mapToGlobal(point));
        QApplication::sendEvent(pWidget, &event);
        pWidget->window()->activateWindow(); // no window manager hands it back offscreen
        EXPECT_TRUE(QTest::qWaitForWindowActive(pWidget->window()));
        return arrItems;
    }

    QTemporaryDir m_configDir;
    std::unique_ptr<CCalculatorDlg> m_pDlg;
};

// Each row ends the window its own way; the next start shows the work above the start-up text,
// the caret behind the new prompt and the end in view.
TEST_F(CKeptConsoleTest, EveryWayTheWindowEndsKeepsTheConsole)
{
    const std::tuple<const char*, const char*, std::function<void(CCalculatorDlg&)>> rows[] = {
        // how it ends, what is typed before
        {"Escape", "1+2\r6*7\r", [](CCalculatorDlg&) { Keys("Escape"); }},
        {"CloseRequest", "7\r", [](CCalculatorDlg& dlg) { dlg.close(); }},
        {"EnterReachingOk", "8\r",
         [](CCalculatorDlg& dlg)
         {
             Keys("Ctrl+Home"); // off any '?' line, so that no Enter is consumed
             dlg.GetDlgItem(kIdOutputHex)->setFocus();
             Keys("Return");
         }},
        {"Cancel", "9\r", [](CCalculatorDlg& dlg) { dlg.reject(); }},
        {"Signal", "10\r", [](CCalculatorDlg& dlg) { dlg.EndSession(); }},
        {"Logout", "11\r",
         [](CCalculatorDlg&) { QMetaObject::invokeMethod(qApp, "aboutToQuit"); }},
    };
    for (const auto& [pszRow, pszTyped, fnEnd] : rows)
    {
        Type(pszTyped);
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

TEST_F(CKeptConsoleTest, TurningTheChoiceOffDeletesTheTranscriptAtOnce)
{
    Type("5\r");
    Keys("Escape");
    OpenWindow();
    ASSERT_NE(StoredTranscript(), "-");
    const QStringList arrItems = UseContextMenu(Console()->viewport(), kKeepItem);
    EXPECT_TRUE(arrItems.contains(kKeepItem));
    EXPECT_GE(arrItems.size(), 7) << "Qt's standard items come first: " << arrItems.join(", ").toStdString();
    EXPECT_EQ(StoredTranscript(), "-");
    Type("6\r");
    Keys("Escape");
    OpenWindow();
    EXPECT_EQ(ConsoleText(), kStartText);
    QAction* pKeep = nullptr;
    for (QAction* pAction : m_pDlg->findChildren<QAction*>())
        if (pAction->text() == kKeepItem) pKeep = pAction;
    ASSERT_NE(pKeep, nullptr);
    EXPECT_FALSE(pKeep->isChecked());

    pKeep->trigger(); // on again: what the console holds is stored at once
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
    };
    for (const auto& [pszTyped, pszKeys, strLine] : rows)
    {
        OpenWindow();
        QApplication::clipboard()->setText(QStringLiteral("0xFF & (1 << 4)"));
        Type(pszTyped);
        Keys(pszKeys);
        EXPECT_EQ(ConsoleText(), kStartText.substr(0, kStartText.size() - 1) + strLine) << pszKeys;
    }
    OpenWindow();
    QApplication::clipboard()->setText(QStringLiteral("0xFF & (1 << 4)"));
    Keys("Ctrl+V, Return");
    EXPECT_EQ(m_pDlg->GetPanelLine(2), "16");

    OpenWindow();
    QMimeData data;
    data.setText(QStringLiteral("0b1010|1"));
    const QPoint point = Console()->cursorRect().center();
    QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Console()->viewport(), &enter);
    QDropEvent drop(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Console()->viewport(), &drop);
    EXPECT_EQ(ConsoleText(), kStartText + "#1010|1");
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

// The whole program (kept_console_child), its standard output read through a pipe.
struct SChild
{
    pid_t m_nPid = -1;
    int m_nOut = -1;
};

SChild StartChild(const std::vector<std::string>& args)
{
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return {};
    std::vector<char*> argv;
    std::string strProgram = KEPT_CONSOLE_CHILD_PATH;
    argv.push_back(strProgram.data());
    std::vector<std::string> copies = args;
    for (std::string& strArg : copies)
        argv.push_back(strArg.data());
    argv.push_back(nullptr);
    const pid_t nPid = fork();
    if (nPid == 0)
    {
        dup2(out[1], STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    return {nPid, out[0]};
}

// Reads until the child closes its output or nTimeoutMs pass without any.
std::string ReadChild(const SChild& child, const std::string& strUntil, int nTimeoutMs = 20000)
{
    std::string strOut;
    pollfd fd = {child.m_nOut, POLLIN, 0};
    char buffer[65536];
    while (strUntil.empty() || strOut.find(strUntil) == std::string::npos)
    {
        if (poll(&fd, 1, nTimeoutMs) <= 0) break;
        const ssize_t nRead = read(child.m_nOut, buffer, sizeof buffer);
        if (nRead <= 0) break;
        strOut.append(buffer, static_cast<std::size_t>(nRead));
    }
    return strOut;
}

// The exit status, or minus the signal that ended the child; 999 if it does not end in time.
int WaitChild(const SChild& child, int nTimeoutMs = 20000)
{
    for (int nWaited = 0; nWaited < nTimeoutMs; nWaited += 10)
    {
        int nStatus = 0;
        if (waitpid(child.m_nPid, &nStatus, WNOHANG) == child.m_nPid)
        {
            close(child.m_nOut);
            return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -WTERMSIG(nStatus);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(child.m_nPid, SIGKILL);
    waitpid(child.m_nPid, nullptr, 0);
    close(child.m_nOut);
    return 999;
}

TEST_F(CKeptConsoleTest, AKilledOrTerminatedProgramKeepsTheLastEnter)
{
    m_pDlg.reset();
    const std::tuple<const char*, int, int, int, const char*, const char*> rows[] = {
        // how it ends: the signal, the wait after the Enter, the status it ends with; then
        // the expression and its result
        {"SIGKILL seconds after the Enter", SIGKILL, 3500, -SIGKILL, "6*7", "42"},
        {"SIGTERM at once", SIGTERM, 0, 0, "6*8", "48"},
    };
    for (const auto& [pszRow, nSignal, nWaitMs, nStatus, pszExpression, pszResult] : rows)
    {
        const SChild typing = StartChild({"type", pszExpression});
        ASSERT_NE(ReadChild(typing, "typed\n").find("typed"), std::string::npos) << pszRow;
        std::this_thread::sleep_for(std::chrono::milliseconds(nWaitMs));
        kill(typing.m_nPid, nSignal);
        EXPECT_EQ(WaitChild(typing), nStatus) << pszRow;

        const SChild showing = StartChild({"show"});
        const std::string strShown = ReadChild(showing, "");
        EXPECT_EQ(WaitChild(showing), 0);
        const std::string strEnter = std::string("?") + pszExpression + "\r\n" + pszResult;
        EXPECT_TRUE(strShown.ends_with(strEnter + "\r\n" + kStartText)) << pszRow << ":\n"
                                                                         << strShown;
    }
}

} // namespace
