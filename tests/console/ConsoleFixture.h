#pragma once

#include "Banner.h"
#include "Console.h"
#include "MemoryWindow.h"

#include <gtest/gtest.h>

#include <string>

// The exact decimal value of the double nearest to 1e300: fixed notation prints every digit.
inline constexpr char kExact1e300[] =
    "10000000000000000525047602552044202487044685811081591549158541155118024579889081957863713"
    "75080447864043704443832883878176942523235360430575644792184786706982848387200926575803737"
    "83023379478809005936895323497079994508111903896764088007465274278014249457925878882005684"
    "2838115669472196386865459400540160";

// Console texts in tests: "\n" stands for the console's CR LF and "@" for the caret.
inline void SetMarkedText(CMemoryWindow& window, const char* szMarked)
{
    std::string strText;
    int nCaret = -1;
    for (const char* p = szMarked; *p != '\0'; ++p)
    {
        if (*p == '@')
            nCaret = static_cast<int>(strText.size());
        else if (*p == '\n')
            strText += "\r\n";
        else
            strText += *p;
    }
    window.SetConsoleText(strText, nCaret);
}

inline std::string MarkedText(const CMemoryWindow& window)
{
    std::string strMarked = window.m_strConsoleText;
    strMarked.insert(static_cast<std::size_t>(window.m_nSelStart), 1, '@');
    for (std::size_t i = strMarked.find("\r\n"); i != std::string::npos;
         i = strMarked.find("\r\n", i))
        strMarked.replace(i, 2, "\n");
    return strMarked;
}

// A started console on the in-memory window with the given modes, as a user would set them.
class ConsoleTest : public ::testing::Test
{
protected:
    using enum ECastMode;
    using enum EOutputMode;
    using enum EEditMode;

    void StartWith(ECastMode eCast, int bUnsigned, EOutputMode eOutput, EEditMode eEdit,
                   int bEndPos)
    {
        m_console.SetModes({eCast, bUnsigned, eOutput, eEdit, bEndPos});
        m_console.Start(kBannerText, kVersionText);
    }

    const CViewState& State() const { return m_console.ViewState(); }

    // Enter with the given text and caret; returns whether the key was consumed.
    bool Enter(const char* szMarked)
    {
        SetMarkedText(m_window, szMarked);
        return m_console.PreTranslateKeyDown(EVirtualKey::Enter);
    }

    std::string PanelLine(int nLine) { return m_window.GetPanelLine(nLine); }

    CMemoryWindow m_window;
    CConsole m_console{m_window};
};
