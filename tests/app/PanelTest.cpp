// The result panel's bits under the mouse and the keys: a click flips a bit into a new line,
// a drag selects a field, hovering names a bit and the decimal line's IEEE-754 bits.
#include "WindowFixture.h"

#include <QAccessible>
#include <QClipboard>
#include <QTextBlock>
#include <QToolTip>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <tuple>
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
    // The mouse over the viewport with no button held, or a press, moves and a release.
    void Hover(const QPoint& pt) const
    {
        QMouseEvent event(QEvent::MouseMove, pt, Viewport()->mapToGlobal(pt), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Viewport(), &event);
    }
    void Drag(const std::vector<QPoint>& arrPoints) const
    {
        QTest::mousePress(Viewport(), Qt::LeftButton, {}, arrPoints.front());
        for (const QPoint& pt : arrPoints)
            QTest::mouseMove(Viewport(), pt);
        QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, arrPoints.back());
    }
    // The binary line's column whose character holds pt of the viewport, -1 for none; from
    // the characters' cursor rectangles.
    int ColumnAt(const QPoint& pt) const
    {
        const QTextBlock block = Panel()->document()->firstBlock();
        for (int nColumn = 0; nColumn < block.length() - 1; ++nColumn)
        {
            QTextCursor cursor(block);
            cursor.setPosition(block.position() + nColumn);
            const QRect rectBefore = Panel()->cursorRect(cursor);
            cursor.setPosition(block.position() + nColumn + 1);
            const QRect rectChar(
                rectBefore.topLeft(),
                QPoint(Panel()->cursorRect(cursor).left() - 1, rectBefore.bottom()));
            if (rectChar.contains(pt)) return nColumn;
        }
        return -1;
    }
    int Marked() const
    {
        const QList<QTextEdit::ExtraSelection> arrMarked = Panel()->extraSelections();
        return arrMarked.isEmpty() ? -1 : arrMarked[0].cursor.selectionStart();
    }
    std::string Copied(const char* pszItem) const
    {
        QApplication::clipboard()->clear();
        UseContextMenu(Viewport(), QString::fromUtf8(pszItem));
        return QApplication::clipboard()->text().toStdString();
    }
};

// Each row in a new window (a first run: UNSIGNED checked): keys, an expression evaluated, a
// click on a column of the binary line; the console's text after the result it wrote.
TEST_F(CPanelTest, AClickOnADigitFlipsItsBitIntoANewLineEvaluatedAsEnterWould)
{
    const std::tuple<const char*, const char*, int, std::string> rows[] = {
        {"", "$C0DE0042\r", 56, "$C0DE00C2\r\n3235774658\r\n?"},
        {"Alt+8", "127\r", 0, "$FF\r\n255\r\n?"},
        {"Alt+8, Alt+U", "127\r", 0, "$FF\r\n-1\r\n?"},
        {"Alt+3, Alt+U, Alt+H", "0\r", 0, "$80000000\r\n$80000000\r\n?"},
        {"", "-1\r", 63, "-$2\r\n-2\r\n?"},
        {"", "0\r", 0, "-$8000000000000000\r\n-9223372036854775808\r\n?"},
        {"", "-1\r", 0, ""}, // 2^63 - 1 needs 63 bits
    };
    for (const auto& [pszKeys, pszTyped, nColumn, strAdded] : rows)
    {
        SCOPED_TRACE(std::string(pszKeys) + " " + pszTyped + std::to_string(nColumn));
        OpenWindow();
        Keys(pszKeys);
        Type(pszTyped);
        const std::string strBefore = ConsoleText();
        QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CharPoint(0, nColumn));
        EXPECT_EQ(ConsoleText(), strBefore + strAdded);
        if (strAdded.empty())
        {
            EXPECT_EQ(Panel()->Detail().toStdString(),
                      "not flipped: $7FFFFFFFFFFFFFFF = 9223372036854775807 needs 63 "
                      "significant bits; a double holds 53");
            EXPECT_EQ(QToolTip::text(), Panel()->Detail());
            continue;
        }
        // As after Enter: the console's caret behind the new prompt, F3 the new line.
        EXPECT_EQ(QApplication::focusWidget(), Console());
        Keys("F3");
        EXPECT_EQ(ConsoleText(), strBefore + strAdded + strAdded.substr(0, strAdded.find('\r')));
    }
}

