#include "PasteNotice.h"

#include <QAccessible>
#include <QApplication>
#include <QEvent>

#include <algorithm>

CPasteNotice::CPasteNotice(QWidget* pViewport, bool bHideAtInput)
    : QLabel(pViewport), m_bHideAtInput(bHideAtInput)
{
    setObjectName(QStringLiteral("pasteNotice"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setWordWrap(true);
    setFrameShape(QFrame::Box);
    setMargin(3);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::ToolTipBase));
    palette.setColor(QPalette::WindowText, palette.color(QPalette::ToolTipText));
    setPalette(palette);
    hide();
}

void CPasteNotice::Show(const QString& strText, const QRect& caret, int nAboveTextEnd)
{
    const QWidget* pViewport = parentWidget();
    setText(strText);
    setAccessibleName(strText);
    // One line where it fits, wrapped at the viewport's width where not.
    const int nFrame = 2 * (margin() + frameWidth()) + 2;
    const int nWidth =
        std::min(pViewport->width(), fontMetrics().horizontalAdvance(strText) + nFrame);
    resize(nWidth, heightForWidth(nWidth));
    int nX = std::max(0, std::min(caret.left(), pViewport->width() - width()));
    const bool bBelow = caret.bottom() + 1 + height() <= pViewport->height();
    const int nBeside = nAboveTextEnd + fontMetrics().averageCharWidth();
    if (!bBelow && nX < nBeside && nBeside + width() <= pViewport->width()) nX = nBeside;
    move(nX, bBelow ? caret.bottom() + 1 : std::max(0, caret.top() - height()));
    raise();
    show();
    // Only while the note is up does every event of the program pass here; typing is untouched.
    if (m_bHideAtInput) qApp->installEventFilter(this);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent announcement(this, strText);
    QAccessible::updateAccessibility(&announcement);
#endif
}

bool CPasteNotice::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    // Only what happens in this window counts: a closing context menu is a window of its own.
    const auto* pWidget = qobject_cast<const QWidget*>(pWatched);
    const bool bHere = pWidget && pWidget->window() == window();
    switch (pEvent->type())
    {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        if (bHere) hide();
        break;
    case QEvent::FocusOut:
        if (pWidget == parentWidget()->parentWidget()) hide(); // the text control
        break;
    case QEvent::WindowDeactivate:
        if (pWidget == window()) hide();
        break;
    default:
        break;
    }
    return QLabel::eventFilter(pWatched, pEvent);
}

void CPasteNotice::hideEvent(QHideEvent* pEvent)
{
    qApp->removeEventFilter(this);
    QLabel::hideEvent(pEvent);
}
