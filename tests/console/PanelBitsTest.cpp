#include "PanelBits.h"
#include "ConsoleFixture.h"
#include "IntegerConversion.h"

#include <cmath>
#include <limits>
#include <tuple>
#include <utility>
#include <vector>

namespace
{

std::string BinaryLine(std::uint64_t nBits, int nWidth)
{
    std::string strLine;
    for (int nBit = nWidth - 1; nBit >= 0; --nBit)
        strLine += ((nBits >> nBit) & 1) != 0 ? '1' : '0';
    return strLine;
}

const std::string kLimit = " significant bits; a double holds 53";

// Columns count from the left, bits from the right; a field reads unsigned, in either order of
// its ends, and enters as a '$' literal while a double holds it.
TEST(PanelBitsTest, BitsOfColumnsAndFieldsFromOneBitToSixtyFour)
{
    for (const std::string& strLine : {std::string(), std::string("0101"), std::string("1000000x"),
                                       std::string(7, '0'), std::string(65, '1')})
        EXPECT_FALSE(CPanelBits::FromLine(strLine)) << strLine;
    const std::uint64_t kOnes = ~std::uint64_t{0};
    const std::string kSignedOne = " (signed -1)";
    const struct
    {
        std::uint64_t nBits;
        int nWidth, nHigh, nLow;
        const char* szBit; // bit nHigh
        std::string strField, strEntry, strSigned;
    } rows[] = {
        {0x81, 8, 7, 0, "bit 7 = 1", "bits 7..0 = $81 = 129 (signed -127)", "$81", "-$7F"},
        {0x81, 8, 1, 1, "bit 1 = 0", "bit 1 = $0 = 0", "$0", "$0"},
        {0x81, 8, 6, 0, "bit 6 = 0", "bits 6..0 = $1 = 1", "$1", "$1"},
        {0xC0DE0042, 32, 23, 16, "bit 23 = 1", "bits 23..16 = $DE = 222 (signed -34)", "$DE",
         "-$22"},
        {0xC0DE0042, 32, 16, 23, "bit 16 = 0", "bits 23..16 = $DE = 222 (signed -34)", "$DE",
         "-$22"},
        {0xF9C, 64, 11, 0, "bit 11 = 1", "bits 11..0 = $F9C = 3996 (signed -100)", "$F9C", "-$64"},
        {0xF9C, 64, 12, 0, "bit 12 = 0", "bits 12..0 = $F9C = 3996", "$F9C", "$F9C"},
        {0xF9C, 64, 11, 4, "bit 11 = 1", "bits 11..4 = $F9 = 249 (signed -7)", "$F9", "-$7"},
        {0x8000, 16, 15, 15, "bit 15 = 1", "bit 15 = $1 = 1" + kSignedOne, "$1", "-$1"},
        {kOnes, 64, 63, 63, "bit 63 = 1", "bit 63 = $1 = 1" + kSignedOne, "$1", "-$1"},
        {kOnes, 64, 0, 0, "bit 0 = 1", "bit 0 = $1 = 1" + kSignedOne, "$1", "-$1"},
        {kOnes, 64, 63, 11, "bit 63 = 1",
         "bits 63..11 = $1FFFFFFFFFFFFF = 9007199254740991" + kSignedOne, "$1FFFFFFFFFFFFF", "-$1"},
        {kOnes, 64, 63, 10, "bit 63 = 1",
         "bits 63..10 = $3FFFFFFFFFFFFF = 18014398509481983" + kSignedOne,
         "not inserted: $3FFFFFFFFFFFFF = 18014398509481983 needs 54" + kLimit, "-$1"},
        {kOnes, 64, 63, 0, "bit 63 = 1",
         "bits 63..0 = $FFFFFFFFFFFFFFFF = 18446744073709551615" + kSignedOne,
         "not inserted: $FFFFFFFFFFFFFFFF = 18446744073709551615 needs 64" + kLimit, "-$1"},
        {std::uint64_t{1} << 63, 64, 63, 0, "bit 63 = 1",
         "bits 63..0 = $8000000000000000 = 9223372036854775808 (signed -9223372036854775808)",
         "$8000000000000000", "-$8000000000000000"},
        {0x8000000000000002, 64, 63, 1, "bit 63 = 1",
         "bits 63..1 = $4000000000000001 = 4611686018427387905 (signed -4611686018427387903)",
         "not inserted: $4000000000000001 = 4611686018427387905 needs 63" + kLimit,
         "not inserted: -$3FFFFFFFFFFFFFFF = -4611686018427387903 needs 62" + kLimit},
    };
    const auto entryText = [](const CPanelEntry& entry)
    { return entry.m_strExpression.empty() ? entry.m_strReason : entry.m_strExpression; };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.strField);
        const auto bits = CPanelBits::FromLine(BinaryLine(row.nBits, row.nWidth));
        ASSERT_TRUE(bits);
        EXPECT_EQ(bits->BitOfColumn(row.nWidth - 1 - row.nHigh), row.nHigh);
        EXPECT_EQ(bits->ColumnOfBit(row.nHigh), row.nWidth - 1 - row.nHigh);
        EXPECT_EQ(bits->BitText(row.nHigh), row.szBit);
        EXPECT_EQ(bits->FieldText(row.nHigh, row.nLow), row.strField);
        EXPECT_EQ(entryText(bits->FieldEntry(row.nHigh, row.nLow)), row.strEntry);
        EXPECT_EQ(entryText(bits->SignedFieldEntry(row.nHigh, row.nLow)), row.strSigned);
        EXPECT_EQ(bits->FieldLiteral(row.nHigh, row.nLow, false),
                  std::to_string(bits->Field(row.nHigh, row.nLow)));
        EXPECT_EQ(bits->BitOfColumn(row.nWidth), -1);
        EXPECT_EQ(bits->BitOfColumn(-1), -1);
    }
}

