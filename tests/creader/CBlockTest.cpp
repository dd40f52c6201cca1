// The block reader against the C compiler's values (CBlocks.txt, compiled at build time), what
// it leaves unknown and why, its bounds on any input, the names it keeps and saves, the
// notice's sentences, and headers read through the system's preprocessor.
#include "CBlockReader.h"
#include "CCheck.h"
#include "CNotice.h"
#include "CompiledBlocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace
{

constexpr const char* kKinds[] = {"a value", "no value", "unknown", "not C"};

std::vector<SCLine> ReadBlock(std::string_view strText, CCNames& names)
{
    CCBlockReader reader(names);
    std::vector<SCLine> arrLines;
    reader.ReadText(strText, arrLines);
    return arrLines;
}

bool SameAsCompiled(double dEngine, const SCompiledBlockLine& compiled, const SCValue& value)
{
    if (IsFloating(value.eType))
        return dEngine == compiled.dValue || (std::isnan(dEngine) && std::isnan(compiled.dValue));
    SCValue exact = value;
    exact.nBits = compiled.nBits;
    return exact.IsExactInDouble() && dEngine == exact.ToDouble();
}

TEST(CBlock, ReadsEveryBlockAsTheCompilerComputesIt)
{
    ASSERT_GT(kCompiledBlockCount, 8);
    CExpressionEvaluator engine;
    CExpressionEvaluator checker;
    for (int nBlock = 0; nBlock < kCompiledBlockCount; ++nBlock)
    {
        const SCompiledBlock& block = kCompiledBlocks[nBlock];
        SCOPED_TRACE(block.pszName);
        std::vector<SCompiledBlockLine> arrCompiled(static_cast<std::size_t>(block.nLines));
        block.pfnFill(arrCompiled.data());
        CCNames names;
        const std::vector<SCLine> arrLines = ReadBlock(block.pszText, names);
        ASSERT_EQ(arrLines.size(), arrCompiled.size());
        std::string_view strRest = block.pszText;
        for (std::size_t n = 0; n < arrLines.size(); ++n)
        {
            const std::string_view strLine = strRest.substr(0, strRest.find('\n'));
            strRest.remove_prefix(std::min(strRest.size(), strLine.size() + 1));
            SCOPED_TRACE(std::string(strLine));
            const SCLine& line = arrLines[n];
            const SCompiledBlockLine& compiled = arrCompiled[n];
            EXPECT_EQ(std::string(kKinds[static_cast<int>(line.eKind)]), kKinds[compiled.nKind])
                << line.strUnknown;
            if (line.eKind != ECLineKind::Value || compiled.nKind != 0) continue;
            ASSERT_TRUE(line.reading.bDefined) << line.reading.strFault;
            EXPECT_EQ(TypeInfo(line.reading.value.eType).strName, compiled.pszType);
            if (IsFloating(line.reading.value.eType))
                EXPECT_EQ(line.reading.value.dValue, compiled.dValue);
            else
                EXPECT_EQ(line.reading.value.nBits, compiled.nBits);
            SCOPED_TRACE("translated: " + line.reading.strTranslation);
            for (const ECastType eCast : kDistinctCasts)
            {
                const int nCast = static_cast<int>(eCast);
                engine.m_nCastType = eCast;
                const double dEngine = engine.Evaluate(&line.reading.strTranslation);
                ASSERT_EQ(engine.m_nErrorPos, 0) << "cast " << nCast;
                const SCCheck check = CheckReading(line.reading, eCast, checker);
                EXPECT_EQ(check.eAgreement == EAgreement::Same,
                          SameAsCompiled(dEngine, compiled, line.reading.value))
                    << "cast " << nCast << ": the engine gives " << dEngine;
            }
        }
    }
}

} // namespace

