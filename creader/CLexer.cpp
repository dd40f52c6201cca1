#include "CLexer.h"

#include "Ascii.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace
{

using lumdrak::AsciiLower;
using lumdrak::IsAsciiDigit;

int DigitValue(char ch)
{
    const char chLower = AsciiLower(ch);
    if (IsAsciiDigit(ch)) return ch - '0';
    if (chLower >= 'a' && chLower <= 'f') return chLower - 'a' + 10;
    return 99;
}

// The length of the line break at strText[i], 0 when there is none.
std::size_t BreakLength(std::string_view strText, std::size_t i)
{
    if (strText[i] == '\n') return 1;
    if (strText[i] != '\r') return 0;
    return i + 1 < strText.size() && strText[i + 1] == '\n' ? 2 : 1;
}

enum class ESuffix : std::uint8_t
{
    None,
    U,
    L,
    UL,
    LL,
    ULL,
    Z,
    UZ
};

struct SSuffix
{
    std::string_view strText;
    ESuffix eSuffix;
};

// Every integer suffix C accepts (u and l or ll in either order, ll only in one case), and
// C++'s z for the size types.
constexpr SSuffix kSuffixes[] = {
    {"", ESuffix::None},   {"u", ESuffix::U},     {"U", ESuffix::U},     {"l", ESuffix::L},
    {"L", ESuffix::L},     {"ll", ESuffix::LL},   {"LL", ESuffix::LL},   {"ul", ESuffix::UL},
    {"uL", ESuffix::UL},   {"Ul", ESuffix::UL},   {"UL", ESuffix::UL},   {"lu", ESuffix::UL},
    {"lU", ESuffix::UL},   {"Lu", ESuffix::UL},   {"LU", ESuffix::UL},   {"ull", ESuffix::ULL},
    {"uLL", ESuffix::ULL}, {"Ull", ESuffix::ULL}, {"ULL", ESuffix::ULL}, {"llu", ESuffix::ULL},
    {"llU", ESuffix::ULL}, {"LLu", ESuffix::ULL}, {"LLU", ESuffix::ULL}, {"z", ESuffix::Z},
    {"Z", ESuffix::Z},     {"uz", ESuffix::UZ},   {"uZ", ESuffix::UZ},   {"Uz", ESuffix::UZ},
    {"UZ", ESuffix::UZ},   {"zu", ESuffix::UZ},   {"zU", ESuffix::UZ},   {"Zu", ESuffix::UZ},
    {"ZU", ESuffix::UZ},
};

using ETypeList = std::array<ECType, 6>;
constexpr ECType kNone = ECType::Double; // ends a list

// The types a literal may take, first fit wins: decimal literals stay signed unless a suffix
// says otherwise; hexadecimal, octal and binary ones may become unsigned.
struct SLiteralTypes
{
    ESuffix eSuffix;
    ETypeList decimal;
    ETypeList other;
};

constexpr SLiteralTypes kLiteralTypes[] = {
    {ESuffix::None,
     {ECType::Int, ECType::Long, ECType::LongLong, kNone},
     {ECType::Int, ECType::UInt, ECType::Long, ECType::ULong, ECType::LongLong, ECType::ULongLong}},
    {ESuffix::U,
     {ECType::UInt, ECType::ULong, ECType::ULongLong, kNone},
     {ECType::UInt, ECType::ULong, ECType::ULongLong, kNone}},
    {ESuffix::L,
     {ECType::Long, ECType::LongLong, kNone},
     {ECType::Long, ECType::ULong, ECType::LongLong, ECType::ULongLong, kNone}},
    {ESuffix::UL,
     {ECType::ULong, ECType::ULongLong, kNone},
     {ECType::ULong, ECType::ULongLong, kNone}},
    {ESuffix::LL, {ECType::LongLong, kNone}, {ECType::LongLong, ECType::ULongLong, kNone}},
    {ESuffix::ULL, {ECType::ULongLong, kNone}, {ECType::ULongLong, kNone}},
    {ESuffix::Z, {ECType::Long, kNone}, {ECType::Long, ECType::ULong, kNone}},
    {ESuffix::UZ, {ECType::ULong, kNone}, {ECType::ULong, kNone}},
};

bool Fits(std::uint64_t nValue, ECType eType)
{
    const SCTypeInfo& info = TypeInfo(eType);
    const int nValueBits = info.bSigned ? info.nBits - 1 : info.nBits;
    return nValueBits >= 64 || nValue < (1ull << nValueBits);
}

bool TypeOfInteger(std::uint64_t nValue, bool bDecimal, std::string_view strSuffix, ECType& eType)
{
    const SSuffix* pSuffix = nullptr;
    for (const SSuffix& suffix : kSuffixes)
        if (suffix.strText == strSuffix) pSuffix = &suffix;
    if (!pSuffix) return false;
    for (const SLiteralTypes& row : kLiteralTypes)
    {
        if (row.eSuffix != pSuffix->eSuffix) continue;
        for (const ECType eCandidate : bDecimal ? row.decimal : row.other)
        {
            if (eCandidate == kNone) break;
            if (Fits(nValue, eCandidate))
            {
                eType = eCandidate;
                return true;
            }
        }
    }
    return false; // no type of C holds it (GCC would take __int128)
}

// The digits of a literal from nPos: digits of nBase (a '.' too when bPoint), with separators
// (' or _) only between two digits, or _ just behind a prefix as Python has it. Appends them
// without separators; returns the index behind them, or npos for a misplaced separator.
std::size_t ReadDigits(std::string_view s, std::size_t nPos, int nBase, bool bPoint,
                       bool bAfterPrefix, std::string& strDigits)
{
    const int nDigitBase = nBase == 8 ? 10 : nBase; // 09 is read, then refused as octal
    bool bLastDigit = bAfterPrefix;
    for (; nPos < s.size(); ++nPos)
    {
        const char ch = s[nPos];
        if (DigitValue(ch) < nDigitBase)
        {
            strDigits += ch;
            bLastDigit = true;
            continue;
        }
        if (ch == '\'' || ch == '_')
        {
            const bool bNextDigit = nPos + 1 < s.size() && DigitValue(s[nPos + 1]) < nDigitBase;
            const bool bAllowed = bLastDigit && bNextDigit && (ch == '_' || !strDigits.empty());
            if (!bAllowed) return std::string_view::npos;
            bLastDigit = false;
            continue;
        }
        if (ch == '.' && bPoint && strDigits.find('.') == std::string::npos)
        {
            strDigits += '.';
            bLastDigit = false;
            continue;
        }
        break;
    }
    return nPos;
}

// The calculator's decimal form of a double: no exponent sign (its '-' and '+' are operators),
// so small values are written out whole.
std::string CalculatorDecimal(double dValue)
{
    std::string strText = ShortestText(dValue);
    const std::size_t nExponent = strText.find('e');
    if (nExponent == std::string::npos) return strText;
    if (strText[nExponent + 1] == '-')
    {
        char buffer[400];
        const auto result =
            std::to_chars(buffer, buffer + sizeof buffer, dValue, std::chars_format::fixed);
        return std::string(buffer, result.ptr);
    }
    if (strText[nExponent + 1] == '+') strText.erase(nExponent + 1, 1);
    return strText;
}

bool ReadFloating(std::string_view s, std::size_t nPos, int nBase, std::string& strNumber,
                  SCToken& token)
{
    const char chExponent = nBase == 16 ? 'p' : 'e';
    std::string strSign;
    if (nPos < s.size() && AsciiLower(s[nPos]) == chExponent)
    {
        strNumber += chExponent;
        ++nPos;
        if (nPos < s.size() && (s[nPos] == '+' || s[nPos] == '-')) strSign = s[nPos++];
        strNumber += strSign;
        const std::size_t nDigits = strNumber.size();
        nPos = ReadDigits(s, nPos, 10, false, false, strNumber);
        if (nPos == std::string_view::npos || strNumber.size() == nDigits) return false;
    }
    else if (nBase == 16)
        return false; // a hexadecimal floating literal needs its exponent
    const std::string_view strSuffix = s.substr(nPos);
    const bool bFloat = strSuffix == "f" || strSuffix == "F";
    if (!bFloat && !strSuffix.empty()) return false; // long double is not read
    const auto format = nBase == 16 ? std::chars_format::hex : std::chars_format::general;
    const char* pBegin = strNumber.data();
    const char* pEnd = pBegin + strNumber.size();
    double dValue = 0.0;
    if (bFloat)
    {
        float fValue = 0.0f;
        const auto result = std::from_chars(pBegin, pEnd, fValue, format);
        if (result.ec != std::errc() || result.ptr != pEnd) return false;
        dValue = fValue;
    }
    else
    {
        const auto result = std::from_chars(pBegin, pEnd, dValue, format);
        if (result.ec != std::errc() || result.ptr != pEnd) return false;
    }
    token.eKind = ECToken::Floating;
    token.value = FloatingValue(bFloat ? ECType::Float : ECType::Double, dValue);
    // As written where the calculator reads the same double from it.
    double dCalculator = 0.0;
    const bool bAsWritten = nBase == 10 && strSign.empty() &&
                            std::from_chars(pBegin, pEnd, dCalculator).ptr == pEnd &&
                            dCalculator == dValue;
    token.strCalculator = bAsWritten ? strNumber : CalculatorDecimal(dValue);
    return true;
}

// A preprocessing number of C as a literal: integer (decimal, 0x, 0b, octal 0..., Python's
// 0o) with a suffix, or floating (decimal or 0x...p), with digit separators.
bool ReadNumber(std::string_view s, SCToken& token)
{
    int nBase = 10;
    std::size_t nPos = 0;
    if (s.size() >= 2 && s[0] == '0')
    {
        switch (AsciiLower(s[1]))
        {
        case 'x':
            nBase = 16;
            break;
        case 'b':
            nBase = 2;
            break;
        case 'o':
            nBase = 8;
            break;
        default:
            break;
        }
        if (nBase != 10) nPos = 2;
    }
    const bool bPrefix = nPos == 2;
    std::string strDigits;
    nPos = ReadDigits(s, nPos, nBase, nBase == 10 || nBase == 16, bPrefix, strDigits);
    if (nPos == std::string_view::npos) return false;
    const bool bPoint = strDigits.find('.') != std::string::npos;
    const char chExponent = nBase == 16 ? 'p' : 'e';
    const bool bExponent = nPos < s.size() && AsciiLower(s[nPos]) == chExponent;
    if (strDigits.empty() || strDigits == ".") return false;
    if ((bPoint || bExponent) && (nBase == 10 || nBase == 16))
        return ReadFloating(s, nPos, nBase, strDigits, token);

    const bool bDecimal = nBase == 10 && !(strDigits.size() > 1 && strDigits[0] == '0');
    if (nBase == 10 && !bDecimal) nBase = 8; // C's octal
    std::uint64_t nValue = 0;
    for (const char ch : strDigits)
    {
        const int nDigit = DigitValue(ch);
        if (nDigit >= nBase ||
            __builtin_mul_overflow(nValue, static_cast<std::uint64_t>(nBase), &nValue) ||
            __builtin_add_overflow(nValue, static_cast<std::uint64_t>(nDigit), &nValue))
            return false;
    }
    ECType eType = ECType::Int;
    if (!TypeOfInteger(nValue, bDecimal, s.substr(nPos), eType)) return false;
    token.eKind = ECToken::Integer;
    token.value = IntegerValue(eType, nValue);
    switch (nBase)
    {
    case 16:
        token.strCalculator = "$" + strDigits;
        break;
    case 2:
        token.strCalculator = "#" + strDigits;
        break;
    case 10:
        token.strCalculator = strDigits;
        break;
    default:
        token.strCalculator = std::to_string(nValue);
        break;
    }
    return true;
}

struct SEscape
{
    char chLetter;
    int nValue;
};

constexpr SEscape kEscapes[] = {{'\'', 39}, {'"', 34}, {'?', 63}, {'\\', 92}, {'a', 7},  {'b', 8},
                                {'f', 12},  {'n', 10}, {'r', 13}, {'t', 9},   {'v', 11}, {'e', 27}};

// A character literal from s[0] == '\''; returns its length, 0 when C does not accept it or
// it holds more than one character (which GCC reads in its own way).
std::size_t ReadCharacter(std::string_view s, SCToken& token)
{
    std::size_t nPos = 1;
    if (nPos >= s.size() || s[nPos] == '\'' || s[nPos] == '\n') return 0;
    int nValue = 0;
    bool bEscaped = false;
    if (s[nPos] != '\\')
    {
        const auto nByte = static_cast<unsigned char>(s[nPos]);
        if (nByte < 32 || nByte > 126) return 0;
        nValue = nByte;
        ++nPos;
    }
    else
    {
        bEscaped = true;
        ++nPos;
        if (nPos >= s.size()) return 0;
        const char ch = s[nPos];
        if (ch >= '0' && ch <= '7')
        {
            for (int n = 0; n < 3 && nPos < s.size() && s[nPos] >= '0' && s[nPos] <= '7'; ++n)
                nValue = nValue * 8 + (s[nPos++] - '0');
        }
        else if (ch == 'x')
        {
            ++nPos;
            const std::size_t nFirst = nPos;
            for (; nPos < s.size() && DigitValue(s[nPos]) < 16; ++nPos)
            {
                nValue = nValue * 16 + DigitValue(s[nPos]);
                if (nValue > 255) return 0;
            }
            if (nPos == nFirst) return 0;
        }
        else
        {
            const SEscape* pEscape = nullptr;
            for (const SEscape& escape : kEscapes)
                if (escape.chLetter == ch) pEscape = &escape;
            if (!pEscape) return 0;
            nValue = pEscape->nValue;
            ++nPos;
        }
    }
    if (nValue > 255 || nPos >= s.size() || s[nPos] != '\'') return 0;
    token.eKind = ECToken::Character;
    // An int holding the char, which is signed here.
    token.value = IntegerValue(ECType::Int,
                               static_cast<std::uint64_t>(static_cast<std::int64_t>(
                                   static_cast<signed char>(static_cast<unsigned char>(nValue)))));
    const bool bOwnForm = !bEscaped && nValue != '\'';
    token.strCalculator = bOwnForm
                              ? std::string{'\'', static_cast<char>(nValue), '\''}
                              : std::to_string(std::abs(static_cast<int>(token.value.Signed())));
    return nPos + 1;
}

struct SPunctuator
{
    std::string_view strText;
    ECToken eKind;
};

// Longest first, so that "<<=" is one token as in C (and refused), never "<<" and "=".
constexpr SPunctuator kPunctuators[] = {
    {"<<=", ECToken::Other},    {">>=", ECToken::Other},     {"...", ECToken::Other},
    {"<<", ECToken::ShiftLeft}, {">>", ECToken::ShiftRight}, {"->", ECToken::Other},
    {"++", ECToken::Other},     {"--", ECToken::Other},      {"&&", ECToken::Other},
    {"||", ECToken::Other},     {"==", ECToken::Other},      {"!=", ECToken::Other},
    {"<=", ECToken::Other},     {">=", ECToken::Other},      {"*=", ECToken::Other},
    {"/=", ECToken::Other},     {"%=", ECToken::Other},      {"+=", ECToken::Other},
    {"-=", ECToken::Other},     {"&=", ECToken::Other},      {"^=", ECToken::Other},
    {"|=", ECToken::Other},     {"##", ECToken::Other},      {"(", ECToken::LeftParen},
    {")", ECToken::RightParen}, {"+", ECToken::Plus},        {"-", ECToken::Minus},
    {"~", ECToken::Tilde},      {"*", ECToken::Star},        {"/", ECToken::Slash},
    {"%", ECToken::Percent},    {"&", ECToken::Amp},         {"^", ECToken::Caret},
    {"|", ECToken::Pipe},       {";", ECToken::Semicolon},   {",", ECToken::Comma},
    {"=", ECToken::Assign},     {"#", ECToken::Hash},
};

// Reads pasted bytes into clean text in one pass, front to back.
class CCleaner
{
public:
    CCleaner(std::string_view strPasted, ECommentEnd eCommentEnd, SCleanText& clean)
        : m_s(strPasted), m_eCommentEnd(eCommentEnd), m_clean(clean)
    {
    }

    void Run()
    {
        for (std::size_t i = SkipSplices(0); i < m_s.size();)
            i = Step(i);
    }

private:
    // Cleans what begins at byte i; returns where the next step begins.
    std::size_t Step(std::size_t i)
    {
        if (const std::size_t nBreak = BreakLength(m_s, i))
        {
            Emit('\n', i);
            m_chQuote = 0;
            m_bNumber = false;
            return SkipSplices(i + nBreak);
        }
        const char ch = m_s[i];
        const std::size_t nNext = SkipSplices(i + 1);
        if (m_chQuote != 0) return QuotedStep(i, nNext);
        const char chNext = nNext < m_s.size() ? m_s[nNext] : '\0';
        if (ch == '/' && chNext == '/') return Comment(i, LineEnd(nNext));
        if (ch == '/' && chNext == '*')
        {
            const std::size_t nEnd = BlockCommentEnd(SkipSplices(nNext + 1));
            if (nEnd != std::string_view::npos) return Comment(i, nEnd);
        }
        // A ' inside a number is a digit separator (0x1'f3a), not a quote.
        const bool bSeparator = ch == '\'' && m_bNumber && IsCAlnum(chNext);
        const char chLastLower = AsciiLower(m_chLast);
        m_bNumber =
            m_bNumber
                ? IsCAlnum(ch) || ch == '.' || bSeparator ||
                      ((ch == '+' || ch == '-') && (chLastLower == 'e' || chLastLower == 'p'))
                : (IsAsciiDigit(ch) && !IsCAlnum(m_chLast)) || (ch == '.' && IsAsciiDigit(chNext));
        if ((ch == '\'' && !bSeparator) || ch == '"') m_chQuote = ch;
        Emit(ch, i);
        return nNext;
    }

    // Inside a character or string literal, where an escaped byte cannot close it.
    std::size_t QuotedStep(std::size_t i, std::size_t nNext)
    {
        const char ch = m_s[i];
        Emit(ch, i);
        if (ch == '\\' && nNext < m_s.size() && BreakLength(m_s, nNext) == 0)
        {
            Emit(m_s[nNext], nNext);
            return SkipSplices(nNext + 1);
        }
        if (ch == m_chQuote) m_chQuote = 0;
        return nNext;
    }

    // A comment from byte i to nEnd is one blank.
    std::size_t Comment(std::size_t i, std::size_t nEnd)
    {
        Emit(' ', i);
        m_bNumber = false;
        return nEnd;
    }

    // The first line break at or after byte i that no splice removes, or the end.
    std::size_t LineEnd(std::size_t i) const
    {
        while (i < m_s.size() && BreakLength(m_s, i) == 0)
            i = SkipSplices(i + 1);
        return i;
    }

    // Where a block comment whose text begins at byte i ends: behind its "*/", at its line's
    // end (AtLineEnd), or npos when nothing closes it (AsC).
    std::size_t BlockCommentEnd(std::size_t i)
    {
        const bool bAtLineEnd = m_eCommentEnd == ECommentEnd::AtLineEnd;
        if (m_bNoClose) return std::string_view::npos;
        while (i < m_s.size() && !(bAtLineEnd && BreakLength(m_s, i) > 0))
        {
            const std::size_t nAfter = SkipSplices(i + 1);
            if (m_s[i] == '*' && nAfter < m_s.size() && m_s[nAfter] == '/')
                return SkipSplices(nAfter + 1);
            i = nAfter;
        }
        if (bAtLineEnd) return i;
        // No later "/*" can close either: searching again from each of them would make a
        // paste full of them quadratic.
        m_bNoClose = true;
        return std::string_view::npos;
    }

    // The next byte at or after i that a splice does not remove.
    std::size_t SkipSplices(std::size_t i) const
    {
        while (i + 1 < m_s.size() && m_s[i] == '\\' && BreakLength(m_s, i + 1) > 0)
            i += 1 + BreakLength(m_s, i + 1);
        return i;
    }

    void Emit(char ch, std::size_t nSource)
    {
        const auto nClean = static_cast<std::uint32_t>(m_clean.strText.size());
        const bool bInRun =
            !m_clean.arrRuns.empty() &&
            m_clean.arrRuns.back().nSource + nClean - m_clean.arrRuns.back().nClean == nSource;
        if (!bInRun) m_clean.arrRuns.push_back({nClean, static_cast<std::uint32_t>(nSource)});
        m_clean.strText += ch;
        m_chLast = ch;
    }

    const std::string_view m_s;
    const ECommentEnd m_eCommentEnd;
    SCleanText& m_clean;
    char m_chQuote = 0;      // inside a character or string literal
    char m_chLast = '\n';    // the last clean byte
    bool m_bNumber = false;  // m_chLast ends a preprocessing number so far
    bool m_bNoClose = false; // a block comment's search for "*/" reached the end
};

} // namespace

