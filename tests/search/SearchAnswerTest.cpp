// What a launcher's query is answered with, under the settings code that the window saved.
#include "SearchAnswer.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct SQueryRow
{
    const char* pszQuery;
    const char* pszCode;
    const char* pszTitle;                // nullptr: no answer
    std::string strDescription;          // with '|' for the separator
    const char* pszExpression = nullptr; // the '?' line's text where it is not the query
};

std::string Described(const std::string& strDescription)
{
    std::string strText;
    for (const char ch : strDescription)
        strText += ch == '|' ? std::string(kDescriptionSeparator) : std::string(1, ch);
    return strText;
}

void ExpectRows(const SQueryRow* pBegin, const SQueryRow* pEnd)
{
    for (const SQueryRow* pRow = pBegin; pRow != pEnd; ++pRow)
    {
        SCOPED_TRACE(std::string(pRow->pszQuery) + " under " + pRow->pszCode);
        const std::optional<SSearchAnswer> answer = AnswerQuery(pRow->pszQuery, pRow->pszCode);
        ASSERT_EQ(answer.has_value(), pRow->pszTitle != nullptr);
        if (!answer) continue;
        EXPECT_EQ(answer->strTitle, pRow->pszTitle);
        EXPECT_EQ(answer->strDescription, Described(pRow->strDescription));
        if (pRow->pszExpression)
        {
            EXPECT_EQ(answer->strExpression, pRow->pszExpression);
        }
    }
}

TEST(SearchAnswer, CalculatorExpressionsUnderTheSavedCast)
{
    const std::string strOnes(64, '1');
    const SQueryRow rows[] = {
        {"$ff<<4", "BB021", "4080", "$FF0|#111111110000", "$ff<<4"},
        {"  ?$FF << 4\t", "BB021", "4080", "$FF0|#111111110000", "$FF << 4"},
        {"'A'+1", "BB021", "66", "$42|#1000010"},
        {"#1010", "AB021", "10", "$A|#1010"},
        {"sqr(-1)", "BB021", "nan", "$8000000000000000|#1" + std::string(63, '0')},
        {"pi*2", "BB021", "6.28318530716", "$6|#110"},
        {"$12C", "AB321", "44", "$2C|#101100"},
        {"$12C", "BB321", "44", "$2C|#101100"},
        {"-$1", "BB321", "255", "$FF|#11111111"},
        {"-$1", "AB321", "-1", "$FF|#11111111"},
        {"0", "BB021", "0", "$0|#0"},
        // The code's other positions (output, console mode, EndPos) change nothing.
        {"$ff<<4", "AA000", "4080", "$FF0|#111111110000"},
        {"$ff<<4", "B", "4080", "$FF0|#111111110000"},
    };
    ExpectRows(std::begin(rows), std::end(rows));
    const std::optional<SSearchAnswer> minusOne = AnswerQuery("-1", "BB021");
    ASSERT_TRUE(minusOne);
    EXPECT_EQ(minusOne->strDescription,
              "$FFFFFFFFFFFFFFFF" + std::string(kDescriptionSeparator) + "#" + strOnes);
}

TEST(SearchAnswer, CAsThePasteReadsItWithCsValueWhereTheCastDiffers)
{
    const SQueryRow rows[] = {
        {"0xFF & ~0x3", "BB021", "252", "$FC|#11111100", "$FF & (~$3)"},
        {"0b1010 + 0o17", "BB021", "25", "$19|#11001"},
        {"2*-3", "BB021", "-6", "$FFFFFFFFFFFFFFFA|#" + std::string(61, '1') + "010", "2*(-3)"},
        {"0xC0DE0042 >> 16", "BB121", "49374", "$C0DE|#1100000011011110"},
        {"#define MASK (1u << 31) | (0x3 << 12)", "BB121", "2147495936",
         "$80003000|#10000000000000000011000000000000"},
        {"#define MASK (1u << 31) | (0x3 << 12)", "BB021", "-2147471360",
         "$FFFFFFFF80003000|#" + std::string(33, '1') +
             "0000000000000000011000000000000|C: "
             "2147495936 = 0x80003000 (unsigned int). 32Bit UNSIGNED gives the same."},
        {"300", "AB321", "44", "$2C|#101100|C: 300 = 0x12C (int). 32Bit gives the same."},
        {"2147483647 + 1", "BB121", "2147483648",
         "$80000000|#1" + std::string(31, '0') +
             "|C leaves 2147483647 + 1 undefined: it overflows int."},
        {"1/0", "BB021", "inf",
         "$8000000000000000|#1" + std::string(63, '0') +
             "|C leaves 1 / 0 undefined: it divides by zero."},
    };
    ExpectRows(std::begin(rows), std::end(rows));
}

TEST(SearchAnswer, NothingForWordsErrorsLineBreaksAndLongText)
{
    const std::string strLong = "1" + std::string(kMaxQueryBytes, ' ');
    const std::string strLongest = std::string(kMaxQueryBytes - 1, ' ') + "1";
    const SQueryRow rows[] = {
        {"firefox", "BB021", nullptr, ""},       {"face", "BB021", nullptr, ""},
        {"pi day", "BB021", nullptr, ""},        {"pi", "BB021", nullptr, ""},
        {"r+m", "BB021", nullptr, ""},           {"", "BB021", nullptr, ""},
        {" ? ", "BB021", nullptr, ""},           {"2**3", "BB021", nullptr, ""},
        {"$12C*-3", "BB021", nullptr, ""},       {"(1", "BB021", nullptr, ""},
        {"hello 42", "BB021", nullptr, ""},      {"1+2\n3", "BB021", nullptr, ""},
        {"1+2\r", "BB021", nullptr, ""},         {"'", "BB021", nullptr, ""},
        {strLong.c_str(), "BB021", nullptr, ""}, {strLongest.c_str(), "BB021", "1", "$1|#1"},
    };
    ExpectRows(std::begin(rows), std::end(rows));
}

} // namespace
