#include "ConsoleText.h"
#include "DialogUnits.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct CTextRow
{
    const char16_t* pszWidget;
    std::string strModel;
    bool bRoundTrip; // the model text converts back to the same widget text
};

const CTextRow kTextRows[] = {
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

TEST(ConsoleTextTest, WidgetTextMapsToCodePageBytes)
{
    for (const CTextRow& row : kTextRows)
    {
        const QString strWidget = QString::fromUtf16(row.pszWidget);
        EXPECT_EQ(ToModelText(strWidget), row.strModel) << strWidget.toStdString();
        if (row.bRoundTrip)
        {
            EXPECT_EQ(ToWidgetText(row.strModel), strWidget) << strWidget.toStdString();
        }
    }
}

TEST(ConsoleTextTest, ModelLineBreaksBecomeOneWidgetBreak)
{
    EXPECT_EQ(ToWidgetText("a\r\nb\rc\nd\r\n"), QStringLiteral("a\nb\nc\nd\n"));
}

struct CPositionRow
{
    const char16_t* pszWidget;
    int nWidgetPos;
    int nModelPos;
};

// Model "x\r\n??\x1A\x1A\r\n": a break counts two, a surrogate pair two bytes.
const CPositionRow kPositionRows[] = {
    {u"x\u2029??\U0001F600\u2029", 0, 0}, {u"x\u2029??\U0001F600\u2029", 1, 1},
    {u"x\u2029??\U0001F600\u2029", 2, 3}, {u"x\u2029??\U0001F600\u2029", 4, 5},
    {u"x\u2029??\U0001F600\u2029", 6, 7}, {u"x\u2029??\U0001F600\u2029", 7, 9},
};

TEST(ConsoleTextTest, PositionsMapBothWays)
{
    for (const CPositionRow& row : kPositionRows)
    {
        const QString strWidget = QString::fromUtf16(row.pszWidget);
        EXPECT_EQ(ToModelPos(strWidget, row.nWidgetPos), row.nModelPos) << row.nWidgetPos;
        EXPECT_EQ(ToWidgetPos(strWidget, row.nModelPos), row.nWidgetPos) << row.nModelPos;
    }
}

TEST(ConsoleTextTest, PositionsInsideABreakOrBeyondTheTextAreClamped)
{
    const QString strWidget = QString::fromUtf16(u"ab\u2029c");
    EXPECT_EQ(ToWidgetPos(strWidget, 3), 2); // between CR and LF: before the break
    EXPECT_EQ(ToWidgetPos(strWidget, 99), 4);
    EXPECT_EQ(ToWidgetPos(strWidget, -5), 0);
    EXPECT_EQ(ToModelPos(strWidget, 99), 5);
}

struct CUnitsRow
{
    QRect rectUnits;
    CDialogBaseUnits base;
    QRect rectPixels;
};

const CUnitsRow kUnitsRows[] = {
    {{0, 0, 292, 199}, {8, 16}, {0, 0, 584, 398}},
    {{15, 58, 33, 10}, {7, 12}, {26, 87, 58, 15}},   // 26.25, 87, 57.75, 15
    {{7, 16, 260, 29}, {7, 12}, {12, 24, 455, 44}},  // 12.25, 24, 455, 43.5 rounds up
    {{10, 183, 40, 10}, {6, 13}, {15, 297, 60, 16}}, // 15, 297.375, 60, 16.25
};

TEST(DialogUnitsTest, MapsEachCoordinateWithRounding)
{
    for (const CUnitsRow& row : kUnitsRows)
        EXPECT_EQ(MapDialogRect(row.rectUnits, row.base), row.rectPixels);
}

} // namespace
