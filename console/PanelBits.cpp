#include "PanelBits.h"

#include "Ascii.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <tuple>

static_assert(std::numeric_limits<double>::is_iec559 && std::numeric_limits<float>::is_iec559,
              "the IEEE-754 texts read the bits of IEEE doubles and floats");

namespace
{

constexpr int kDoubleDigits = std::numeric_limits<double>::digits; // 53

// From the highest set bit down to the lowest: the bits a double's significand must hold.
int SignificantBits(std::uint64_t nMagnitude)
{
    return nMagnitude == 0 ? 0 : std::bit_width(nMagnitude) - std::countr_zero(nMagnitude);
}

// The '$' literal of an integer, with a minus before a negative one, when a double holds the
// integer exactly (the reader accumulates the digits in double arithmetic, and every step is
// then exact); otherwise the reason, after strWhat.
CPanelEntry ExactLiteral(std::uint64_t nMagnitude, bool bNegative, std::string_view strWhat)
{
    const std::string strSign = bNegative ? "-" : "";
    const std::string strLiteral = strSign + "$" + HexDigits(nMagnitude);
    const int nBits = SignificantBits(nMagnitude);
    if (nBits <= kDoubleDigits) return {strLiteral, {}};
    return {{},
            std::string(strWhat) + ": " + strLiteral + " = " + strSign +
                std::to_string(nMagnitude) + " needs " + std::to_string(nBits) +
                " significant bits; a double holds " + std::to_string(kDoubleDigits)};
}

// The same for a 64-bit integer: a negative one as its magnitude after a minus, since beyond
// 2^63 a literal would convert to -2^63 whatever its digits (2^63 itself included).
CPanelEntry IntegerLiteral(std::int64_t nValue, std::string_view strWhat)
{
    const bool bNegative = nValue < 0;
    const auto nBits = static_cast<std::uint64_t>(nValue);
    return ExactLiteral(bNegative ? 0 - nBits : nBits, bNegative, strWhat);
}

std::uint64_t LowMask(int nBits)
{
    return nBits >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << nBits) - 1;
}

std::uint64_t Rotate(std::uint64_t nBits, int nWidth, bool bLeft)
{
    const std::uint64_t nMask = LowMask(nWidth);
    nBits &= nMask;
    return (bLeft ? (nBits << 1) | (nBits >> (nWidth - 1))
                  : (nBits >> 1) | (nBits << (nWidth - 1))) &
           nMask;
}

std::uint64_t SwapBytes(std::uint64_t nBits, int nWidth)
{
    std::uint64_t nSwapped = 0;
    for (int nShift = 0; nShift < nWidth; nShift += 8)
        nSwapped = (nSwapped << 8) | ((nBits >> nShift) & 0xFF);
    return nSwapped;
}

// Code points whose character shows nothing by itself or joins the quote before it: spaces
// other than the plain one, format controls, combining marks, private use, noncharacters.
// Between quotes they are written as escapes.
constexpr std::pair<char32_t, char32_t> kUnseen[] = {
    {0x00A0, 0x00A0},   {0x00AD, 0x00AD},    {0x0300, 0x036F},   {0x061C, 0x061C},
    {0x115F, 0x1160},   {0x1680, 0x1680},    {0x180B, 0x180E},   {0x1AB0, 0x1AFF},
    {0x1DC0, 0x1DFF},   {0x2000, 0x200F},    {0x2028, 0x202F},   {0x205F, 0x206F},
    {0x20D0, 0x20FF},   {0x3000, 0x3000},    {0x3164, 0x3164},   {0xE000, 0xF8FF},
    {0xFDD0, 0xFDEF},   {0xFE00, 0xFE0F},    {0xFE20, 0xFE2F},   {0xFEFF, 0xFEFF},
    {0xFFA0, 0xFFA0},   {0xFFF0, 0xFFFF},    {0x1D173, 0x1D17A}, {0x1FFFE, 0x1FFFF},
    {0x2FFFE, 0x2FFFF}, {0x3FFFE, 0x3FFFF},  {0x40000, 0xDFFFF}, {0xE0000, 0xE0FFF},
    {0xEFFFE, 0xEFFFF}, {0xF0000, 0x10FFFF},
};

// C's escapes with a letter of their own, and those the quotes need.
constexpr std::pair<char32_t, const char*> kNamedEscapes[] = {
    {0, "\\0"},  {7, "\\a"},  {8, "\\b"},  {9, "\\t"},    {10, "\\n"},
    {11, "\\v"}, {12, "\\f"}, {13, "\\r"}, {'\'', "\\'"}, {'\\', "\\\\"},
};

std::optional<char32_t> CodePointOf(double dValue)
{
    // NaN fails both comparisons.
    if (!(dValue >= 0 && dValue <= 0x10FFFF) || dValue != std::floor(dValue)) return std::nullopt;
    const auto nCode = static_cast<char32_t>(dValue);
    if (nCode >= 0xD800 && nCode <= 0xDFFF) return std::nullopt; // surrogates: no character
    return nCode;
}

