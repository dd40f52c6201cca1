#include "LineEditor.h"

#include "Ascii.h"
#include "Completion.h"
#include "Libedit.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cwchar>
#include <poll.h>
#include <unistd.h>

namespace
{

volatile std::sig_atomic_t g_bInterrupted = 0;

void OnInterrupt(int) { g_bInterrupted = 1; }

// Waits until standard input can be read, or Ctrl+C. SIGINT stays blocked between the check of
// the flag and the wait, so an interrupt that comes while a key is being handled is not lost.
bool WaitForInput()
{
    sigset_t interrupt;
    sigset_t previous;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    sigprocmask(SIG_BLOCK, &interrupt, &previous);
    pollfd input{STDIN_FILENO, POLLIN, 0};
    int nReady = 0;
    while (g_bInterrupted == 0 && nReady <= 0)
    {
        sigset_t waiting = previous;
        sigdelset(&waiting, SIGINT);
        nReady = ppoll(&input, 1, nullptr, &waiting);
        if (nReady < 0 && errno != EINTR) break;
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return g_bInterrupted == 0;
}

// Reads one key as libedit's own reader does, except that Ctrl+C ends the wait at once:
// libedit reads again after a first interrupted read and misses an interrupt that comes
// between two reads, so whether Ctrl+C took effect depended on its timing.
int ReadKey(EditLine* pEditLine, wchar_t* pKey)
{
    char buffer[MB_LEN_MAX];
    std::size_t nBytes = 0;
    for (;;)
    {
        if (!WaitForInput())
        {
            *pKey = L'\0';
            errno = EINTR;
            return -1;
        }
        const ssize_t nRead = read(STDIN_FILENO, buffer + nBytes, 1);
        if (nRead < 0 && errno == EINTR)
        {
            Libedit().el_set(pEditLine, EL_REFRESH); // a resize or a return from the background
            continue;
        }
        if (nRead <= 0)
        {
            *pKey = L'\0';
            return nRead == 0 ? 0 : -1;
        }
        ++nBytes;
        std::mbstate_t state{};
        const std::size_t nResult = std::mbrtowc(pKey, buffer, nBytes, &state);
        if (nResult == static_cast<std::size_t>(-2) && nBytes < sizeof buffer)
            continue; // the rest of a multibyte character
        if (nResult == static_cast<std::size_t>(-1) || nResult == static_cast<std::size_t>(-2))
        {
            nBytes = 0; // not a character: dropped, as libedit drops it
            continue;
        }
        return 1;
    }
}

// The search is ours, not libedit's em-inc-search-prev: that one tries the pattern as a
// regular expression when it is no substring, so "7*" finds every line, it compares letters in
// their case, and an Escape ends it, so the rest of an End or arrow key's sequence is typed
// into the line. Ours handles one key per call: after each it pushes this key sequence back
// into the input, so that libedit redraws the line before the next key is read. No terminal
// sends it.
constexpr char kSearchStep[] = "\033[lumdrak-search~";

struct SBinding
{
    const char* szKeys;
    const char* szFunction;
};

// On top of libedit's Emacs keys: what readline users expect, and the keys terminals send
// for Home, End, Delete and Ctrl with the arrows.
// clang-format off
constexpr SBinding kBindings[] = {
    {"^I", "lumdrak-complete"},
    {"^R", "lumdrak-search"},
    {kSearchStep, "lumdrak-search"},
    {"^W", "ed-delete-prev-word"},
    {"^U", "vi-kill-line-prev"},
    {"\033[H", "ed-move-to-beg"},
    {"\033OH", "ed-move-to-beg"},
    {"\033[1~", "ed-move-to-beg"},
    {"\033[7~", "ed-move-to-beg"},
    {"\033[F", "ed-move-to-end"},
    {"\033OF", "ed-move-to-end"},
    {"\033[4~", "ed-move-to-end"},
    {"\033[8~", "ed-move-to-end"},
    {"\033[3~", "ed-delete-next-char"},
    {"\033[1;5D", "ed-prev-word"},
    {"\033[1;5C", "em-next-word"},
    {"\033[1;3D", "ed-prev-word"},
    {"\033[1;3C", "em-next-word"},
};
// clang-format on

// The number of characters of strText in the locale's encoding; a byte that starts no
// character counts as one.
std::size_t CountCharacters(std::string_view strText)
{
    std::size_t nCount = 0;
    std::mbstate_t state{};
    while (!strText.empty())
    {
        std::size_t nLength = std::mbrlen(strText.data(), strText.size(), &state);
        if (nLength == static_cast<std::size_t>(-1) || nLength == static_cast<std::size_t>(-2))
        {
            state = std::mbstate_t{};
            nLength = 1;
        }
        strText.remove_prefix(nLength == 0 ? 1 : nLength);
        ++nCount;
    }
    return nCount;
}

std::string Multibyte(std::wstring_view strText)
{
    std::string strBytes;
    std::mbstate_t state{};
    char buffer[MB_LEN_MAX];
    for (const wchar_t wc : strText)
    {
        const std::size_t nLength = std::wcrtomb(buffer, wc, &state);
        if (nLength != static_cast<std::size_t>(-1)) strBytes.append(buffer, nLength);
    }
    return strBytes;
}

// Where strPattern first occurs in strText, letters matched in any case.
std::size_t FindFolded(std::string_view strText, std::string_view strPattern)
{
    for (std::size_t i = 0; i + strPattern.size() <= strText.size(); ++i)
    {
        std::size_t j = 0;
        while (j < strPattern.size() &&
               lumdrak::AsciiLower(strText[i + j]) == lumdrak::AsciiLower(strPattern[j]))
            ++j;
        if (j == strPattern.size()) return i;
    }
    return std::string_view::npos;
}

} // namespace

CLineEditor::CLineEditor(const char* szPrompt, CHistoryFile& history)
    : m_lib(Libedit()), m_history(history), m_strPrompt(szPrompt), m_strLinePrompt(szPrompt)
{
    // Without SA_RESTART, so that Ctrl+C ends the wait for the next key.
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &m_oldInterrupt);

