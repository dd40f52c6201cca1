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

// Whole lines of the console's text and where they stand in it.
struct SConsoleLines
{
    std::string strText; // CR LF between the lines
    int nBegin = 0;      // the position of strText's first character in the console
    int nLength = 0;     // the length of the whole console
};

// The window operations the console logic needs. The window implements them on its widgets;
// CMemoryWindow keeps the controls' states as plain values for tests and the command line.
// Console positions count a line break as the two characters CR LF, from 0. No operation
// needs the whole console's text, so that a key costs the same in a console of any length.
class IConsoleWindow
{
public:
    virtual ~IConsoleWindow() = default;

    // The data exchange: the panel and the five mode controls to the view state, or back. The
    // console's text is exchanged through the operations below.
    virtual void ReadControls(CViewState& state) = 0;
    virtual void WriteControls(const CViewState& state) = 0;

    // The line Enter at position nPos (-1: the end) evaluates and the two lines below it, as
    // CaretLines cuts them from the whole text.
    virtual SConsoleLines GetConsoleLines(int nPos) = 0;
    // Replaces the whole text, not undoably; the caret goes to its start.
    virtual void ReplaceConsoleText(const std::string& strText) = 0;

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

// The lines of strText that Enter at position nPos (clamped to the text; -1: its end) reads:
// from the start of the line that the first CR at or after nPos ends (or the text's end) to
// the end of the second line below it, or to the text's end. A line begins after an LF.
SConsoleLines CaretLines(std::string_view strText, int nPos);

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
