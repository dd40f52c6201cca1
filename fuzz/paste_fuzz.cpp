// libFuzzer target: any bytes pasted into the console, through the C-literal conversion. Rules
// that hold whatever the text:
//   - every byte of the result knows the byte of the paste it came from, in order, and the
//     extra entry for the end is the paste's length;
//   - a byte the conversion did not write itself ($, #, or a literal's digit) is the byte it
//     came from, and line breaks, quotes and bytes above 127 are never written anew;
//   - converting the result again changes nothing;
//   - a paste without "0x", "0b" (in any case) comes back unchanged.
#include "CLiterals.h"
#include "FuzzCheck.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace
{

bool HasPrefix(std::string_view strText)
{
    for (std::size_t i = 0; i + 1 < strText.size(); ++i)
    {
        const char chNext = static_cast<char>(strText[i + 1] | 0x20);
        if (strText[i] == '0' && (chNext == 'x' || chNext == 'b')) return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view strPaste(reinterpret_cast<const char*>(pData), nSize);
    std::vector<std::size_t> arrSource;
    const std::string strOut = ConvertCLiterals(strPaste, &arrSource);

    CHECK(arrSource.size() == strOut.size() + 1);
    CHECK(arrSource.back() == strPaste.size());
    CHECK(strOut.size() <= strPaste.size());
    for (std::size_t i = 0; i < strOut.size(); ++i)
    {
        CHECK(arrSource[i] < strPaste.size());
        CHECK(i == 0 || arrSource[i] > arrSource[i - 1]);
        const char chFrom = strPaste[arrSource[i]];
        const char ch = strOut[i];
        // A literal's "0x" or "0b" becomes '$' or '#' at the position of its '0'.
        const bool bPrefix = (ch == '$' || ch == '#') && chFrom == '0';
        CHECK(ch == chFrom || bPrefix);
        if (ch == '\r' || ch == '\n' || ch == '\'' || static_cast<unsigned char>(ch) > 127)
            CHECK(ch == chFrom);
    }
    CHECK(ConvertCLiterals(strOut) == strOut);
    if (!HasPrefix(strPaste)) CHECK(strOut == strPaste);
    return 0;
}
