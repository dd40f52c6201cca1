#include "ConsoleText.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

TEST(ConsoleTextTest, WidgetTextMapsToCodePageBytes)
{
    const struct
    {
        const char16_t* pszWidget;
        std::string strModel;
        bool bRoundTrip; // the model text converts back to the same widget text
    } rows[] = {
        {u"?1+2", "?1+2", true},
        {u"a\u2029b", "a\r\nb", false}, // a paragraph break comes back as '\n'
        {u"a\nb", "a\r\nb", true},
        {u"a\u2028b", "a\r\nb", false}, // Shift+Enter's line separator is a line break too
        {u"\u20AC\u0160\u0178\u00FF\u00A0", "\x80\x8A\x9F\xFF\xA0", true},
        {u"\u0081\u008D\u009D", "\x81\x8D\x9D", true},  // undefined bytes round-trip
        {u"\u0080\u0416\u2603", "\x1A\x1A\x1A", false}, // outside the code page, never '?'
        {u"\U0001F600", "\x1A\x1A", false},             // one byte per UTF-16 unit
        {u"\uFFFD", "\x1A", true},                      // how a lost character shows
        {u"", "", true},
    };
    for (const auto& row : rows)
    {
        const QString strWidget = QString::fromUtf16(row.pszWidget);
        EXPECT_EQ(ToModelText(strWidget), row.strModel) << strWidget.toStdString();
        if (row.bRoundTrip)
        {
            EXPECT_EQ(ToWidgetText(row.strModel), strWidget) << strWidget.toStdString();
        }
    }
    EXPECT_EQ(ToWidgetText("a\r\nb\rc\nd\r\n"), QStringLiteral("a\nb\nc\nd\n"));
}

// Model "x\r\n??\x1A\x1A\r\n": a break counts two, a surrogate pair two bytes.
TEST(ConsoleTextTest, PositionsMapBothWaysAndAreClamped)
{
    const QString strWidget = QString::fromUtf16(u"x\u2029??\U0001F600\u2029");
    for (const auto& [nWidgetPos, nModelPos] :
         {std::pair{0, 0}, {1, 1}, {2, 3}, {4, 5}, {6, 7}, {7, 9}})
    {
        EXPECT_EQ(ToModelPos(strWidget, nWidgetPos), nModelPos) << nWidgetPos;
        EXPECT_EQ(ToWidgetPos(strWidget, nModelPos), nWidgetPos) << nModelPos;
    }
    EXPECT_EQ(ToWidgetPos(strWidget, 2), 1); // between CR and LF: before the break
    EXPECT_EQ(ToWidgetPos(strWidget, 99), 7);
    EXPECT_EQ(ToWidgetPos(strWidget, -5), 0);
    EXPECT_EQ(ToModelPos(strWidget, 99), 9);
}

} // namespace
