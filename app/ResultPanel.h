#pragma once

#include "TextControl.h"

#include "PanelBits.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>

// The three-line result panel: read-only and right-aligned, showing letters in capitals while
// keeping the text exactly as it was set, which is what the console logic reads back. Its
// accessible description names the lines: binary, hexadecimal, decimal.
//
// Its bits can be touched. A click on a digit of the binary line flips that bit into a new
// '?' line, and the context menu or a key swaps its bytes or rotates its bits the same way; a
// drag across digits selects a field of bits; hovering names a digit's bit, or the field, and
// the decimal line's IEEE-754 bits. With the focus in the panel, Space flips the bit at the
// text cursor, Shift with the arrows selects a field, Ctrl+Shift+S swaps the bytes and
// Ctrl+Left and Ctrl+Right rotate. What the tooltips say is also added to the accessible
// description, for screen readers.
class CResultPanel : public CTextControl
{
public:
    explicit CResultPanel(QWidget* pParent);

    void SetText(const std::string& strText);
    const std::string& Text() const { return m_strText; }
    // Line nLine (from 0) without its CR LF; empty when there is no such line.
    std::string Line(int nLine) const;
    // What the three lines show: "Binary", "Hexadecimal", "Decimal".
    static QStringList LineNames();

    // Puts line nLine as a literal (ResultLiteral) on the clipboard and, where the system has
    // one, the selection that the middle button pastes; nothing when the line is empty.
    void CopyLiteral(int nLine) const;

    // The field that the selection covers on the binary line, its highest bit first.
    std::optional<std::pair<int, int>> Field() const;
    // Flips bit nBit into a new line; where that cannot be, beeps and says why in a tooltip at
    // ptGlobal. After keys the panel keeps the focus, its cursor on the same digit.
    void FlipBit(int nBit, const QPoint& ptGlobal, bool bKeys);
    // The value's bytes swapped, or its bits rotated by one, into a new line, the same way;
    // after keys the cursor stays.
    void SwapBytes(const QPoint& ptGlobal, bool bKeys);
    void Rotate(bool bLeft, const QPoint& ptGlobal, bool bKeys);
    // The field's value into a new line, the same way; bSigned reads it as two's complement.
    void InsertField(const QPoint& ptGlobal, bool bSigned);
    // What the tooltip says, or said last, about the point or the text cursor; empty for
    // nothing.
    const QString& Detail() const { return m_strDetail; }

    // The console's side: writing and evaluating a new '?' line at the console's end (true when
    // it was evaluated), and the double that the decimal line shows.
    std::function<bool(const std::string&)> m_fnEnterLine;
    std::function<double()> m_fnLastResult;

protected:
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    bool viewportEvent(QEvent* pEvent) override;
    void changeEvent(QEvent* pEvent) override;
    void moveEvent(QMoveEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    struct CSpot
    {
        int m_nLine = -1;   // 0 binary, 1 hexadecimal, 2 decimal; -1 for none
        int m_nColumn = -1; // the character there, -1 off the text
    };

    std::optional<CPanelBits> Bits() const;
    // The line and character at a point of the viewport. With bClamp only x counts: the
    // binary line's character nearest to it.
    CSpot SpotAt(const QPointF& pt, bool bClamp = false) const;
    // What hovering a spot, or the text cursor, says.
    QString DetailOf(const CSpot& spot) const;
    QString CursorDetail() const;
    void SetDetail(const QString& strDetail);
    void ShowTip(const QString& strText, const QPoint& ptGlobal);
    void Refuse(const std::string& strReason, const QPoint& ptGlobal);
    // Enters the entry's expression, or refuses it. After keys the panel takes the focus back
    // from the console, its cursor at nCursor.
    void Enter(const CPanelEntry& entry, const QPoint& ptGlobal, std::optional<int> nCursor);
    QPoint CursorPoint() const; // below the text cursor, for a tooltip after keys
    // Highlights the binary line's character under the mouse, nothing for -1.
    void SetHover(int nColumn);
    void Hover(const QPointF& pt, const QPoint& ptGlobal);
    // A zoom moves the digits under a mouse at rest: once it has laid the panel out, the mark
    // and the tooltip follow to whatever is under the mouse now.
    void FollowLayout();
    void FollowLayoutLater();
    void SelectColumns(int nAnchor, int nColumn);
    void CopyText(const std::string& strText) const;
    bool PressDigit(const QMouseEvent& event);

    std::string m_strText;            // CR LF between lines
    QString m_strLinesDescription;    // the accessible description of the lines alone
    QString m_strDetail;              // added to it
    int m_nHoverColumn = -1;          // of the binary line, -1 for none
    std::optional<QPointF> m_ptHover; // the mouse in the viewport, while it is there
    QPoint m_ptHoverGlobal;           // the same point on the screen
    bool m_bFollowPending = false;    // FollowLayout is posted
    int m_nPressColumn = -1;          // where a press on the binary line began, -1 for none
    QPointF m_ptPress;
    bool m_bDragged = false; // that press became a drag, which selects and never flips
};