TEST(PanelBitsTest, Ieee754FormsOfSpecialAndOrdinaryDoubles)
{
    using Limits = std::numeric_limits<double>;
    const std::string k0 = ", fraction 0x0000000000000\nfloat 0x";
    const struct
    {
        double dValue;
        const char* szDouble;
        std::string strRest;
    } rows[] = {
        {0.0, "0x0000000000000000", "sign 0, exponent 0x000 (zero)" + k0 + "00000000"},
        {-0.0, "0x8000000000000000", "sign 1, exponent 0x000 (zero)" + k0 + "80000000"},
        {0.1, "0x3FB999999999999A",
         "sign 0, exponent 0x3FB = 2^-4, fraction 0x999999999999A\nfloat 0x3DCCCCCD (rounded)"},
        {1.0, "0x3FF0000000000000", "sign 0, exponent 0x3FF = 2^0" + k0 + "3F800000"},
        {-2.5, "0xC004000000000000",
         "sign 1, exponent 0x400 = 2^1, fraction 0x4000000000000\nfloat 0xC0200000"},
        {Limits::denorm_min(), "0x0000000000000001",
         "sign 0, exponent 0x000 = 2^-1022 (subnormal), fraction 0x0000000000001\n"
         "float 0x00000000 (rounded)"},
        {Limits::min() - Limits::denorm_min(), "0x000FFFFFFFFFFFFF",
         "sign 0, exponent 0x000 = 2^-1022 (subnormal), fraction 0xFFFFFFFFFFFFF\n"
         "float 0x00000000 (rounded)"},
        {std::numeric_limits<float>::denorm_min(), "0x36A0000000000000",
         "sign 0, exponent 0x36A = 2^-149" + k0 + "00000001"},
        {Limits::max(), "0x7FEFFFFFFFFFFFFF",
         "sign 0, exponent 0x7FE = 2^1023, fraction 0xFFFFFFFFFFFFF\nfloat 0x7F800000 (rounded)"},
        {INFINITY, "0x7FF0000000000000", "sign 0, exponent 0x7FF (infinity)" + k0 + "7F800000"},
        {-INFINITY, "0xFFF0000000000000", "sign 1, exponent 0x7FF (infinity)" + k0 + "FF800000"},
        {Limits::quiet_NaN(), "0x7FF8000000000000",
         "sign 0, exponent 0x7FF (NaN), fraction 0x8000000000000\nfloat 0x7FC00000"},
    };
    for (const auto& row : rows)
    {
        EXPECT_EQ(DoubleBitsText(row.dValue), row.szDouble);
        const std::string strText = Ieee754Text(row.dValue);
        EXPECT_EQ(strText, "double " + std::string(row.szDouble) + ": " + row.strRest);
        EXPECT_EQ("float " + FloatBitsText(row.dValue), strText.substr(strText.find("float"), 16));
    }
}

