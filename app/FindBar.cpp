#include "FindBar.h"

#include "DialogUnits.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <string_view>

namespace
{

constexpr int kGapUnits = 2; // between the shortened console and the bar, in dialog units

std::u16string_view Utf16(const QString& strText)
{
    return {reinterpret_cast<const char16_t*>(strText.utf16()),
            static_cast<std::size_t>(strText.size())};
}

struct CBarButton
{
    const char* m_pszText;
    const char* m_pszName; // for screen readers
    void (*m_pfnAct)(CFindBar&);
};

constexpr CBarButton kButtons[] = {
    {"\u2191", "Previous match", [](CFindBar& bar) { bar.FindNext(false); }},
    {"\u2193", "Next match", [](CFindBar& bar) { bar.FindNext(true); }},
    {"\u00d7", "Close", [](CFindBar& bar) { bar.Close(true); }},
};

} // namespace

CFindBar::CFindBar(QWidget* pParent) : QWidget(pParent)
{
    auto* pLayout = new QHBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    auto* pLabel = new QLabel(QStringLiteral("Find:"), this);
    m_pField = new QLineEdit(this);
    m_pField->setAccessibleName(QStringLiteral("Find"));
    pLabel->setBuddy(m_pField);
    m_pStatus = new QLabel(this);
    // The field and the count share the width in a fixed proportion, whatever the count says.
    m_pStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    pLayout->addWidget(pLabel);
    pLayout->addWidget(m_pField, 3);
    pLayout->addWidget(m_pStatus, 2);
    for (const CBarButton& button : kButtons)
    {
        auto* pButton = new QToolButton(this);
        pButton->setText(QString::fromUtf8(button.m_pszText));
        pButton->setAccessibleName(QString::fromLatin1(button.m_pszName));
        pButton->setToolTip(pButton->accessibleName());
        pButton->setAutoRaise(true);
        pButton->setFocusPolicy(Qt::NoFocus); // the keys are Enter, Shift+Enter and Escape
        connect(pButton, &QToolButton::clicked, this,
                [this, pfnAct = button.m_pfnAct] { pfnAct(*this); });
        pLayout->addWidget(pButton);
    }
    setFocusProxy(m_pField);
    connect(m_pField, &QLineEdit::textChanged, this, [this] { OnEdited(); });
}

void CFindBar::SetConsole(QPlainTextEdit* pConsole)
{
    m_pConsole = pConsole;
    m_pConsole->installEventFilter(this);
    m_pConsole->viewport()->installEventFilter(this);
    connect(m_pConsole->document(), &QTextDocument::contentsChanged, this,
            [this] { RefindLater(); });
    connect(m_pConsole->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { MarkVisible(); });
}

void CFindBar::Open()
{
    const bool bOpening = !IsOpen();
    if (bOpening)
    {
        m_origin = ConsolePlace();
        show();
        FitConsole();
    }
    // A selection on one line is what the user means to find.
    const QString strSelected = m_pConsole->textCursor().selectedText();
    if (!strSelected.isEmpty() && !strSelected.contains(QChar::ParagraphSeparator) &&
        strSelected != m_pField->text())
    {
        m_pField->setText(strSelected);
    }
    else if (bOpening)
    {
        Refind();
        ShowStatus();
        MarkVisible();
    }
    m_pField->setFocus(Qt::ShortcutFocusReason);
    m_pField->selectAll();
}

void CFindBar::Close(bool bRestore)
{
    if (!IsOpen()) return;
    // The focus goes to the console before the bar that holds it is hidden, so that it cannot
    // wander to the next control.
    if (bRestore) RestorePlace(m_origin);
    if (bRestore || Owns(QApplication::focusWidget())) m_pConsole->setFocus(Qt::OtherFocusReason);
    hide();
    m_pConsole->setGeometry(m_rectConsole);
    m_pConsole->setExtraSelections({});
}

bool CFindBar::Owns(const QObject* pObject) const
{
    for (; pObject; pObject = pObject->parent())
        if (pObject == this) return true;
    return false;
}

bool CFindBar::KeyPress(const QKeyEvent& event)
{
    switch (event.key())
    {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        FindNext(!(event.modifiers() & Qt::ShiftModifier));
        return true;
    case Qt::Key_Escape:
        Close(true);
        return true;
    default:
        return false;
    }
}

void CFindBar::FindNext(bool bForward)
{
    if (!m_bTextCurrent) Refind();
    const QTextCursor cursor = m_pConsole->textCursor();
    const int nIndex =
        NextMatch(m_arrMatches, cursor.selectionStart(), cursor.selectionEnd(), bForward);
    if (nIndex < 0)
        QApplication::beep();
    else
        Select(nIndex);
}

void CFindBar::InsertText(const QString& strText) { m_pField->insert(strText); }

void CFindBar::FitConsole()
{
    if (!IsOpen() || !m_pConsole) return;
    m_rectConsole = m_pConsole->geometry();
    const int nGap = MapDialogRect(QRect(0, 0, 0, kGapUnits), BaseUnitsOf(font())).height();
    QRect rect = m_rectConsole;
    rect.setBottom(geometry().top() - nGap - 1);
    m_pConsole->setGeometry(rect);
}