bool IsCLetter(char ch) { return lumdrak::IsAsciiLetter(ch) || ch == '_'; }
bool IsCAlnum(char ch) { return IsAsciiDigit(ch) || IsCLetter(ch); }
bool IsCBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\v' || ch == '\f'; }

std::size_t PpNumberEnd(std::string_view s, std::size_t nPos)
{
    ++nPos;
    while (nPos < s.size())
    {
        const char ch = s[nPos];
        const char chLower = AsciiLower(s[nPos - 1]);
        if (IsCAlnum(ch) || ch == '.')
            ++nPos;
        else if ((ch == '+' || ch == '-') && (chLower == 'e' || chLower == 'p'))
            ++nPos;
        else if (ch == '\'' && nPos + 1 < s.size() && IsCAlnum(s[nPos + 1]))
            ++nPos;
        else
            break;
    }
    return nPos;
}

std::uint32_t SCleanText::SourceOf(std::uint32_t nClean) const
{
    const auto after =
        std::upper_bound(arrRuns.begin(), arrRuns.end(), nClean,
                         [](std::uint32_t n, const SRun& run) { return n < run.nClean; });
    const SRun& run = *std::prev(after); // the first run starts at clean byte 0
    return run.nSource + (nClean - run.nClean);
}

void CleanSource(std::string_view strPasted, SCleanText& clean, ECommentEnd eCommentEnd)
{
    clean.strText.clear();
    clean.arrRuns.clear();
    clean.strText.reserve(strPasted.size());
    CCleaner(strPasted, eCommentEnd, clean).Run();
}

