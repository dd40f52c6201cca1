#pragma once

#include "TemplateDialog.h"

#include <functional>
#include <string>

class QPlainTextEdit;

// The Info window: the help text, read-only, and a "&Close" button. Shown modally, anew for
// every showing, by the main window that owns it, whose zoom it follows.
class CInfoDlg : public CTemplateDialog
{
public:
    explicit CInfoDlg(QWidget* pParent = nullptr);

    // Shows m_strText and runs the window until it is closed.
    int DoModal();

    // The text shown; CR LF between lines.
    std::string m_strText;
    // Where its zoom keys go; without one they zoom this window alone.
    std::function<void(int)> m_fnOnZoom;

protected:
    void OnZoom(int nPercent) override;

private:
    void UpdateData(bool bSaveAndValidate);
    void OnCloseButton();

    QPlainTextEdit* m_pText = nullptr;
};
