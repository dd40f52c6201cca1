// The result panel's bits under the mouse and the keys: clicks flip a bit into a new line,
// drags select a field, hovering names bits and the decimal line's IEEE-754 bits.
#include "WindowFixture.h"

#include <QAccessible>
#include <QClipboard>
#include <QTextBlock>
#include <QToolTip>

#include <string>
#include <utility>
#include <vector>

namespace
{

class CPanelTest : public CWindowTest
{
protected:
    QWidget* Viewport() const { return Panel()->viewport(); }
    // The middle of character nColumn of panel line nLine, in the viewport.
    QPoint CharPoint(int nLine, int nColumn) const
    {
        const QTextBlock block = Panel()->document()->findBlockByNumber(nLine);
        QTextCursor cursor(block);
        cursor.setPosition(block.position() + nColumn);
        const QRect rectBefore = Panel()->cursorRect(cursor);
        cursor.setPosition(block.position() + nColumn + 1);
        return QPoint((rectBefore.left() + Panel()->cursorRect(cursor).left()) / 2,
                      rectBefore.center().y());
    }
    // The mouse over the viewport with no button held (QTest would only move the cursor).
    void Hover(const QPoint& pt) const
    {
        QMouseEvent event(QEvent::MouseMove, pt, Viewport()->mapToGlobal(pt), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Viewport(), &event);
    }
    // A press on one binary digit, moves over others, the release on the last.
    void Drag(const std::vector<int>& arrColumns) const
    {
        QTest::mousePress(Viewport(), Qt::LeftButton, {}, CharPoint(0, arrColumns.front()));
        for (const int nColumn : arrColumns)
            QTest::mouseMove(Viewport(), CharPoint(0, nColumn));
        QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, CharPoint(0, arrColumns.back()));
    }
    std::string Description() const
    {
        return QAccessible::queryAccessibleInterface(Panel())
            ->text(QAccessible::Description)
            .toStdString();
    }
};

// Each row in a new window: keys, an expression evaluated, a click on a column of the binary
// line; then the console's text after the result, and the decimal line.
TEST_F(CPanelTest, AClickOnADigitFlipsItsBitIntoANewLineEvaluatedAsEnterWould)
{
    const struct
    {
        const char* m_pszKeys;
        const char* m_pszTyped;
        int m_nColumn;
        std::string m_strAdded;   // after the typed line's result and the '?' it fills
        const char* m_pszDecimal; // the panel's line afterwards
    } rows[] = {
        {"", "$C0DE0042\r", 56, "$C0DE00C2\r\n3235774658\r\n?", "3235774658"},
        // a first run has UNSIGNED checked
        {"Alt+8", "127\r", 0, "$FF\r\n255\r\n?", "255"},
        {"Alt+8, Alt+U", "127\r", 0, "$FF\r\n-1\r\n?", "-1"},
        {"Alt+8, Alt+U", "-1\r", 7, "$FE\r\n-2\r\n?", "-2"},
        {"Alt+3, Alt+U, Alt+H", "0\r", 0, "$80000000\r\n$80000000\r\n?", "-2147483648"},
        {"Alt+1", "0\r", 0, "$8000\r\n32768\r\n?", "32768"},
        {"", "-1\r", 63, "-$2\r\n-2\r\n?", "-2"},
        {"", "0\r", 0, "-$8000000000000000\r\n-9223372036854775808\r\n?",
         "-9223372036854775808"},
        {"", "-1\r", 0, "", "-1"}, // bit 63 of -1: 2^63 - 1 needs 63 bits, a double has 53
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(std::string(row.m_pszKeys) + " " + row.m_pszTyped + " column " +
                     std::to_string(row.m_nColumn));
        OpenWindow();
        Keys(row.m_pszKeys);
        Type(row.m_pszTyped);
        const std::string strBefore = ConsoleText();
        QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CharPoint(0, row.m_nColumn));
        EXPECT_EQ(ConsoleText(), row.m_strAdded.empty() ? strBefore : strBefore + row.m_strAdded);
        EXPECT_EQ(m_pDlg->GetPanelLine(2), row.m_pszDecimal);
        if (row.m_strAdded.empty())
        {
            EXPECT_EQ(Panel()->Detail().toStdString(),
                      "not flipped: $7FFFFFFFFFFFFFFF = 9223372036854775807 needs 63 significant "
                      "bits; a double holds 53");
            EXPECT_EQ(QToolTip::text(), Panel()->Detail());
            continue;
        }
        // As after Enter: the console has the focus, the caret behind the new prompt, and F3
        // brings the new line's expression.
        EXPECT_EQ(QApplication::focusWidget(), Console());
        EXPECT_EQ(Caret(), static_cast<int>(ConsoleText().size()));
        Keys("F3");
        EXPECT_EQ(ConsoleText(), strBefore + row.m_strAdded +
                                     row.m_strAdded.substr(0, row.m_strAdded.find('\r')));
    }
}

