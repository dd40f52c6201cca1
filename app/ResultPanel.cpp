#include "ResultPanel.h"

#include "ConsoleText.h"

#include <QKeyEvent>

CResultPanel::CResultPanel(QWidget* pParent) : QPlainTextEdit(pParent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A 64-digit line must fit on one row of a panel 65 average characters wide.
    document()->setDocumentMargin(1);
    QTextOption option = document()->defaultTextOption();
    option.setAlignment(Qt::AlignRight);
    document()->setDefaultTextOption(option);
}

void CResultPanel::SetText(const std::string& strText)
{
    if (strText == m_strText) return;
    m_strText = strText;
    setPlainText(ToWidgetText(strText).toUpper());
}

std::string CResultPanel::Line(int nLine) const
{
    if (nLine < 0) return {};
    std::size_t nBegin = 0;
    for (int i = 0; i < nLine; ++i)
    {
        nBegin = m_strText.find("\r\n", nBegin);
        if (nBegin == std::string::npos) return {};
        nBegin += 2;
    }
    return m_strText.substr(nBegin, m_strText.find("\r\n", nBegin) - nBegin);
}

void CResultPanel::keyPressEvent(QKeyEvent* pEvent)
{
    // Enter belongs to the panel, which being read-only does nothing with it: it must not
    // reach the dialog and end it.
    if (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter) return;
    QPlainTextEdit::keyPressEvent(pEvent);
}
