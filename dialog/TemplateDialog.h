#pragma once

#include "DialogTemplate.h"

#include <QDialog>

class QKeyEvent;

// A window made from a dialog template, with the dialog manager's keyboard. A key goes first to
// the window's own PreTranslateKeyPress, then to the dialog keys, then to the focused control:
// - Tab and Shift+Tab visit the tab stops in template order;
// - an arrow key on a button walks the button's group in template order, going round; a radio
//   button it reaches is clicked unless it is checked already (a check box, a push button or
//   an edit control only gets the focus);
// - Alt (with or without Shift) and a character clicks the enabled control whose mnemonic the
//   character is, in any case, and otherwise only beeps: it never types into a control;
// - Ctrl+Plus (or Ctrl+=), Ctrl+Minus, Ctrl+0 and Ctrl+wheel ask for a zoom step (OnZoom).
class CTemplateDialog : public QDialog
{
public:
    CTemplateDialog(const CDialogTemplate& dlgTemplate, QWidget* pParent);

    QWidget* GetDlgItem(EControlId nId) const { return m_controls.Item(nId); }

    int Zoom() const { return m_controls.Zoom(); }
    // Lays the window out anew at nPercent of its template's font size, which is fixed there,
    // and keeps it on the screen; a percentage that is no zoom step means 100.
    void SetZoom(int nPercent);

protected:
    // The window's key filter, ahead of the dialog keys; true when it took the key.
    virtual bool PreTranslateKeyPress(QObject* pWatched, const QKeyEvent& event);
    // A zoom key or the wheel asks for the step nPercent.
    virtual void OnZoom(int nPercent);
    // After every layout of the controls, the first one and each zoom's.
    virtual void OnLayout() {}

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

    CDialogControls m_controls;

private:
    bool IsDialogKey(const QKeyEvent& event);

    int m_nWheelDelta = 0; // eighths of a degree turned with Ctrl but not yet a zoom step
};