namespace
{

const SCLine& Last(const std::vector<SCLine>& arrLines)
{
    static const SCLine none;
    return arrLines.empty() ? none : arrLines.back();
}

std::string Repeated(const std::string& strFormat, int nCount)
{
    std::string strText;
    for (int i = 1; i <= nCount; ++i)
    {
        std::string strLine = strFormat;
        for (std::size_t n; (n = strLine.find("{i}")) != std::string::npos;)
            strLine.replace(n, 3, std::to_string(i));
        for (std::size_t n; (n = strLine.find("{j}")) != std::string::npos;)
            strLine.replace(n, 3, std::to_string(i - 1));
        strText += strLine + "\n";
    }
    return strText;
}

// Rows: the block, and what its last line's value needs that is not known here.
TEST(CBlock, SaysWhatAnUnknownValueNeeds)
{
    const std::pair<std::string, const char*> rows[] = {
        {"EBADF", "EBADF is not defined"},
        {"FOO | 0x3", "FOO is not defined"},
        {"(snd_pcm_format_t)2", "snd_pcm_format_t is not defined"},
        {"#define X (X + 1)\nX", "X refers to itself"},
        {"#define A B\n#define B A\nA", "A refers to itself"},
        {"#define S S S\nS", "replacing S gives no C expression"},
        {"#define F(x) x\nF + 1", "F is a function-like macro, named without its arguments"},
        {"#define F(a, b) a\nF(1)", "F takes 2 arguments, not 1"},
        {"#define F() 1\nF(2)", "F takes 0 arguments, not 1"},
        {"#define F(a) a\nF(1", "the arguments of F do not end"},
        {"#define P(a, b) a ## b\nP(+, /)", "pasting `+` and `/` does not give one token"},
        {"sizeof(struct v4l2_tuner)", "the size of struct v4l2_tuner is not known"},
        {"_IOW('V', 30, struct v4l2_tuner)", "the size of struct v4l2_tuner is not known"},
        {"typedef struct { int a; } pair_t;\nsizeof(pair_t) * 2",
         "the size of pair_t is not known"},
        {"sizeof(union u[2])", "the size of union u is not known"},
        {"sizeof(enum later)", "enum later is not defined"},
        {"(enum later)1", "enum later is not defined"},
        {"__builtin_offsetof(struct stat, st_size)", "the layout of struct stat is not known"},
        {"((long)&((struct stat *)0)->st_size)", "the layout of struct stat is not known"},
        {"__builtin_huge_vall()", "values of long double are not computed"},
        {"(void *)0", "an address is no number here"},
        {"NULL", "an address is no number here"},
        {"\"abc\"", "a string is no number"},
        {"1.0L", "values of long double are not computed"},
        {"(_Bool)5", "values of _Bool are not computed"},
        {"&EBADF", "EBADF is not defined"},
        {"(int){5}", "values of compound literals are not computed"},
        {"({ 1; })", "values of statement expressions are not computed"},
        {"*(int *)0", "an address is no number here"},
        {"x.y", "x is not defined"},
        {"'ab'", "`'ab'` is not read"},
        {"enum { A = EBADF, B };\nB", "B: EBADF is not defined"},
        {"enum { A = 2147483647, B };\nB", "B: its value overflows"},
        {"static const int k = EBADF;\nk", "k: EBADF is not defined"},
        {"enum {\n  FOO = 0x10\n    | 1,\n  NEXT\n};\nNEXT",
         "NEXT: FOO: its value goes on past the end of its line"},
        {"enum {\n  FOO = 0x10\n    | 1,\n};\nFOO",
         "FOO: its value goes on past the end of its line"},
        {"static const unsigned k = 0x10\n\n  | 1;",
         "k: its value goes on past the end of its line"},
        {"static const unsigned k = 0x10\n  | 1;\nk",
         "k: its value goes on past the end of its line"},
    };
    for (const auto& [strBlock, pszReason] : rows)
    {
        CCNames names;
        const std::vector<SCLine> arrLines = ReadBlock(strBlock, names);
        const SCLine& line = Last(arrLines);
        EXPECT_EQ(std::string(kKinds[static_cast<int>(line.eKind)]), "unknown") << strBlock;
        EXPECT_EQ(line.strUnknown, pszReason) << strBlock;
    }
}

// Rows: a block that must not crash, hang or take much memory, what its last line yields, and
// its value or why it has none.
TEST(CBlock, EndsOnAnyInputWithinItsBounds)
{
    const std::string strDeep =
        Repeated("#define A{i} (A{j} + 1)", 10000).replace(0, 0, "#define A0 0\n");
    const std::string strExponential =
        Repeated("#define B{i} B{j} B{j}", 40).replace(0, 0, "#define B0 1\n") + "B40";
    const std::string strSpread =
        Repeated("#define C{i} C{j} + 1", 1200).replace(0, 0, "#define C0 0\n") + "C1200";
    std::string strNested = "#define F(x) x\n";
    for (int i = 0; i < 150; ++i)
        strNested += "F(";
    strNested += "1" + std::string(150, ')');
    std::string strWide = "#define H(x)";
    for (int i = 0; i < 1000; ++i)
        strWide += " x";
    strWide += "\nH(1";
    for (int i = 0; i < 1000; ++i)
        strWide += "+1";
    strWide += ")";
    std::string strManyTokens = "1";
    for (int i = 0; i < 40000; ++i)
        strManyTokens += "+1";
    const std::string strBlowUp =
        "#define P(x) x x x x\n" + std::string("P(P(P(P(P(P(P(P(P(1)))))))))");
    const std::tuple<std::string, ECLineKind, const char*> rows[] = {
        {strDeep + "A10000", ECLineKind::Value, "10000"},
        {strExponential, ECLineKind::Unknown,
         "the text's macros have made too many tokens: B40 is not replaced"},
        {strSpread, ECLineKind::Unknown,
         "the text's macros have made too many tokens: C1200 is not replaced"},
        {strNested, ECLineKind::Unknown, "macros nest deeper than 100 levels"},
        {strBlowUp, ECLineKind::Unknown, "replacing P gives more than 65536 tokens"},
        {std::string(100000, '(') + "1" + std::string(100000, ')'), ECLineKind::NotC, ""},
        {std::string(200, '(') + "1" + std::string(200, ')'), ECLineKind::NotC, ""},
        {strManyTokens, ECLineKind::NotC, ""},
        {strWide, ECLineKind::Unknown, "replacing H gives more than 65536 tokens"},
        {"/* never closed\n#define X 1\nX", ECLineKind::None, ""},
        {"#if 1\n#if 0\n#else\n#endif\n#endif\n#endif\n#else\n5", ECLineKind::Value, ""},
        {std::string("\0\xFF\x80#\\\n", 6) + "#define", ECLineKind::NotC, ""},
    };
    for (const auto& [strBlock, eKind, pszSaid] : rows)
    {
        CCNames names;
        const std::vector<SCLine> arrLines = ReadBlock(strBlock, names);
        const SCLine& line = Last(arrLines);
        EXPECT_EQ(std::string(kKinds[static_cast<int>(line.eKind)]),
                  kKinds[static_cast<int>(eKind)])
            << strBlock.substr(0, 60) << ": " << line.strUnknown;
        const std::string strSaid =
            eKind == ECLineKind::Value ? DecimalText(line.reading.value) : line.strUnknown;
        if (*pszSaid != '\0')
        {
            EXPECT_EQ(strSaid, pszSaid) << strBlock.substr(0, 60);
        }
    }
}

} // namespace