// A drag across digits selects a field and flips nothing, whichever way it goes and wherever
// the mouse strays; the menu copies the field or enters it.
TEST_F(CPanelTest, ADragSelectsAFieldThatTheMenuCopiesOrInserts)
{
    const std::pair<std::vector<int>, std::string> rows[] = {
        {{40, 44, 47}, "bits 23..16 = $DE = 222"},
        {{47, 42, 40}, "bits 23..16 = $DE = 222"},
        {{63, 62}, "bits 1..0 = $2 = 2"},
        {{0, 30, 63}, "bits 63..0 = $C0DE0042 = 3235774530"},
    };
    for (const auto& [arrColumns, strField] : rows)
    {
        SCOPED_TRACE(strField);
        OpenWindow();
        Type("$C0DE0042\r");
        const std::string strBefore = ConsoleText();
        Drag(arrColumns);
        EXPECT_EQ(ConsoleText(), strBefore) << "a drag flipped a bit";
        EXPECT_EQ(Panel()->Detail().toStdString(), strField);
        EXPECT_EQ(Description(), "Binary: " + m_pDlg->GetPanelLine(0) +
                                     "\nHexadecimal: C0DE0042\nDecimal: 3235774530\n" + strField);
        const std::string strHex = strField.substr(strField.find('$') + 1,
                                                   strField.rfind(" = ") - strField.find('$') - 1);
        const std::pair<const char*, std::string> copies[] = {
            {"Copy field as 0x\u2026", "0x" + strHex},
            {"Copy field as decimal", strField.substr(strField.rfind(' ') + 1)},
        };
        for (const auto& [pszItem, strCopied] : copies)
        {
            QApplication::clipboard()->clear();
            UseContextMenu(Viewport(), QString::fromUtf8(pszItem));
            EXPECT_EQ(QApplication::clipboard()->text().toStdString(), strCopied) << pszItem;
        }
        UseContextMenu(Viewport(), QStringLiteral("Insert field"));
        EXPECT_EQ(ConsoleText(), strBefore + "$" + strHex + "\r\n" +
                                     strField.substr(strField.rfind(' ') + 1) + "\r\n?");
    }

    // A press on a digit with the mouse then off the line still selects by the columns; a
    // drag that starts off the digits selects text as ever, and flips nothing.
    OpenWindow();
    Type("$C0DE0042\r");
    const std::string strBefore = ConsoleText();
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, CharPoint(0, 60));
    const QPoint ptBelow(CharPoint(0, 63).x() + 10, CharPoint(2, 0).y() + 10);
    QTest::mouseMove(Viewport(), ptBelow);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, ptBelow);
    EXPECT_EQ(Panel()->Detail().toStdString(), "bits 3..0 = $2 = 2");
    const QPoint ptFrom = CharPoint(1, 7) + QPoint(2, 0); // the hexadecimal line's end
    const QPoint ptTo = CharPoint(1, 4) - QPoint(2, 0);
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, ptFrom);
    QTest::mouseMove(Viewport(), ptTo);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, ptTo);
    EXPECT_EQ(Panel()->textCursor().selectedText(), QStringLiteral("0042"));
    EXPECT_FALSE(Panel()->Field());
    EXPECT_EQ(ConsoleText(), strBefore);
}

