#pragma once

#include "TextControl.h"

// The console's text control: editable, wrapping at its width, with a vertical scroll bar.
// A line may be very long (a pasted expression of a megabyte); the control keeps editing it at
// a cost that grows with the line, not with its square.
class CConsoleEdit : public CTextControl
{
public:
    explicit CConsoleEdit(QWidget* pParent);

    // Replaces the selection by strText as one undo step and leaves the caret just after it.
    // A line break that both begin with stays where it is, so the line before it, which may be
    // long, is not laid out again: Enter writes its result after the line it evaluated.
    void ReplaceSelection(QString strText);

private:
    void KeepLayoutsOfLongLines(int nFrom, int nAdded);
};
