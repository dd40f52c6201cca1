#include "ResultPanel.h"

#include "ConsoleText.h"
#include "ConsoleWindow.h"

#include "CLiterals.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>

#include <memory>

namespace
{

struct CCopyItem
{
    const char* m_pszText;
    int m_nLine;
};

// The panel's lines, as the context menu offers them.
constexpr CCopyItem kCopyItems[] = {
    {"Copy as 0b\u2026", 0},
    {"Copy as 0x\u2026", 1},
    {"Copy as decimal", 2},
};

} // namespace

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

void CResultPanel::CopyLiteral(int nLine) const
{
    const std::string strLiteral = ResultLiteral(m_strText, nLine);
    if (strLiteral.empty()) return;
    const QString strText = QString::fromLatin1(strLiteral.data(), static_cast<qsizetype>(strLiteral.size()));
    QClipboard* pClipboard = QGuiApplication::clipboard();
    pClipboard->setText(strText, QClipboard::Clipboard);
    if (pClipboard->supportsSelection()) pClipboard->setText(strText, QClipboard::Selection);
}

void CResultPanel::contextMenuEvent(QContextMenuEvent* pEvent)
{
    const std::unique_ptr<QMenu> pMenu(createStandardContextMenu(pEvent->pos()));
    pMenu->addSeparator();
    for (const CCopyItem& item : kCopyItems)
    {
        QAction* pAction = pMenu->addAction(QString::fromUtf8(item.m_pszText));
        pAction->setEnabled(!ResultLiteral(m_strText, item.m_nLine).empty());
        connect(pAction, &QAction::triggered, this, [this, nLine = item.m_nLine] { CopyLiteral(nLine); });
    }
    pMenu->exec(pEvent->globalPos());
}