// Whichever way a drag goes and wherever the mouse strays, it flips nothing and selects the
// digits it passed; the menu copies the field or enters it, and a drag that starts off the
// digits selects text as ever.
TEST_F(CPanelTest, ADragSelectsAFieldThatTheMenuCopiesOrInserts)
{
    Type("$C0DE0042\r");
    const std::string strBefore = ConsoleText();
    const QPoint ptBelow(CharPoint(0, 63).x() + 10, CharPoint(2, 0).y() + 10);
    const std::pair<std::vector<QPoint>, const char*> rows[] = {
        {{CharPoint(0, 40), CharPoint(0, 44), CharPoint(0, 47)},
         "bits 23..16 = $DE = 222 (signed -34)"},
        {{CharPoint(0, 47), CharPoint(0, 40)}, "bits 23..16 = $DE = 222 (signed -34)"},
        {{CharPoint(0, 63), CharPoint(0, 62)}, "bits 1..0 = $2 = 2 (signed -2)"},
        {{CharPoint(0, 60), ptBelow}, "bits 3..0 = $2 = 2"},
    };
    for (const auto& [arrPoints, pszField] : rows)
    {
        Drag(arrPoints);
        EXPECT_EQ(ConsoleText(), strBefore) << "a drag flipped a bit";
        EXPECT_EQ(Panel()->Detail().toStdString(), pszField);
        const std::string strAccessible = QAccessible::queryAccessibleInterface(Panel())
                                              ->text(QAccessible::Description)
                                              .toStdString();
        EXPECT_EQ(strAccessible.substr(strAccessible.rfind('\n') + 1), pszField);
    }
    Drag({CharPoint(1, 7) + QPoint(2, 0), CharPoint(1, 4) - QPoint(2, 0)});
    EXPECT_EQ(Panel()->textCursor().selectedText(), QStringLiteral("0042"));
    EXPECT_FALSE(Panel()->Field());
    EXPECT_EQ(Copied("Copy field as 0x\u2026"), "") << "no field";

    Drag({CharPoint(0, 40), CharPoint(0, 47)});
    EXPECT_EQ(Copied("Copy field as 0x\u2026"), "0xDE");
    EXPECT_EQ(Copied("Copy field as decimal"), "222");
    UseContextMenu(Viewport(), QStringLiteral("Insert field"));
    EXPECT_EQ(ConsoleText(), strBefore + "$DE\r\n222\r\n?");

    // A field read as two's complement: twelve bits of $F9C are -100.
    Type("$F9C\r");
    const std::string strF9C = ConsoleText();
    Drag({CharPoint(0, 52), CharPoint(0, 63)});
    EXPECT_EQ(Panel()->Detail().toStdString(), "bits 11..0 = $F9C = 3996 (signed -100)");
    UseContextMenu(Viewport(), QStringLiteral("Insert field as signed"));
    EXPECT_EQ(ConsoleText(), strF9C + "-$64\r\n-100\r\n?");
}

