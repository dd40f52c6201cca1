#include "Transcript.h"

#include <algorithm>

namespace
{

constexpr std::string_view kLineBreak = "\r\n";
constexpr char kLostByte = 0x1A;

// The start of the last nLines lines of strText, 0 when it has no more.
std::size_t StartOfLastLines(std::string_view strText, std::size_t nLines)
{
    std::size_t nLineStart = 0;
    std::size_t nLineEnd = strText.size();
    for (std::size_t nLine = 0; nLine < nLines; ++nLine)
    {
        if (nLineEnd < kLineBreak.size()) return 0;
        const std::size_t nBreak = strText.rfind(kLineBreak, nLineEnd - kLineBreak.size());
        if (nBreak == std::string_view::npos) return 0;
        nLineStart = nBreak + kLineBreak.size();
        nLineEnd = nBreak;
    }
    return nLineStart;
}

} // namespace

std::string TranscriptOf(std::string_view strConsole)
{
    if (strConsole == "?")
        strConsole = {};
    else if (strConsole.ends_with("\r\n?"))
        strConsole.remove_suffix(3);

    strConsole.remove_prefix(StartOfLastLines(strConsole, kTranscriptMaxLines));
    if (strConsole.size() > kTranscriptMaxBytes)
    {
        // The first line that starts inside the last kTranscriptMaxBytes bytes.
        const std::size_t nFirstKept = strConsole.size() - kTranscriptMaxBytes;
        const std::size_t nBreak =
            strConsole.find(kLineBreak, nFirstKept - std::min(nFirstKept, kLineBreak.size()));
        strConsole.remove_prefix(nBreak == std::string_view::npos ? strConsole.size()
                                                                  : nBreak + kLineBreak.size());
    }

    std::string strTranscript(strConsole);
    std::replace(strTranscript.begin(), strTranscript.end(), '\0', kLostByte);
    return strTranscript;
}

std::int64_t CSaveSchedule::OnEdit(std::int64_t nNowMs, bool bLinesChanged)
{
    if (m_nDeadlineMs < 0) m_nDeadlineMs = nNowMs + kLatestMs;
    if (bLinesChanged) m_nDeadlineMs = std::min(m_nDeadlineMs, nNowMs + kPauseMs);
    return std::max<std::int64_t>(0, std::min(nNowMs + kPauseMs, m_nDeadlineMs) - nNowMs);
}
