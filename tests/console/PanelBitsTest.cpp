#include "ConsoleFixture.h"
#include "IntegerConversion.h"
#include "PanelBits.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace
{

std::string Repeat(char ch, int nCount) { return std::string(static_cast<std::size_t>(nCount), ch); }

// The binary line of nBits, nWidth digits wide, as the panel writes it.
std::string BinaryLine(std::uint64_t nBits, int nWidth)
{
    std::string strLine;
    for (int nBit = nWidth - 1; nBit >= 0; --nBit)
        strLine += ((nBits >> nBit) & 1) != 0 ? '1' : '0';
    return strLine;
}

CPanelBits BitsOf(const std::string& strLine)
{
    const std::optional<CPanelBits> bits = CPanelBits::FromLine(strLine);
    EXPECT_TRUE(bits.has_value()) << strLine;
    return bits.value_or(*CPanelBits::FromLine(Repeat('0', 8)));
}

TEST(PanelBitsTest, ReadsALineOfACastsWidthAndNumbersItsColumnsFromTheRight)
{
    for (const std::string& strLine :
         {std::string(), std::string("0101"), Repeat('0', 7), Repeat('1', 65), std::string("1000000x"),
          std::string("-1"), Repeat('0', 15) + " "})
        EXPECT_FALSE(CPanelBits::FromLine(strLine).has_value()) << strLine;

    const struct
    {
        std::string strLine;
        int nColumn, nBit;
        const char* szText;
    } rows[] = {
        {"10000001", 0, 7, "bit 7 = 1"},   {"10000001", 7, 0, "bit 0 = 1"},
        {"10000001", 3, 4, "bit 4 = 0"},   {"10000001", 8, -1, nullptr},
        {"10000001", -1, -1, nullptr},     {Repeat('0', 16), 0, 15, "bit 15 = 0"},
        {"0" + Repeat('1', 31), 0, 31, "bit 31 = 0"},
        {"1" + Repeat('0', 63), 0, 63, "bit 63 = 1"},
        {"1" + Repeat('0', 63), 63, 0, "bit 0 = 0"},
        {Repeat('0', 64), 64, -1, nullptr},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.strLine + " column " + std::to_string(row.nColumn));
        const CPanelBits bits = BitsOf(row.strLine);
        EXPECT_EQ(bits.Width(), static_cast<int>(row.strLine.size()));
        EXPECT_EQ(bits.BitOfColumn(row.nColumn), row.nBit);
        if (row.nBit < 0)
            continue;
        EXPECT_EQ(bits.ColumnOfBit(row.nBit), row.nColumn);
        EXPECT_EQ(bits.BitText(row.nBit), row.szText);
    }
}

