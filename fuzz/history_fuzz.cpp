// libFuzzer target: any bytes as a history file, and any lines as entries to keep. Rules:
//   - a text that decodes gives at most kMaxEntries entries, none empty, and encoding them gives
//     a text that decodes to the same entries;
//   - lines split from the input at NUL bytes, encoded, decode to the same lines (the empty
//     ones left out, the last kMaxEntries kept).
#include "FuzzCheck.h"
#include "HistoryFile.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace
{

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view strText(reinterpret_cast<const char*>(pData), nSize);
    std::vector<std::string> arrEntries;
    if (CHistoryFile::Decode(strText, arrEntries))
    {
        CHECK(arrEntries.size() <= CHistoryFile::kMaxEntries);
        for (const std::string& strEntry : arrEntries)
            CHECK(!strEntry.empty());
        std::vector<std::string> arrAgain;
        CHECK(CHistoryFile::Decode(CHistoryFile::Encode(arrEntries), arrAgain));
        CHECK(arrAgain == arrEntries);
    }

    std::vector<std::string> arrLines;
    for (std::size_t nStart = 0; nStart <= strText.size();)
    {
        const std::size_t nEnd = std::min(strText.find('\0', nStart), strText.size());
        if (nEnd > nStart) arrLines.emplace_back(strText.substr(nStart, nEnd - nStart));
        nStart = nEnd + 1;
    }
    if (arrLines.size() > CHistoryFile::kMaxEntries)
        arrLines.erase(arrLines.begin(),
                       arrLines.end() - static_cast<std::ptrdiff_t>(CHistoryFile::kMaxEntries));
    std::vector<std::string> arrDecoded;
    CHECK(CHistoryFile::Decode(CHistoryFile::Encode(arrLines), arrDecoded));
    CHECK(arrDecoded == arrLines);
    return 0;
}
