#include "ExpressionEvaluator.h"
#include "IntegerConversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace
{

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Case
{
    const char* szText;
    double dValue;  // ignored when nError is not 0
    int nError = 0; // expected 1-based error position
    ECastType eCast = ECastType::None;
};

std::string Describe(const Case& c)
{
    return std::string("'") + c.szText + "' cast " + std::to_string(static_cast<int>(c.eCast));
}

void ExpectCase(CExpressionEvaluator& evaluator, const Case& c)
{
    evaluator.m_nCastType = c.eCast;
    const std::string strText = c.szText;
    const double dValue = evaluator.Evaluate(&strText);
    ASSERT_EQ(evaluator.m_nErrorPos, c.nError) << Describe(c);
    if (c.nError != 0) return;
    if (std::isnan(c.dValue))
        EXPECT_TRUE(std::isnan(dValue)) << Describe(c) << " gave " << dValue;
    else
        EXPECT_EQ(dValue, c.dValue) << Describe(c);
}

void ExpectCases(std::initializer_list<Case> cases, double dMemory = 0.0, double dLast = 0.0)
{
    CExpressionEvaluator evaluator;
    evaluator.m_dMemory = dMemory;
    evaluator.m_dLastResult = dLast;
    for (const Case& c : cases)
        ExpectCase(evaluator, c);
}

TEST(EvaluatorPriorities, OperatorsBindByPriorityAndAssociateLeft)
{
    ExpectCases({
        {"1+2*3-4", 3},
        {"20+10-40", -10},
        {"2+3*4", 14},
        {"2*3+4", 10},
        {"1|2+3*4", 15},
        {"1<<2+1", 8},
        {"2<3<2", 64},
        {"-2<2", -4},
        {"~1+1", 4294967295.0},
        {"2*3<2", 18},
        {"1+2<3*4", 33},
        {"10-2-3", 5},
        {"2<2*3", 12},
        {"2+3*4<2", 50},
        {"8/2/2", 2},
    });
}

TEST(EvaluatorPriorities, GroupsEndOnlyTheirOwnSubLevels)
{
    ExpectCases({
        {"1+2*(1*2+3)", 11},
        {"1+2*sin(1*2-2)", 1},
        {"((3) )+1", 4},
        {"2*(3+4)*5", 70},
        {"(((1)))", 1},
        {"()", 0},
        {"", 0},
        {"2*(3<(1+1)+1)", 20},
    });
}

TEST(EvaluatorPriorities, UnaryAndDanglingOperatorsFollowTheLevelRules)
{
    ExpectCases({
        {"-3", -3},
        {"(-3)", -3},
        {"2+", 4},
        {"3*", 9},
        {"*3", 0},
        {"+3", 3},
        {"2(3)", 3},
        {"(2)3", 3},
        {"1 000", 1000},
        {"2 + 3 ", 5},
        {"~5", 4294967290.0},
        {"3~5", 4294967290.0},
    });
}

TEST(EvaluatorErrors, PositionPointsAtTheOffendingByte)
{
    ExpectCases({
        {"2*-3", 0, 3},    {"--3", 0, 2},    {"   ", 0, 2},  {"(1+2", 0, 1}, {"1+2)", 0, 4},
        {"sin(1", 0, 4},   {"(1)(2)", 0, 4}, {"1+x", 0, 3},  {"x+1", 0, 1},  {"(x+1)", 0, 2},
        {"(2) ", 0, 5},    {"1+(", 0, 3},    {"(+)", 0, 3},  {")", 0, 1},    {"1)+(2", 0, 2},
        {"'A' + 1", 0, 1}, {"$1.5", 0, 3},   {"#102", 0, 4}, {"ip", 0, 1},   {"mm", 0, 1},
        {"1x", 0, 2},      {"2+3 ", 5},      {"1+ ", 0, 4},  {"2**3", 0, 3},
    });
}

TEST(EvaluatorErrors, BlanksBeforeARejectedByteCountInItsPosition)
{
    ExpectCases({
        {"(1 x)", 0, 4},
        {"1 000x", 0, 6},
        {"  x", 0, 3},
        {"1+ 2 y", 0, 6},
        {"$ f g", 0, 5},
        {"# 1 2", 0, 5},
        {"1+2 x", 0, 5},
    });
}

TEST(EvaluatorTokens, MatchingFoldsAsciiLettersOnly)
{
    ExpectCases({
        {"SIN(0)", 0},
        {"Log10(100)", 2},
        {"LOG(1)", 0},
        {"sQr(16)", 4},
        {"\xC9XP(0)", 0, 1}, // a Latin-1 capital is not folded to "e"
    });
    // Row 0's token closes like ")" and so unbalances the text.
    ExpectCases({{"1\xE1\xE1", 0, 3}, {"(2\xE1\xE1", 0, 4}});
}

TEST(EvaluatorTokens, QuotesHideTokensAndNulIsAnOrdinaryByte)
{
    ExpectCases({{"'+'", 43}, {"'('+1", 41}, {"''''", 0, 1}, {"'''", 39}, {"' '", 32}});
    CExpressionEvaluator evaluator;
    const std::string strNul("1+\0", 3);
    evaluator.Evaluate(&strNul);
    EXPECT_EQ(evaluator.m_nErrorPos, 3);
    const std::string strQuotedNul("'\0'", 3);
    EXPECT_EQ(evaluator.Evaluate(&strQuotedNul), 0.0);
    EXPECT_EQ(evaluator.m_nErrorPos, 0);
}

// Values compare exactly: pi is the double nearest to 3.14159265358, not the full constant.
TEST(EvaluatorOperands, LiteralsNamesAndDecimalForms)
{
    ExpectCases(
        {
            {"'A'", 65},
            {"'a'", 97},
            {"'\xFF'", 255},
            {"$ff", 255},
            {"$FF", 255},
            {"$ f f", 255},
            {"$", 0},
            {"#1010", 10},
            {"#", 0},
            {"$100000000", 4294967296.0},
            {"1,5", 1.5},
            {"1.5", 1.5},
            {"1e3", 1000},
            {"1E3", 1000},
            {".5", 0.5},
            {"5.", 5},
            {"1.2.3", 1.2},
            {"12ab", 12},
            {"abc", 0},
            {"1e-3", -2},
            {"1e", 1},
            {"e5", 0},
            {"1 e 2", 100},
            {"pi", 3.14159265358},
            {"PI", 3.14159265358},
            {"2pi", 3.14159265358},
            {"m", 7},
            {"M", 7},
            {"r", -2.5},
            {"m2", 7},
            {"1e999", kInf},
            {"1d3", 1},
            {"'A'+'z'", 187},
        },
        7, -2.5);

    // Far below the double range the result is a subnormal, not an error or a garbage value.
    CExpressionEvaluator evaluator;
    const std::string strTiny = "0." + std::string(320, '0') + "1";
    EXPECT_EQ(evaluator.Evaluate(&strTiny), 1e-321);
    EXPECT_EQ(evaluator.m_nErrorPos, 0);
}

TEST(EvaluatorOperations, DoubleArithmeticAndFunctions)
{
    ExpectCases({
        {"1/0", kInf},
        {"-1/0", -kInf},
        {"0/0", kNaN},
        {"sqr(-1)", kNaN},
        {"log(0)", -kInf},
        {"asin(2)", kNaN},
        {"sqr(20)+10", 14.47213595499958},
        {"2<10", 1024},
        {"2<0.5", 1.4142135623730951},
        {"pow(2)", 1},
        {"0<(-1)", kInf},
        {"(-8)<(1/3)", kNaN},
        {"exp(1000)", kInf},
        {"exp(-1000)", 0},
        {"log10(1000)", 3},
        {"acos(1)", 0},
        {"atan(0)", 0},
        {"cos(0)", 1},
        {"tan(0)", 0},
        {"exp(0)", 1},
        {"log(-1)", kNaN},
    });
}

TEST(EvaluatorOperations, IntegerOperatorsWorkOnThe32BitPattern)
{
    ExpectCases({
        {"#1001^#1111", 6},
        {"$FFFFFFFF|0", -1},
        {"~0", 4294967295.0},
        {"~(-1)", 0},
        {"6&3", 2},
        {"1<<31", -2147483648.0},
        {"1<<32", 1},
        {"1<<(-1)", -2147483648.0},
        {"-8>>1", -4},
        {"$80000000>>31", -1},
        {"5%0", kInf},
        {"5%0.5", 10},
        {"(-7)%3", -1},
        {"7%3", 1},
        {"7%(-3)", 1},
        {"7.9%3.9", 1},
        {"$80000000%(-1)", 0},
        {"(0-$80000000)%(-1)", 0},
        {"(1/0)|0", 0},
        {"(0/0)&(-1)", 0},
        {"1e300|0", 0},
        {"$100000001|0", 1},
        {"(-1)>>40", -1},
        {"0%0", kNaN},
    });
}

TEST(EvaluatorOperations, IntRoundsHalvesToEvenAndKeepsNonFiniteValues)
{
    ExpectCases({
        {"int(7.2)", 7},
        {"int(-7.8)", -8},
        {"int(2.4999)", 2},
        {"int(2.6)", 3},
        {"int(2.5)", 2},
        {"int(3.5)", 4},
        {"int(-2.5)", -2},
        {"int(-3.5)", -4},
        {"int(0.5)", 0},
        {"int(1.5)", 2},
        {"int(1e300)", 1e300},
        {"int(4503599627370495.5)", 4503599627370496.0},
        {"int(1/0)", kInf},
        {"int(-1/0)", -kInf},
        {"int(0/0)", kNaN},
    });
    CExpressionEvaluator evaluator;
    const std::string strHalf = "int(-0.5)";
    const double dValue = evaluator.Evaluate(&strHalf);
    EXPECT_EQ(dValue, 0.0);
    EXPECT_TRUE(std::signbit(dValue)) << "-0.5 prints as -0";
}

TEST(EvaluatorCasts, EveryOperationAndTheFinalValueAreNarrowed)
{
    using enum ECastType;
    ExpectCases({
        {"7/2", 3, 0, Signed32},      {"1/0", 0, 0, Signed32},
        {"sqr(10)", 3, 0, Signed32},  {"-1", 4294967295.0, 0, Unsigned32},
        {"200", -56, 0, Signed8},     {"255+1", 0, 0, Unsigned8},
        {"300", 44, 0, Unsigned8},    {"300", 44, 0, Signed8},
        {"200", 200, 0, Unsigned8},   {"~0", 65535, 0, Unsigned16},
        {"~0", -1, 0, Signed32},      {"$FFFFFFFF|0", 4294967295.0, 0, Unsigned32},
        {"5%0", 0, 0, Signed32},      {"70000", 4464, 0, Signed16},
        {"-1", 65535, 0, Unsigned16}, {"1e30", 0, 0, Unsigned32},
        {"0/0", 0, 0, Unsigned8},     {"2.9", 2.9, 0, NoneUnsigned},
        {"-2.9", -2, 0, Signed32},    {"$FFFFFFFF+1", 0, 0, Unsigned32},
    });
}

TEST(EvaluatorState, MemoryLastResultAndCastCarryOver)
{
    CExpressionEvaluator evaluator;
    EXPECT_EQ(evaluator.m_dMemory, 0.0);
    EXPECT_EQ(evaluator.m_dLastResult, 0.0);
    EXPECT_EQ(evaluator.m_nCastType, ECastType::None);
    const std::string strRM = "r+m";
    evaluator.m_dLastResult = 40;
    evaluator.m_dMemory = 2;
    EXPECT_EQ(evaluator.Evaluate(&strRM), 42);
    const std::string strBad = "(1";
    evaluator.Evaluate(&strBad);
    EXPECT_EQ(evaluator.m_nErrorPos, 1);
    EXPECT_EQ(evaluator.Evaluate(&strRM), 42) << "an error leaves nothing behind";
    EXPECT_EQ(evaluator.m_nErrorPos, 0);
}

TEST(EvaluatorRand, SeededDrawsRepeatAndStayInRange)
{
    CExpressionEvaluator first;
    CExpressionEvaluator second;
    first.Seed(12345);
    second.Seed(12345);
    const std::string strRand = "rand(5)";
    bool bVaried = false;
    double dPrevious = -1;
    for (int i = 0; i < 1000; ++i)
    {
        const double dValue = first.Evaluate(&strRand);
        ASSERT_EQ(dValue, second.Evaluate(&strRand));
        ASSERT_EQ(first.m_nErrorPos, 0);
        ASSERT_GE(dValue, 0);
        ASSERT_LE(dValue, 32767);
        ASSERT_EQ(dValue, std::trunc(dValue));
        bVaried |= (i > 0 && dValue != dPrevious);
        dPrevious = dValue;
    }
    EXPECT_TRUE(bVaried);
    const std::string strEmpty = "rand()";
    first.Evaluate(&strEmpty);
    EXPECT_EQ(first.m_nErrorPos, 0);
}

TEST(EvaluatorConversion, IntegerConversionNeverLeavesTheRange)
{
    using lumdrak::ToInt64;
    constexpr std::int64_t nMin = std::numeric_limits<std::int64_t>::min();
    const struct
    {
        double dValue;
        std::int64_t nExpected;
    } rows[] = {
        {2.9, 2},
        {-2.9, -2},
        {1e300, nMin},
        {-1e300, nMin},
        {kInf, nMin},
        {-kInf, nMin},
        {kNaN, nMin},
        {9223372036854774784.0, 9223372036854774784}, // largest double below 2^63
        {9223372036854775808.0, nMin},                // 2^63 is already outside
        {-9223372036854775808.0, nMin},               // -2^63 itself is inside
    };
    for (const auto& row : rows)
        EXPECT_EQ(ToInt64(row.dValue), row.nExpected) << row.dValue;
    EXPECT_EQ(lumdrak::ToInt32(4294967301.0), 5);
    EXPECT_EQ(lumdrak::ToInt32(2147483648.0), std::numeric_limits<std::int32_t>::min());
}

std::string Repeat(std::string_view strPiece, std::size_t nTimes)
{
    std::string strText;
    strText.reserve(strPiece.size() * nTimes);
    for (std::size_t i = 0; i < nTimes; ++i)
        strText += strPiece;
    return strText;
}

TEST(EvaluatorNesting, DeepGroupsFailAtTheFirstTokenBeyondTheLimit)
{
    constexpr int nLimit = CExpressionEvaluator::kMaxGroupDepth;
    CExpressionEvaluator evaluator;

    // Within the limit, with a full chain of sub-levels open in every group.
    const std::string strDeep = Repeat("1|2+3*4<5~(", nLimit) + "1" + std::string(nLimit, ')');
    evaluator.Evaluate(&strDeep);
    EXPECT_EQ(evaluator.m_nErrorPos, 0);

    const std::string strAtLimit = Repeat("(", nLimit) + "7" + std::string(nLimit, ')');
    EXPECT_EQ(evaluator.Evaluate(&strAtLimit), 7);
    EXPECT_EQ(evaluator.m_nErrorPos, 0);

    const std::string strBeyond = Repeat("(", nLimit + 1) + "7" + std::string(nLimit + 1, ')');
    evaluator.Evaluate(&strBeyond);
    EXPECT_EQ(evaluator.m_nErrorPos, nLimit + 1);

    const std::string strFunctions = Repeat("sin(", nLimit + 5);
    evaluator.Evaluate(&strFunctions);
    EXPECT_EQ(evaluator.m_nErrorPos, 4 * (nLimit + 1));
}

TEST(EvaluatorScaling, MegabyteExpressionsEvaluate)
{
    // Their timing is measured in the benchmark; here they must simply come out right.
    CExpressionEvaluator evaluator;
    const std::string strSum = "1" + Repeat("+1", 499999) + "+";
    EXPECT_EQ(evaluator.Evaluate(&strSum), 500001); // the trailing '+' adds the last 1 again
    EXPECT_EQ(evaluator.m_nErrorPos, 0);
    const std::string strOpen = std::string(1000000, '(');
    evaluator.Evaluate(&strOpen);
    EXPECT_EQ(evaluator.m_nErrorPos, CExpressionEvaluator::kMaxGroupDepth + 1);
}

} // namespace
