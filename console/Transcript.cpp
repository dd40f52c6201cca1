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

// The length of strText's start that fits in nMaxBytes without cutting a UTF-8 sequence.
std::size_t FittingStart(std::string_view strText, std::size_t nMaxBytes)
{
    if (strText.size() <= nMaxBytes) return strText.size();
    std::size_t nLength = nMaxBytes;
    while (nLength > 0 && (static_cast<unsigned char>(strText[nLength]) & 0xC0) == 0x80)
        --nLength;
    return nLength;
}

// Drops whole lines from the front of a CR LF text until it fits in nMaxBytes. When its last
// line alone is longer, the lines before it that fit are kept and that line's start takes the
// room they leave: what was there before a long paste is not lost to it.
void KeepLastBytes(std::string& strText, std::size_t nMaxBytes)
{
    if (strText.size() <= nMaxBytes) return;
    const std::size_t nLastBreak = strText.rfind(kLineBreak);
    const std::size_t nLastStart = nLastBreak == std::string::npos ? 0 : nLastBreak + 2;
    const bool bLongLast = strText.size() - nLastStart > nMaxBytes;
    // The whole lines end here; the first of them kept is the first that starts inside the
    // last nMaxBytes bytes before that.
    const std::size_t nWholeEnd = bLongLast ? nLastStart : strText.size();
    std::size_t nFirst = 0;
    if (nWholeEnd > nMaxBytes)
    {
        const std::size_t nFrom = nWholeEnd - nMaxBytes;
        nFirst = strText.find(kLineBreak, nFrom - std::min(nFrom, kLineBreak.size())) +
                 kLineBreak.size();
    }
    if (bLongLast)
    {
        const std::size_t nRoom = nMaxBytes - (nWholeEnd - nFirst);
        std::size_t nCut =
            nLastStart + FittingStart(std::string_view(strText).substr(nLastStart), nRoom);
        if (nCut == nLastStart && nCut > nFirst) nCut -= kLineBreak.size(); // none of it fits
        strText.resize(nCut);
    }
    strText.erase(0, nFirst);
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
    KeepLastBytes(strTranscript, nMaxBytes);
    std::replace(strTranscript.begin(), strTranscript.end(), '\0', lumdrak::kLostByte);
    return strTranscript;
}

std::int64_t CSaveSchedule::OnEdit(std::int64_t nNowMs, bool bLinesChanged)
{
    if (m_nDeadlineMs < 0) m_nDeadlineMs = nNowMs + kLatestMs;
    if (bLinesChanged) m_nDeadlineMs = std::min(m_nDeadlineMs, nNowMs + kPauseMs);
    return std::max<std::int64_t>(0, std::min(nNowMs + kPauseMs, m_nDeadlineMs) - nNowMs);
}
