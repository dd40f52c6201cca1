#include "ConsoleEdit.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace
{

// Below this a line is laid out again in well under a millisecond; above it, the layout is
// worth its memory (about 40 bytes a character).
constexpr int kLongLine = 4096;

} // namespace

CConsoleEdit::CConsoleEdit(QWidget* pParent) : CTextControl(pParent)
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
            [this](int nFrom, int /*nRemoved*/, int nAdded) { KeepLayoutsOfLongLines(nFrom, nAdded); });
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
