#include "ResultPanel.h"

#include "ConsoleText.h"
#include "ConsoleWindow.h"

#include "ResultLiteral.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <memory>

namespace
{

struct CCopyItem
{
    const char* m_pszText;
    int m_nLine;
};

// The panel's lines, as the context menu offers them.
constexpr CCopyItem kCopyItems[] = {
    {"Copy as 0b\u2026", 0},
    {"Copy as 0x\u2026", 1},
    {"Copy as decimal", 2},
};

QString FromText(const std::string& strText)
{
    return QString::fromLatin1(strText.data(), static_cast<qsizetype>(strText.size()));
}

} // namespace

CResultPanel::CResultPanel(QWidget* pParent) : CTextControl(pParent)
{
    setReadOnly(true);
    // A text cursor for the keys: Space flips the bit at it, Shift and the arrows select.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    viewport()->setMouseTracking(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A 64-digit line must fit on one row of a panel 65 average characters wide.
    document()->setDocumentMargin(1);
    QTextOption option = document()->defaultTextOption();
    option.setAlignment(Qt::AlignRight);
    document()->setDefaultTextOption(option);
    // A screen reader hears what the text cursor stands on, as a mouse would be told.
    const auto onCursor = [this]
    {
        if (hasFocus()) SetDetail(CursorDetail());
    };
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, onCursor);
    connect(this, &QPlainTextEdit::selectionChanged, this, onCursor);
}

void CResultPanel::SetText(const std::string& strText)
{
    if (strText == m_strText) return;
    m_strText = strText;
    const QString strShown = ToWidgetText(strText).toUpper();
    QStringList arrDescription;
    if (!strShown.isEmpty())
    {
        const QStringList arrLines = strShown.split(u'\n');
        const QStringList arrNames = LineNames();
        for (qsizetype nLine = 0; nLine < arrNames.size(); ++nLine)
            arrDescription.append(arrNames[nLine] + QStringLiteral(": ") + arrLines.value(nLine));
    }
    m_strLinesDescription = arrDescription.join(u'\n');
    setPlainText(strShown);
    // A screen reader hears the description change after every result.
    m_strDetail.clear();
    setAccessibleDescription(m_strLinesDescription);
    // The new text under a mouse that rests on the panel: its highlight, and its tooltip.
    m_nHoverColumn = -1;
    if (m_ptHover) Hover(*m_ptHover, viewport()->mapToGlobal(m_ptHover->toPoint()));
}

QStringList CResultPanel::LineNames()
{
    return {QStringLiteral("Binary"), QStringLiteral("Hexadecimal"), QStringLiteral("Decimal")};
}

std::string CResultPanel::Line(int nLine) const { return LineOfText(m_strText, nLine); }

void CResultPanel::CopyText(const std::string& strText) const
{
    // ASCII, but for a character literal's UTF-8.
    const QString strCopied = QString::fromUtf8(strText);
    QClipboard* pClipboard = QGuiApplication::clipboard();
    pClipboard->setText(strCopied, QClipboard::Clipboard);
    if (pClipboard->supportsSelection()) pClipboard->setText(strCopied, QClipboard::Selection);
}

void CResultPanel::CopyLiteral(int nLine) const
{
    const std::string strLiteral = ResultLiteral(m_strText, nLine);
    if (!strLiteral.empty()) CopyText(strLiteral);
}

std::optional<CPanelBits> CResultPanel::Bits() const { return CPanelBits::FromLine(Line(0)); }

std::optional<std::pair<int, int>> CResultPanel::Field() const
{
    const std::optional<CPanelBits> bits = Bits();
    const QTextCursor cursor = textCursor();
    if (!bits || !cursor.hasSelection()) return std::nullopt;
    // The binary line is the document's first block: its columns are document positions.
    const int nStart = cursor.selectionStart();
    const int nEnd = std::min(cursor.selectionEnd(), bits->Width());
    if (nStart >= nEnd) return std::nullopt;
    return std::pair(bits->BitOfColumn(nStart), bits->BitOfColumn(nEnd - 1));
}

