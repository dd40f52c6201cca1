#include "ResultLiteral.h"

#include "Ascii.h"
#include "ConsoleWindow.h"

#include <algorithm>
#include <array>

std::string ResultLiteral(std::string_view strPanel, int nLine)
{
    static constexpr std::array<std::string_view, 3> kPrefixes = {"0b", "0x", ""};
    std::string strLine = LineOfText(strPanel, nLine);
    if (strLine.empty() || nLine < 0 || nLine >= static_cast<int>(kPrefixes.size())) return {};
    std::transform(strLine.begin(), strLine.end(), strLine.begin(), lumdrak::AsciiUpper);
    return std::string(kPrefixes[static_cast<std::size_t>(nLine)]) + strLine;
}
