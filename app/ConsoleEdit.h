#pragma once

#include "TextControl.h"

#include <QList>

class QAction;

// The console's text control: editable, wrapping at its width, with a vertical scroll bar.
// A line may be very long (a pasted expression of a megabyte); the control keeps editing it at
// a cost that grows with the line, not with its square. Text pasted or dropped into it, by any
// key, the middle button or the mouse, has its C and Python integer literals converted.
class CConsoleEdit : public CTextControl
{
public:
    explicit CConsoleEdit(QWidget* pParent);

    // Replaces the selection by strText as one undo step and leaves the caret just after it.
    // A line break that both begin with stays where it is, so the line before it, which may be
    // long, is not laid out again: Enter writes its result after the line it evaluated.
    void ReplaceSelection(QString strText);

    // Adds an action below the standard items of the context menu.
    void AddContextAction(QAction* pAction) { m_arrContextActions.append(pAction); }

protected:
    void insertFromMimeData(const QMimeData* pSource) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    void KeepLayoutsOfLongLines(int nFrom, int nAdded);

    QList<QAction*> m_arrContextActions;
};
