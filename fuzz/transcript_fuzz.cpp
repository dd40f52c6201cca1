// libFuzzer target: any text stored as the kept console, as anything else may have written it,
// through the bound that decides what the next start shows and stores. The first two bytes
// choose the bounds, from 1 to 16 lines and 1 to 256 bytes (or the kept console's own when
// both are 0), so that short texts reach them; the rest is the text. Rules:
//   - the result is at most the bounds' lines and bytes, with CR LF as its only line break and
//     no NUL;
//   - its lines are the last lines of the text as the console shows them (CR LF, a lone CR or
//     a lone LF each end one; an empty '?' prompt on the last line left out; NUL as 0x1A), and
//     no more of them would have fitted both bounds;
//   - a last line longer than the byte bound alone gives way to the lines before it that fit
//     and then keeps as much of its start as the bound leaves, not cut in a UTF-8 sequence.
#include "FuzzCheck.h"
#include "Transcript.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace
{

// The lines as the console shows them, each break of any kind ending one.
std::vector<std::string> LinesOf(std::string_view strText)
{
    std::vector<std::string> arrLines(1);
    for (std::size_t i = 0; i < strText.size(); ++i)
    {
        const char ch = strText[i];
        if (ch != '\r' && ch != '\n')
        {
            arrLines.back() += ch == '\0' ? '\x1A' : ch;
            continue;
        }
        if (ch == '\r' && i + 1 < strText.size() && strText[i + 1] == '\n') ++i;
        arrLines.emplace_back();
    }
    return arrLines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize < 2) return 0;
    const bool bOwnBounds = pData[0] == 0 && pData[1] == 0;
    const std::size_t nMaxLines = bOwnBounds ? kTranscriptMaxLines : pData[0] % 16 + 1;
    const std::size_t nMaxBytes = bOwnBounds ? kTranscriptMaxBytes : pData[1] + 1;
    const std::string_view strText(reinterpret_cast<const char*>(pData + 2), nSize - 2);

    const std::string strKept = TranscriptOf(strText, nMaxLines, nMaxBytes);
    CHECK(strKept.size() <= nMaxBytes);
    CHECK(strKept.find('\0') == std::string::npos);
    // Both as lines; an empty text is one empty line.
    std::vector<std::string> arrKept;
    for (std::size_t nStart = 0;;)
    {
        const std::size_t nBreak = strKept.find("\r\n", nStart);
        arrKept.push_back(strKept.substr(nStart, nBreak - nStart));
        if (nBreak == std::string::npos) break;
        nStart = nBreak + 2;
    }
    for (const std::string& strLine : arrKept)
        CHECK(strLine.find_first_of("\r\n") == std::string::npos);
    CHECK(arrKept.size() <= nMaxLines);

    std::vector<std::string> arrLines = LinesOf(strText);
    if (arrLines.back() == "?") arrLines.pop_back();
    if (arrLines.empty()) arrLines.emplace_back();
    if (arrLines.size() > nMaxLines)
        arrLines.erase(arrLines.begin(), arrLines.end() - static_cast<std::ptrdiff_t>(nMaxLines));
    std::string strLong;
    const bool bLong = arrLines.back().size() > nMaxBytes;
    if (bLong)
    {
        strLong = arrLines.back();
        arrLines.pop_back();
    }
    // The last whole lines that fit, each with the CR LF after it but the very last.
    std::size_t nFirst = arrLines.size();
    std::size_t nBytes = 0;
    while (nFirst > 0)
    {
        const std::size_t nLine =
            arrLines[nFirst - 1].size() + (bLong || nFirst < arrLines.size() ? 2 : 0);
        if (nBytes + nLine > nMaxBytes) break;
        nBytes += nLine;
        --nFirst;
    }
    std::string strExpected;
    for (std::size_t i = nFirst; i < arrLines.size(); ++i)
        strExpected.append(i > nFirst ? "\r\n" : "").append(arrLines[i]);
    std::size_t nStart = bLong ? nMaxBytes - nBytes : 0;
    while (nStart > 0 && (static_cast<unsigned char>(strLong[nStart]) & 0xC0) == 0x80)
        --nStart;
    if (nStart > 0)
        strExpected.append(nFirst < arrLines.size() ? "\r\n" : "").append(strLong, 0, nStart);
    CHECK(strKept == strExpected);
    return 0;
}