// A field reads unsigned, in either order of its ends; it enters as a '$' literal as long as a
// double holds its value.
TEST(PanelBitsTest, FieldsFromOneBitToAllSixtyFourAndTheFiftyThreeBitLimit)
{
    const std::string strRegister = BinaryLine(0xC0DE0042, 32);
    const std::string strOnes = Repeat('1', 64);
    const std::string kLimit = " significant bits; a double holds 53";
    const struct
    {
        std::string strLine;
        int nHigh, nLow;
        std::uint64_t nValue;
        std::string strText, strExpression, strReason;
    } rows[] = {
        {strRegister, 23, 16, 0xDE, "bits 23..16 = $DE = 222", "$DE", ""},
        {strRegister, 16, 23, 0xDE, "bits 23..16 = $DE = 222", "$DE", ""},
        {strRegister, 31, 0, 0xC0DE0042, "bits 31..0 = $C0DE0042 = 3235774530", "$C0DE0042", ""},
        {strRegister, 0, 0, 0, "bit 0 = $0 = 0", "$0", ""},
        {strRegister, 6, 6, 1, "bit 6 = $1 = 1", "$1", ""},
        {strOnes, 63, 63, 1, "bit 63 = $1 = 1", "$1", ""},
        {strOnes, 63, 11, 0x1FFFFFFFFFFFFF, "bits 63..11 = $1FFFFFFFFFFFFF = 9007199254740991",
         "$1FFFFFFFFFFFFF", ""},
        {strOnes, 63, 10, 0x3FFFFFFFFFFFFF, "bits 63..10 = $3FFFFFFFFFFFFF = 18014398509481983", "",
         "not inserted: $3FFFFFFFFFFFFF = 18014398509481983 needs 54" + kLimit},
        {strOnes, 63, 0, ~std::uint64_t{0},
         "bits 63..0 = $FFFFFFFFFFFFFFFF = 18446744073709551615", "",
         "not inserted: $FFFFFFFFFFFFFFFF = 18446744073709551615 needs 64" + kLimit},
        {"1" + Repeat('0', 63), 63, 0, std::uint64_t{1} << 63,
         "bits 63..0 = $8000000000000000 = 9223372036854775808", "$8000000000000000", ""},
        {"11111111", 7, 0, 0xFF, "bits 7..0 = $FF = 255", "$FF", ""},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.strLine + " " + std::to_string(row.nHigh) + ".." +
                     std::to_string(row.nLow));
        const CPanelBits bits = BitsOf(row.strLine);
        EXPECT_EQ(bits.Field(row.nHigh, row.nLow), row.nValue);
        EXPECT_EQ(bits.FieldText(row.nHigh, row.nLow), row.strText);
        EXPECT_EQ(bits.FieldLiteral(row.nHigh, row.nLow, false), std::to_string(row.nValue));
        EXPECT_EQ(bits.FieldLiteral(row.nHigh, row.nLow, true),
                  "0x" + row.strText.substr(row.strText.find('$') + 1,
                                            row.strText.rfind(" = ") - row.strText.find('$') - 1));
        const CPanelEntry entry = bits.FieldEntry(row.nHigh, row.nLow);
        EXPECT_EQ(entry.m_strExpression, row.strExpression);
        EXPECT_EQ(entry.m_strReason, row.strReason);
    }
}

TEST(PanelBitsTest, Ieee754FormsOfSpecialAndOrdinaryDoubles)
{
    const std::string kZeroFraction = ", fraction 0x0000000000000";
    const struct
    {
        double dValue;
        const char* szDouble;
        const char* szFloat;
        std::string strText;
    } rows[] = {
        {0.0, "0x0000000000000000", "0x00000000",
         "sign 0, exponent 0x000 (zero)" + kZeroFraction + "\nfloat 0x00000000"},
        {-0.0, "0x8000000000000000", "0x80000000",
         "sign 1, exponent 0x000 (zero)" + kZeroFraction + "\nfloat 0x80000000"},
        {0.1, "0x3FB999999999999A", "0x3DCCCCCD",
         "sign 0, exponent 0x3FB = 2^-4, fraction 0x999999999999A\nfloat 0x3DCCCCCD (rounded)"},
        {1.0, "0x3FF0000000000000", "0x3F800000",
         "sign 0, exponent 0x3FF = 2^0" + kZeroFraction + "\nfloat 0x3F800000"},
        {-2.5, "0xC004000000000000", "0xC0200000",
         "sign 1, exponent 0x400 = 2^1, fraction 0x4000000000000\nfloat 0xC0200000"},
        {std::numeric_limits<double>::denorm_min(), "0x0000000000000001", "0x00000000",
         "sign 0, exponent 0x000 = 2^-1022 (subnormal), fraction 0x0000000000001\n"
         "float 0x00000000 (rounded)"},
        {std::numeric_limits<double>::min() - std::numeric_limits<double>::denorm_min(),
         "0x000FFFFFFFFFFFFF", "0x00000000",
         "sign 0, exponent 0x000 = 2^-1022 (subnormal), fraction 0xFFFFFFFFFFFFF\n"
         "float 0x00000000 (rounded)"},
        {static_cast<double>(std::numeric_limits<float>::denorm_min()), "0x36A0000000000000",
         "0x00000001", "sign 0, exponent 0x36A = 2^-149" + kZeroFraction + "\nfloat 0x00000001"},
        {std::numeric_limits<double>::max(), "0x7FEFFFFFFFFFFFFF", "0x7F800000",
         "sign 0, exponent 0x7FE = 2^1023, fraction 0xFFFFFFFFFFFFF\nfloat 0x7F800000 (rounded)"},
        {INFINITY, "0x7FF0000000000000", "0x7F800000",
         "sign 0, exponent 0x7FF (infinity)" + kZeroFraction + "\nfloat 0x7F800000"},
        {-INFINITY, "0xFFF0000000000000", "0xFF800000",
         "sign 1, exponent 0x7FF (infinity)" + kZeroFraction + "\nfloat 0xFF800000"},
        {std::numeric_limits<double>::quiet_NaN(), "0x7FF8000000000000", "0x7FC00000",
         "sign 0, exponent 0x7FF (NaN), fraction 0x8000000000000\nfloat 0x7FC00000"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.szDouble);
        EXPECT_EQ(DoubleBitsText(row.dValue), row.szDouble);
        EXPECT_EQ(FloatBitsText(row.dValue), row.szFloat);
        EXPECT_EQ(Ieee754Text(row.dValue), "double " + std::string(row.szDouble) + ": " + row.strText);
    }
}

