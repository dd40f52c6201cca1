#include "TextFind.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace
{

// "\n" stands for the widget's line break, U+2029.
std::u16string WidgetText(std::u16string strText)
{
    for (char16_t& ch : strText)
        if (ch == u'\n') ch = u'\u2029';
    return strText;
}

TEST(TextFindTest, FindsEveryMatchInAnyCaseOfAsciiLettersWithoutOverlap)
{
    const std::tuple<std::u16string, std::u16string, std::vector<int>> rows[] = {
        {u"?1234\n1234\n?", u"1234", {1, 6}},
        {u"?$ff\n255\n?$FF", u"$Ff", {1, 10}},
        {u"?SIN(0)", u"sin(", {1}},
        {u"1111", u"11", {0, 2}},
        {u"111", u"11", {0}},
        {u"aaa", u"a", {0, 1, 2}},
        {u"\u00e9\u00c9", u"\u00e9", {0}}, // only ASCII letters have a case
        {u"\u20ac5", u"\u20ac", {0}},
        {u"?1+2\n3", u"2\n", {3}},
        {u"?1+2", u"", {}},
        {u"12", u"123", {}},
        {u"", u"1", {}},
    };
    for (const auto& [strText, strWhat, arrMatches] : rows)
    {
        CTextFind find;
        find.SetText(WidgetText(strText));
        EXPECT_EQ(find.FindAll(WidgetText(strWhat)), arrMatches)
            << std::string(strText.begin(), strText.end());
    }
}

// Matches at 2, 10 and 20.
TEST(TextFindTest, NextAndPreviousFromACaretOrASelectionGoRound)
{
    const std::vector<int> arrMatches = {2, 10, 20};
    const std::tuple<int, int, bool, int> rows[] = {
        // selection start, end, forward, index of the match gone to
        {0, 0, true, 0},    {2, 2, true, 0},   // from a caret: the match that begins there
        {2, 5, true, 1},                       // from that match selected: the next one
        {11, 11, true, 2},  {20, 23, true, 0}, // round from the last
        {25, 25, true, 0},  {10, 13, false, 0},
        {11, 11, false, 1}, {2, 5, false, 2}, // round from the first
        {0, 0, false, 2},   {25, 25, false, 2},
    };
    for (const auto& [nStart, nEnd, bForward, nIndex] : rows)
        EXPECT_EQ(NextMatch(arrMatches, nStart, nEnd, bForward), nIndex)
            << nStart << ".." << nEnd << (bForward ? " forward" : " backward");
    EXPECT_EQ(NextMatch({}, 0, 0, true), -1);
    EXPECT_EQ(NextMatch({}, 0, 0, false), -1);
}

// Matches of three units at 2, 10 and 20: which of them show in a range of positions.
TEST(TextFindTest, TheMatchesInARangeAreThoseThatShareAPositionWithIt)
{
    const std::vector<int> arrMatches = {2, 10, 20};
    const std::tuple<int, int, std::pair<std::size_t, std::size_t>> rows[] = {
        {0, 30, {0, 3}}, {0, 2, {0, 0}},   {0, 3, {0, 1}},   {4, 10, {0, 1}},  {5, 10, {1, 1}},
        {5, 11, {1, 2}}, {12, 13, {1, 2}}, {13, 20, {2, 2}}, {22, 40, {2, 3}}, {23, 40, {3, 3}},
    };
    for (const auto& [nFrom, nTo, range] : rows)
        EXPECT_EQ(MatchesIn(arrMatches, 3, nFrom, nTo), range) << nFrom << ".." << nTo;
}

} // namespace
