#include "ResultPanel.h"

#include "ConsoleText.h"
#include "ConsoleWindow.h"

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
    return LineOfText(m_strText, nLine);
}

void CResultPanel::keyPressEvent(QKeyEvent* pEvent)
{
    // Enter belongs to the panel, which being read-only does nothing with it: it must not
    // reach the dialog and end it.
    if (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter) return;
    QPlainTextEdit::keyPressEvent(pEvent);
}
