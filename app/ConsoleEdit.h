#pragma once

#include "TextControl.h"

// The console's text control: editable, wrapping at its width, with a vertical scroll bar.
// A line may be very long (a pasted expression of a megabyte); the control keeps editing it at
// a cost that grows with the line, not with its square.
class CConsoleEdit : public CTextControl
{
public:
    explicit CConsoleEdit(QWidget* pParent);

private:
    void KeepLayoutsOfLongLines(int nFrom, int nAdded);
};
