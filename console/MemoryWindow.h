#pragma once

#include "ConsoleWindow.h"

#include <string>

// The window's controls as plain values: what the tests and the command-line tool drive the
// console logic through. It behaves as the real controls do: the selection is clamped to
// the text, a replacement leaves the caret behind the new text, radio values outside a group
// leave no button checked (-1 when read back).
class CMemoryWindow : public IConsoleWindow
{
public:
    void ReadControls(CViewState& state) override;
    void WriteControls(const CViewState& state) override;
    SConsoleLines GetConsoleLines(int nPos) override { return CaretLines(m_strConsoleText, nPos); }
    void ReplaceConsoleText(const std::string& strText) override { SetConsoleText(strText, 0); }
    void GetConsoleSel(int& nStart, int& nEnd) override;
    void SetConsoleSel(int nStart, int nEnd) override;
    void ReplaceConsoleSel(const std::string& strText) override;
    std::string GetPanelLine(int nLine) override;
    void EnableControl(EConsoleControl control, bool bEnable) override;
    void FocusConsole() override { m_bConsoleFocused = true; }

    // Typing in the console: replaces the whole text and puts the caret at nCaret (-1: end).
    void SetConsoleText(std::string strText, int nCaret = -1);

    std::string m_strConsoleText;
    int m_nSelStart = 0;
    int m_nSelEnd = 0;
    std::string m_strPanelText;
    int m_bUnsignedChecked = 0;
    int m_nCastRadio = -1; // index of the checked button, -1 for none
    int m_nOutputRadio = -1;
    int m_nEditRadio = -1;
    int m_bEndPosChecked = 0;
    bool m_bUnsignedEnabled = true;
    bool m_bEndPosEnabled = true;
    bool m_bConsoleFocused = false;
};