// The literal read back as C reads it: a UTF-8 character, \x, \u or \U with hexadecimal
// digits, or a letter's escape; -1 for anything else.
long ReadBack(const std::string& strLiteral)
{
    std::string strBody = strLiteral.substr(strLiteral[0] == 'U' ? 2 : 1);
    if (strBody.size() < 2 || strBody.back() != '\'') return -1;
    strBody.pop_back();
    const std::pair<char, long> kLetters[] = {{'0', '\0'},  {'a', '\a'}, {'b', '\b'}, {'t', '\t'},
                                              {'n', '\n'},  {'v', '\v'}, {'f', '\f'}, {'r', '\r'},
                                              {'\'', '\''}, {'\\', '\\'}};
    if (strBody[0] == '\\' && strBody.size() == 2)
        for (const auto& [chLetter, nValue] : kLetters)
            if (strBody[1] == chLetter) return nValue;
    if (strBody[0] == '\\')
    {
        const std::size_t nDigits = strBody[1] == 'x' ? 2 : strBody[1] == 'u' ? 4 : 8;
        if (strBody.size() != 2 + nDigits ||
            strBody.find_first_not_of("0123456789abcdef", 2) != std::string::npos)
            return -1;
        return std::stol(strBody.substr(2), nullptr, 16);
    }
    const auto nLead = static_cast<unsigned char>(strBody[0]);
    const std::size_t nLength = nLead < 0x80 ? 1 : nLead < 0xE0 ? 2 : nLead < 0xF0 ? 3 : 4;
    if (strBody.size() != nLength) return -1;
    long nCode = nLength == 1 ? nLead : nLead & (0x7F >> nLength);
    for (std::size_t i = 1; i < nLength; ++i)
        nCode = (nCode << 6) | (static_cast<unsigned char>(strBody[i]) & 0x3F);
    return nCode;
}

// Values that are codes of characters name them as C writes them; the others name none.
TEST(PanelBitsTest, CharactersOfWholeValuesAsCWritesThem)
{
    const std::tuple<double, const char*, const char*> rows[] = {
        {0x7A, "'z'", "'z'"},
        {'\n', "'\\n'", "'\\n'"},
        {0x7F, "'\\x7f'", "'\\x7f'"},
        {-0.0, "'\\0'", "'\\0'"},
        {0xE9, "U+00E9 '\u00e9'", "U'\u00e9'"},
        {0x85, "U+0085 '\\x85'", "U'\\x85'"},
        {0x20AC, "U+20AC '\u20ac'", "U'\u20ac'"},
        {0x200B, "U+200B '\\u200b'", "U'\\u200b'"},
        {0x1F600, "U+1F600 '\U0001f600'", "U'\U0001f600'"},
        {0x10FFFF, "U+10FFFF '\\U0010ffff'", "U'\\U0010ffff'"},
        {0xD800, "", ""}, // a surrogate
        {0x110000, "", ""},
        {-1, "", ""},
        {65.5, "", ""},
        {std::nan(""), "", ""},
        {INFINITY, "", ""},
    };
    for (const auto& [dValue, pszText, pszLiteral] : rows)
    {
        SCOPED_TRACE(dValue);
        EXPECT_EQ(CharacterText(dValue), pszText);
        EXPECT_EQ(CharacterLiteral(dValue), pszLiteral);
    }

    // Every byte, and code points at the edges of escaped ranges, read back as themselves;
    // printable ASCII stands as itself, and so does Latin-1 but for its two blank ones.
    std::vector<std::pair<long, bool>> arrCodes; // and whether it stands as itself
    for (long nCode = 0; nCode < 0x100; ++nCode)
        arrCodes.emplace_back(nCode,
                              (nCode >= 0x20 && nCode < 0x7F && nCode != '\'' && nCode != '\\') ||
                                  (nCode > 0xA0 && nCode != 0xAD));
    for (const auto& code : {std::pair{0x2FFL, true},
                             {0x300L, false},
                             {0x36FL, false},
                             {0x370L, true},
                             {0xFFFDL, false},
                             {0x10000L, true},
                             {0x1FFFFL, false},
                             {0xDFFFFL, false},
                             {0xE1000L, true},
                             {0xEFFFFL, false}})
        arrCodes.push_back(code);
    for (const auto& [nCode, bPlain] : arrCodes)
    {
        SCOPED_TRACE(nCode);
        const std::string strLiteral = CharacterLiteral(static_cast<double>(nCode));
        EXPECT_EQ(ReadBack(strLiteral), nCode) << strLiteral;
        EXPECT_EQ(strLiteral[0] == 'U', nCode >= 0x80);
        EXPECT_EQ(strLiteral.find('\\') == std::string::npos, bPlain) << strLiteral;
        const std::string strText = CharacterText(static_cast<double>(nCode));
        EXPECT_EQ(strText.substr(strText.find('\'')), strLiteral.substr(strLiteral.find('\'')));
    }
}

