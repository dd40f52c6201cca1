#include "Transcript.h"

#include "Ascii.h"

#include <algorithm>

namespace
{

constexpr std::string_view kLineBreak = "\r\n";

bool IsBreakByte(char ch) { return ch == '\r' || ch == '\n'; }

// The start of the last nLines lines of strText, 0 when it has no more. A line ends as the
// console shows it: at CR LF, or at a lone CR or LF, as a text stored by anything else may have.
std::size_t StartOfLastLines(std::string_view strText, std::size_t nLines)
{
    std::size_t nBreaks = 0;
    for (std::size_t i = strText.size(); i-- > 0;)
    {
        if (!IsBreakByte(strText[i])) continue;
        const std::size_t nLineStart = i + 1;
        if (strText[i] == '\n' && i > 0 && strText[i - 1] == '\r') --i;
        if (++nBreaks == nLines) return nLineStart;
    }
    return 0;
}

// The text with every line break as CR LF, the form the console's own text has.
std::string WithCrLf(std::string_view strText)
{
    std::string strOut;
    strOut.reserve(strText.size());
    std::size_t nPos = 0;
    while (nPos < strText.size())
    {
        const std::size_t nBreak = std::min(strText.find_first_of("\r\n", nPos), strText.size());
        strOut.append(strText, nPos, nBreak - nPos);
        if (nBreak == strText.size()) break;
        strOut += kLineBreak;
        nPos = nBreak + (strText.substr(nBreak, 2) == kLineBreak ? 2 : 1);
    }
    return strOut;
}

} // namespace

std::string TranscriptOf(std::string_view strConsole, std::size_t nMaxLines, std::size_t nMaxBytes)
{
    if (strConsole == "?")
        strConsole = {};
    else if (strConsole.size() >= 2 && strConsole.ends_with('?') &&
             IsBreakByte(strConsole[strConsole.size() - 2]))
        strConsole.remove_suffix(strConsole.ends_with("\r\n?") ? 3 : 2);

    std::string strTranscript =
        WithCrLf(strConsole.substr(StartOfLastLines(strConsole, nMaxLines)));
    if (strTranscript.size() > nMaxBytes)
    {
        // The first line that starts inside the last nMaxBytes bytes.
        const std::size_t nFirstKept = strTranscript.size() - nMaxBytes;
        const std::size_t nBreak =
            strTranscript.find(kLineBreak, nFirstKept - std::min(nFirstKept, kLineBreak.size()));
        strTranscript.erase(0, nBreak == std::string::npos ? strTranscript.size()
                                                           : nBreak + kLineBreak.size());
    }
    std::replace(strTranscript.begin(), strTranscript.end(), '\0', lumdrak::kLostByte);
    return strTranscript;
}

std::int64_t CSaveSchedule::OnEdit(std::int64_t nNowMs, bool bLinesChanged)
{
    if (m_nDeadlineMs < 0) m_nDeadlineMs = nNowMs + kLatestMs;
    if (bLinesChanged) m_nDeadlineMs = std::min(m_nDeadlineMs, nNowMs + kPauseMs);
    return std::max<std::int64_t>(0, std::min(nNowMs + kPauseMs, m_nDeadlineMs) - nNowMs);
}