TEST_F(CPanelTest, HoveringNamesTheDigitsBitOrTheDecimalLinesIeee754Bits)
{
    Type("$C0DE0042\r");
    const std::string strLines = Description();
    const std::pair<int, const char*> bits[] = {{56, "bit 7 = 0"}, {57, "bit 6 = 1"},
                                                {0, "bit 63 = 0"}, {63, "bit 0 = 0"}};
    for (const auto& [nColumn, pszText] : bits)
    {
        Hover(CharPoint(0, nColumn));
        EXPECT_EQ(Panel()->Detail().toStdString(), pszText);
        EXPECT_EQ(Description(), strLines + "\n" + pszText);
        // Only the digit under the mouse is marked.
        const QList<QTextEdit::ExtraSelection> arrMarked = Panel()->extraSelections();
        ASSERT_EQ(arrMarked.size(), 1);
        EXPECT_EQ(arrMarked[0].cursor.selectionStart(), nColumn);
        EXPECT_EQ(arrMarked[0].cursor.selectionEnd(), nColumn + 1);
    }
    // Off the digits, and after the mouse has left, nothing is named or marked.
    Hover(CharPoint(0, 0) - QPoint(20, 0));
    EXPECT_EQ(Panel()->Detail(), QString());
    EXPECT_EQ(Description(), strLines);
    Hover(CharPoint(0, 5));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Viewport(), &leave);
    EXPECT_TRUE(Panel()->extraSelections().isEmpty());

    // The decimal line: the double r holds, the nearest float, and the menu copies both.
    const std::string strIeee =
        "double 0x3FB999999999999A: sign 0, exponent 0x3FB = 2^-4, fraction 0x999999999999A\n"
        "float 0x3DCCCCCD (rounded)";
    Type("0.1\r");
    const QPoint ptDecimal = CharPoint(2, 1);
    Hover(ptDecimal);
    EXPECT_EQ(Panel()->Detail().toStdString(), strIeee);
    QHelpEvent help(QEvent::ToolTip, ptDecimal, Viewport()->mapToGlobal(ptDecimal));
    QApplication::sendEvent(Viewport(), &help);
    EXPECT_EQ(QToolTip::text().toStdString(), strIeee);
    const std::pair<const char*, const char*> copies[] = {
        {"Copy as IEEE-754 double (0x\u2026)", "0x3FB999999999999A"},
        {"Copy as IEEE-754 float (0x\u2026)", "0x3DCCCCCD"},
    };
    for (const auto& [pszItem, pszCopied] : copies)
    {
        QApplication::clipboard()->clear();
        const QStringList arrItems = UseContextMenu(Viewport(), QString::fromUtf8(pszItem));
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), pszCopied) << pszItem;
        EXPECT_TRUE(arrItems.contains(QStringLiteral("Copy as 0x\u2026")))
            << "the line copies stay: " << arrItems.join(", ").toStdString();
    }
    EXPECT_EQ(m_pDlg->GetPanelLine(2), "0.1") << "the panel's lines are as they were";
}

// The panel is reached as before, by a click or by the arrows from the output choices; then
// Space flips the bit at its text cursor and keeps the focus there, Shift and the arrows
// select a field, and a screen reader hears both.
TEST_F(CPanelTest, KeysFlipTheBitAtTheCursorAndSelectAField)
{
    Type("$C0DE0042\r");
    const std::string strStart = ConsoleText();
    Item(kIdOutputBin)->setFocus();
    Keys("Left");
    ASSERT_EQ(QApplication::focusWidget(), Panel());
    Keys("End, Space"); // at the line's end: its last digit
    EXPECT_EQ(ConsoleText(), strStart + "$C0DE0043\r\n3235774531\r\n?");
    EXPECT_EQ(QApplication::focusWidget(), Panel());
    Keys("Left, Left, Left, Left"); // a key sequence holds four keys
    Keys("Left, Left, Left");
    EXPECT_EQ(Panel()->Detail().toStdString(), "bit 7 = 0");
    Keys("Space");
    EXPECT_EQ(ConsoleText(), strStart + "$C0DE0043\r\n3235774531\r\n?$C0DE00C3\r\n3235774659\r\n?");
    Keys("Shift+Right, Shift+Right, Shift+Right, Shift+Right");
    EXPECT_EQ(Panel()->Detail().toStdString(), "bits 7..4 = $C = 12");
    EXPECT_NE(Description().find("\nbits 7..4 = $C = 12"), std::string::npos);
    Keys("Down, Down, Space"); // on the decimal line Space flips nothing
    EXPECT_EQ(Panel()->Detail().toStdString().substr(0, 25), "double 0x41E81BC018600000");
    EXPECT_EQ(ConsoleText(), strStart + "$C0DE0043\r\n3235774531\r\n?$C0DE00C3\r\n3235774659\r\n?");
    Keys("Return"); // Enter is the console's, as ever
    EXPECT_EQ(ConsoleText(), strStart + "$C0DE0043\r\n3235774531\r\n?$C0DE00C3\r\n3235774659\r\n?"
                                        "\r\n0\r\n?");
}

} // namespace