// "\n" is CR LF and "@" the caret, before and after $5 is entered.
TEST_F(ConsoleTest, EnterLineFillsAnEmptyLastPromptOrWritesANewLineBelowTheLast)
{
    const std::pair<const char*, const char*> rows[] = {
        {"?1+1\n2\n?@", "?1+1\n2\n?$5\n5\n?@"},
        {"?@1+1\n2\n?", "?1+1\n2\n?$5\n5\n?@"},  // wherever the caret is
        {"@", "?$5\n5\n?@"},                     // erased
        {"x\n@", "x\n?$5\n5\n?@"},               // an empty last line
        {"?1+@", "?1+\n?$5\n5\n?@"},             // typing is left alone
        {"?@1\n1\n?3", "?1\n1\n?3\n?$5\n5\n?@"}, // so is an old expression
    };
    for (const int nEditMode : {0, 1})
        for (const auto& [pszBefore, pszAfter] : rows)
        {
            StartWith(None, 0, Decimal, static_cast<EEditMode>(nEditMode), 1);
            SetMarkedText(m_window, pszBefore);
            EXPECT_TRUE(m_console.EnterLine("$5").bEntered);
            EXPECT_EQ(MarkedText(m_window), pszAfter) << pszBefore;
            // As after Enter: F2, F3 and r follow.
            EXPECT_EQ(State().m_strLastResult + State().m_strLastExpression, "5$5");
            EXPECT_EQ(m_console.LastResult(), 5.0);
        }
}

