#include "ConsoleEdit.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QUrl>

#include <memory>

namespace
{

// Below this a line is laid out again in well under a millisecond; above it, the layout is
// worth its memory (about 40 bytes a character).
constexpr int kLongLine = 4096;

} // namespace

CConsoleEdit::CConsoleEdit(QWidget* pParent) : CTextControl(pParent), m_paste(this)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Breaking anywhere costs the same for every line; looking for word boundaries in a line
    // without blanks made every edit of it quadratic in its length.
    setWordWrapMode(QTextOption::WrapAnywhere);
    // A fixed direction spares a scan of the whole line for its first strong character, which
    // an expression never has, on every layout.
    QTextOption option = document()->defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    document()->setDefaultTextOption(option);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);

    // contentsChange comes before the document's layout sees the change.
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int nFrom, int /*nRemoved*/, int nAdded)
            { KeepLayoutsOfLongLines(nFrom, nAdded); });
}

void CConsoleEdit::ReplaceSelection(QString strText)
{
    QTextCursor cursor = textCursor();
    const int nStart = cursor.selectionStart();
    // The document's last character is a break that no text holds: nothing can go after it.
    const bool bKeepBreak = strText.startsWith(QLatin1Char('\n')) &&
                            nStart + 1 < document()->characterCount() &&
                            document()->characterAt(nStart) == QChar::ParagraphSeparator;
    int nCaret = nStart + static_cast<int>(strText.size());
    cursor.beginEditBlock();
    if (bKeepBreak)
    {
        // "\nX" in place of "\nY" is "X" in place of "Y" after the break; inserted before a
        // break, "\nX" is "X\n" after it.
        strText.remove(0, 1);
        if (cursor.hasSelection())
        {
            cursor.setPosition(nStart + 1);
            cursor.setPosition(textCursor().selectionEnd(), QTextCursor::KeepAnchor);
        }
        else
        {
            cursor.setPosition(nStart + 1);
            strText += QLatin1Char('\n');
        }
    }
    cursor.insertText(strText);
    cursor.endEditBlock();
    cursor.setPosition(bKeepBreak ? nCaret : cursor.position());
    setTextCursor(cursor);
    ensureCursorVisible();
}

void CConsoleEdit::KeepLayoutsOfLongLines(int nFrom, int nAdded)
{
    // A line's layout is otherwise dropped after each layout pass and built again, whole, for
    // the caret's position and for painting: three layouts of the line per typed key.
    for (QTextBlock block = document()->findBlock(nFrom);
         block.isValid() && block.position() <= nFrom + nAdded; block = block.next())
    {
        if (block.length() > kLongLine) block.layout()->setCacheEnabled(true);
    }
}

QStringList CConsoleEdit::HeadersIn(const QMimeData* pSource) const
{
    QStringList arrPaths;
    if (!m_fnReadHeaders || !pSource || !pSource->hasUrls()) return arrPaths;
    for (const QUrl& url : pSource->urls())
        if (url.isLocalFile() && url.path().endsWith(QStringLiteral(".h"), Qt::CaseInsensitive))
            arrPaths.append(url.toLocalFile());
    return arrPaths;
}

bool CConsoleEdit::canInsertFromMimeData(const QMimeData* pSource) const
{
    return !HeadersIn(pSource).isEmpty() || QPlainTextEdit::canInsertFromMimeData(pSource);
}

void CConsoleEdit::insertFromMimeData(const QMimeData* pSource)
{
    if (const QStringList arrHeaders = HeadersIn(pSource); !arrHeaders.isEmpty())
    {
        m_fnReadHeaders(arrHeaders);
        return;
    }
    if (!pSource || !pSource->hasText())
    {
        QPlainTextEdit::insertFromMimeData(pSource);
        return;
    }
    // The conversion works on bytes and never splits a UTF-8 sequence.
    m_paste.Start(pSource->text().toUtf8(), m_fnCastType ? m_fnCastType() : ECastType::None,
                  textCursor());
}

void CConsoleEdit::contextMenuEvent(QContextMenuEvent* pEvent)
{
    const std::unique_ptr<QMenu> pMenu(createStandardContextMenu(pEvent->pos()));
    if (!m_arrContextActions.isEmpty())
    {
        pMenu->addSeparator();
        pMenu->addActions(m_arrContextActions);
    }
    pMenu->exec(pEvent->globalPos());
}
