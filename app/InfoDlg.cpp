#include "InfoDlg.h"

#include "Accessibility.h"
#include "ConsoleText.h"
#include "Templates.h"

#include <QPlainTextEdit>
#include <QPushButton>

CInfoDlg::CInfoDlg(QWidget* pParent) : CTemplateDialog(kInfoTemplate, pParent)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    MakeAccessible(m_controls);
    m_pText = m_controls.Item<QPlainTextEdit>(kIdHelpText);
    connect(m_controls.Item<QPushButton>(kIdClose), &QPushButton::clicked, this,
            [this] { OnCloseButton(); });
}

int CInfoDlg::DoModal()
{
    UpdateData(false);
    // The first control with a tab stop: Enter closes the window at once.
    m_controls.Item(kIdClose)->setFocus();
    return exec();
}

void CInfoDlg::OnZoom(int nPercent)
{
    if (m_fnOnZoom)
        m_fnOnZoom(nPercent);
    else
        SetZoom(nPercent);
}

void CInfoDlg::UpdateData(bool bSaveAndValidate)
{
    if (bSaveAndValidate)
        m_strText = ToModelText(m_pText->document()->toRawText());
    else
        m_pText->setPlainText(ToWidgetText(m_strText));
}

void CInfoDlg::OnCloseButton()
{
    UpdateData(true);
    accept();
}