TEST_F(CPanelTest, HoveringNamesTheDigitsBitOrTheDecimalLinesIeee754Bits)
{
    Type("$C0DE0042\r");
    for (const auto& [nColumn, pszText] :
         {std::pair{56, "bit 7 = 0"}, {57, "bit 6 = 1"}, {0, "bit 63 = 0"}, {63, "bit 0 = 0"}})
    {
        Hover(CharPoint(0, nColumn));
        EXPECT_EQ(Panel()->Detail().toStdString(), pszText);
        // Only the digit under the mouse is marked.
        const QList<QTextEdit::ExtraSelection> arrMarked = Panel()->extraSelections();
        ASSERT_EQ(arrMarked.size(), 1);
        EXPECT_EQ(arrMarked[0].cursor.selectionStart(), nColumn);
        EXPECT_EQ(arrMarked[0].cursor.selectionEnd(), nColumn + 1);
    }
    Hover(CharPoint(0, 0) - QPoint(20, 0)); // left of the digits
    EXPECT_EQ(Panel()->Detail(), QString());
    EXPECT_TRUE(Panel()->extraSelections().isEmpty());

    const std::string strIeee =
        "double 0x3FB999999999999A: sign 0, exponent 0x3FB = 2^-4, fraction 0x999999999999A\n"
        "float 0x3DCCCCCD (rounded)";
    Type("0.1\r");
    const QPoint ptDecimal = CharPoint(2, 1);
    Hover(ptDecimal);
    QHelpEvent help(QEvent::ToolTip, ptDecimal, Viewport()->mapToGlobal(ptDecimal));
    QApplication::sendEvent(Viewport(), &help);
    EXPECT_EQ(QToolTip::text().toStdString(), strIeee);
    EXPECT_EQ(Copied("Copy as IEEE-754 double (0x\u2026)"), "0x3FB999999999999A");
    EXPECT_EQ(Copied("Copy as IEEE-754 float (0x\u2026)"), "0x3DCCCCCD");
    EXPECT_EQ(Copied("Copy as 0x\u2026"), "0x0") << "the line copies stay";
    EXPECT_EQ(m_pDlg->GetPanelLine(2), "0.1");
    EXPECT_EQ(Copied("Copy as character literal"), "") << "0.1 is no character";

    // -0 and NaN show their own bits: the sign of the zero, the NaN that arithmetic gave.
    volatile double dZero = 0.0;
    const double dNaN = dZero / dZero;
    char szNaN[40];
    std::snprintf(szNaN, sizeof szNaN, "double 0x%016llX:",
                  static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(dNaN)));
    const std::pair<const char*, std::string> arrSpecial[] = {
        {"1/(-1/0)\r", "double 0x8000000000000000: sign 1, exponent 0x000 (zero)"},
        {"0/0\r", szNaN},
    };
    for (const auto& [pszTyped, strStart] : arrSpecial)
    {
        Type(pszTyped);
        Hover(CharPoint(2, 0));
        EXPECT_EQ(Panel()->Detail().toStdString().substr(0, strStart.size()), strStart);
        EXPECT_EQ("double " + Copied("Copy as IEEE-754 double (0x\u2026)") + ":",
                  strStart.substr(0, 26));
    }

    // A whole value that is a character's code names it, as C writes it.
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"$7A\r", "character 'z'", "'z'"},
        {"$E9\r", "character U+00E9 '\u00e9'", "U'\u00e9'"},
    };
    for (const auto& [pszTyped, pszDetail, pszLiteral] : rows)
    {
        Type(pszTyped);
        Hover(ptDecimal);
        const std::string strDetail = Panel()->Detail().toStdString();
        EXPECT_EQ(strDetail.substr(strDetail.rfind('\n') + 1), pszDetail);
        EXPECT_EQ(Copied("Copy as character literal"), pszLiteral);
    }
}

// The zoom keys lay the panel out anew under a mouse that does not move: the mark and the text
// follow to the digit now under it, or go when there is none.
TEST_F(CPanelTest, TheHoverMarkFollowsAZoomUnderTheMouseAtRest)
{
    Type("$C0DE0042\r");
    const QPoint ptGlobal = Viewport()->mapToGlobal(CharPoint(0, 60));
    Hover(CharPoint(0, 60));
    ASSERT_EQ(Marked(), 60);
    std::set<int> setSeen; // the columns under the mouse after each step
    for (const char* pszKeys : {"Ctrl++", "Ctrl++", "Ctrl++", "Ctrl+0"})
    {
        Keys(pszKeys);
        const int nColumn = ColumnAt(Viewport()->mapFromGlobal(ptGlobal));
        SCOPED_TRACE(std::string(pszKeys) + " to " + std::to_string(m_pDlg->Zoom()) +
                     " %: column " + std::to_string(nColumn));
        EXPECT_TRUE(QTest::qWaitFor([&] { return Marked() == nColumn; }));
        EXPECT_EQ(Panel()->Detail().toStdString(),
                  nColumn < 0 ? ""
                              : "bit " + std::to_string(63 - nColumn) + " = " +
                                    std::to_string((0xC0DE0042ull >> (63 - nColumn)) & 1));
        setSeen.insert(nColumn);
    }
    setSeen.erase(-1);
    setSeen.erase(60);
    EXPECT_FALSE(setSeen.empty()) << "no step brought another digit under the mouse";
}