// The console text before and after a new line with $5 is entered; "\n" is CR LF, "@" the
// caret, which may stand anywhere before.
TEST_F(ConsoleTest, EnterLineFillsAnEmptyLastPromptOrWritesANewLineBelowTheLast)
{
    const struct
    {
        const char* szBefore;
        int nEditMode;
        const char* szAfter;
    } rows[] = {
        {"?1+1\n2\n?@", 0, "?1+1\n2\n?$5\n5\n?@"},
        {"?1+1\n2\n?@", 1, "?1+1\n2\n?$5\n5\n?@"},
        {"?@1+1\n2\n?", 1, "?1+1\n2\n?$5\n5\n?@"},
        {"@", 0, "?$5\n5\n?@"},                                 // erased
        {"x\n@", 1, "x\n?$5\n5\n?@"},                           // an empty last line
        {"?1+@", 1, "?1+\n?$5\n5\n?@"},                         // typing is left alone
        {"?@1\n1\n?3", 1, "?1\n1\n?3\n?$5\n5\n?@"},
        {"?2\n2\n?\n@", 0, "?2\n2\n?\n?$5\n5\n?@"},
        {"Syntax not allowed.@", 1, "Syntax not allowed.\n?$5\n5\n?@"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.szBefore);
        StartWith(0, 0, 2, row.nEditMode, 1);
        SetMarkedText(m_window, row.szBefore);
        EXPECT_TRUE(m_console.EnterLine("$5"));
        EXPECT_EQ(MarkedText(m_window), row.szAfter);
        // As Enter would leave them: F2, F3 and r follow.
        EXPECT_EQ(m_console.m_strLastResult, "5");
        EXPECT_EQ(m_console.m_strLastExpression, "$5");
        EXPECT_EQ(m_console.m_evaluator.m_dLastResult, 5.0);
    }
}

struct CCast
{
    int nCastMode, bUnsigned;
};
constexpr CCast kCasts[] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}, {3, 0}, {3, 1}};

// The decimal line that shows nBits of the width under the cast, as an integer.
std::string DecimalOf(std::uint64_t nBits, int nWidth, bool bUnsigned)
{
    if (bUnsigned && nWidth < 64)
        return std::to_string(nBits);
    const int nShift = 64 - nWidth;
    return std::to_string(static_cast<std::int64_t>(nBits << nShift) >> nShift);
}

// Whether a double holds the 64-bit integer of these bits exactly.
bool DoubleHolds(std::uint64_t nBits)
{
    const auto nValue = static_cast<std::int64_t>(nBits);
    return lumdrak::ToInt64(static_cast<double>(nValue)) == nValue;
}

