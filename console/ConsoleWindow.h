#pragma once

#include "ViewState.h"

#include <string>
#include <string_view>

// The controls whose enabled state the console logic changes.
enum class EConsoleControl
{
    Unsigned, // check box "&UNSIGNED"
    EndPos,   // check box "EndPos"
};

// The window operations the console logic needs. The window implements them on its widgets;
// CMemoryWindow keeps the controls' states as plain values for tests and the command line.
// Console positions count a line break as the two characters CR LF, from 0.
class IConsoleWindow
{
public:
    virtual ~IConsoleWindow() = default;

    // The data exchange: the seven bound controls to the view state, or back.
    virtual void ReadControls(CViewState& state) = 0;
    virtual void WriteControls(const CViewState& state) = 0;

    virtual void GetConsoleSel(int& nStart, int& nEnd) = 0;
    // An end of -1 selects to the end of the text.
    virtual void SetConsoleSel(int nStart, int nEnd) = 0;
    // Undoable; afterwards the caret stands just after the new text, with no selection.
    virtual void ReplaceConsoleSel(const std::string& strText) = 0;

    // Line nLine of the result panel, whole; empty when the panel has no such line.
    virtual std::string GetPanelLine(int nLine) = 0;

    virtual void EnableControl(EConsoleControl control, bool bEnable) = 0;
    virtual void FocusConsole() = 0;
};

// Line nLine (from 0) of a text whose lines end in CR LF; empty when there is no such line.
inline std::string LineOfText(std::string_view strText, int nLine)
{
    if (nLine < 0) return {};
    std::size_t nBegin = 0;
    for (int i = 0; i < nLine; ++i)
    {
        nBegin = strText.find("\r\n", nBegin);
        if (nBegin == std::string_view::npos) return {};
        nBegin += 2;
    }
    return std::string(strText.substr(nBegin, strText.find("\r\n", nBegin) - nBegin));
}