// Every bit of every start value under every cast and sign: the flip's expression, entered,
// gives exactly the flipped bits and their integer. Only with no cast, and only where a double
// cannot hold the integer, there is none, and the reason says so. Rows show what is written.
TEST_F(ConsoleTest, FlippingEachBitUnderEveryCastGivesBackExactlyThoseBits)
{
    for (int nCastType = 0; nCastType < 8; ++nCastType)
        for (const char* pszStart : {"0", "-1", "$C0DE0042", "-$123456789ABCDE", "1/0", "2.5"})
        {
            const bool bUnsigned = nCastType % 2 != 0;
            StartWith(static_cast<ECastMode>(nCastType / 2), bUnsigned, Decimal, Scroll, 0);
            ASSERT_TRUE(Enter((std::string("?") + pszStart + "@").c_str()));
            const auto start = CPanelBits::FromLine(PanelLine(0));
            ASSERT_TRUE(start);
            const int nWidth = start->Width();
            for (int nBit = 0; nBit < nWidth; ++nBit)
            {
                SCOPED_TRACE(std::string(pszStart) + " cast type " + std::to_string(nCastType) +
                             " bit " + std::to_string(nBit));
                const std::uint64_t nFlipped = start->Bits() ^ (std::uint64_t{1} << nBit);
                const auto nSigned =
                    static_cast<std::int64_t>(nFlipped << (64 - nWidth)) >> (64 - nWidth);
                const CPanelEntry entry = start->FlipEntry(nBit);
                if (nWidth == 64 && lumdrak::ToInt64(static_cast<double>(nSigned)) != nSigned)
                {
                    EXPECT_NE(entry.m_strReason.find(kLimit), std::string::npos);
                    continue;
                }
                ASSERT_TRUE(m_console.EnterLine(entry.m_strExpression).bEntered)
                    << entry.m_strReason;
                EXPECT_EQ(PanelLine(0), BinaryLine(nFlipped, nWidth));
                EXPECT_EQ(PanelLine(2), bUnsigned && nWidth < 64 ? std::to_string(nFlipped)
                                                                 : std::to_string(nSigned));
                ASSERT_TRUE(m_console.EnterLine(pszStart).bEntered); // back to the start's bits
            }
        }

    const std::tuple<int, const char*, int, const char*> rows[] = {
        // cast type, start, bit, the line written (or the reason for none)
        {0, "$C0DE0042", 7, "?$C0DE00C2"},
        {6, "127", 7, "?$FF"},
        {0, "-1", 0, "?-$2"},
        {1, "0", 63, "?-$8000000000000000"},
        {0, "1/0", 63, "?$0"}, // the conversion's -2^63
        {0, "2<53", 0, "not flipped: $20000000000001 = 9007199254740993 needs 54"},
        {0, "-1", 53, "not flipped: -$20000000000001 = -9007199254740993 needs 54"},
    };
    for (const auto& [nCastType, pszStart, nBit, pszLine] : rows)
    {
        StartWith(static_cast<ECastMode>(nCastType / 2), nCastType % 2, Decimal, Overwrite, 1);
        ASSERT_TRUE(Enter((std::string("?") + pszStart + "@").c_str()));
        const std::string strBefore = m_window.m_strConsoleText;
        const CPanelEntry entry = CPanelBits::FromLine(PanelLine(0))->FlipEntry(nBit);
        if (pszLine[0] != '?')
        {
            EXPECT_EQ(entry.m_strReason, pszLine + kLimit);
            continue;
        }
        ASSERT_TRUE(m_console.EnterLine(entry.m_strExpression).bEntered);
        EXPECT_EQ(m_window.m_strConsoleText.substr(strBefore.size() - 1),
                  pszLine + ("\r\n" + PanelLine(2) + "\r\n?"));
    }
}

