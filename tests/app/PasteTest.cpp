// A paste runs with the window answering: its conversion on a thread of its own, its text in
// portions, one undo step. Tests hold it at either step, as a paste of many megabytes would
// take its time there, and act meanwhile.
#include "WindowFixture.h"

#include <QClipboard>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMimeData>
#include <QTextCursor>
#include <QUrl>

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
        const auto Shows = [&](const QLabel* pNote)
        { return pNote->isVisible() && pNote->text().startsWith(strStart); };
        return std::any_of(arrNotes.begin(), arrNotes.end(), Shows);
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
    std::string strExpected = kStartText + "1+"; // not at the empty prompt: inserted
    for (int nLine = 0; nLine < 40000; ++nLine)
    {
        strLines += QStringLiteral("0x10 /* see below\n");
        strExpected += "$10 /* see below\r\n";
    }
    QApplication::clipboard()->setText(strLines);
    int nPortions = 0;
    Paste().m_pace.fnMayInsert = [&] { return ++nPortions > 0; };
    Type("1+");
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

const char* const kBlock = "/* UART0 */\ntypedef unsigned u32;\n"
                           "#define UART0_BASE 0x40000000\n#define UART0_CR (UART0_BASE + 0x30)\n"
                           "#define UART_EN (1u << 0)\nUART0_CR | UART_EN\n";
const std::string kBlockEntered = "/* UART0 */\r\ntypedef unsigned u32;\r\n"
                                  "#define UART0_BASE 0x40000000\r\n?$40000000\r\n1073741824\r\n"
                                  "#define UART0_CR (UART0_BASE + 0x30)\r\n?(1073741824 + $30)\r\n"
                                  "1073741872\r\n#define UART_EN (1u << 0)\r\n?(1 << 0)\r\n1\r\n"
                                  "UART0_CR | UART_EN\r\n?1073741872 | 1\r\n1073741873\r\n?";

// Lines pasted at the empty last prompt are entered, in portions, each value with its '?' line
// and result, in either edit mode; one Ctrl+Z takes the block back, and Escape while it goes
// in. Anywhere else they are inserted, translated with the names the block taught.
TEST_F(CPasteTest, ABlockPastedAtTheEmptyPromptIsEnteredAndTakenBackWhole)
{
    const std::string strStart = kStartText.substr(0, kStartText.size() - 1);
    QApplication::clipboard()->setText(QString::fromLatin1(kBlock));
    for (const EControlId nMode : {kIdScroll, kIdOverwrite})
    {
        OpenWindow();
        Item<QAbstractButton>(nMode)->click();
        Console()->setFocus();
        Paste().m_pace.nBlockLines = 1;
        Keys("Ctrl+V");
        ASSERT_TRUE(PasteDone());
        EXPECT_EQ(ConsoleText(), strStart + kBlockEntered) << nMode;
        EXPECT_EQ(Caret(), static_cast<int>(ConsoleText().size())) << nMode;
        EXPECT_EQ(Panel()->Line(2), "1073741873") << nMode;
        Keys("Ctrl+Z");
        EXPECT_EQ(ConsoleText(), kStartText) << nMode;
    }

    int nPortions = 0;
    Paste().m_pace.fnMayInsert = [&] { return ++nPortions <= 2; };
    Keys("Ctrl+V");
    ASSERT_TRUE(QTest::qWaitFor([&] { return nPortions > 2; }));
    EXPECT_NE(ConsoleText(), kStartText);
    Keys("Escape");
    EXPECT_EQ(ConsoleText(), kStartText);
    EXPECT_FALSE(Paste().IsRunning() || Paste().IsPartlyIn());

    Paste().m_pace.fnMayInsert = {};
    Keys("Ctrl+V");
    ASSERT_TRUE(PasteDone());
    Type("(");
    Keys("Ctrl+V");
    ASSERT_TRUE(PasteDone());
    EXPECT_TRUE(ConsoleText().ends_with("?(/* UART0 */\r\ntypedef unsigned u32;\r\n"
                                        "$40000000\r\n(1073741824 + $30)\r\n(1 << 0)\r\n"
                                        "1073741872 | 1\r\n"))
        << ConsoleText();
}