// The panel is reached as before, by a click or by the arrows from the output choices; there
// Space flips the bit at its text cursor and leaves the focus there, and Shift with the arrows
// selects a field.
TEST_F(CPanelTest, KeysFlipTheBitAtTheCursorAndSelectAField)
{
    Type("$C0DE0042\r");
    const std::string strStart = ConsoleText();
    Item(kIdOutputBin)->setFocus();
    Keys("Left");
    ASSERT_EQ(QApplication::focusWidget(), Panel());
    Keys("End, Space"); // at the line's end: its last digit
    EXPECT_EQ(QApplication::focusWidget(), Panel());
    Keys("Left, Left, Left, Left"); // a key sequence holds four keys
    Keys("Left, Left, Left");
    EXPECT_EQ(Panel()->Detail().toStdString(), "bit 7 = 0");
    Keys("Space, Shift+Right, Shift+Right");
    EXPECT_EQ(Panel()->Detail().toStdString(), "bits 7..6 = $3 = 3 (signed -1)");
    Keys("Down, Down, Space"); // nothing to flip on the decimal line
    EXPECT_EQ(Panel()->Detail().toStdString().substr(0, 25), "double 0x41E81BC018600000");
    const std::string strFlips = "$C0DE0043\r\n3235774531\r\n?$C0DE00C3\r\n3235774659\r\n?";
    EXPECT_EQ(ConsoleText(), strStart + strFlips);
}

// Each row in a new window: keys, an expression evaluated, then a move made in the panel by
// its key or its menu item; what the console adds. The key leaves the focus in the panel.
TEST_F(CPanelTest, KeysAndTheMenuMoveTheValuesBitsIntoANewLine)
{
    const std::tuple<const char*, const char*, const char*, const char*, std::string> rows[] = {
        {"", "$12345678\r", "Ctrl+Shift+S", "Swap bytes", "$78563412\r\n2018915346\r\n?"},
        {"Alt+1", "$1234\r", "Ctrl+Shift+S", "Swap bytes", "$3412\r\n13330\r\n?"},
        {"Alt+8", "$12\r", "Ctrl+Shift+S", "Swap bytes", ""},
        {"Alt+3", "$80000001\r", "Ctrl+Left", "Rotate left", "$3\r\n3\r\n?"},
        {"Alt+3, Alt+U", "$80000001\r", "Ctrl+Right", "Rotate right",
         "$C0000000\r\n-1073741824\r\n?"},
    };
    for (const auto& [pszSetup, pszTyped, pszKey, pszItem, strAdded] : rows)
    {
        SCOPED_TRACE(std::string(pszSetup) + " " + pszTyped + pszKey);
        for (const bool bMenu : {false, true})
        {
            OpenWindow();
            Keys(pszSetup);
            Type(pszTyped);
            const std::string strBefore = ConsoleText();
            Panel()->setFocus();
            if (bMenu)
            {
                const QStringList arrItems = UseContextMenu(Viewport(), QString::fromUtf8(pszItem));
                EXPECT_TRUE(arrItems.contains(QString::fromUtf8(pszItem)));
            }
            else
            {
                Keys(pszKey);
                EXPECT_EQ(QApplication::focusWidget(), Panel());
            }
            EXPECT_EQ(ConsoleText(), strBefore + strAdded);
            if (strAdded.empty() && !bMenu) // the menu's item is disabled
            {
                EXPECT_EQ(Panel()->Detail().toStdString(), "not swapped: 8 bits are a single byte");
            }
        }
    }
}

} // namespace
