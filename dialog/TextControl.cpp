#include "TextControl.h"

#include "DevicePixels.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>

CTextControl::CTextControl(QWidget* pParent) : QPlainTextEdit(pParent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    SetTabsEveryEight();
}

bool CTextControl::event(QEvent* pEvent)
{
    // The frame is all that the control paints outside its viewport.
    if (pEvent->type() == QEvent::Paint)
    {
        QPainter painter(this);
        const CDeviceGrid grid(painter);
        grid.FillFrame(painter, rect(), static_cast<int>(grid.Ratio()),
                       palette().color(QPalette::Mid));
        return true;
    }
    return QPlainTextEdit::event(pEvent);
}

void CTextControl::changeEvent(QEvent* pEvent)
{
    if (pEvent->type() == QEvent::FontChange) SetTabsEveryEight();
    QPlainTextEdit::changeEvent(pEvent);
}

void CTextControl::keyPressEvent(QKeyEvent* pEvent)
{
    if (isReadOnly() && (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter)) return;
    QPlainTextEdit::keyPressEvent(pEvent);
}

void CTextControl::SetTabsEveryEight()
{
    setTabStopDistance(8 * QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' ')));
}