namespace
{

// Rows: a pasted block, the cast type, and the notice its last line gets.
TEST(CBlock, NoticesWhatCannotBeGivenWhatIsUnknownAndWhatTypedTextWouldGive)
{
    const std::tuple<const char*, int, const char*> rows[] = {
        {"2<10", 0, "Read as C: 2<10 is a comparison, 1 (int). As typed, `<` is a power: 1024."},
        {"4|2&1", 2, "Read as C: 4|2&1 is 4 (int). As typed: 0."},
        {"7/2", 0, "Read as C: 7/2 is 3 (int). As typed: 3.5."},
        {"!0 + 1", 0, ""}, // the calculator has no '!': typed, it is an error
        {"0xFF", 0, ""},
        {"1 << 2 + 1", 0, ""},
        {"EBADF", 0, "C's value is unknown: EBADF is not defined."},
        {"#define CFG (1u << 31) | (0x3 << 12)", 0,
         "C: 2147495936 = 0x80003000 (unsigned int). 32Bit UNSIGNED gives the same."},
        {"#define CFG (1u << 31) | (0x3 << 12)", 3, ""},
        {"1 << 31", 0, "C leaves 1 << 31 undefined: the result does not fit in int."},
        {"~0", 0, "C: -1 = 0xFFFFFFFF (int). 32Bit gives the same."},
        {"1,5", 0, ""},
        {"pi*2", 0, ""},
        {"#define CMP (3 < 4)", 0, ""},
    };
    CExpressionEvaluator evaluator;
    for (const auto& [pszBlock, nCast, pszNotice] : rows)
    {
        CCNames names;
        const std::vector<SCLine> arrLines = ReadBlock(pszBlock, names);
        ASSERT_FALSE(arrLines.empty());
        const std::string_view strBlock = pszBlock;
        const std::string_view strLast = strBlock.substr(strBlock.rfind('\n') + 1);
        EXPECT_EQ(
            NoticeFor(arrLines.back(), strLast, static_cast<ECastType>(nCast), evaluator, false)
                .strText,
            pszNotice)
            << pszBlock << " under cast " << nCast;
    }
}

// Rows: a header's way of writing a constant with a function beside it, and its value.
TEST(CBlock, TakesTheBranchOfAConstantWhereHeadersWriteAFunctionBeside)
{
    const std::pair<const char*, const char*> rows[] = {
        {"__builtin_constant_p(3) ? 7 : slow(3)", "7 (int)"},
        {"#define SWAB16(x) ((__u16)((((x) & 0xFFu) << 8) | (((x) >> 8) & 0xFFu)))\n"
         "#define CPU_TO_BE16(x) (__builtin_constant_p(x) ? SWAB16(x) : __fswab16(x))\n"
         "CPU_TO_BE16(0x0102)",
         "513 (int)"},
        {"__builtin_constant_p(EBADF) ? 1 : slow(2)", "unknown: slow is not defined"},
        {"1 ? (void *)0 : 2", "unknown: an address is no number here"},
    };
    for (const auto& [pszBlock, pszOutcome] : rows)
    {
        CCNames names;
        const std::vector<SCLine> arrLines = ReadBlock(pszBlock, names);
        const SCLine& line = Last(arrLines);
        const std::string strOutcome =
            line.eKind == ECLineKind::Value
                ? DecimalText(line.reading.value) + " (" +
                      std::string(TypeInfo(line.reading.value.eType).strName) + ")"
                : "unknown: " + line.strUnknown;
        EXPECT_EQ(strOutcome, pszOutcome) << pszBlock;
    }
}

// The calculator's own text, and a '?' line, are left to the literal conversion.
TEST(CBlock, LeavesTheCalculatorsOwnTextAlone)
{
    for (const char* pszLine :
         {"pi*2", "$FF & 0x10", "0x10 + r", "sin(0x1)", "M+1", "#101", "#101 + 1", "int(2.5)",
          "1,5", "2**3", "?2*-3", "?0b1010", "1 000", "`x`", "0x1e+1"})
    {
        CCNames names;
        const std::vector<SCLine> arrLines = ReadBlock(pszLine, names);
        ASSERT_EQ(arrLines.size(), 1u) << pszLine;
        EXPECT_EQ(std::string(kKinds[static_cast<int>(arrLines[0].eKind)]), kKinds[3]) << pszLine;
    }
}

// Rows: a block, how many lines it has, and which of them (counted from 0) yields the value
// 42 with its translation's bytes mapped back into the text as given.
TEST(CBlock, MapsEachTranslatedByteBackToTheTextAsGiven)
{
    const std::tuple<std::string, std::size_t, std::size_t, int, const char*> rows[] = {
        {"#define M ((uint8_t)0x12A | 0)", 1, 0, 0, "0x12A"},
        {"#define ANSWER (40 + \\\n2)", 2, 1, 1, "40"},
        {"#define ANSWER 42 /* a\n comment */", 2, 1, 1, "42"},
        {"enum {\n  A = 40 +\n  2,\n};", 4, 2, 2, "40"},
        {"#define TWO 2\n40 + TWO", 2, 1, 0, "40"},
    };
    for (const auto& [strBlock, nLines, nLine, nBefore, pszLiteral] : rows)
    {
        CCNames names;
        const std::vector<SCLine> arrLines = ReadBlock(strBlock, names);
        ASSERT_EQ(arrLines.size(), nLines) << strBlock;
        const SCLine& line = arrLines[nLine];
        ASSERT_EQ(line.eKind, ECLineKind::Value) << strBlock;
        EXPECT_EQ(line.nLinesBefore, nBefore) << strBlock;
        // Positions count from the first line of the value's text.
        std::size_t nStart = 0;
        for (std::size_t n = 0; n + static_cast<std::size_t>(nBefore) < nLine; ++n)
            nStart = strBlock.find('\n', nStart) + 1;
        const std::string_view strText = std::string_view(strBlock).substr(nStart);
        const SCReading& reading = line.reading;
        ASSERT_EQ(reading.arrSourcePos.size(), reading.strTranslation.size() + 1) << strBlock;
        EXPECT_EQ(reading.arrSourcePos[reading.strTranslation.find_first_of("0123456789$")],
                  strText.find(pszLiteral))
            << strBlock << " as " << reading.strTranslation;
        for (const std::size_t nSource : reading.arrSourcePos)
            EXPECT_LE(nSource, strText.size()) << strBlock;
    }
}

// Rows: a block whose last value is written over lines, and that value's translation.
TEST(CBlock, WritesAValueOverLinesOnOneLine)
{
    const std::pair<const char*, const char*> rows[] = {
        {"enum {\n  A = 40 +\n      2,\n};", "40 + 2"},
        {"static const int k = (1\n\n  | 2);", "(1 | 2)"},
        {"#define X (1 | \\\n           2)", "(1 | 2)"},
        {"1 /* a\n  b */   | 2", "1 | 2"},
        {"1   |   2", "1   |   2"},
    };
    const auto IsValue = [](const SCLine& line) { return line.eKind == ECLineKind::Value; };
    for (const auto& [pszBlock, pszTranslation] : rows)
    {
        CCNames names;
        const std::vector<SCLine> arrLines = ReadBlock(pszBlock, names);
        const auto it = std::find_if(arrLines.rbegin(), arrLines.rend(), IsValue);
        ASSERT_NE(it, arrLines.rend()) << pszBlock;
        EXPECT_EQ(it->reading.strTranslation, pszTranslation) << pszBlock;
    }
}

} // namespace

namespace
{

TEST(CBlock, ReadsADigitSeparatorBesideAComment)
{
    CCNames names;
    const std::vector<SCLine> arrLines =
        ReadBlock("#define X 0x1'f3a /* over\n two lines */\nX + 0x1'0 // c", names);
    ASSERT_EQ(arrLines.size(), 3u);
    EXPECT_EQ(arrLines[2].eKind, ECLineKind::Value);
    EXPECT_EQ(arrLines[2].reading.value.nBits, 0x1f3au + 0x10u);
}

} // namespace
