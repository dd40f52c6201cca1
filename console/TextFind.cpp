#include "TextFind.h"

#include "Ascii.h"

#include <algorithm>

namespace
{

char16_t Folded(char16_t ch)
{
    return ch < 0x80 ? static_cast<char16_t>(lumdrak::AsciiLower(static_cast<char>(ch))) : ch;
}

std::u16string FoldedText(std::u16string_view strText)
{
    std::u16string strFolded(strText);
    std::transform(strFolded.begin(), strFolded.end(), strFolded.begin(), Folded);
    return strFolded;
}

} // namespace

void CTextFind::SetText(std::u16string_view strText) { m_strFolded = FoldedText(strText); }

std::vector<int> CTextFind::FindAll(std::u16string_view strWhat) const
{
    std::vector<int> arrMatches;
    if (strWhat.empty()) return arrMatches;
    const std::u16string strFoldedWhat = FoldedText(strWhat);
    const std::u16string_view strText = m_strFolded;
    for (std::size_t nPos = strText.find(strFoldedWhat); nPos != std::u16string_view::npos;
         nPos = strText.find(strFoldedWhat, nPos + strFoldedWhat.size()))
        arrMatches.push_back(static_cast<int>(nPos));
    return arrMatches;
}

int NextMatch(const std::vector<int>& arrMatches, int nStart, int nEnd, bool bForward)
{
    if (arrMatches.empty()) return -1;
    const auto nCount = static_cast<int>(arrMatches.size());
    if (bForward)
    {
        // From a caret a match that begins right there is the next one; from a selection, the
        // one selected is left behind.
        const auto it = nStart == nEnd
                            ? std::lower_bound(arrMatches.begin(), arrMatches.end(), nStart)
                            : std::upper_bound(arrMatches.begin(), arrMatches.end(), nStart);
        const auto nIndex = static_cast<int>(it - arrMatches.begin());
        return nIndex < nCount ? nIndex : 0;
    }
    const auto nIndex =
        static_cast<int>(std::lower_bound(arrMatches.begin(), arrMatches.end(), nStart) -
                         arrMatches.begin()) -
        1;
    return nIndex >= 0 ? nIndex : nCount - 1;
}

std::pair<std::size_t, std::size_t> MatchesIn(const std::vector<int>& arrMatches, int nLength,
                                              int nFrom, int nTo)
{
    // Matches do not overlap, so those that end after nFrom are those that begin after
    // nFrom - nLength, and they are in order.
    const auto itFirst = std::upper_bound(arrMatches.begin(), arrMatches.end(), nFrom - nLength);
    const auto itEnd = std::lower_bound(itFirst, arrMatches.end(), nTo);
    return {static_cast<std::size_t>(itFirst - arrMatches.begin()),
            static_cast<std::size_t>(itEnd - arrMatches.begin())};
}