CResultPanel::CSpot CResultPanel::SpotAt(const QPointF& pt, bool bClamp) const
{
    int nLine = 0;
    for (QTextBlock block = document()->firstBlock(); block.isValid();
         block = block.next(), ++nLine)
    {
        const QRectF rectBlock = blockBoundingGeometry(block).translated(contentOffset());
        if (!bClamp && (pt.y() < rectBlock.top() || pt.y() >= rectBlock.bottom())) continue;
        // The layout's coordinates are the block's.
        const QPointF ptIn = pt - rectBlock.topLeft();
        const QTextLayout* pLayout = block.layout();
        for (int i = 0; i < pLayout->lineCount(); ++i)
        {
            const QTextLine line = pLayout->lineAt(i);
            const QRectF rectText = line.naturalTextRect();
            if (line.textLength() == 0 || rectText.width() <= 0) continue;
            if (!bClamp && !rectText.contains(ptIn)) continue;
            const double dX = std::clamp(ptIn.x(), rectText.left(), rectText.right() - 0.01);
            const int nPos = line.xToCursor(dX, QTextLine::CursorOnCharacter);
            const int nLast = line.textStart() + line.textLength() - 1;
            return {nLine, std::clamp(nPos, line.textStart(), nLast)};
        }
        return {nLine, -1};
    }
    return {};
}

QString CResultPanel::DetailOf(const CSpot& spot) const
{
    const std::optional<CPanelBits> bits = Bits();
    if (bits && spot.m_nLine == 0 && spot.m_nColumn >= 0 && spot.m_nColumn < bits->Width())
    {
        if (const auto field = Field())
            return FromText(bits->FieldText(field->first, field->second));
        return FromText(bits->BitText(bits->BitOfColumn(spot.m_nColumn)));
    }
    if (spot.m_nLine == 2 && !m_strText.empty() && m_fnLastResult)
    {
        const double dValue = m_fnLastResult();
        std::string strDetail = Ieee754Text(dValue);
        if (const std::string strCharacter = CharacterText(dValue); !strCharacter.empty())
            strDetail += "\ncharacter " + strCharacter;
        return QString::fromUtf8(strDetail);
    }
    return {};
}

QString CResultPanel::CursorDetail() const
{
    const QTextCursor cursor = textCursor();
    const std::optional<CPanelBits> bits = Bits();
    if (cursor.hasSelection() && !Field()) return {};
    // The character after the cursor, or at the binary line's end the last one.
    CSpot spot{cursor.blockNumber(), cursor.positionInBlock()};
    if (bits && spot.m_nLine == 0) spot.m_nColumn = std::min(spot.m_nColumn, bits->Width() - 1);
    return DetailOf(spot);
}

void CResultPanel::SetDetail(const QString& strDetail)
{
    if (strDetail == m_strDetail) return;
    m_strDetail = strDetail;
    QString strDescription = m_strLinesDescription;
    if (!strDetail.isEmpty())
        strDescription += (strDescription.isEmpty() ? QString() : QStringLiteral("\n")) + strDetail;
    setAccessibleDescription(strDescription);
}

