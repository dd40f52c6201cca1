#include "TemplateDialog.h"

#include "DialogUnits.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QRadioButton>
#include <QScreen>
#include <QWheelEvent>

#include <algorithm>

namespace
{

constexpr int kWheelNotch = 120; // eighths of a degree

// The character of an Alt key as a mnemonic: letters and digits by their key, whatever the
// Shift state and layout level; other keys by the text they would type. Null for none.
QChar MnemonicKeyOf(const QKeyEvent& event)
{
    const int nKey = event.key();
    if ((nKey >= Qt::Key_A && nKey <= Qt::Key_Z) || (nKey >= Qt::Key_0 && nKey <= Qt::Key_9))
        return QChar(nKey);
    const QString strText = event.text();
    return strText.size() == 1 && strText[0].isPrint() ? strText[0] : QChar();
}

// Steps asked for by a zoom key, or 0; Ctrl+0 asks for 100 % itself.
int ZoomKeyOf(const QKeyEvent& event)
{
    switch (event.key())
    {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return 1;
    case Qt::Key_Minus:
        return -1;
    default:
        return 0;
    }
}

} // namespace

CTemplateDialog::CTemplateDialog(const CDialogTemplate& dlgTemplate, QWidget* pParent)
    : QDialog(pParent)
{
    m_controls.Create(*this, dlgTemplate);
    // Every widget of the window, viewports and scroll bars included, so that no control
    // handles a dialog key, a mnemonic or Ctrl+wheel on its own.
    installEventFilter(this);
    for (QWidget* pWidget : findChildren<QWidget*>())
        if (pWidget->window() == this) pWidget->installEventFilter(this);
}

void CTemplateDialog::SetZoom(int nPercent)
{
    const QSize sizeFrame = frameGeometry().size() - size();
    m_controls.Layout(ZoomStep(nPercent, 0));
    OnLayout();
    // A window that grows past the screen's edge moves back onto it, as far as it fits.
    if (!isVisible() || !screen()) return;
    const QRect rectScreen = screen()->availableGeometry();
    const QSize sizeOuter = size() + sizeFrame;
    const QPoint ptFrom = pos();
    const QPoint ptTo(std::max(rectScreen.left(),
                               std::min(ptFrom.x(), rectScreen.right() + 1 - sizeOuter.width())),
                      std::max(rectScreen.top(),
                               std::min(ptFrom.y(), rectScreen.bottom() + 1 - sizeOuter.height())));
    if (ptTo != ptFrom) move(ptTo);
}

bool CTemplateDialog::PreTranslateKeyPress(QObject*, const QKeyEvent&) { return false; }

void CTemplateDialog::OnZoom(int nPercent) { SetZoom(nPercent); }

bool CTemplateDialog::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    switch (pEvent->type())
    {
    case QEvent::ShortcutOverride:
    {
        // Alt keys are routed here, as mnemonics; no shortcut of Qt's may take them first.
        const auto* pKey = static_cast<QKeyEvent*>(pEvent);
        if ((pKey->modifiers() & Qt::AltModifier) && !(pKey->modifiers() & Qt::ControlModifier))
        {
            pEvent->accept();
            return true;
        }
        break;
    }
    case QEvent::KeyPress:
    {
        // Once, where the key arrives, not again as it travels up to the parents.
        QWidget* pFocus = QApplication::focusWidget();
        if (pWatched != (pFocus ? static_cast<QObject*>(pFocus) : this)) break;
        const auto& event = *static_cast<QKeyEvent*>(pEvent);
        return PreTranslateKeyPress(pWatched, event) || IsDialogKey(event);
    }
    case QEvent::Wheel:
    {
        const auto* pWheel = static_cast<QWheelEvent*>(pEvent);
        if (!(pWheel->modifiers() & Qt::ControlModifier)) break;
        // A few notches at a time at most, so that the sum never overflows.
        m_nWheelDelta += std::clamp(pWheel->angleDelta().y(), -8 * kWheelNotch, 8 * kWheelNotch);
        const int nSteps = m_nWheelDelta / kWheelNotch;
        m_nWheelDelta -= nSteps * kWheelNotch;
        if (nSteps != 0) OnZoom(ZoomStep(Zoom(), nSteps));
        return true;
    }
    default:
        break;
    }
    return QDialog::eventFilter(pWatched, pEvent);
}

bool CTemplateDialog::IsDialogKey(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const bool bAlt = modifiers & Qt::AltModifier;
    const bool bCtrl = modifiers & Qt::ControlModifier;
    QWidget* pFocus = QApplication::focusWidget();

    if (bCtrl && !bAlt)
    {
        if (event.key() == Qt::Key_0)
        {
            OnZoom(kZoomSteps.front());
            return true;
        }
        if (const int nSteps = ZoomKeyOf(event))
        {
            OnZoom(ZoomStep(Zoom(), nSteps));
            return true;
        }
    }
    if (bAlt && !bCtrl)
    {
        const QChar chKey = MnemonicKeyOf(event);
        if (chKey.isNull()) return false;
        QWidget* pItem = m_controls.MnemonicItem(chKey);
        if (!pItem)
        {
            QApplication::beep();
            return true;
        }
        // A button is clicked at once, as the dialog manager does, after taking the focus
        // where it can; its handler may then move the focus on.
        if (pItem->focusPolicy() != Qt::NoFocus && pItem->isVisible())
            pItem->setFocus(Qt::ShortcutFocusReason);
        if (auto* pButton = qobject_cast<QAbstractButton*>(pItem)) pButton->click();
        return true;
    }
    if (bAlt) return false;

    switch (event.key())
    {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    {
        // Qt would skip unchecked radio buttons; the dialog visits every tab stop.
        if (bCtrl) return false;
        const bool bPrevious = event.key() == Qt::Key_Backtab || (modifiers & Qt::ShiftModifier);
        if (QWidget* pNext = m_controls.NextTabItem(pFocus, bPrevious))
            pNext->setFocus(bPrevious ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        return true;
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    {
        // The edit controls keep their arrows; on a button they are the dialog's.
        if (!qobject_cast<QAbstractButton*>(pFocus)) return false;
        const bool bPrevious = event.key() == Qt::Key_Up || event.key() == Qt::Key_Left;
        if (QWidget* pNext = m_controls.NextGroupItem(pFocus, bPrevious))
        {
            pNext->setFocus(Qt::TabFocusReason);
            auto* pRadio = qobject_cast<QRadioButton*>(pNext);
            if (pRadio && !pRadio->isChecked()) pRadio->click();
        }
        return true;
    }
    default:
        return false;
    }
}
