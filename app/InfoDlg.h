#pragma once

#include "DialogTemplate.h"

#include <QDialog>

#include <string>

class QPlainTextEdit;

// The Info window: the help text, read-only, and a "&Close" button. Shown modally, anew for
// every showing, by the main window that owns it.
class CInfoDlg : public QDialog
{
public:
    explicit CInfoDlg(QWidget* pParent = nullptr);

    // Shows m_strText and runs the window until it is closed.
    int DoModal();

    // The text shown; CR LF between lines.
    std::string m_strText;

private:
    void UpdateData(bool bSaveAndValidate);
    void OnCloseButton();

    CDialogControls m_controls;
    QPlainTextEdit* m_pText = nullptr;
};