std::string LowerHex(std::uint64_t nValue, int nDigits)
{
    std::string strHex = HexDigits(nValue, nDigits);
    for (char& ch : strHex)
        ch = lumdrak::AsciiLower(ch);
    return strHex;
}

std::string Utf8(char32_t nCode)
{
    const auto byte = [](char32_t n) { return static_cast<char>(n); };
    if (nCode < 0x80) return {byte(nCode)};
    if (nCode < 0x800) return {byte(0xC0 | (nCode >> 6)), byte(0x80 | (nCode & 0x3F))};
    if (nCode < 0x10000)
        return {byte(0xE0 | (nCode >> 12)), byte(0x80 | ((nCode >> 6) & 0x3F)),
                byte(0x80 | (nCode & 0x3F))};
    return {byte(0xF0 | (nCode >> 18)), byte(0x80 | ((nCode >> 12) & 0x3F)),
            byte(0x80 | ((nCode >> 6) & 0x3F)), byte(0x80 | (nCode & 0x3F))};
}

// The character between single quotes, as C reads it back.
std::string Quoted(char32_t nCode)
{
    for (const auto& [nNamed, pszEscape] : kNamedEscapes)
        if (nCode == nNamed) return std::string("'").append(pszEscape) + "'";
    if (nCode < 0x20 || (nCode >= 0x7F && nCode < 0xA0)) // C0, DEL and C1 controls
        return "'\\x" + LowerHex(nCode, 2) + "'";
    const auto unseen = [nCode](const auto& range)
    { return nCode >= range.first && nCode <= range.second; };
    if (std::any_of(std::begin(kUnseen), std::end(kUnseen), unseen)) // all of them above 0x9F,
        return nCode <= 0xFFFF ? "'\\u" + LowerHex(nCode, 4) + "'"   // where \u may name them
                               : "'\\U" + LowerHex(nCode, 8) + "'";
    return "'" + Utf8(nCode) + "'";
}

} // namespace

std::optional<CPanelBits> CPanelBits::FromLine(std::string_view strLine)
{
    const auto nWidth = static_cast<int>(strLine.size());
    if (nWidth != 8 && nWidth != 16 && nWidth != 32 && nWidth != 64) return std::nullopt;
    std::uint64_t nBits = 0;
    for (const char ch : strLine)
    {
        if (ch != '0' && ch != '1') return std::nullopt;
        nBits = (nBits << 1) | static_cast<std::uint64_t>(ch - '0');
    }
    return CPanelBits(nBits, nWidth);
}

int CPanelBits::BitOfColumn(int nColumn) const
{
    return nColumn >= 0 && nColumn < m_nWidth ? m_nWidth - 1 - nColumn : -1;
}

int CPanelBits::ColumnOfBit(int nBit) const { return BitOfColumn(nBit); }

bool CPanelBits::Bit(int nBit) const
{
    return nBit >= 0 && nBit < m_nWidth && ((m_nBits >> nBit) & 1) != 0;
}

std::string CPanelBits::BitText(int nBit) const
{
    return "bit " + std::to_string(nBit) + " = " + (Bit(nBit) ? "1" : "0");
}

std::pair<int, int> CPanelBits::FieldEnds(int nHigh, int nLow) const
{
    if (nHigh < nLow) std::swap(nHigh, nLow);
    return {std::clamp(nHigh, 0, m_nWidth - 1), std::clamp(nLow, 0, m_nWidth - 1)};
}

std::uint64_t CPanelBits::Field(int nHigh, int nLow) const
{
    std::tie(nHigh, nLow) = FieldEnds(nHigh, nLow);
    return (m_nBits >> nLow) & LowMask(nHigh - nLow + 1);
}

std::pair<std::uint64_t, bool> CPanelBits::SignedField(int nHigh, int nLow) const
{
    std::tie(nHigh, nLow) = FieldEnds(nHigh, nLow);
    const int nWidth = nHigh - nLow + 1;
    const std::uint64_t nValue = Field(nHigh, nLow);
    if (((nValue >> (nWidth - 1)) & 1) == 0) return {nValue, false};
    // The magnitude of a negative field: 2^width less its value, in unsigned arithmetic.
    return {(0 - nValue) & LowMask(nWidth), true};
}

std::string CPanelBits::FieldText(int nHigh, int nLow) const
{
    std::tie(nHigh, nLow) = FieldEnds(nHigh, nLow);
    const std::uint64_t nValue = Field(nHigh, nLow);
    const std::string strBits = nHigh == nLow
                                    ? "bit " + std::to_string(nHigh)
                                    : "bits " + std::to_string(nHigh) + ".." + std::to_string(nLow);
    std::string strText = strBits + " = $" + HexDigits(nValue) + " = " + std::to_string(nValue);
    if (const auto [nMagnitude, bNegative] = SignedField(nHigh, nLow); bNegative)
        strText += " (signed -" + std::to_string(nMagnitude) + ")";
    return strText;
}