// Each row: the cast type, a value entered, a move of its bits (Swap, rotate Left or Right);
// the '?' line the move writes and the decimal line it gives, or the reason there is none.
// With no cast a move works in 32 bits while the integer fits them (signed or unsigned) and
// reads them as it was read; else in 64, where the 53-bit rule can refuse.
TEST_F(ConsoleTest, MovesWriteTheMovedValueUnderEveryCast)
{
    const std::tuple<int, const char*, char, std::string, const char*> rows[] = {
        {0, "$12345678", 'S', "?$78563412", "2018915346"},
        {0, "$80", 'S', "?$80000000", "2147483648"},
        {0, "$FFFFFFFF", 'S', "?$FFFFFFFF", "4294967295"}, // unsigned 32 bits' top
        {0, "-1", 'S', "?-$1", "-1"},
        {0, "-2", 'S', "?-$1000001", "-16777217"},
        {0, "-$80000000", 'S', "?$80", "128"}, // signed 32 bits' bottom
        {0, "2.5", 'S', "?$2000000", "33554432"},
        {0, "$100000000", 'S', "?$1000000", "16777216"}, // past 32 bits: 64
        {0, "-$80000001", 'S', "?-$8000000001", "-549755813889"},
        {0, "$123456789ABCDE", 'S', "?-$21436587A9CBEE00", "-2396871060034940416"}, // 53 bits
        {0, "1/0", 'S', "?$80", "128"}, // the conversion's -2^63
        {0, "-$123456789ABCDE", 'S',
         "not swapped: $22436587A9CBEDFF = 2468928654072868351 needs 62" + kLimit, ""},
        {0, "$80000001", 'L', "?$3", "3"},
        {0, "$80000001", 'R', "?$C0000000", "3221225472"},
        {0, "-1", 'L', "?-$1", "-1"},
        {0, "-$80000000", 'L', "?$1", "1"},
        {0, "-2", 'R', "?$7FFFFFFF", "2147483647"},
        {0, "$100000000", 'L', "?$200000000", "8589934592"},
        {0, "-$80000001", 'L', "?-$100000001", "-4294967297"},
        {0, "1/0", 'L', "?$1", "1"},
        {0, "1/0", 'R', "?$4000000000000000", "4611686018427387904"},
        {0, "$1FFFFFFFFFFFFF", 'R',
         "not rotated: -$7FF0000000000001 = -9218868437227405313 needs 63" + kLimit, ""},
        {2, "$12345678", 'S', "?$78563412", "2018915346"},
        {2, "$80", 'S', "?$80000000", "-2147483648"},
        {3, "$80", 'S', "?$80000000", "2147483648"},
        {3, "-1", 'S', "?$FFFFFFFF", "4294967295"},
        {2, "$80000001", 'L', "?$3", "3"},
        {2, "$80000001", 'R', "?$C0000000", "-1073741824"},
        {3, "$40000000", 'L', "?$80000000", "2147483648"},
        {4, "$1234", 'S', "?$3412", "13330"},
        {4, "$FF", 'S', "?$FF00", "-256"},
        {5, "$FF", 'S', "?$FF00", "65280"},
        {4, "$8001", 'L', "?$3", "3"},
        {4, "1", 'R', "?$8000", "-32768"},
        {5, "1", 'R', "?$8000", "32768"},
        {6, "$12", 'S', "not swapped: 8 bits are a single byte", ""},
        {7, "$12", 'S', "not swapped: 8 bits are a single byte", ""},
        {6, "$81", 'L', "?$3", "3"},
        {6, "1", 'R', "?$80", "-128"},
        {7, "1", 'R', "?$80", "128"},
        {7, "-1", 'L', "?$FF", "255"},
    };
    const auto move = [](const CPanelBits& bits, char chMove)
    { return chMove == 'S' ? bits.SwapEntry() : bits.RotateEntry(chMove == 'L'); };
    for (const auto& [nCastType, pszStart, chMove, strLine, pszDecimal] : rows)
    {
        SCOPED_TRACE(std::string(pszStart) + " " + chMove + " cast type " +
                     std::to_string(nCastType));
        StartWith(static_cast<ECastMode>(nCastType / 2), nCastType % 2, Decimal, Overwrite, 1);
        ASSERT_TRUE(Enter((std::string("?") + pszStart + "@").c_str()));
        const std::string strBefore = m_window.m_strConsoleText;
        const auto bits = CPanelBits::FromLine(PanelLine(0));
        ASSERT_TRUE(bits);
        EXPECT_EQ(bits->CanSwap(), nCastType < 6);
        const CPanelEntry entry = move(*bits, chMove);
        if (strLine[0] != '?')
        {
            EXPECT_EQ(entry.m_strReason, strLine);
            continue;
        }
        ASSERT_TRUE(m_console.EnterLine(entry.m_strExpression).bEntered) << entry.m_strReason;
        EXPECT_EQ(m_window.m_strConsoleText.substr(strBefore.size() - 1),
                  strLine + ("\r\n" + std::string(pszDecimal) + "\r\n?"));
        // Under a cast the opposite move gives back the bits the value showed.
        if (nCastType < 2) continue;
        const char chBack = chMove == 'S' ? 'S' : chMove == 'L' ? 'R' : 'L';
        ASSERT_TRUE(
            m_console.EnterLine(move(*CPanelBits::FromLine(PanelLine(0)), chBack).m_strExpression)
                .bEntered);
        EXPECT_EQ(PanelLine(0), BinaryLine(bits->Bits(), bits->Width()));
    }
}

} // namespace
