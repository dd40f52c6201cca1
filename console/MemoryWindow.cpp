#include "MemoryWindow.h"

#include <algorithm>

namespace
{

// A radio group checks the button at the index, or none when the index matches no button.
int RadioState(int nIndex, int nButtons)
{
    return (nIndex >= 0 && nIndex < nButtons) ? nIndex : -1;
}

} // namespace

void CMemoryWindow::ReadControls(CViewState& state)
{
    state.m_strPanel = m_strPanelText;
    state.m_bUnsigned = m_bUnsignedChecked;
    state.m_nCastMode = static_cast<ECastMode>(m_nCastRadio);
    state.m_nOutputMode = static_cast<EOutputMode>(m_nOutputRadio);
    state.m_nEditMode = static_cast<EEditMode>(m_nEditRadio);
    state.m_bEndPos = m_bEndPosChecked;
}

void CMemoryWindow::WriteControls(const CViewState& state)
{
    m_strPanelText = state.m_strPanel;
    m_bUnsignedChecked = state.m_bUnsigned != 0;
    m_nCastRadio = RadioState(static_cast<int>(state.m_nCastMode), 4);
    m_nOutputRadio = RadioState(static_cast<int>(state.m_nOutputMode), 3);
    m_nEditRadio = RadioState(static_cast<int>(state.m_nEditMode), 2);
    m_bEndPosChecked = state.m_bEndPos != 0;
}

void CMemoryWindow::GetConsoleSel(int& nStart, int& nEnd)
{
    nStart = m_nSelStart;
    nEnd = m_nSelEnd;
}

void CMemoryWindow::SetConsoleSel(int nStart, int nEnd)
{
    const auto nLength = static_cast<int>(m_strConsoleText.size());
    if (nEnd < 0) nEnd = nLength;
    m_nSelStart = std::clamp(nStart, 0, nLength);
    m_nSelEnd = std::clamp(nEnd, 0, nLength);
    if (m_nSelEnd < m_nSelStart) std::swap(m_nSelStart, m_nSelEnd);
}

void CMemoryWindow::ReplaceConsoleSel(const std::string& strText)
{
    m_strConsoleText.replace(static_cast<std::size_t>(m_nSelStart),
                             static_cast<std::size_t>(m_nSelEnd - m_nSelStart), strText);
    m_nSelStart += static_cast<int>(strText.size());
    m_nSelEnd = m_nSelStart;
}

std::string CMemoryWindow::GetPanelLine(int nLine) { return LineOfText(m_strPanelText, nLine); }

void CMemoryWindow::EnableControl(EConsoleControl control, bool bEnable)
{
    (control == EConsoleControl::Unsigned ? m_bUnsignedEnabled : m_bEndPosEnabled) = bEnable;
}

void CMemoryWindow::SetConsoleText(std::string strText, int nCaret)
{
    m_strConsoleText = std::move(strText);
    const auto nLength = static_cast<int>(m_strConsoleText.size());
    m_nSelStart = m_nSelEnd = (nCaret < 0 || nCaret > nLength) ? nLength : nCaret;
}