std::string CPanelBits::FieldLiteral(int nHigh, int nLow, bool bHex) const
{
    const std::uint64_t nValue = Field(nHigh, nLow);
    return bHex ? std::string("0x").append(HexDigits(nValue)) : std::to_string(nValue);
}

CPanelEntry CPanelBits::FlipEntry(int nBit) const
{
    if (nBit < 0 || nBit >= m_nWidth) return {};
    const std::uint64_t nFlipped = m_nBits ^ (std::uint64_t{1} << nBit);
    return MovedEntry(nFlipped, m_nWidth, "not flipped");
}

int CPanelBits::MoveWidth() const
{
    if (m_nWidth < 64) return m_nWidth;
    const auto nValue = static_cast<std::int64_t>(m_nBits);
    return nValue >= std::numeric_limits<std::int32_t>::min() &&
                   nValue <= std::numeric_limits<std::uint32_t>::max()
               ? 32
               : 64;
}

CPanelEntry CPanelBits::MovedEntry(std::uint64_t nMoved, int nWidth, std::string_view strWhat) const
{
    // A cast reads the low bits of the literal's value, whatever its sign. (Appended, since
    // GCC 12 at -O3 warns falsely of overlapping copies in "$" + a string.)
    if (m_nWidth < 64) return {std::string("$").append(HexDigits(nMoved)), {}};
    if (nWidth == 64) return IntegerLiteral(static_cast<std::int64_t>(nMoved), strWhat);
    const auto nLow = static_cast<std::uint32_t>(nMoved);
    const bool bSigned = static_cast<std::int64_t>(m_nBits) < 0;
    return IntegerLiteral(bSigned ? std::int64_t{static_cast<std::int32_t>(nLow)} : nLow, strWhat);
}

CPanelEntry CPanelBits::SwapEntry() const
{
    if (!CanSwap()) return {{}, "not swapped: 8 bits are a single byte"};
    const int nWidth = MoveWidth();
    return MovedEntry(SwapBytes(m_nBits & LowMask(nWidth), nWidth), nWidth, "not swapped");
}

CPanelEntry CPanelBits::RotateEntry(bool bLeft) const
{
    const int nWidth = MoveWidth();
    return MovedEntry(Rotate(m_nBits, nWidth, bLeft), nWidth, "not rotated");
}

CPanelEntry CPanelBits::FieldEntry(int nHigh, int nLow) const
{
    return ExactLiteral(Field(nHigh, nLow), false, "not inserted");
}

CPanelEntry CPanelBits::SignedFieldEntry(int nHigh, int nLow) const
{
    const auto [nMagnitude, bNegative] = SignedField(nHigh, nLow);
    return ExactLiteral(nMagnitude, bNegative, "not inserted");
}

std::string DoubleBitsText(double dValue)
{
    return "0x" + HexDigits(std::bit_cast<std::uint64_t>(dValue), 16);
}

std::string FloatBitsText(double dValue)
{
    // IEEE conversion rounds to the nearest float; beyond the largest one that is infinity.
    return "0x" + HexDigits(std::bit_cast<std::uint32_t>(static_cast<float>(dValue)), 8);
}

std::string Ieee754Text(double dValue)
{
    const auto nBits = std::bit_cast<std::uint64_t>(dValue);
    const auto nBiased = static_cast<int>((nBits >> 52) & 0x7FF);
    const std::uint64_t nFraction = nBits & LowMask(52);
    std::string strExponent = "exponent 0x" + HexDigits(static_cast<std::uint64_t>(nBiased), 3);
    if (nBiased == 0x7FF)
        strExponent += nFraction == 0 ? " (infinity)" : " (NaN)";
    else if (nBiased == 0)
        strExponent += nFraction == 0 ? " (zero)" : " = 2^-1022 (subnormal)";
    else
        strExponent += " = 2^" + std::to_string(nBiased - 1023);

    const auto fValue = static_cast<float>(dValue);
    const bool bRounded = dValue == dValue && static_cast<double>(fValue) != dValue;
    return "double " + DoubleBitsText(dValue) + ": sign " + std::to_string(nBits >> 63) + ", " +
           strExponent + ", fraction 0x" + HexDigits(nFraction, 13) + "\nfloat " +
           FloatBitsText(dValue) + (bRounded ? " (rounded)" : "");
}

std::string CharacterText(double dValue)
{
    const std::optional<char32_t> nCode = CodePointOf(dValue);
    if (!nCode) return {};
    if (*nCode < 0x80) return Quoted(*nCode);
    return "U+" + HexDigits(*nCode, 4) + " " + Quoted(*nCode);
}

std::string CharacterLiteral(double dValue)
{
    const std::optional<char32_t> nCode = CodePointOf(dValue);
    if (!nCode) return {};
    return (*nCode < 0x80 ? "" : "U") + Quoted(*nCode);
}
