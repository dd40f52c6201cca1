// A paste runs with the window answering: its conversion on a thread of its own, its text in
// portions, one undo step. Tests hold it at either step, as a paste of many megabytes would
// take its time there, and act meanwhile.
#include "WindowFixture.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>

#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <string>
#include <tuple>

namespace
{

const std::string kConverted = "$FF & (1 << 4)"; // of the clipboard's 0xFF & (1 << 4)

class CPasteTest : public CWindowTest
{
protected:
    void TearDown() override { m_pDlg.reset(); } // before the gate its conversion may wait at

    CConsolePaste& Paste() const { return Console()->Paste(); }
    // Each conversion from now on waits on its thread until Open, or until the paste stops.
    void HoldConversions()
    {
        m_bOpen = false;
        Paste().m_pace.fnBeforeConversion = [this](std::stop_token stop)
        {
            std::unique_lock lock(m_mutex);
            m_opened.wait(lock, stop, [this] { return m_bOpen; });
        };
    }
    void Open()
    {
        const std::lock_guard lock(m_mutex);
        m_bOpen = true;
        m_opened.notify_all();
    }
    bool NoteShown(const QString& strStart) const
    {
        const auto arrNotes = Console()->viewport()->findChildren<QLabel*>();
        return std::any_of(arrNotes.begin(), arrNotes.end(),
                           [&](const QLabel* pNote)
                           { return pNote->isVisible() && pNote->text().startsWith(strStart); });
    }

    std::mutex m_mutex;
    std::condition_variable_any m_opened;
    bool m_bOpen = false;
};

// Keys typed while a paste is converted are held, and typed after it in order, wherever they
// would have gone: the console, the dialog's mnemonics, Enter, Ctrl+Z and Ctrl+V alike;
// Escape takes the paste. Clicks do nothing meanwhile, and "Pasting..." shows.
TEST_F(CPasteTest, KeysTypedDuringAPasteAreHeldAndTypedAfterIt)
{
    const std::tuple<const char*, const char*, const char*, std::string> rows[] = {
        // typed before the paste, typed during it, then keys during it, the console's end
        {"1+", "2", "", "?1+" + kConverted + "2"},
        {"1+", "", "Ctrl+Z", "?1+"},
        {"", "", "Ctrl+V", "?" + kConverted + kConverted},
        {"", "|$300", "Alt+8, Return", "?" + kConverted + "|$300\r\n16\r\n?"}, // 784 uncast
        {"1+", "2", "Escape", "?1+2"},
    };
    QApplication::clipboard()->setText(QStringLiteral("0xFF & (1 << 4)"));
    for (const auto& [pszBefore, pszTyped, pszKeys, strAfter] : rows)
    {
        OpenWindow();
        HoldConversions();
        Type(pszBefore);
        const std::string strBefore = ConsoleText();
        Keys("Ctrl+V");
        Type(pszTyped);
        QTest::mouseClick(m_pDlg->windowHandle(), Qt::LeftButton, {},
                          Item(kIdCast16)->mapTo(m_pDlg.get(), QPoint(4, 4)));
        EXPECT_EQ(ConsoleText(), strBefore) << pszKeys << ": nothing changes meanwhile";
        Keys(pszKeys);
        Open();
        ASSERT_TRUE(PasteDone()) << pszKeys;
        EXPECT_EQ(ConsoleText(), kStartText.substr(0, kStartText.size() - 1) + strAfter) << pszKeys;
        EXPECT_FALSE(Checked(kIdCast16)) << pszKeys;
        EXPECT_TRUE(m_pDlg->isVisible()) << pszKeys << ": Escape takes the paste, not the window";
    }

    HoldConversions(); // an input method's text too; the notice comes after "Pasting..."
    QApplication::clipboard()->setText(QStringLiteral("1 << 31"));
    Keys("Ctrl+V");
    QInputMethodEvent input;
    input.setCommitString(QStringLiteral("\u00E9"));
    QApplication::sendEvent(Console(), &input);
    EXPECT_TRUE(QTest::qWaitFor([this] { return NoteShown(QStringLiteral("Pasting")); }));
    Open();
    ASSERT_TRUE(PasteDone());
    EXPECT_FALSE(NoteShown(QStringLiteral("Pasting")));
    EXPECT_TRUE(ConsoleText().ends_with("?1+21 << 31\xE9")) << ConsoleText();
    EXPECT_TRUE(NoteShown(QStringLiteral("C leaves 1 << 31 undefined")));
}

// 40,000 lines go in over many turns, with the key typed meanwhile after them. A paste in
// portions is one undo step, and Escape between portions takes back what is in, for good.
TEST_F(CPasteTest, APasteGoesInInPortionsAsOneUndoStepThatEscapeTakesBack)
{
    QString strLines;
    std::string strExpected = kStartText;
    for (int nLine = 0; nLine < 40000; ++nLine)
    {
        strLines += QStringLiteral("0x10 /* see below\n");
        strExpected += "$10 /* see below\r\n";
    }
    QApplication::clipboard()->setText(strLines);
    int nPortions = 0;
    Paste().m_pace.fnMayInsert = [&] { return ++nPortions > 0; };
    Keys("Ctrl+V");
    Type("x");
    ASSERT_TRUE(PasteDone());
    EXPECT_GT(nPortions, 1);
    EXPECT_EQ(ConsoleText(), strExpected + "x");

    const std::tuple<int, const char*, std::string> rows[] = {
        // portions let in, the keys then, the pasted text until those keys
        {4, "Ctrl+Z", "$1\r\n$2\r\n$3\r\n$4"},
        {2, "Escape, Ctrl+Shift+Z, Ctrl+Y", "$1\r\n$2\r\n"},
    };
    for (const auto& [nLetIn, pszKeys, strPasted] : rows)
    {
        OpenWindow();
        QApplication::clipboard()->setText(QStringLiteral("0x1\n0x2\n0x3\n0x4"));
        Paste().m_pace.nPortionLines = 1;
        nPortions = 0;
        Paste().m_pace.fnMayInsert = [&, nMost = nLetIn] { return ++nPortions <= nMost; };
        Type("1+");
        const std::string strBefore = ConsoleText();
        Keys("Ctrl+V");
        ASSERT_TRUE(QTest::qWaitFor([&] { return nPortions >= nLetIn; }));
        ASSERT_TRUE(QTest::qWaitFor([&] { return ConsoleText() == strBefore + strPasted; }));
        Keys(pszKeys);
        EXPECT_FALSE(Paste().IsRunning() || Paste().IsPartlyIn()) << pszKeys;
        EXPECT_EQ(ConsoleText(), strBefore) << pszKeys;
        EXPECT_EQ(Caret(), static_cast<int>(strBefore.size())) << pszKeys;
        EXPECT_TRUE(m_pDlg->isVisible()) << pszKeys;
    }
}

} // namespace