// The names a paste teaches are there at the next start, with where they came from, until
// "Forget C names"; a header dropped on the console teaches its names too.
TEST_F(CPasteTest, NamesLearnedStayUntilForgottenAndHeadersTeachTheirs)
{
    QApplication::clipboard()->setText(QString::fromLatin1(kBlock));
    Keys("Ctrl+V");
    ASSERT_TRUE(PasteDone());
    OpenWindow();
    QApplication::clipboard()->setText(QStringLiteral("UART0_CR | UART_EN"));
    Keys("Ctrl+V");
    ASSERT_TRUE(PasteDone());
    EXPECT_TRUE(ConsoleText().ends_with("?1073741872 | 1")) << ConsoleText();
    EXPECT_TRUE(NoteShown(QStringLiteral("UART0_CR: pasted; UART_EN: pasted.")));

    EXPECT_TRUE(UseContextMenu(Console()->viewport(), QStringLiteral("Forget C names"))
                    .contains(QStringLiteral("Read C header\u2026")));
    OpenWindow();
    Keys("Ctrl+V");
    ASSERT_TRUE(PasteDone());
    EXPECT_TRUE(NoteShown(QStringLiteral("C's value is unknown")));

    const QString strHeader = m_configDir.filePath(QStringLiteral("board.h"));
    const auto Drop = [this](const QString& strPath)
    {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(strPath)});
        const QPoint point = Console()->viewport()->rect().center();
        QDragEnterEvent enter(point, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(Console()->viewport(), &enter);
        QDropEvent drop(point, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(Console()->viewport(), &drop);
    };
    Drop(strHeader);
    EXPECT_TRUE(QTest::qWaitFor([&] { return NoteShown(QStringLiteral("Cannot read ")); }));
    QFile file(strHeader);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#define UART0_CR 0x40\n#define UART_EN 2\n");
    file.close();
    const std::string strBefore = ConsoleText();
    Drop(strHeader);
    EXPECT_TRUE(QTest::qWaitFor([&] { return NoteShown(QStringLiteral("Read ")); }));
    EXPECT_EQ(ConsoleText(), strBefore) << "a header goes in as names, not as text";
    Keys("Ctrl+V");
    ASSERT_TRUE(PasteDone());
    EXPECT_TRUE(ConsoleText().ends_with("64 | 2")) << ConsoleText();
    EXPECT_TRUE(NoteShown(QStringLiteral("UART0_CR: ") + strHeader));
}

// The note after a paste, line or block: C's value that the cast cannot give, a value that is
// unknown and what it needs, and C's reading where the text as typed would give another.
TEST_F(CPasteTest, ThePastesNoteSaysWhereCDiffersOrIsUnknown)
{
    const std::tuple<const char*, std::string, const char*> rows[] = {
        // pasted, the console's end after it, the note's start
        {"2<10", "?1", "Read as C: 2<10 is a comparison, 1 (int). As typed, `<` is a power: 1024."},
        {"4|2&1", "?4|(2&1)", "Read as C: 4|2&1 is 4 (int). As typed: 0."},
        {"1 << 31", "?1 << 31", "C leaves 1 << 31 undefined: the result does not fit in int."},
        {"sizeof(struct v4l2_tuner)", "?sizeof(struct v4l2_tuner)", "C's value is unknown: "},
        {"#define N 1\nN << 31", "#define N 1\r\n?1\r\n1\r\nN << 31\r\n?1 << 31\r\n",
         "Line 2: C leaves 1 << 31 undefined"},
    };
    for (const auto& [pszPasted, strEnd, pszNote] : rows)
    {
        OpenWindow();
        QApplication::clipboard()->setText(QString::fromLatin1(pszPasted));
        Keys("Ctrl+V");
        ASSERT_TRUE(PasteDone());
        EXPECT_NE(ConsoleText().find(strEnd, kStartText.size() - 1), std::string::npos)
            << ConsoleText();
        EXPECT_TRUE(NoteShown(QString::fromLatin1(pszNote))) << pszPasted;
    }
}

// F5 puts the translation of the caret's '?' line in its place, one Ctrl+Z from the typed text;
// a syntax error on a line that reads as C says so beside the caret.
TEST_F(CPasteTest, F5TranslatesTheTypedLineAndASyntaxErrorTellsOfIt)
{
    Type("(10000+4095)&~4095");
    Keys("F5");
    EXPECT_TRUE(ConsoleText().ends_with("?(10000+4095)&(~4095)")) << ConsoleText();
    Keys("Ctrl+Z");
    EXPECT_TRUE(ConsoleText().ends_with("?(10000+4095)&~4095")) << ConsoleText();
    Keys("Return");
    EXPECT_TRUE(ConsoleText().ends_with("Syntax not allowed.\r\n?")) << ConsoleText();
    EXPECT_TRUE(NoteShown(QStringLiteral("As C: 12288 (int). F5 translates the line.")));
    Keys("Up, Up, Up");
    Keys("F5, Return");
    EXPECT_EQ(Panel()->Line(2), "12288");
    Keys("Ctrl+End");
    Type("1+)");
    Keys("Return");
    EXPECT_TRUE(ConsoleText().ends_with("Syntax not allowed.\r\n?")) << ConsoleText();
    EXPECT_FALSE(NoteShown(QStringLiteral("As C"))) << "no C there either";
}

// At the foot of a full console the note goes above the caret, beside the error's message
// rather than over it.
TEST_F(CPasteTest, TheNoteAfterASyntaxErrorHidesNoneOfItsMessage)
{
    while (Console()->cursorRect().bottom() + 3 * Console()->cursorRect().height() <
           Console()->viewport()->height())
    {
        Type("1");
        Keys("Return");
    }
    Type("(10000+4095)&~4095");
    Keys("Return");
    ASSERT_TRUE(NoteShown(QStringLiteral("As C")));
    QTextCursor message = Console()->textCursor();
    message.movePosition(QTextCursor::PreviousBlock);
    const QRect messageStart = Console()->cursorRect(message);
    message.movePosition(QTextCursor::EndOfBlock);
    const QRect messageText(messageStart.topLeft(), Console()->cursorRect(message).bottomRight());
    for (const QLabel* pNote : Console()->viewport()->findChildren<QLabel*>())
        if (pNote->isVisible())
        {
            EXPECT_LT(pNote->geometry().bottom(), Console()->cursorRect().top()) << "above";
            EXPECT_FALSE(pNote->geometry().intersects(messageText));
        }
}

} // namespace
