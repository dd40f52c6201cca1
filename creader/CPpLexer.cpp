#include "CPpToken.h"

#include "CLexer.h"

#include "Ascii.h"

namespace
{

using lumdrak::AsciiLower;
using lumdrak::IsAsciiDigit;

struct SPunctuator
{
    std::string_view strText;
    ECPunct ePunct;
};

// Longest first within each first byte, so that "<<=" is one token as in C.
constexpr SPunctuator kPunctuators[] = {
    {"...", ECPunct::Ellipsis},
    {"<<=", ECPunct::CompoundAssign},
    {">>=", ECPunct::CompoundAssign},
    {"->", ECPunct::Arrow},
    {"++", ECPunct::Increment},
    {"--", ECPunct::Decrement},
    {"<<", ECPunct::ShiftLeft},
    {">>", ECPunct::ShiftRight},
    {"<=", ECPunct::LessEqual},
    {">=", ECPunct::GreaterEqual},
    {"==", ECPunct::Equal},
    {"!=", ECPunct::NotEqual},
    {"&&", ECPunct::AndAnd},
    {"||", ECPunct::OrOr},
    {"*=", ECPunct::CompoundAssign},
    {"/=", ECPunct::CompoundAssign},
    {"%=", ECPunct::CompoundAssign},
    {"+=", ECPunct::CompoundAssign},
    {"-=", ECPunct::CompoundAssign},
    {"&=", ECPunct::CompoundAssign},
    {"^=", ECPunct::CompoundAssign},
    {"|=", ECPunct::CompoundAssign},
    {"##", ECPunct::HashHash},
    {"(", ECPunct::LeftParen},
    {")", ECPunct::RightParen},
    {"[", ECPunct::LeftBracket},
    {"]", ECPunct::RightBracket},
    {"{", ECPunct::LeftBrace},
    {"}", ECPunct::RightBrace},
    {".", ECPunct::Dot},
    {"&", ECPunct::Amp},
    {"*", ECPunct::Star},
    {"+", ECPunct::Plus},
    {"-", ECPunct::Minus},
    {"~", ECPunct::Tilde},
    {"!", ECPunct::Not},
    {"/", ECPunct::Slash},
    {"%", ECPunct::Percent},
    {"<", ECPunct::Less},
    {">", ECPunct::Greater},
    {"^", ECPunct::Caret},
    {"|", ECPunct::Pipe},
    {"?", ECPunct::Question},
    {":", ECPunct::Colon},
    {";", ECPunct::Semicolon},
    {"=", ECPunct::Assign},
    {",", ECPunct::Comma},
    {"#", ECPunct::Hash},
};

// The end of a character or string literal whose quote stands at nPos, or 0 when it does not
// end on the line.
std::size_t QuotedEnd(std::string_view s, std::size_t nPos)
{
    const char chQuote = s[nPos];
    for (++nPos; nPos < s.size(); ++nPos)
    {
        if (s[nPos] == '\\')
            ++nPos;
        else if (s[nPos] == chQuote)
            return nPos + 1;
    }
    return 0;
}

bool IsLiteralPrefix(std::string_view strName, char chQuote)
{
    return strName == "L" || strName == "u" || strName == "U" ||
           (strName == "u8" && chQuote == '"');
}

} // namespace

std::uint32_t LexPp(std::string_view strClean, std::uint32_t nBegin, std::uint32_t nEnd,
                    std::vector<SPpToken>& arrTokens, std::size_t nMaxTokens)
{
    const std::string_view s = strClean.substr(0, nEnd);
    std::size_t nPos = nBegin;
    for (std::size_t nCount = 0;; ++nCount)
    {
        if (nCount == nMaxTokens) return static_cast<std::uint32_t>(nPos);
        const std::size_t nSpace = nPos;
        while (nPos < s.size() && IsCBlank(s[nPos]))
            ++nPos;
        if (nPos >= s.size()) return nEnd;
        SPpToken token;
        token.nSpace = static_cast<std::uint32_t>(nSpace);
        token.nBegin = static_cast<std::uint32_t>(nPos);
        token.bSpace = nSpace < nPos;
        const char ch = s[nPos];
        std::size_t nLength = 1;
        if (IsAsciiDigit(ch) || (ch == '.' && nPos + 1 < s.size() && IsAsciiDigit(s[nPos + 1])))
        {
            token.eKind = ECPp::Number;
            nLength = PpNumberEnd(s, nPos) - nPos;
        }
        else if (IsCLetter(ch))
        {
            while (nPos + nLength < s.size() && IsCAlnum(s[nPos + nLength]))
                ++nLength;
            token.eKind = ECPp::Name;
            const std::size_t nAfter = nPos + nLength;
            if (nAfter < s.size() && (s[nAfter] == '\'' || s[nAfter] == '"') &&
                IsLiteralPrefix(s.substr(nPos, nLength), s[nAfter]))
            {
                const std::size_t nQuoted = QuotedEnd(s, nAfter);
                if (nQuoted != 0)
                {
                    token.eKind = s[nAfter] == '"' ? ECPp::String : ECPp::Character;
                    nLength = nQuoted - nPos;
                }
            }
        }
        else if (ch == '\'' || ch == '"')
        {
            const std::size_t nQuoted = QuotedEnd(s, nPos);
            token.eKind = nQuoted == 0 ? ECPp::Other : ch == '"' ? ECPp::String : ECPp::Character;
            if (nQuoted != 0) nLength = nQuoted - nPos;
        }
        else
        {
            token.eKind = ECPp::Other;
            for (const SPunctuator& punctuator : kPunctuators)
                if (punctuator.strText[0] == ch &&
                    s.substr(nPos, punctuator.strText.size()) == punctuator.strText)
                {
                    token.eKind = ECPp::Punct;
                    token.ePunct = punctuator.ePunct;
                    nLength = punctuator.strText.size();
                    break;
                }
        }
        token.strText = s.substr(nPos, nLength);
        nPos += nLength;
        token.nEnd = static_cast<std::uint32_t>(nPos);
        arrTokens.push_back(token);
    }
}

bool LexOne(std::string_view strText, SPpToken& token)
{
    static thread_local std::vector<SPpToken> arrTokens;
    arrTokens.clear();
    if (strText.size() > UINT32_MAX) return false;
    LexPp(strText, 0, static_cast<std::uint32_t>(strText.size()), arrTokens);
    if (arrTokens.size() != 1 || arrTokens[0].bSpace) return false;
    token = arrTokens[0];
    return true;
}
