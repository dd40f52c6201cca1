#include "ExpressionEvaluator.h"

#include "Ascii.h"
#include "Hex.h"

#include <array>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <locale.h>

namespace
{

// The constant "pi" is the double nearest to 3.14159265358, not the full-precision value.
constexpr double kPi = 3.14159265358;

// Commas are decimal points and letters compare in lower case; bytes above 127 stay as they are.
constexpr unsigned char FoldOperandByte(unsigned char c)
{
    if (c == ',') return '.';
    return static_cast<unsigned char>(lumdrak::AsciiLower(static_cast<char>(c)));
}

consteval std::array<bool, 256> BuildAllowedSet()
{
    std::array<bool, 256> allowed{};
    for (const char c : std::string_view("#$.0123456789abcdef"))
        allowed[static_cast<unsigned char>(c)] = true;
    return allowed;
}

constexpr std::array<bool, 256> kAllowed = BuildAllowedSet();

// Overflow and underflow need the C library's answer (infinity, a subnormal or zero); its
// strtod must not follow the user's locale, whose decimal point may be a comma.
double ParseOutOfRange(const std::string& strNumber)
{
    static const locale_t hCLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return strtod_l(strNumber.c_str(), nullptr, hCLocale);
}

// Where an operand's bytes stand, blanks aside, and those outside the digits, points and
// prefixes: the bytes of a name, or a rejected byte. Offsets count the blanks, so that a
// rejected byte is reported where it stands in the text.
struct SOperandBytes
{
    std::size_t nFirst = std::string_view::npos; // the first byte that is no blank
    std::size_t nFirstOther = std::string_view::npos;
    std::size_t nOthers = 0;
    unsigned char others[2] = {}; // the first two, folded
};

SOperandBytes ScanOperand(std::string_view strText)
{
    SOperandBytes bytes;
    for (std::size_t i = 0; i < strText.size(); ++i)
    {
        const auto c = static_cast<unsigned char>(strText[i]);
        if (c == ' ') continue;
        if (bytes.nFirst == std::string_view::npos) bytes.nFirst = i;
        const unsigned char f = FoldOperandByte(c);
        if (kAllowed[f]) continue;
        if (bytes.nOthers == 0) bytes.nFirstOther = i;
        if (bytes.nOthers < 2) bytes.others[bytes.nOthers] = f;
        ++bytes.nOthers;
    }
    return bytes;
}

} // namespace

CExpressionEvaluator::EOperand CExpressionEvaluator::ReadOperand(std::string_view strText)
{
    m_dOperand = 0.0;

    // One character between quotes, blanks included, stands for its code.
    if (strText.size() == 3 && strText[0] == '\'' && strText[2] == '\'')
    {
        m_dOperand = static_cast<unsigned char>(strText[1]);
        return EOperand::Value;
    }

    const SOperandBytes bytes = ScanOperand(strText);
    if (bytes.nFirst == std::string_view::npos) return EOperand::Blank;

    // Names: the bytes of the allowed set around them are ignored ("2pi", "m2").
    if (bytes.nOthers == 2 && bytes.others[0] == 'p' && bytes.others[1] == 'i')
    {
        m_dOperand = kPi;
        return EOperand::Value;
    }
    if (bytes.nOthers == 1 && (bytes.others[0] == 'm' || bytes.others[0] == 'r'))
    {
        m_dOperand = bytes.others[0] == 'm' ? m_dMemory : m_dLastResult;
        return EOperand::Value;
    }
    if (bytes.nOthers != 0)
    {
        m_nPos += static_cast<int>(bytes.nFirstOther + 1);
        return EOperand::Rejected;
    }

    const std::size_t nFirst = bytes.nFirst;
    const auto cPrefix = static_cast<unsigned char>(strText[nFirst]);
    if (cPrefix == '#' || cPrefix == '$') return ReadPrefixed(strText, nFirst);

    m_dOperand = ReadDecimal(strText, nFirst);
    return EOperand::Value;
}

// A binary ('#') or hexadecimal ('$') literal whose prefix stands at nFirst, accumulated in
// double arithmetic, so not limited to 32 or 64 bits. Blanks may stand between its digits.
CExpressionEvaluator::EOperand CExpressionEvaluator::ReadPrefixed(std::string_view strText,
                                                                  std::size_t nFirst)
{
    const int nBase = strText[nFirst] == '#' ? 2 : 16;
    double dValue = 0.0;
    for (std::size_t i = nFirst + 1; i < strText.size(); ++i)
    {
        const auto c = static_cast<unsigned char>(strText[i]);
        if (c == ' ') continue;
        const int nDigit = lumdrak::HexDigitValue(static_cast<char>(c));
        if (nDigit < 0 || nDigit >= nBase)
        {
            m_dOperand = dValue;
            m_nPos += static_cast<int>(i + 1);
            return EOperand::Rejected;
        }
        dValue = dValue * nBase + nDigit;
    }
    m_dOperand = dValue;
    return EOperand::Value;
}

// The value of the longest leading number: digits, an optional point and digits (at least
// one digit in all), then an optional "e" with one or more digits. The rest is ignored, and
// a text without a leading number reads as 0.
double CExpressionEvaluator::ReadDecimal(std::string_view strText, std::size_t nFirst)
{
    std::size_t j = nFirst;
    const auto peek = [&]() -> int
    {
        while (j < strText.size() && strText[j] == ' ')
            ++j;
        return j < strText.size() ? FoldOperandByte(static_cast<unsigned char>(strText[j])) : -1;
    };
    const auto isDigit = [](int c) { return c >= '0' && c <= '9'; };

    m_strNumber.clear();
    std::size_t nDigits = 0;
    int c = peek();
    for (; isDigit(c); c = peek(), ++nDigits)
    {
        m_strNumber += static_cast<char>(c);
        ++j;
    }
    if (c == '.')
    {
        m_strNumber += '.';
        ++j;
        for (c = peek(); isDigit(c); c = peek(), ++nDigits)
        {
            m_strNumber += static_cast<char>(c);
            ++j;
        }
    }
    if (nDigits == 0) return 0.0;
    if (c == 'e')
    {
        const std::size_t nMantissa = m_strNumber.size();
        m_strNumber += 'e';
        ++j;
        for (c = peek(); isDigit(c); c = peek())
        {
            m_strNumber += static_cast<char>(c);
            ++j;
        }
        if (m_strNumber.size() == nMantissa + 1)
            m_strNumber.resize(nMantissa); // "e" without digits is not part of the number
    }

    double dValue = 0.0;
    const char* pBegin = m_strNumber.data();
    const auto result = std::from_chars(pBegin, pBegin + m_strNumber.size(), dValue);
    if (result.ec == std::errc::result_out_of_range) return ParseOutOfRange(m_strNumber);
    return dValue;
}
