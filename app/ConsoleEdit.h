#pragma once

#include "CastType.h"
#include "ConsolePaste.h"
#include "TextControl.h"

#include <QList>
#include <QStringList>

#include <functional>

class QAction;

// The console's text control: editable, wrapping at its width, with a vertical scroll bar.
// A line may be very long (a pasted expression of a megabyte); the control keeps editing it at
// a cost that grows with the line, not with its square. Text pasted or dropped into it, by any
// key, the middle button or the mouse, is read as C first (CConsolePaste): a C line arrives
// translated, and a note beside the caret tells where the cast cannot give C's value; other
// text has its C and Python integer literals converted.
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

    // The cast type a paste is checked under (none until set).
    std::function<ECastType()> m_fnCastType;
    // C headers (".h" files) dropped on the console are read, not pasted, where this is set.
    std::function<void(const QStringList&)> m_fnReadHeaders;

    CConsolePaste& Paste() { return m_paste; }

protected:
    bool canInsertFromMimeData(const QMimeData* pSource) const override;
    void insertFromMimeData(const QMimeData* pSource) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    void KeepLayoutsOfLongLines(int nFrom, int nAdded);
    QStringList HeadersIn(const QMimeData* pSource) const;

    QList<QAction*> m_arrContextActions;
    CConsolePaste m_paste;
};
