// Single pasted lines against the C compiler's values (CLines.def), what C leaves undefined,
// the translations' text, the paste and its notice, and text that is no C.
#include "CLiterals.h"
#include "CTexts.h"
#include "CompiledLines.h"
#include "Paste.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace
{

// A text pasted alone, with positions: the outcome of its last line.
SPastedLine ReadPasted(std::string_view strText)
{
    CCNames names;
    CPasteReader reader(names);
    const SPasteOptions options{ECastType::None, true, false};
    std::vector<SPastedLine> arrLines;
    for (std::size_t nStart = 0; nStart <= strText.size();)
    {
        const std::size_t nEnd = std::min(strText.find('\n', nStart), strText.size());
        reader.ReadLine(strText.substr(nStart, nEnd - nStart), options, arrLines);
        nStart = nEnd + 1;
    }
    reader.Finish(options, arrLines);
    return arrLines.empty() ? SPastedLine{} : arrLines.back();
}

SPasteConversion Convert(std::string_view strText, ECastType eCast)
{
    CCNames names;
    return CPasteReader(names).Convert(strText, eCast);
}

bool IsCompiledType(ECType eType, const SCompiledLine& line)
{
    return TypeInfo(eType).strName == line.pszType;
}

// The compiler's value equals the engine's double exactly.
bool SameAsCompiled(double dEngine, const SCompiledLine& line, bool bFloating)
{
    if (bFloating)
        return dEngine == line.dValue || (std::isnan(dEngine) && std::isnan(line.dValue));
    SCValue value;
    for (int n = 0; n <= static_cast<int>(ECType::Double); ++n)
        if (IsCompiledType(static_cast<ECType>(n), line)) value.eType = static_cast<ECType>(n);
    value.nBits = line.nBits;
    return value.IsExactInDouble() && dEngine == value.ToDouble();
}

TEST(CReader, ReadsEveryLineAsTheCompilerComputesItAndChecksItsTranslationUnderEachCast)
{
    CExpressionEvaluator engine;
    CExpressionEvaluator checker;
    ASSERT_GT(kCompiledLineCount, 100);
    for (int nRow = 0; nRow < kCompiledLineCount; ++nRow)
    {
        const SCompiledLine& line = kCompiledLines[nRow];
        SCOPED_TRACE(line.pszPasted);
        const SPastedLine pasted = ReadPasted(line.pszPasted);
        ASSERT_EQ(pasted.eEntry, EPasteEntry::Value);
        const SCReading& reading = pasted.reading;
        ASSERT_TRUE(reading.bDefined) << reading.strFault;
        EXPECT_EQ(TypeInfo(reading.value.eType).strName, line.pszType);
        const bool bFloating = IsFloating(reading.value.eType);
        if (bFloating)
            EXPECT_EQ(reading.value.dValue, line.dValue);
        else
            EXPECT_EQ(reading.value.nBits, line.nBits);
        SCOPED_TRACE("translated: " + reading.strTranslation);

        for (const ECastType eCast : kDistinctCasts)
        {
            const int nCast = static_cast<int>(eCast);
            engine.m_nCastType = eCast;
            const double dEngine = engine.Evaluate(&reading.strTranslation);
            ASSERT_EQ(engine.m_nErrorPos, 0) << "cast " << nCast;
            const SCCheck check = CheckReading(reading, eCast, checker);
            EXPECT_EQ(check.eAgreement == EAgreement::Same,
                      SameAsCompiled(dEngine, line, bFloating))
                << "cast " << nCast << ": the engine gives " << dEngine;
        }
        const ECastType eMatching = TypeInfo(reading.value.eType).eMatchingCast;
        const SCCheck matching = CheckReading(reading, eMatching, checker);
        EXPECT_EQ(matching.eAgreement == EAgreement::Same, line.bRefused == 0)
            << "under the matching cast " << static_cast<int>(eMatching);
    }
}

TEST(CReader, RefusesWhatCLeavesUndefinedAndNamesTheFault)
{
    const std::pair<const char*, const char*> rows[] = {
        {"1 << 32", "C leaves 1 << 32 undefined: the shift count is not below the 32 bits of int."},
        {"#define BAD (1 << 31)", "C leaves 1 << 31 undefined: the result does not fit in int."},
        {"-1 << 0", "C leaves -1 << 0 undefined: it shifts a negative value left."},
        {"1 << -1", "C leaves 1 << -1 undefined: the shift count is negative."},
        {"1u << 32",
         "C leaves 1 << 32 undefined: the shift count is not below the 32 bits of unsigned int."},
        {"1L << 64",
         "C leaves 1 << 64 undefined: the shift count is not below the 64 bits of long."},
        {"(uint8_t)1 << 8 << 24", "C leaves 256 << 24 undefined: the result does not fit in int."},
        {"2147483647 + 1", "C leaves 2147483647 + 1 undefined: it overflows int."},
        {"-2147483647 - 2", "C leaves -2147483647 - 2 undefined: it overflows int."},
        {"65536 * 32768", "C leaves 65536 * 32768 undefined: it overflows int."},
        {"-(-2147483647 - 1)", "C leaves -(-2147483648) undefined: it overflows int."},
        {"9223372036854775807 + 1",
         "C leaves 9223372036854775807 + 1 undefined: it overflows long."},
        {"1 / 0", "C leaves 1 / 0 undefined: it divides by zero."},
        {"1u % 0", "C leaves 1 % 0 undefined: it divides by zero."},
        {"(-2147483647 - 1) / -1", "C leaves -2147483648 / -1 undefined: it overflows int."},
        {"(-2147483647 - 1) % -1", "C leaves -2147483648 % -1 undefined: it overflows int."},
        {"(int)3e9", "C leaves (int)3e+09 undefined: int cannot hold the value."},
        {"(unsigned)-1.0",
         "C leaves (unsigned int)-1 undefined: unsigned int cannot hold the value."},
        {"static const uint8_t k = 256.0;",
         "C leaves (unsigned char)256 undefined: unsigned char cannot hold the value."},
        {"(int)(0.0 / 0)", "C leaves (int)nan undefined: int cannot hold the value."},
        {"1 + (1 / 0) * (1 << 40)", "C leaves 1 / 0 undefined: it divides by zero."},
        {"__builtin_bswap32(1 << 32)",
         "C leaves 1 << 32 undefined: the shift count is not below the 32 bits of int."},
        {"0 + __builtin_bswap16(1 / 0)", "C leaves 1 / 0 undefined: it divides by zero."},
        {"__builtin_expect(1 % 0, 0)", "C leaves 1 % 0 undefined: it divides by zero."},
    };
    CExpressionEvaluator checker;
    for (const auto& [pszPasted, pszFault] : rows)
    {
        const SPastedLine pasted = ReadPasted(pszPasted);
        ASSERT_EQ(pasted.eEntry, EPasteEntry::Value) << pszPasted;
        const SCReading& reading = pasted.reading;
        EXPECT_FALSE(reading.bDefined) << pszPasted;
        EXPECT_EQ(reading.strFault, pszFault);
        const SCCheck check = CheckReading(reading, ECastType::Signed32, checker);
        EXPECT_EQ(check.eAgreement, EAgreement::Undefined) << pszPasted;
        EXPECT_EQ(CheckText(reading, check, false), pszFault);
    }
}

TEST(CReader, TranslatesWithTheCalculatorsPrioritiesLiteralsAndMasks)
{
    const std::pair<const char*, const char*> rows[] = {
        {"0xF0 | 0x0F & 0x3", "$F0 | ($0F & $3)"},
        {"#define CFG (1u << 31) | (0x3 << 12) // c", "(1 << 31) | ($3 << 12)"},
        {"1 | 2 << 1", "1 | (2 << 1)"},
        {"1 << 2 | 1", "1 << 2 | 1"},
        {"1 << 2 + 1", "1 << 2 + 1"},
        {"8 - (2 - 1)", "8 - (2 - 1)"},
        {"2*-3", "2*(-3)"},
        {"-2 * 3", "(-2) * 3"},
        {"-2 + 3", "-2 + 3"},
        {"- -3", "- (-3)"},
        {"0x1F3A & ~0xFF", "$1F3A & (~$FF)"},
        {"~0xFF & 0x1F3A", "~$FF & $1F3A"},
        {"~(1 + 2)", "~(1 + 2)"},
        {"+5", "5"},
        {"0777 + 0b101 + 0o17", "511 + #101 + 15"},
        {"0xff'ffu", "$ffff"},
        {"'A' + 1", "65 + 1"},
        {"'A'+1", "'A'+1"},
        {"1- + +'A'", "1- 65"},
        {"1-(int) +'A'", "1-'A'"},
        {"'\\n'", "10"},
        {"1 + '\\xff'", "1 + (-1)"},
        {"1.5f + 1e3", "1.5 + 1e3"},
        {"0.1f", "0.10000000149011612"},
        {"2e-3 + 1e+2", "0.002 + 100"},
        {"0x1.8p3", "12"},
        {"\t1\t+\t2 ;", "1 + 2"},
        {"( 1 + 2 )", "( 1 + 2 )"},
        {"(uint8_t)300", "300&$FF"},
        {"(int8_t)200+1", "(200&$FF^$80)-$80+1"},
        {"(int8_t)200 + 1", "(200 & $FF ^ $80) - $80 + 1"},
        {"(unsigned)-1", "~(~(-1))"},
        {"(int)0xFFFFFFFF", "$FFFFFFFF|0"},
        {"(int)2.5 * 2", "(2.5 | 0) * 2"},
        {"(long)5 + (double)1", "5 + 1"},
        {"static const uint16_t k = 70000;", "70000&$FFFF"},
        {"7 / 2", "7 / 2 | 0"},
        {"7/2", "7/2|0"},
        {"7.0 / 2", "7.0 / 2"},
        {"0xC0DE0042 >> 16", "$C0DE0042 >> 16 & $FFFF"},
        {"1ULL << 40", "1 * (2<40)"},
        {"0x123456789ULL >> 32", "$123456789 / (2<32) | 0"},
    };
    for (const auto& [pszPasted, pszTranslation] : rows)
    {
        const SPastedLine pasted = ReadPasted(pszPasted);
        ASSERT_EQ(pasted.eEntry, EPasteEntry::Value) << pszPasted;
        EXPECT_EQ(pasted.reading.strTranslation, pszTranslation) << pszPasted;
    }
}

// Rows: text that yields no C value of its own, and what the notice says of it: it keeps its
// text, with its literals converted.
TEST(CReader, LeavesTextThatIsNoCConstantExpressionToTheLiteralConversion)
{
    const std::pair<const char*, const char*> rows[] = {
        {"pi*2", ""},
        {"$FF & 0x10", ""},
        {"0x10 + r", ""},
        {"sin(0x1)", ""},
        {"FOO | 0x3", "C's value is unknown: FOO is not defined."},
        {"#define F(x) ((x) + 0x1)", ""},
        {"#define", ""},
        {"#define N", ""},
        {"09", ""},
        {"1.5 % 2", ""},
        {"~1.5", ""},
        {"1.5 << 1", ""},
        {"\"0x10\"", "C's value is unknown: a string is no number."},
        {"0x", ""},
        {"1 000", ""},
        {"1,5", ""},
        {"2**3", ""},
        {"1.5L", "C's value is unknown: values of long double are not computed."},
        {"'ab'", "C's value is unknown: `'ab'` is not read."},
        {"x = ", ""},
        {"", ""},
        {"   ", ""},
        {"// just 0x10", ""},
        {"static x = 0x1;", ""},
        {"(int)", ""},
        {"0x1e+1", ""},
        {"a++", "C's value is unknown: a is not defined."},
        {"1 = 2", ""},
        {"(1", ""},
        {"1)", ""},
        {"(long double)1", "C's value is unknown: values of long double are not computed."},
        {"(unsigned float)1", ""},
        {"(short long)1", ""},
        {"99999999999999999999", ""},
        {"0b102", ""},
        {"0x1.8", ""},
        {"1'", ""},
        {"1__0", ""},
        {"'\\x100'", "C's value is unknown: `'\\x100'` is not read."},
        {"\xFF", ""},
    };
    for (const auto& [pszPasted, pszNotice] : rows)
    {
        EXPECT_NE(ReadPasted(pszPasted).eEntry, EPasteEntry::Value) << pszPasted;
        const SPasteConversion pasted = Convert(pszPasted, ECastType::None);
        EXPECT_EQ(pasted.strText, ConvertCLiterals(pszPasted)) << pszPasted;
        EXPECT_EQ(pasted.strNotice, pszNotice) << pszPasted;
    }
}

// Text beyond the reader's limits is refused with the reason, which the paste's notice gives.
TEST(CReader, RefusesTextBeyondItsLimitsAndSaysWhy)
{
    const auto Nested = [](std::size_t nDepth)
    { return std::string(nDepth, '(') + "1" + std::string(nDepth, ')'); };
    const auto Sum = [](std::size_t nTokens) // 1+1+...: nTokens tokens
    {
        std::string strSum = "1";
        for (std::size_t n = 1; n < nTokens; n += 2)
            strSum += "+1";
        return strSum;
    };
    constexpr std::size_t kTokens = CCBlockReader::kMaxUnitTokens;
    constexpr std::size_t kOperations = CCExpression::kMaxOperations;
    constexpr std::size_t kDepth = CCExpression::kMaxDepth / 2; // a bracket is two levels
    const std::string strTooMany = TextTooManyTokens(kTokens);
    const std::string strTooDeep = TextTooDeep(kDepth);
    const std::tuple<std::string, bool, std::string> rows[] = {
        {Sum(2 * kOperations + 1), true, ""},
        {Sum(2 * kOperations + 3), false, TextTooManyOperations(kOperations)},
        {Sum(kTokens - 1), false, TextTooManyOperations(kOperations)},
        {Sum(kTokens + 1), false, strTooMany},
        {Sum(kTokens + 1) + " $", false, strTooMany}, // the rest is not looked at
        {Nested(kDepth - 1), true, ""},
        {Nested(kDepth + 1), false, strTooDeep},
        {std::string(2 * kDepth + 1, '~') + "1", false, strTooDeep},
    };
    for (const auto& [strText, bRead, strRefusal] : rows)
    {
        const SPastedLine pasted = ReadPasted(strText);
        EXPECT_EQ(pasted.eEntry == EPasteEntry::Value, bRead) << strText.substr(0, 40);
        EXPECT_EQ(pasted.strNotice, bRead ? "" : strRefusal) << strText.substr(0, 40);
        if (!bRead)
        {
            EXPECT_EQ(Convert("1\n" + strText, ECastType::None).strNotice, "Line 2: " + strRefusal);
        }
    }
}

// Rows: pasted text, cast type, what the console receives, the notice.
TEST(CPaste, ConvertsEachLineAndNoticesTheFirstThatDiffers)
{
    using enum ECastType;
    const std::tuple<const char*, ECastType, const char*, const char*> rows[] = {
        {"#define CFG (1u << 31) | (0x3 << 12)", None, "(1 << 31) | ($3 << 12)",
         "C: 2147495936 = 0x80003000 (unsigned int). 32Bit UNSIGNED gives the same."},
        {"#define CFG (1u << 31) | (0x3 << 12)", Unsigned32, "(1 << 31) | ($3 << 12)", ""},
        {"~0", None, "~0", "C: -1 = 0xFFFFFFFF (int). 32Bit gives the same."},
        {"~0", Signed32, "~0", ""},
        {"(int8_t)200", Unsigned8, "(200&$FF^$80)-$80",
         "C: -56 = 0xC8 (signed char). 8Bit gives the same."},
        {"(uint8_t)-1 * 2", Signed8, "(-1 & $FF) * 2",
         "C: 510 = 0x1FE (int). 32Bit gives the same."},
        {"(uint16_t)-1 * 2", Signed32, "(-1 & $FFFF) * 2", ""},
        {"0x80000000 / 3 * 3 + 2", Unsigned32, "($80000000 / 3 | 0) * 3 + 2", ""},
        {"0xFFFFFFFFFFFFFFFF", None, "$FFFFFFFFFFFFFFFF",
         "C: 18446744073709551615 = 0xFFFFFFFFFFFFFFFF (unsigned long); a double cannot hold "
         "18446744073709551615 exactly. No choice of Force Cast gives the same."},
        {"0xFFFFFFFFFFFFFFFFull + 2 - 0xFFFFFFFFFFFFFFFFull", None,
         "$FFFFFFFFFFFFFFFF + 2 - $FFFFFFFFFFFFFFFF",
         "C: 2 = 0x2 (unsigned long long); a double cannot hold 18446744073709551615 exactly. "
         "32Bit gives the same."},
        {"0x8000000000000000 * 2 + 1", None, "$8000000000000000 * 2 + 1",
         "C: 1 = 0x1 (unsigned long); a double cannot wrap 9223372036854775808 * 2 around 64 "
         "bits. 32Bit gives the same."},
        {"3.0f / 7", None, "3.0 / 7",
         "C: 0.4285714328289032 (float). No choice of Force Cast gives the same."},
        {"#define A 0x10\n#define B (A << 2)\r\n0x3u << 12 // x\n", None,
         "$10\n(16 << 2)\r\n$3 << 12\n", ""},
        // what the calculator writes otherwise is C's value, and the notice names both
        {"2<10", None, "1",
         "Read as C: 2<10 is a comparison, 1 (int). As typed, `<` is a power: 1024."},
        {"1 < 2", None, "1", ""},
        {"4|2&1", Signed32, "4|(2&1)", "Read as C: 4|2&1 is 4 (int). As typed: 0."},
        {"1 << 31\r\n2 + 2\r\n(1u << 31) | 1", None, "1 << 31\r\n2 + 2\r\n(1 << 31) | 1",
         "Line 1: C leaves 1 << 31 undefined: the result does not fit in int. 1 more line "
         "differs."},
        {"#define X (1 | \\\n 2) /* a\nb */\nfoo 0x1", None, "(1 |  2)\nfoo $1", ""},
        {"pi\n~0\n~0\n~0", None, "pi\n~0\n~0\n~0",
         "Line 2: C: -1 = 0xFFFFFFFF (int). 32Bit gives the same. 2 more lines differ."},
        // '?' lines are the calculator's own, as they stand
        {"?0b1010", ECastType::None, "?0b1010", ""},
        {"?2*-3\r\n2*-3\n?1 << 31 // c\n0x10", ECastType::None,
         "?2*-3\r\n2*(-3)\n?1 << 31 // c\n$10", ""},
    };
    for (const auto& [pszPasted, nCast, pszText, pszNotice] : rows)
    {
        const SPasteConversion pasted = Convert(pszPasted, nCast);
        EXPECT_EQ(pasted.strText, pszText) << pszPasted;
        EXPECT_EQ(pasted.strNotice, pszNotice)
            << pszPasted << " under cast " << static_cast<int>(nCast);
    }
}

// A line pasted alone often ends inside a comment that goes on in its file; a block of lines
// reads its comments as C does, and one that nothing closes there is no comment at all.
TEST(CPaste, EndsACommentLeftOpenWithAPastedLineButReadsABlockAsC)
{
    const std::pair<const char*, const char*> rows[] = {
        // pasted, what the console receives
        {"#define RLIMIT_NICE 13 /* max nice prio allowed to raise to", "13"},
        {"13 /* max nice\n", "13\n"},
        {"13 /* max nice\r\n", "13\r\n"},
        {"13 /* max nice \\\n prio", "13"}, // a splice joins the next line to the comment
        {"0x1'f3a /* x */", "$1f3a"},       // a digit separator opens no quote
        {"0x1'f3a /* x", "$1f3a"},
        {"1'000 // x", "1000"},
        {"'a'+1 /* x", "'a'+1"},
        {"'/'+1 /* x", "'/'+1"},
        {"#define A 13 /* max\n   more */\n0x2", "13\n$2"},
        {"0x10 /* a\n0x20 */ + 1", "$10   + 1"},
        {"0x10 /* see below\n0x20 /* see above", "$10 /* see below\n$20 /* see above"},
        {"13 /* max nice\n\n", "13 /* max nice\n\n"},
    };
    for (const auto& [pszPasted, pszText] : rows)
    {
        EXPECT_EQ(Convert(pszPasted, ECastType::None).strText, pszText) << pszPasted;
        if (std::string_view(pszPasted).find('\n') == std::string_view::npos)
        {
            EXPECT_EQ(ReadPasted(pszPasted).eEntry, EPasteEntry::Value) << pszPasted;
        }
    }
}

// A block entered at the empty prompt: its lines as given, each value's translation entered
// below it, the calculator's own text where it evaluates; a '?' line is that line itself.
TEST(CPaste, ReadsABlocksLinesForEntryWithTheNamesItDefines)
{
    using SLine = std::pair<const char*, const char*>; // text, expression entered (or none)
    const std::tuple<const char*, std::vector<SLine>, const char*> rows[] = {
        {"#define UART0_BASE 0x40000000\n#define UART0_CR (UART0_BASE + 0x30)\n"
         "#define UART_EN (1u << 0)\nUART0_CR | UART_EN\n",
         {{"#define UART0_BASE 0x40000000", "$40000000"},
          {"#define UART0_CR (UART0_BASE + 0x30)", "(1073741824 + $30)"},
          {"#define UART_EN (1u << 0)", "(1 << 0)"},
          {"UART0_CR | UART_EN", "1073741872 | 1"}},
         ""},
        {"enum {\r\n  A = 4,\r\n  B\r\n};\r\n#define F(x) ((x) * 2)\r\nF(B)",
         {{"enum {", nullptr},
          {"  A = 4,", "4"},
          {"  B", "5"},
          {"};", nullptr},
          {"#define F(x) ((x) * 2)", nullptr},
          {"F(B)", "10"}},
         "Line 6: Read as C: F(B) is a C name, 10 (int). As typed: 0."},
        {"/* a\n   b */ 0x10\n\n?0b1010\npi\nfoo bar",
         {{"/* a", nullptr},
          {"   b */ 0x10", "$10"},
          {"", nullptr},
          {"?0b1010", nullptr},
          {"pi", "pi"},
          {"foo bar", nullptr}},
         ""},
        {"#define N 1\nN << 31\nMISSING + 1",
         {{"#define N 1", "1"}, {"N << 31", "1 << 31"}, {"MISSING + 1", nullptr}},
         "Line 2: C leaves 1 << 31 undefined: the result does not fit in int. 1 more line "
         "differs."},
    };
    for (const auto& [pszPasted, arrExpected, pszNotice] : rows)
    {
        CCNames names;
        const SPasteBlock block = CPasteReader(names).ReadBlock(pszPasted, ECastType::None);
        EXPECT_TRUE(block.bWhole);
        ASSERT_EQ(block.arrLines.size(), arrExpected.size()) << pszPasted;
        for (std::size_t n = 0; n < arrExpected.size(); ++n)
        {
            const SBlockLine& line = block.arrLines[n];
            EXPECT_EQ(line.strText, arrExpected[n].first) << pszPasted;
            EXPECT_EQ(line.bEnter, arrExpected[n].second != nullptr) << line.strText;
            EXPECT_EQ(line.strExpression, arrExpected[n].second ? arrExpected[n].second : "")
                << line.strText;
        }
        EXPECT_EQ(block.strNotice, pszNotice) << pszPasted;
    }
}

// F5 on a typed line, and the notice after its syntax error, with the names kept (which they
// never change): C's reading where there is one, the typed text where there is none.
TEST(CPaste, TranslatesATypedLineAndSaysWhenAnErrorReadsAsC)
{
    CCNames names;
    CPasteReader(names).ReadBlock("#define PAGE 4096\n#define REG 0x10", ECastType::None);
    const std::uint64_t nChanges = names.Changes();
    const std::tuple<const char*, ECastType, const char*, const char*, const char*> rows[] = {
        // typed, cast, after F5 (nullptr: unchanged), F5's notice, after a syntax error
        {"(10000+4095)&~4095", ECastType::None, "(10000+4095)&(~4095)", "",
         "As C: 12288 (int). F5 translates the line."},
        {"0xFF", ECastType::None, "$FF", "", "As C: 255 (int). F5 translates the line."},
        {"2*-3", ECastType::None, "2*(-3)", "", "As C: -6 (int). F5 translates the line."},
        {"(PAGE-1) & REG", ECastType::None, "(4096-1) & 16", "PAGE: pasted; REG: pasted.",
         "As C: 16 (int). F5 translates the line."},
        {"2<10", ECastType::None, "1",
         "Read as C: 2<10 is a comparison, 1 (int). As typed, `<` is a power: 1024.",
         "As C: 1 (int). F5 translates the line."},
        {"1 << 31", ECastType::None, nullptr,
         "C leaves 1 << 31 undefined: the result does not fit in int.", ""},
        {"1+)", ECastType::None, nullptr, "", ""},
        {"$10 + 1", ECastType::None, nullptr, "", ""},
        {"MISSING", ECastType::None, nullptr, "C's value is unknown: MISSING is not defined.", ""},
    };
    for (const auto& [pszTyped, eCast, pszAfter, pszNotice, pszAsC] : rows)
    {
        const STypedC typed = TranslateTyped(pszTyped, names, eCast);
        EXPECT_EQ(typed.bChanged, pszAfter != nullptr) << pszTyped;
        EXPECT_EQ(typed.strText, pszAfter ? pszAfter : pszTyped) << pszTyped;
        EXPECT_EQ(typed.strNotice, pszNotice) << pszTyped;
        EXPECT_EQ(AsCNotice(pszTyped, names, eCast), pszAsC) << pszTyped;
    }
    EXPECT_EQ(names.Changes(), nChanges) << "a typed line teaches nothing";
}

// A paste goes into the window in portions of whole lines; its conversion stops when asked.
TEST(CPaste, GoesInInPortionsOfWholeLinesAndStopsWhenAsked)
{
    const std::tuple<const char*, std::size_t, int, std::size_t, std::size_t> rows[] = {
        // converted text, from, most lines, most bytes, the portion's end
        {"a\nb\nc\n", 0, 2, 100, 4},
        {"a\nb\nc\n", 4, 2, 100, 6},
        {"a\nb\nc", 4, 2, 100, 5},
        {"a\nb\nc", 5, 2, 100, 5},         // the end, and nothing after it
        {"a\r\nb\r\nc\r\n", 0, 1, 100, 3}, // never between CR and LF
        {"abcdef\ng\nh\n", 0, 10, 3, 7},   // a line goes in whole, however long
        {"ab\ncd\nef\n", 0, 10, 4, 6},     // the first break after enough bytes
        {"ab\ncd\nef\n", 0, 10, 3, 3},
        {"\xC3\xA9\n\xC3\xA9", 0, 10, 1, 3},
    };
    for (const auto& [pszText, nFrom, nLines, nBytes, nEnd] : rows)
        EXPECT_EQ(PortionEnd(pszText, nFrom, nLines, nBytes), nEnd) << pszText << " from " << nFrom;

    CCNames names;
    CPasteReader reader(names);
    int nAsked = 0;
    const SPasteConversion stopped =
        reader.Convert("0x1\n0x2\n0x3", ECastType::None, [&] { return ++nAsked < 2; });
    EXPECT_FALSE(stopped.bWhole);
    EXPECT_EQ(nAsked, 2) << "asked before each line, and no more after a no";
    const SPasteConversion whole =
        CPasteReader(names).Convert("0x1\n0x2\n0x3", ECastType::None, [] { return true; });
    EXPECT_TRUE(whole.bWhole);
    EXPECT_EQ(whole.strText, "$1\n$2\n$3");
}

// Each byte of a translation knows the pasted byte it came from, so an error the engine
// finds in it can be shown under the text as pasted.
TEST(CReader, EachTranslatedByteKnowsWhereItCameFrom)
{
    const std::string strPasted = "#define M ((uint8_t)0x1FF | 2) /* c */";
    const SPastedLine pasted = ReadPasted(strPasted);
    ASSERT_EQ(pasted.eEntry, EPasteEntry::Value);
    const SCReading& reading = pasted.reading;
    ASSERT_EQ(reading.strTranslation, "($1FF & $FF | 2)");
    ASSERT_EQ(pasted.arrSourcePos.size(), reading.strTranslation.size() + 1);
    EXPECT_EQ(pasted.arrSourcePos.back(), strPasted.size());
    const std::size_t nLiteral = strPasted.find("0x1FF");
    EXPECT_EQ(pasted.arrSourcePos[reading.strTranslation.find('$')], nLiteral);
    EXPECT_EQ(pasted.arrSourcePos[reading.strTranslation.find('2')], strPasted.find('2'));
    EXPECT_EQ(pasted.arrSourcePos[reading.strTranslation.find("& $FF")],
              strPasted.find("(uint8_t)"));
    for (const std::size_t nSource : pasted.arrSourcePos)
        EXPECT_LE(nSource, strPasted.size());
}

} // namespace
