#include "ConsoleFixture.h"

#include <sstream>

namespace
{

struct PanelCase
{
    const char* szExpression;
    int nCastMode;
    int bUnsigned;
    std::string strBinary;
    const char* szHex;
    std::string strDecimal;
};

std::string Bits(int nZeros, const char* szTail) { return std::string(nZeros, '0') + szTail; }

const PanelCase kPanelCases[] = {
    {"0", 0, 0, Bits(64, ""), "0", "0"},
    {"0", 1, 0, Bits(32, ""), "0", "0"},
    {"0", 2, 1, Bits(16, ""), "0", "0"},
    {"0", 3, 0, Bits(8, ""), "0", "0"},
    {"10", 0, 0, Bits(60, "1010"), "A", "10"},
    {"-1", 0, 0, std::string(64, '1'), "FFFFFFFFFFFFFFFF", "-1"},
    {"-1", 3, 0, "11111111", "FF", "-1"},
    {"-1", 3, 1, "11111111", "FF", "255"},
    {"4294967301", 1, 0, Bits(29, "101"), "5", "5"},
    {"2.5", 0, 0, Bits(62, "10"), "2", "2.5"},
    {"0.1", 0, 0, Bits(64, ""), "0", "0.1"},
    {"100", 0, 0, Bits(57, "1100100"), "64", "100"},
    {"0-0.0000000000001", 0, 0, Bits(64, ""), "0", "-0"},
    {"1/3", 0, 0, Bits(64, ""), "0", "0.333333333333"},
    {"$DEADBEEF", 1, 0, "11011110101011011011111011101111", "DEADBEEF", "-559038737"},
    {"$12345", 2, 1, "0010001101000101", "2345", "9029"},
    {"1/0", 0, 0, "1" + Bits(63, ""), "8000000000000000", "inf"},
    {"-1/0", 0, 0, "1" + Bits(63, ""), "8000000000000000", "-inf"},
    {"0/0", 0, 0, "1" + Bits(63, ""), "8000000000000000", "nan"},
    {"1/0", 3, 0, Bits(8, ""), "0", "0"},
    {"1e300", 0, 0, "1" + Bits(63, ""), "8000000000000000", kExact1e300},
};

TEST_F(ConsoleTest, PanelShowsBinaryHexAndDecimalUnderTheCast)
{
    for (const PanelCase& c : kPanelCases)
    {
        SCOPED_TRACE(std::string(c.szExpression) + " cast " + std::to_string(c.nCastMode) +
                     (c.bUnsigned ? " unsigned" : " signed"));
        StartWith(static_cast<ECastMode>(c.nCastMode), c.bUnsigned, Decimal, Scroll, 0);
        SetMarkedText(m_window, (std::string("?") + c.szExpression).c_str());
        ASSERT_TRUE(m_console.ProcessEnter().bEntered);
        EXPECT_EQ(PanelLine(0), c.strBinary);
        EXPECT_EQ(PanelLine(1), c.szHex);
        EXPECT_EQ(PanelLine(2), c.strDecimal);
        EXPECT_EQ(PanelLine(3), "") << "exactly three lines";
    }
}

TEST_F(ConsoleTest, CastChangeNarrowsTheLastValueAndReevaluatesTheExpression)
{
    StartWith(None, 0, Decimal, Scroll, 0);
    ASSERT_TRUE(Enter("?255.9@"));
    const std::string strConsole = m_window.m_strConsoleText;

    m_window.m_nCastRadio = 3;
    m_console.OnCastChange();
    EXPECT_EQ(PanelLine(0), "11111111") << "truncated, not rounded";
    EXPECT_EQ(PanelLine(1), "FF");
    EXPECT_EQ(PanelLine(2), "-1");
    EXPECT_EQ(m_console.LastResult(), -1);
    EXPECT_EQ(m_console.CastType(), ECastType::Signed8);

    m_window.m_bUnsignedChecked = 1;
    m_console.OnCastChange();
    EXPECT_EQ(PanelLine(2), "255");
    EXPECT_EQ(m_console.CastType(), ECastType::Unsigned8);
    EXPECT_EQ(m_window.m_strConsoleText, strConsole) << "the console is not touched";
    EXPECT_TRUE(m_window.m_bConsoleFocused);
}

TEST_F(ConsoleTest, CastChangeBeforeAnyOrAfterAFailedEvaluationShowsZero)
{
    StartWith(None, 0, Decimal, Scroll, 0);
    m_window.m_nCastRadio = 1;
    m_console.OnCastChange();
    EXPECT_EQ(m_window.m_strPanelText, Bits(32, "") + "\r\n0\r\n0");

    ASSERT_TRUE(Enter("?7@"));
    ASSERT_TRUE(Enter("?7+@"));
    ASSERT_TRUE(Enter("?(7@"));
    m_window.m_nCastRadio = 3;
    m_console.OnCastChange();
    EXPECT_EQ(m_window.m_strPanelText, Bits(8, "") + "\r\n0\r\n0");
}

TEST_F(ConsoleTest, OneEnterShowsOneValueEvenWhenTheExpressionDrawsANewOneEachTime)
{
    StartWith(None, 0, Decimal, Scroll, 0);
    m_console.Seed(1);
    ASSERT_TRUE(Enter("?rand(0)@"));
    const std::string strDecimal = PanelLine(2);
    const double dValue = std::stod(strDecimal);
    std::ostringstream hex;
    hex << std::uppercase << std::hex << static_cast<long long>(dValue);
    EXPECT_EQ(PanelLine(1), hex.str()) << "the panel's hexadecimal line names the decimal value";
    EXPECT_EQ(m_console.LastResult(), dValue) << "r";
    EXPECT_EQ(MarkedText(m_window), "?rand(0)\n" + strDecimal + "\n?@") << "the console's result";
}

} // namespace
