#include "ConsoleText.h"

#include "Ascii.h"

#include <algorithm>
#include <array>

namespace
{

using lumdrak::kLostByte;
constexpr char16_t kNoMapping = 0; // a byte of 0x80..0x9F that Windows-1252 leaves undefined

// Windows-1252 bytes 0x80..0x9F; every other byte is its own Unicode code point. The five
// undefined bytes round-trip through the C1 controls of the same value, as Windows does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC,     kNoMapping, 0x201A, 0x0192, 0x201E, 0x2026,     0x2020, 0x2021,
    0x02C6,     0x2030,     0x0160, 0x2039, 0x0152, kNoMapping, 0x017D, kNoMapping,
    kNoMapping, 0x2018,     0x2019, 0x201C, 0x201D, 0x2022,     0x2013, 0x2014,
    0x02DC,     0x2122,     0x0161, 0x203A, 0x0153, kNoMapping, 0x017E, 0x0178,
};

bool IsBreak(char16_t ch) { return ch == u'\n' || ch == u'\r' || ch == 0x2028 || ch == 0x2029; }

char ToByte(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<char>(ch);
    if (ch <= 0x9F)
        return kHighControls[ch - 0x80] == kNoMapping ? static_cast<char>(ch) : kLostByte;
    const auto it = std::find(kHighControls.begin(), kHighControls.end(), ch);
    return it == kHighControls.end() ? kLostByte
                                     : static_cast<char>(0x80 + (it - kHighControls.begin()));
}

QChar ToChar(unsigned char nByte)
{
    if (nByte == static_cast<unsigned char>(kLostByte)) return QChar(QChar::ReplacementCharacter);
    if (nByte >= 0x80 && nByte <= 0x9F && kHighControls[nByte - 0x80] != kNoMapping)
        return QChar(kHighControls[nByte - 0x80]);
    return QChar(nByte);
}

} // namespace

std::string ToModelText(QStringView strWidget)
{
    std::string strModel;
    strModel.reserve(static_cast<std::size_t>(strWidget.size()) + 64);
    for (const QChar ch : strWidget)
    {
        if (IsBreak(ch.unicode()))
            strModel += "\r\n";
        else
            strModel += ToByte(ch.unicode());
    }
    return strModel;
}

QString ToWidgetText(std::string_view strModel)
{
    QString strWidget;
    strWidget.reserve(static_cast<qsizetype>(strModel.size()));
    for (std::size_t i = 0; i < strModel.size(); ++i)
    {
        const char ch = strModel[i];
        if (ch == '\r' || ch == '\n')
        {
            if (ch == '\r' && i + 1 < strModel.size() && strModel[i + 1] == '\n') ++i;
            strWidget += QChar(u'\n');
        }
        else
        {
            strWidget += ToChar(static_cast<unsigned char>(ch));
        }
    }
    return strWidget;
}

int ToModelPos(QStringView strWidget, int nWidgetPos)
{
    const auto nEnd = std::clamp<qsizetype>(nWidgetPos, 0, strWidget.size());
    int nModelPos = 0;
    for (qsizetype i = 0; i < nEnd; ++i)
        nModelPos += IsBreak(strWidget[i].unicode()) ? 2 : 1;
    return nModelPos;
}

int ToWidgetPos(QStringView strWidget, int nModelPos)
{
    int nModel = 0;
    for (qsizetype i = 0; i < strWidget.size(); ++i)
    {
        nModel += IsBreak(strWidget[i].unicode()) ? 2 : 1;
        if (nModel > nModelPos) return static_cast<int>(i);
    }
    return static_cast<int>(strWidget.size());
}