QString CFindBar::Status() const
{
    if (m_pField->text().isEmpty()) return {};
    const auto nCount = static_cast<int>(m_arrMatches.size());
    if (nCount == 0) return QStringLiteral("no match");
    if (const int nIndex = CurrentMatch(); nIndex >= 0)
        return QStringLiteral("%1 of %2").arg(nIndex + 1).arg(nCount);
    return nCount == 1 ? QStringLiteral("1 match") : QStringLiteral("%1 matches").arg(nCount);
}

bool CFindBar::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (IsOpen() && pWatched == m_pConsole && pEvent->type() == QEvent::FocusIn)
        m_origin = ConsolePlace();
    else if (IsOpen() && pWatched == m_pConsole->viewport() && pEvent->type() == QEvent::Resize)
        MarkVisible();
    return QWidget::eventFilter(pWatched, pEvent);
}

CFindBar::CPlace CFindBar::ConsolePlace() const
{
    const QTextCursor cursor = m_pConsole->textCursor();
    return {cursor.anchor(), cursor.position(), m_pConsole->verticalScrollBar()->value()};
}

void CFindBar::RestorePlace(const CPlace& place)
{
    // The text may have become shorter meanwhile (Alt+E).
    const int nLast = m_pConsole->document()->characterCount() - 1;
    QTextCursor cursor(m_pConsole->document());
    cursor.setPosition(std::clamp(place.m_nAnchor, 0, nLast));
    cursor.setPosition(std::clamp(place.m_nPosition, 0, nLast), QTextCursor::KeepAnchor);
    m_pConsole->setTextCursor(cursor);
    m_pConsole->verticalScrollBar()->setValue(place.m_nScroll);
}

void CFindBar::Refind()
{
    if (!m_bTextCurrent)
    {
        m_find.SetText(Utf16(m_pConsole->document()->toRawText()));
        m_bTextCurrent = true;
    }
    const QString strWhat = m_pField->text();
    m_arrMatches = m_find.FindAll(Utf16(strWhat));
    m_nMatchLength = static_cast<int>(strWhat.size());
}

void CFindBar::RefindLater()
{
    m_bTextCurrent = false;
    if (!IsOpen() || m_bRefindPending) return;
    m_bRefindPending = true;
    QTimer::singleShot(0, this,
                       [this]
                       {
                           m_bRefindPending = false;
                           if (!IsOpen()) return;
                           Refind();
                           ShowStatus();
                           MarkVisible();
                       });
}

void CFindBar::OnEdited()
{
    if (!IsOpen()) return;
    Refind();
    const int nStart = std::min(m_origin.m_nAnchor, m_origin.m_nPosition);
    if (const int nIndex = NextMatch(m_arrMatches, nStart, nStart, true); nIndex >= 0)
    {
        Select(nIndex);
        return;
    }
    RestorePlace(m_origin);
    ShowStatus();
    MarkVisible();
}

void CFindBar::Select(int nIndex)
{
    QTextCursor cursor(m_pConsole->document());
    cursor.setPosition(m_arrMatches[static_cast<std::size_t>(nIndex)]);
    cursor.setPosition(m_arrMatches[static_cast<std::size_t>(nIndex)] + m_nMatchLength,
                       QTextCursor::KeepAnchor);
    m_pConsole->setTextCursor(cursor);
    m_pConsole->ensureCursorVisible();
    ShowStatus();
    MarkVisible();
}

int CFindBar::CurrentMatch() const
{
    const QTextCursor cursor = m_pConsole->textCursor();
    const auto it =
        std::lower_bound(m_arrMatches.begin(), m_arrMatches.end(), cursor.selectionStart());
    if (it == m_arrMatches.end() || *it != cursor.selectionStart() ||
        cursor.selectionEnd() - cursor.selectionStart() != m_nMatchLength)
        return -1;
    return static_cast<int>(it - m_arrMatches.begin());
}

void CFindBar::ShowStatus()
{
    const QString strStatus = Status();
    m_pStatus->setText(strStatus);
    // A screen reader hears the count change, as it hears the console's selection move.
    m_pField->setAccessibleDescription(strStatus);
}

void CFindBar::MarkVisible()
{
    QList<QTextEdit::ExtraSelection> arrMarks;
    if (IsOpen() && !m_pField->text().isEmpty())
    {
        if (!m_bTextCurrent) Refind();
        const QRect rect = m_pConsole->viewport()->rect();
        const int nFrom = m_pConsole->cursorForPosition(rect.topLeft()).position();
        const int nTo = m_pConsole->cursorForPosition(rect.bottomRight()).position() + 1;
        const auto [nFirst, nEnd] = MatchesIn(m_arrMatches, m_nMatchLength, nFrom, nTo);
        QColor color = palette().color(QPalette::Highlight);
        color.setAlpha(80);
        for (std::size_t i = nFirst; i < nEnd; ++i)
        {
            QTextEdit::ExtraSelection mark;
            mark.cursor = QTextCursor(m_pConsole->document());
            mark.cursor.setPosition(m_arrMatches[i]);
            mark.cursor.setPosition(m_arrMatches[i] + m_nMatchLength, QTextCursor::KeepAnchor);
            mark.format.setBackground(color);
            arrMarks.append(mark);
        }
    }
    m_pConsole->setExtraSelections(arrMarks);
}