void CResultPanel::ShowTip(const QString& strText, const QPoint& ptGlobal)
{
    if (strText.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(ptGlobal, strText, viewport());
}

void CResultPanel::Refuse(const std::string& strReason, const QPoint& ptGlobal)
{
    QApplication::beep();
    const QString strText = FromText(strReason);
    SetDetail(strText);
    ShowTip(strText, ptGlobal);
}

void CResultPanel::SetHover(int nColumn)
{
    if (nColumn == m_nHoverColumn) return;
    m_nHoverColumn = nColumn;
    QList<QTextEdit::ExtraSelection> arrSelections;
    if (nColumn >= 0)
    {
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(document());
        selection.cursor.setPosition(nColumn);
        selection.cursor.setPosition(nColumn + 1, QTextCursor::KeepAnchor);
        QColor color = palette().color(QPalette::Highlight);
        color.setAlpha(96);
        selection.format.setBackground(color);
        arrSelections.append(selection);
    }
    setExtraSelections(arrSelections);
}

void CResultPanel::Hover(const QPointF& pt, const QPoint& ptGlobal)
{
    const CSpot spot = SpotAt(pt);
    const bool bDigit = spot.m_nLine == 0 && spot.m_nColumn >= 0 && Bits();
    SetHover(bDigit ? spot.m_nColumn : -1);
    viewport()->setCursor(bDigit ? Qt::PointingHandCursor : Qt::IBeamCursor);
    const QString strDetail = DetailOf(spot);
    SetDetail(strDetail);
    if (QToolTip::isVisible()) ShowTip(strDetail, ptGlobal);
}

void CResultPanel::FollowLayout()
{
    m_bFollowPending = false;
    if (!m_ptHover) return;
    const QPoint pt = viewport()->mapFromGlobal(m_ptHoverGlobal);
    if (viewport()->rect().contains(pt))
    {
        m_ptHover = pt;
        Hover(pt, m_ptHoverGlobal);
        return;
    }
    // The panel has moved away from under the mouse.
    m_ptHover.reset();
    SetHover(-1);
    SetDetail({});
    if (QToolTip::isVisible()) ShowTip({}, m_ptHoverGlobal);
}

void CResultPanel::SelectColumns(int nAnchor, int nColumn)
{
    QTextCursor cursor(document());
    cursor.setPosition(nColumn < nAnchor ? nAnchor + 1 : nAnchor);
    cursor.setPosition(nColumn < nAnchor ? nColumn : nColumn + 1, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void CResultPanel::Enter(const CPanelEntry& entry, const QPoint& ptGlobal,
                         std::optional<int> nCursor)
{
    if (!m_fnEnterLine) return;
    if (entry.m_strExpression.empty())
    {
        Refuse(entry.m_strReason, ptGlobal);
        return;
    }
    // Entering gives the console the focus; a keyboard user goes on from the same place.
    m_fnEnterLine(entry.m_strExpression);
    if (!nCursor) return;
    setFocus(Qt::OtherFocusReason);
    QTextCursor cursor(document());
    cursor.setPosition(std::clamp(*nCursor, 0, document()->characterCount() - 1));
    setTextCursor(cursor);
}

QPoint CResultPanel::CursorPoint() const
{
    return viewport()->mapToGlobal(cursorRect().bottomRight());
}

void CResultPanel::FlipBit(int nBit, const QPoint& ptGlobal, bool bKeys)
{
    if (const std::optional<CPanelBits> bits = Bits())
        Enter(bits->FlipEntry(nBit), ptGlobal,
              bKeys ? std::optional(bits->ColumnOfBit(nBit)) : std::nullopt);
}

void CResultPanel::SwapBytes(const QPoint& ptGlobal, bool bKeys)
{
    if (const std::optional<CPanelBits> bits = Bits())
        Enter(bits->SwapEntry(), ptGlobal,
              bKeys ? std::optional(textCursor().position()) : std::nullopt);
}

void CResultPanel::Rotate(bool bLeft, const QPoint& ptGlobal, bool bKeys)
{
    if (const std::optional<CPanelBits> bits = Bits())
        Enter(bits->RotateEntry(bLeft), ptGlobal,
              bKeys ? std::optional(textCursor().position()) : std::nullopt);
}

void CResultPanel::InsertField(const QPoint& ptGlobal, bool bSigned)
{
    const std::optional<CPanelBits> bits = Bits();
    const auto field = Field();
    if (!bits || !field) return;
    Enter(bSigned ? bits->SignedFieldEntry(field->first, field->second)
                  : bits->FieldEntry(field->first, field->second),
          ptGlobal, std::nullopt);
}

void CResultPanel::contextMenuEvent(QContextMenuEvent* pEvent)
{
    const std::unique_ptr<QMenu> pMenu(createStandardContextMenu(pEvent->pos()));
    pMenu->addSeparator();
    for (const CCopyItem& item : kCopyItems)
    {
        QAction* pAction = pMenu->addAction(QString::fromUtf8(item.m_pszText));
        pAction->setEnabled(!ResultLiteral(m_strText, item.m_nLine).empty());
        connect(pAction, &QAction::triggered, this,
                [this, nLine = item.m_nLine] { CopyLiteral(nLine); });
    }

    // The value's bits moved into a new line, as the keys in the panel move them.
    pMenu->addSeparator();
    const std::optional<CPanelBits> bits = Bits();
    QAction* pSwap = pMenu->addAction(QStringLiteral("Swap bytes"));
    pSwap->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    pSwap->setShortcutVisibleInContextMenu(true);
    pSwap->setEnabled(bits && bits->CanSwap() && m_fnEnterLine);
    connect(pSwap, &QAction::triggered, this,
            [this, ptAt = pEvent->globalPos()] { SwapBytes(ptAt, false); });
    for (const bool bLeft : {true, false})
    {
        QAction* pRotate = pMenu->addAction(bLeft ? QStringLiteral("Rotate left")
                                                  : QStringLiteral("Rotate right"));
        pRotate->setShortcut(QKeySequence(Qt::CTRL | (bLeft ? Qt::Key_Left : Qt::Key_Right)));
        pRotate->setShortcutVisibleInContextMenu(true);
        pRotate->setEnabled(bits && m_fnEnterLine);
        connect(pRotate, &QAction::triggered, this,
                [this, bLeft, ptAt = pEvent->globalPos()] { Rotate(bLeft, ptAt, false); });
    }

    // The field the selection covers on the binary line.
    pMenu->addSeparator();
    const auto field = Field();
    for (const bool bHex : {true, false})
    {
        QAction* pAction = pMenu->addAction(bHex ? QStringLiteral("Copy field as 0x\u2026")
                                                 : QStringLiteral("Copy field as decimal"));
        pAction->setEnabled(field.has_value());
        if (field)
            connect(pAction, &QAction::triggered, this,
                    [this, strText = bits->FieldLiteral(field->first, field->second, bHex)]
                    { CopyText(strText); });
    }
    for (const bool bSigned : {false, true})
    {
        QAction* pInsert = pMenu->addAction(bSigned ? QStringLiteral("Insert field as signed")
                                                    : QStringLiteral("Insert field"));
        pInsert->setEnabled(field.has_value() && m_fnEnterLine);
        connect(pInsert, &QAction::triggered, this,
                [this, bSigned, ptAt = pEvent->globalPos()] { InsertField(ptAt, bSigned); });
    }

    // The IEEE-754 bits of the double the decimal line shows, and the character it is a code of.
    pMenu->addSeparator();
    const bool bValue = !m_strText.empty() && m_fnLastResult;
    const double dValue = bValue ? m_fnLastResult() : 0.0;
    const std::pair<const char*, std::string> arrIeee[] = {
        {"Copy as IEEE-754 double (0x\u2026)", bValue ? DoubleBitsText(dValue) : ""},
        {"Copy as IEEE-754 float (0x\u2026)", bValue ? FloatBitsText(dValue) : ""},
        {"Copy as character literal", bValue ? CharacterLiteral(dValue) : ""},
    };
    for (const auto& [pszText, strCopied] : arrIeee)
    {
        QAction* pAction = pMenu->addAction(QString::fromUtf8(pszText));
        pAction->setEnabled(!strCopied.empty());
        connect(pAction, &QAction::triggered, this, [this, strCopied] { CopyText(strCopied); });
    }
    pMenu->exec(pEvent->globalPos());
    // The menu had the mouse, which may have left the panel meanwhile with no word to it.
    if (m_ptHover)
    {
        m_ptHoverGlobal = QCursor::pos();
        FollowLayout();
    }
}

void CResultPanel::keyPressEvent(QKeyEvent* pEvent)
{
    const QTextCursor cursor = textCursor();
    const std::optional<CPanelBits> bits = Bits();
    if (pEvent->key() == Qt::Key_Space && pEvent->modifiers() == Qt::NoModifier && bits &&
        cursor.blockNumber() == 0)
    {
        // The digit after the cursor, or at the line's end the last one.
        FlipBit(bits->BitOfColumn(std::min(cursor.positionInBlock(), bits->Width() - 1)),
                CursorPoint(), true);
        return;
    }
    if (pEvent->key() == Qt::Key_S &&
        pEvent->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier))
    {
        if (bits) SwapBytes(CursorPoint(), true);
        return;
    }
    if ((pEvent->key() == Qt::Key_Left || pEvent->key() == Qt::Key_Right) &&
        pEvent->modifiers() == Qt::ControlModifier)
    {
        if (bits) Rotate(pEvent->key() == Qt::Key_Left, CursorPoint(), true);
        return;
    }
    CTextControl::keyPressEvent(pEvent);
}

bool CResultPanel::PressDigit(const QMouseEvent& event)
{
    m_nPressColumn = -1;
    m_bDragged = false;
    if (event.button() != Qt::LeftButton || event.modifiers() != Qt::NoModifier) return false;
    const CSpot spot = SpotAt(event.position());
    if (spot.m_nLine != 0 || spot.m_nColumn < 0 || !Bits()) return false;
    // A digit is a button: no word or line selection, no text dragged away.
    m_nPressColumn = spot.m_nColumn;
    m_ptPress = event.position();
    m_ptHover = event.position();
    m_ptHoverGlobal = event.globalPosition().toPoint();
    QTextCursor cursor(document());
    cursor.setPosition(spot.m_nColumn);
    setTextCursor(cursor);
    return true;
}

void CResultPanel::mousePressEvent(QMouseEvent* pEvent)
{
    if (!PressDigit(*pEvent)) CTextControl::mousePressEvent(pEvent);
}

void CResultPanel::mouseDoubleClickEvent(QMouseEvent* pEvent)
{
    // A second click on a digit flips it again.
    if (!PressDigit(*pEvent)) CTextControl::mouseDoubleClickEvent(pEvent);
}

void CResultPanel::mouseMoveEvent(QMouseEvent* pEvent)
{
    m_ptHover = pEvent->position();
    m_ptHoverGlobal = pEvent->globalPosition().toPoint();
    if (m_nPressColumn < 0 || !(pEvent->buttons() & Qt::LeftButton))
    {
        CTextControl::mouseMoveEvent(pEvent);
        Hover(pEvent->position(), pEvent->globalPosition().toPoint());
        return;
    }
    // The field runs from the pressed digit to the one nearest to the mouse, whatever the row.
    // Onto another digit, or far enough, the press is a drag.
    const CSpot spot = SpotAt(pEvent->position(), true);
    if (spot.m_nColumn < 0) return;
    if (!m_bDragged && spot.m_nColumn == m_nPressColumn &&
        (pEvent->position() - m_ptPress).manhattanLength() < QApplication::startDragDistance())
        return;
    m_bDragged = true;
    SelectColumns(m_nPressColumn, spot.m_nColumn);
    SetHover(spot.m_nColumn);
    const QString strDetail = DetailOf(spot);
    SetDetail(strDetail);
    ShowTip(strDetail, pEvent->globalPosition().toPoint());
}

void CResultPanel::mouseReleaseEvent(QMouseEvent* pEvent)
{
    const int nColumn = m_nPressColumn;
    m_nPressColumn = -1;
    if (nColumn < 0 || pEvent->button() != Qt::LeftButton)
    {
        CTextControl::mouseReleaseEvent(pEvent);
        return;
    }
    if (m_bDragged) return;
    if (const std::optional<CPanelBits> bits = Bits())
        FlipBit(bits->BitOfColumn(nColumn), pEvent->globalPosition().toPoint(), false);
}

bool CResultPanel::viewportEvent(QEvent* pEvent)
{
    switch (pEvent->type())
    {
    case QEvent::ToolTip:
    {
        const auto* pHelp = static_cast<QHelpEvent*>(pEvent);
        ShowTip(DetailOf(SpotAt(pHelp->pos())), pHelp->globalPos());
        return true;
    }
    case QEvent::Leave:
        m_ptHover.reset();
        SetHover(-1);
        break;
    default:
        break;
    }
    return CTextControl::viewportEvent(pEvent);
}

void CResultPanel::FollowLayoutLater()
{
    // A zoom changes the font, then the size and the place: one look once all is done.
    if (!m_ptHover || m_bFollowPending) return;
    m_bFollowPending = true;
    QTimer::singleShot(0, this, &CResultPanel::FollowLayout);
}

void CResultPanel::changeEvent(QEvent* pEvent)
{
    CTextControl::changeEvent(pEvent);
    if (pEvent->type() == QEvent::FontChange) FollowLayoutLater();
}

void CResultPanel::moveEvent(QMoveEvent* pEvent)
{
    CTextControl::moveEvent(pEvent);
    FollowLayoutLater();
}

void CResultPanel::resizeEvent(QResizeEvent* pEvent)
{
    CTextControl::resizeEvent(pEvent);
    FollowLayoutLater();
}