ECommentEnd CommentEndOfPaste(std::string_view strPasted)
{
    for (std::size_t i = 0; i < strPasted.size(); ++i)
    {
        const std::size_t nBreak = BreakLength(strPasted, i);
        const bool bSplice = i > 0 && strPasted[i - 1] == '\\';
        if (nBreak > 0 && !bSplice && i + nBreak < strPasted.size()) return ECommentEnd::AsC;
        i += nBreak > 0 ? nBreak - 1 : 0;
    }
    return ECommentEnd::AtLineEnd;
}

ETokenized Tokenize(const std::string& strClean, std::uint32_t nBegin, std::uint32_t nEnd,
                    std::size_t nMaxTokens, std::vector<SCToken>& arrTokens)
{
    arrTokens.clear();
    const std::string_view s(strClean.data() + nBegin, nEnd - nBegin);
    std::size_t nPos = 0;
    for (;;)
    {
        const std::size_t nSpace = nPos;
        while (nPos < s.size() && IsCBlank(s[nPos]))
            ++nPos;
        SCToken token;
        token.nSpace = static_cast<std::uint32_t>(nBegin + nSpace);
        token.nBegin = static_cast<std::uint32_t>(nBegin + nPos);
        if (nPos >= s.size())
        {
            token.nEnd = token.nBegin;
            arrTokens.push_back(std::move(token));
            return ETokenized::Read;
        }
        if (arrTokens.size() == nMaxTokens) return ETokenized::TooMany;
        const char ch = s[nPos];
        std::size_t nLength = 0;
        if (IsAsciiDigit(ch) || (ch == '.' && nPos + 1 < s.size() && IsAsciiDigit(s[nPos + 1])))
        {
            nLength = PpNumberEnd(s, nPos) - nPos;
            if (!ReadNumber(s.substr(nPos, nLength), token)) return ETokenized::NotC;
        }
        else if (IsCLetter(ch))
        {
            nLength = 1;
            while (nPos + nLength < s.size() && IsCAlnum(s[nPos + nLength]))
                ++nLength;
            token.eKind = ECToken::Name;
        }
        else if (ch == '\'')
        {
            nLength = ReadCharacter(s.substr(nPos), token);
            if (nLength == 0) return ETokenized::NotC;
        }
        else
        {
            for (const SPunctuator& punctuator : kPunctuators)
                if (punctuator.strText[0] == ch &&
                    s.substr(nPos, punctuator.strText.size()) == punctuator.strText)
                {
                    token.eKind = punctuator.eKind;
                    nLength = punctuator.strText.size();
                    break;
                }
            if (nLength == 0 || token.eKind == ECToken::Other) return ETokenized::NotC;
        }
        nPos += nLength;
        token.nEnd = static_cast<std::uint32_t>(nBegin + nPos);
        arrTokens.push_back(std::move(token));
    }
}