    m_pEditLine = m_lib.el_init("lumdrak-eval", stdin, stdout, stderr);
    m_pHistory = m_lib.history_init();
    if (m_pEditLine == nullptr || m_pHistory == nullptr)
    {
        if (m_pEditLine != nullptr) m_lib.el_end(m_pEditLine);
        m_pEditLine = nullptr;
        return;
    }
    HistEvent event{};
    m_lib.history(m_pHistory, &event, H_SETSIZE, static_cast<int>(CHistoryFile::kMaxEntries));
    for (const std::string& strEntry : m_history.Entries())
        m_lib.history(m_pHistory, &event, H_ENTER, strEntry.c_str());

    m_lib.el_set(m_pEditLine, EL_CLIENTDATA, this);
    m_lib.el_set(m_pEditLine, EL_EDITOR, "emacs");
    m_lib.el_set(m_pEditLine, EL_SIGNAL, 1); // Ctrl+Z, resizing and hang-ups restore the terminal
    m_lib.el_set(m_pEditLine, EL_GETCFN, &ReadKey);
    m_lib.el_set(m_pEditLine, EL_PROMPT, &CLineEditor::OnPrompt);
    m_lib.el_set(m_pEditLine, EL_HIST, m_lib.history, m_pHistory);
    // The wide form keeps these names as given; the narrow one copies them and never frees.
    m_lib.el_wset(m_pEditLine, EL_ADDFN, L"lumdrak-complete",
                  L"Complete a function name, pi, r or m, or a command", &CLineEditor::OnComplete);
    m_lib.el_wset(m_pEditLine, EL_ADDFN, L"lumdrak-search",
                  L"Search the history backwards as you type", &CLineEditor::OnSearch);
    for (const SBinding& binding : kBindings)
        m_lib.el_set(m_pEditLine, EL_BIND, binding.szKeys, binding.szFunction,
                     static_cast<const char*>(nullptr));
    m_lib.el_source(m_pEditLine, nullptr); // the user's ~/.editrc has the last word
}

CLineEditor::~CLineEditor()
{
    if (m_pEditLine != nullptr) m_lib.el_end(m_pEditLine);
    if (m_pHistory != nullptr) m_lib.history_end(m_pHistory);
    sigaction(SIGINT, &m_oldInterrupt, nullptr);
}

