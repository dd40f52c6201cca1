#include "CLiterals.h"

#include "Ascii.h"

#include <algorithm>
#include <array>

namespace
{

using lumdrak::IsAsciiDigit;

bool IsAlnum(char ch) { return IsAsciiDigit(ch) || lumdrak::IsAsciiLetter(ch); }

// What a word of the expression may hold: names, numbers and the $ and # prefixes.
bool IsWordChar(char ch) { return IsAlnum(ch) || ch == '_' || ch == '.' || ch == '$' || ch == '#'; }

bool IsLineBreak(char ch) { return ch == '\r' || ch == '\n'; }

bool IsDigitOf(char chPrefix, char ch)
{
    if (chPrefix == 'b') return ch == '0' || ch == '1';
    const char chLower = lumdrak::AsciiLower(ch);
    return IsAsciiDigit(ch) || (chPrefix == 'x' && chLower >= 'a' && chLower <= 'f');
}

bool IsIntegerSuffix(std::string_view strSuffix)
{
    static constexpr std::array<std::string_view, 11> kSuffixes = {
        "", "u", "l", "ll", "ul", "lu", "ull", "llu", "z", "uz", "zu"};
    if (strSuffix.size() > 3) return false;
    std::string strLower(strSuffix);
    std::transform(strLower.begin(), strLower.end(), strLower.begin(), lumdrak::AsciiLower);
    return std::find(kSuffixes.begin(), kSuffixes.end(), strLower) != kSuffixes.end();
}

// The end of the word that begins at nBegin. A ' joins a number's word only between two
// letters or digits, as a C++ digit separator stands; elsewhere it opens a quoted text.
std::size_t WordEnd(std::string_view strText, std::size_t nBegin)
{
    const bool bNumber = IsAsciiDigit(strText[nBegin]);
    std::size_t nEnd = nBegin + 1;
    while (nEnd < strText.size())
    {
        const char ch = strText[nEnd];
        const bool bSeparator = bNumber && ch == '\'' && IsAlnum(strText[nEnd - 1]) &&
                                nEnd + 1 < strText.size() && IsAlnum(strText[nEnd + 1]);
        if (!IsWordChar(ch) && !bSeparator) break;
        ++nEnd;
    }
    return nEnd;
}

// The end of a quoted text that begins at nBegin: a character literal is always 'c', three
// bytes, whatever c is; otherwise the next ' on the same line closes it, or the line's end.
std::size_t QuotedEnd(std::string_view strText, std::size_t nBegin)
{
    if (nBegin + 2 < strText.size() && strText[nBegin + 2] == '\'' &&
        !IsLineBreak(strText[nBegin + 1]))
        return nBegin + 3;
    std::size_t nEnd = nBegin + 1;
    while (nEnd < strText.size() && strText[nEnd] != '\'' && !IsLineBreak(strText[nEnd]))
        ++nEnd;
    return nEnd < strText.size() && strText[nEnd] == '\'' ? nEnd + 1 : nEnd;
}

// Appends the calculator's form of the word when it is a whole hexadecimal or binary literal.
bool AppendLiteral(std::string_view strWord, std::size_t nWordPos, std::string& strOut,
                   std::vector<std::size_t>* pSourcePos)
{
    if (strWord.size() < 3 || strWord[0] != '0') return false;
    const char chPrefix = lumdrak::AsciiLower(strWord[1]);
    if (chPrefix != 'x' && chPrefix != 'b') return false;

    std::size_t nEnd = 2;
    std::size_t nDigits = 0;
    for (; nEnd < strWord.size(); ++nEnd)
    {
        const char ch = strWord[nEnd];
        if (IsDigitOf(chPrefix, ch))
            ++nDigits;
        else if (ch != '_' && ch != '\'')
            break;
    }
    if (nDigits == 0 || !IsIntegerSuffix(strWord.substr(nEnd))) return false;

    strOut += chPrefix == 'x' ? '$' : '#';
    if (pSourcePos) pSourcePos->push_back(nWordPos);
    for (std::size_t i = 2; i < nEnd; ++i)
    {
        if (strWord[i] == '_' || strWord[i] == '\'') continue;
        strOut += strWord[i];
        if (pSourcePos) pSourcePos->push_back(nWordPos + i);
    }
    return true;
}

void AppendAsItIs(std::string_view strText, std::size_t nBegin, std::size_t nEnd,
                  std::string& strOut, std::vector<std::size_t>* pSourcePos)
{
    strOut.append(strText, nBegin, nEnd - nBegin);
    if (pSourcePos)
        for (std::size_t i = nBegin; i < nEnd; ++i)
            pSourcePos->push_back(i);
}

} // namespace

std::string ConvertCLiterals(std::string_view strText, std::vector<std::size_t>* pSourcePos)
{
    std::string strOut;
    strOut.reserve(strText.size());
    if (pSourcePos)
    {
        pSourcePos->clear();
        pSourcePos->reserve(strText.size() + 1);
    }
    std::size_t nPos = 0;
    while (nPos < strText.size())
    {
        const char ch = strText[nPos];
        std::size_t nEnd = nPos + 1;
        if (ch == '\'')
            nEnd = QuotedEnd(strText, nPos);
        else if (IsWordChar(ch))
        {
            nEnd = WordEnd(strText, nPos);
            if (AppendLiteral(strText.substr(nPos, nEnd - nPos), nPos, strOut, pSourcePos))
            {
                nPos = nEnd;
                continue;
            }
        }
        AppendAsItIs(strText, nPos, nEnd, strOut, pSourcePos);
        nPos = nEnd;
    }
    if (pSourcePos) pSourcePos->push_back(strText.size());
    return strOut;
}
