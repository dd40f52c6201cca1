#include "ResultPanel.h"

#include "ConsoleText.h"
#include "ConsoleWindow.h"

CResultPanel::CResultPanel(QWidget* pParent) : CTextControl(pParent)
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
    const QString strShown = ToWidgetText(strText).toUpper();
    setPlainText(strShown);
    // A screen reader hears the description change after every result.
    QStringList arrDescription;
    if (!strShown.isEmpty())
    {
        const QStringList arrLines = strShown.split(u'\n');
        const QStringList arrNames = LineNames();
        for (qsizetype nLine = 0; nLine < arrNames.size(); ++nLine)
            arrDescription.append(arrNames[nLine] + QStringLiteral(": ") + arrLines.value(nLine));
    }
    setAccessibleDescription(arrDescription.join(u'\n'));
}

QStringList CResultPanel::LineNames()
{
    return {QStringLiteral("Binary"), QStringLiteral("Hexadecimal"), QStringLiteral("Decimal")};
}

std::string CResultPanel::Line(int nLine) const
{
    return LineOfText(m_strText, nLine);
}
