// libFuzzer target: any text stored as the kept console, as anything else may have written it,
// through the bound that decides what the next start shows and stores. The first two bytes
// choose the bounds, from 1 to 16 lines and 1 to 256 bytes (or the kept console's own when
// both are 0), so that short texts reach them; the rest is the text. Rules:
//   - the result is at most the bounds' lines and bytes, with CR LF as its only line break and
//     no NUL;
//   - its lines are the last lines of the text as the console shows them (CR LF, a lone CR or
//     a lone LF each end one; an empty '?' prompt on the last line left out; NUL as 0x1A), and
//     no more of them would have fitted both bounds.
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

    if (strKept.empty() && !arrLines.back().empty())
    {
        CHECK(arrLines.back().size() > nMaxBytes); // the last line alone is too long
        return 0;
    }
    CHECK(arrKept.size() <= arrLines.size());
    const std::size_t nFirst = arrLines.size() - arrKept.size();
    for (std::size_t i = 0; i < arrKept.size(); ++i)
        CHECK(arrKept[i] == arrLines[nFirst + i]);
    // One line more would break a bound.
    if (nFirst > 0 && arrKept.size() < nMaxLines)
        CHECK(strKept.size() + 2 + arrLines[nFirst - 1].size() > nMaxBytes);
    return 0;
}