CLineEditor::ERead CLineEditor::ReadLine(std::string& strLine)
{
    g_bInterrupted = 0;
    int nCount = 0;
    const char* pLine = m_lib.el_gets(m_pEditLine, &nCount);
    const int nError = errno;
    if (m_bSearching) EndSearch();
    if (g_bInterrupted != 0 || (pLine == nullptr && nCount < 0 && nError == EINTR))
    {
        FinishScreenLine("^C\n");
        return ERead::Interrupted;
    }
    if (pLine == nullptr || nCount <= 0) return ERead::End;
    strLine.assign(pLine, static_cast<std::size_t>(nCount));
    while (!strLine.empty() && (strLine.back() == '\n' || strLine.back() == '\r'))
        strLine.pop_back();
    return ERead::Line;
}

void CLineEditor::Remember(std::string_view strLine)
{
    if (!m_history.Add(strLine)) return;
    HistEvent event{};
    m_lib.history(m_pHistory, &event, H_ENTER, std::string(strLine).c_str());
}

CLineEditor& CLineEditor::From(EditLine* pEditLine)
{
    void* pData = nullptr;
    Libedit().el_get(pEditLine, EL_CLIENTDATA, &pData);
    return *static_cast<CLineEditor*>(pData);
}

char* CLineEditor::OnPrompt(EditLine* pEditLine) { return From(pEditLine).m_strPrompt.data(); }

unsigned char CLineEditor::OnComplete(EditLine* pEditLine, int)
{
    CLineEditor& self = From(pEditLine);
    const LineInfo* pInfo = self.m_lib.el_line(pEditLine);
    const SCompletion completion = CompleteName(
        std::string_view(pInfo->buffer, static_cast<std::size_t>(pInfo->cursor - pInfo->buffer)));
    if (!completion.strInsert.empty())
        return self.m_lib.el_insertstr(pEditLine, completion.strInsert.c_str()) == 0
                   ? CC_REFRESH
                   : CC_REFRESH_BEEP;
    if (completion.candidates.empty()) return CC_REFRESH_BEEP;

    // The names go below the line, as many to a row as fit; libedit then draws the line anew.
    self.FinishScreenLine("\r\n");
    const std::size_t nWidth = static_cast<std::size_t>(self.Columns());
    std::size_t nColumn = 0;
    for (const std::string& strName : completion.candidates)
    {
        if (nColumn > 0 && nColumn + 2 + strName.size() >= nWidth)
        {
            std::fputs("\r\n", stdout);
            nColumn = 0;
        }
        if (nColumn > 0)
        {
            std::fputs("  ", stdout);
            nColumn += 2;
        }
        std::fputs(strName.c_str(), stdout);
        nColumn += strName.size();
    }
    std::fputs("\r\n", stdout);
    std::fflush(stdout);
    return CC_REDISPLAY;
}

unsigned char CLineEditor::OnSearch(EditLine* pEditLine, int)
{
    CLineEditor& self = From(pEditLine);
    if (self.m_bSearching) return self.SearchKey();

    const LineInfo* pInfo = self.m_lib.el_line(pEditLine);
    self.m_strLineBeforeSearch.assign(pInfo->buffer, pInfo->lastchar);
    const LineInfoW* pWide = self.m_lib.el_wline(pEditLine);
    self.m_nCaretBeforeSearch = static_cast<std::size_t>(pWide->cursor - pWide->buffer);
    self.m_bSearching = true;
    self.m_bSearchFailed = false;
    self.m_strPattern.clear();
    self.m_nMatch = self.m_history.Entries().size();
    self.ShowSearch();
    self.m_lib.el_push(pEditLine, kSearchStep);
    return CC_REFRESH;
}

