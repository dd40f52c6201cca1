#pragma once

#include "HistoryFile.h"
#include "Libedit.h"

#include <csignal>
#include <histedit.h>
#include <string>
#include <string_view>

// Line editing on a terminal through libedit, in Emacs style: the usual movement and cut keys,
// the history on Up and Down, a reverse incremental search on Ctrl+R, name completion on Tab.
// While it exists, Ctrl+C abandons the line being typed instead of ending the program. It is
// made only once LoadLibedit has succeeded.
class CLineEditor
{
public:
    enum class ERead
    {
        Line,        // a line was entered
        Interrupted, // Ctrl+C: the line was abandoned
        End,         // Ctrl+D on an empty line, or the terminal is gone
    };

    // Reads from standard input and writes to standard output, both terminals; the entries
    // of history are offered on Up and to the search.
    CLineEditor(const char* szPrompt, CHistoryFile& history);
    ~CLineEditor();
    CLineEditor(const CLineEditor&) = delete;
    CLineEditor& operator=(const CLineEditor&) = delete;

    // False when libedit could not be set up on this terminal.
    bool IsOpen() const { return m_pEditLine != nullptr; }

    // The next line, without its line break.
    ERead ReadLine(std::string& strLine);

    // Keeps a line in the history, in this session and in the file.
    void Remember(std::string_view strLine);

private:
    static unsigned char OnComplete(EditLine* pEditLine, int nKey);
    static unsigned char OnSearch(EditLine* pEditLine, int nKey);
    static char* OnPrompt(EditLine* pEditLine);
    static CLineEditor& From(EditLine* pEditLine);

    unsigned char SearchKey();
    void EndSearch();
    void ShowSearch();
    void FindMatch(std::size_t nEnd, bool bSkipSame);
    bool InputPending() const;
    void ReplaceLine(std::string_view strText, std::size_t nCaret);
    void FinishScreenLine(const char* szSuffix);
    int Columns();

    const SLibedit& m_lib;
    EditLine* m_pEditLine = nullptr;
    History* m_pHistory = nullptr;
    CHistoryFile& m_history;
    std::string m_strPrompt;
    std::string m_strLinePrompt;
    struct sigaction m_oldInterrupt = {};

    // The reverse search, while Ctrl+R is active. m_nMatch indexes the history's entries
    // (their count when nothing matches yet).
    bool m_bSearching = false;
    bool m_bSearchFailed = false;
    std::wstring m_strPattern;     // as typed; searched for in the locale's multibyte form
    std::wstring m_strLastPattern; // what Ctrl+R looks for again when nothing is typed yet
    std::size_t m_nMatch = 0;
    std::string m_strLineBeforeSearch;
    std::size_t m_nCaretBeforeSearch = 0;
};