// Every bit of every start value under every cast and sign: the flip's expression, entered,
// shows exactly the flipped bits and their integer; with no cast, only where a double cannot
// hold the integer there is no expression, and the reason says so.
TEST_F(ConsoleTest, FlippingEachBitUnderEveryCastGivesBackExactlyThoseBits)
{
    for (const CCast cast : kCasts)
        for (const char* szStart : {"0", "-1", "$C0DE0042", "-$123456789ABCDE", "1/0", "2.5"})
        {
            StartWith(cast.nCastMode, cast.bUnsigned, 2, 0, 0);
            ASSERT_TRUE(Enter((std::string("?") + szStart + "@").c_str()));
            const CPanelBits start = BitsOf(PanelLine(0));
            for (int nBit = 0; nBit < start.Width(); ++nBit)
            {
                SCOPED_TRACE(std::string(szStart) + " cast " + std::to_string(cast.nCastMode) +
                             (cast.bUnsigned ? "u" : "s") + " bit " + std::to_string(nBit));
                const std::uint64_t nFlipped = start.Bits() ^ (std::uint64_t{1} << nBit);
                const CPanelEntry entry = start.FlipEntry(nBit);
                if (start.Width() == 64 && !DoubleHolds(nFlipped))
                {
                    EXPECT_EQ(entry.m_strExpression, "");
                    EXPECT_NE(entry.m_strReason.find("a double holds 53"), std::string::npos);
                    continue;
                }
                ASSERT_EQ(entry.m_strReason, "");
                ASSERT_TRUE(m_console.EnterLine(entry.m_strExpression));
                const bool bNegative = start.Width() == 64 && (nFlipped >> 63) != 0;
                EXPECT_EQ(entry.m_strExpression.rfind(bNegative ? "-$" : "$", 0), 0u);
                EXPECT_EQ(PanelLine(0), BinaryLine(nFlipped, start.Width()));
                EXPECT_EQ(PanelLine(2), DecimalOf(nFlipped, start.Width(), cast.bUnsigned != 0));
                // The next flip starts from the panel of the start value again.
                ASSERT_TRUE(m_console.EnterLine(szStart));
            }
        }
}

// Written lines and results of single flips, as a user sees them.
TEST_F(ConsoleTest, FlippedBitsAreWrittenAsLiteralsThatTheCastReadsBack)
{
    const struct
    {
        CCast cast;
        const char* szStart;
        int nBit;
        const char* szLine; // written below the start's result
        const char* szDecimal;
        const char* szReason;
    } rows[] = {
        {{0, 0}, "$C0DE0042", 7, "?$C0DE00C2", "3235774658", ""},
        {{3, 0}, "127", 7, "?$FF", "-1", ""},
        {{3, 1}, "127", 7, "?$FF", "255", ""},
        {{3, 0}, "-1", 7, "?$7F", "127", ""},
        {{1, 0}, "-1", 31, "?$7FFFFFFF", "2147483647", ""},
        {{1, 1}, "0", 31, "?$80000000", "2147483648", ""},
        {{2, 0}, "0", 15, "?$8000", "-32768", ""},
        {{0, 0}, "-1", 0, "?-$2", "-2", ""},
        {{0, 1}, "-1", 52, "?-$10000000000001", "-4503599627370497", ""},
        {{0, 0}, "0", 63, "?-$8000000000000000", "-9223372036854775808", ""},
        {{0, 0}, "1/0", 63, "?$0", "0", ""}, // the conversion's -2^63
        {{0, 0}, "2.5", 0, "?$3", "3", ""},  // the bits shown, without the fraction
        {{0, 0}, "2<53", 1, "?$20000000000002", "9007199254740994", ""},
        {{0, 0}, "2<53", 0, nullptr, nullptr,
         "not flipped: $20000000000001 = 9007199254740993 needs 54 significant bits; a double "
         "holds 53"},
        {{0, 0}, "-1", 63, nullptr, nullptr,
         "not flipped: $7FFFFFFFFFFFFFFF = 9223372036854775807 needs 63 significant bits; a "
         "double holds 53"},
        {{0, 0}, "-1", 53, nullptr, nullptr,
         "not flipped: -$20000000000001 = -9007199254740993 needs 54 significant bits; a double "
         "holds 53"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(std::string(row.szStart) + " bit " + std::to_string(row.nBit));
        StartWith(row.cast.nCastMode, row.cast.bUnsigned, 2, 1, 1);
        ASSERT_TRUE(Enter((std::string("?") + row.szStart + "@").c_str()));
        const std::string strBefore = m_window.m_strConsoleText;
        const CPanelEntry entry = BitsOf(PanelLine(0)).FlipEntry(row.nBit);
        EXPECT_EQ(entry.m_strReason, row.szReason);
        if (!row.szLine)
        {
            EXPECT_EQ(entry.m_strExpression, "");
            continue;
        }
        ASSERT_TRUE(m_console.EnterLine(entry.m_strExpression));
        const std::string strPrompt = strBefore.substr(0, strBefore.size() - 1); // its '?' filled
        EXPECT_EQ(m_window.m_strConsoleText,
                  strPrompt + row.szLine + "\r\n" + row.szDecimal + "\r\n?");
        EXPECT_EQ(PanelLine(2), row.szDecimal);
    }
}

} // namespace
