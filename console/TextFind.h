#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Finding a text in the console's text as the window holds it: UTF-16, one unit a position, a
// line break one unit. Letters match in either case by the house's rule, which gives a case to
// ASCII letters only ("$ff" finds "$FF"). Matches do not overlap: each one begins where the one
// before it ends, or later ("11" is found twice in "1111").
class CTextFind
{
public:
    // The text to search, kept in its folded form until the next call.
    void SetText(std::u16string_view strText);
    // Where strWhat begins in the text, in order: none for an empty strWhat. A match is at
    // least one unit long, so there are never more matches than units of text.
    std::vector<int> FindAll(std::u16string_view strWhat) const;

private:
    std::u16string m_strFolded;
};

// The index of the match to go to from a selection [nStart, nEnd) of the text, or from a
// caret when nStart == nEnd: forward, the first that begins after nStart, or at it from a
// caret; backward, the last that begins before nStart. Past either end it goes round to the
// other. -1 when there is no match.
int NextMatch(const std::vector<int>& arrMatches, int nStart, int nEnd, bool bForward);

// The matches of nLength units that share a position with [nFrom, nTo): the index of the first
// and one past the last.
std::pair<std::size_t, std::size_t> MatchesIn(const std::vector<int>& arrMatches, int nLength,
                                              int nFrom, int nTo);