unsigned char CLineEditor::SearchKey()
{
    const std::size_t nEntries = m_history.Entries().size();
    wchar_t wcKey = 0;
    if (m_lib.el_wgetc(m_pEditLine, &wcKey) != 1)
    {
        // Ctrl+C ends the line so that the caller abandons it; anything else ends the input.
        EndSearch();
        return g_bInterrupted != 0 ? CC_NEWLINE : CC_EOF;
    }
    switch (wcKey)
    {
    case L'\x12': // Ctrl+R: the next older line that holds the text
        if (m_strPattern.empty()) m_strPattern = m_strLastPattern;
        if (!m_strPattern.empty()) FindMatch(m_nMatch, m_nMatch < nEntries);
        break;
    case L'\x07': // Ctrl+G: back to the line as it was before the search
        ReplaceLine(m_strLineBeforeSearch, m_nCaretBeforeSearch);
        EndSearch();
        return CC_REFRESH;
    case L'\x08':
    case L'\x7F':
        if (!m_strPattern.empty())
        {
            m_strPattern.pop_back();
            if (m_strPattern.empty())
            {
                ReplaceLine(m_strLineBeforeSearch, m_nCaretBeforeSearch);
                m_nMatch = nEntries;
                m_bSearchFailed = false;
            }
            else
            {
                FindMatch(nEntries, false);
            }
        }
        break;
    case L'\x1B':
        // Escape ends the search. When it begins a key's sequence (an arrow), it goes back
        // into the input, so that the key then acts on the line found.
        EndSearch();
        if (InputPending()) m_lib.el_wpush(m_pEditLine, L"\x1B");
        return CC_REFRESH;
    default:
        if (wcKey < L' ')
        {
            // Any other control key ends the search and then does its own work: Enter
            // evaluates the line found, Ctrl+A moves to its start.
            EndSearch();
            const wchar_t keys[2] = {wcKey, L'\0'};
            m_lib.el_wpush(m_pEditLine, keys);
            return CC_REFRESH;
        }
        m_strPattern += wcKey;
        FindMatch(m_nMatch < nEntries ? m_nMatch + 1 : nEntries, false);
        break;
    }
    ShowSearch();
    m_lib.el_push(m_pEditLine, kSearchStep);
    return CC_REFRESH;
}

void CLineEditor::FindMatch(std::size_t nEnd, bool bSkipSame)
{
    const std::vector<std::string>& entries = m_history.Entries();
    const std::string strPattern = Multibyte(m_strPattern);
    for (std::size_t i = std::min(nEnd, entries.size()); i-- > 0;)
    {
        if (bSkipSame && entries[i] == entries[m_nMatch]) continue;
        const std::size_t nAt = FindFolded(entries[i], strPattern);
        if (nAt != std::string::npos)
        {
            m_nMatch = i;
            m_bSearchFailed = false;
            ReplaceLine(entries[i], CountCharacters(std::string_view(entries[i]).substr(0, nAt)));
            return;
        }
    }
    m_bSearchFailed = true;
}

void CLineEditor::ShowSearch()
{
    m_strPrompt = m_bSearchFailed ? "(failed reverse-i-search)`" : "(reverse-i-search)`";
    m_strPrompt += Multibyte(m_strPattern);
    m_strPrompt += "': ";
}

void CLineEditor::EndSearch()
{
    if (!m_strPattern.empty()) m_strLastPattern = m_strPattern;
    m_bSearching = false;
    m_strPrompt = m_strLinePrompt;
}

bool CLineEditor::InputPending() const
{
    // A terminal sends a key's whole sequence at once; a lone Escape has nothing behind it.
    pollfd input{STDIN_FILENO, POLLIN, 0};
    return poll(&input, 1, 50) > 0;
}

void CLineEditor::ReplaceLine(std::string_view strText, std::size_t nCaret)
{
    const LineInfoW* pInfo = m_lib.el_wline(m_pEditLine);
    m_lib.el_cursor(m_pEditLine, static_cast<int>(pInfo->lastchar - pInfo->cursor));
    pInfo = m_lib.el_wline(m_pEditLine);
    m_lib.el_deletestr(m_pEditLine, static_cast<int>(pInfo->cursor - pInfo->buffer));
    if (!strText.empty()) m_lib.el_insertstr(m_pEditLine, std::string(strText).c_str());
    pInfo = m_lib.el_wline(m_pEditLine);
    m_lib.el_cursor(m_pEditLine,
                    static_cast<int>(nCaret) - static_cast<int>(pInfo->cursor - pInfo->buffer));
}

void CLineEditor::FinishScreenLine(const char* szSuffix)
{
    // The rest of the line is written over itself, which leaves the cursor at its end however
    // the terminal wrapped it.
    const LineInfo* pInfo = m_lib.el_line(m_pEditLine);
    std::fwrite(pInfo->cursor, 1, static_cast<std::size_t>(pInfo->lastchar - pInfo->cursor),
                stdout);
    std::fputs(szSuffix, stdout);
    std::fflush(stdout);
}

int CLineEditor::Columns()
{
    int nColumns = 0;
    m_lib.el_get(m_pEditLine, EL_GETTC, "co", &nColumns);
    return nColumns > 0 ? nColumns : 80;
}
