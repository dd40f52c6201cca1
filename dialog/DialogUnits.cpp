#include "DialogUnits.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace
{

int Scale(int nUnits, int nBase, int nDivisor)
{
    const double dPixels = static_cast<double>(nUnits) * nBase / nDivisor;
    return static_cast<int>(std::lround(dPixels));
}

const QString& Letters()
{
    static const QString strLetters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return strLetters;
}

double AverageCharWidth(const QFont& font)
{
    return QFontMetricsF(font).horizontalAdvance(Letters()) / Letters().size();
}

} // namespace

CDialogBaseUnits BaseUnitsOf(const QFont& font)
{
    return {static_cast<int>(std::lround(AverageCharWidth(font))), QFontMetrics(font).height()};
}

QRect MapDialogRect(const QRect& rectUnits, const CDialogBaseUnits& base)
{
    return QRect(Scale(rectUnits.x(), base.m_nCharWidth, 4),
                 Scale(rectUnits.y(), base.m_nCharHeight, 8),
                 Scale(rectUnits.width(), base.m_nCharWidth, 4),
                 Scale(rectUnits.height(), base.m_nCharHeight, 8));
}

int ZoomStep(int nPercent, int nDelta)
{
    const auto itStep = std::find(kZoomSteps.begin(), kZoomSteps.end(), nPercent);
    if (itStep == kZoomSteps.end()) return kZoomSteps.front();
    const auto nIndex = std::clamp<std::ptrdiff_t>(itStep - kZoomSteps.begin() + nDelta, 0,
                                                   std::ssize(kZoomSteps) - 1);
    return kZoomSteps[static_cast<std::size_t>(nIndex)];
}

QFont DialogFont(const char* pszFace, int nPointSize, int nZoomPercent)
{
    const QString strFace = QString::fromLatin1(pszFace);
    QFont font = QFontDatabase::hasFamily(strFace)
                     ? QFont(strFace)
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // Latin text needs no shaping; sparing it keeps a long console line quick to lay out.
    font.setStyleHint(QFont::TypeWriter, QFont::PreferNoShaping);
    font.setFixedPitch(true);
    double dPoints = nPointSize * std::clamp(nZoomPercent, 25, 400) / 100.0;
    font.setPointSizeF(dPoints);
    // A quarter point at a time: sizes snap to whole pixels, so a few steps always suffice.
    for (int nTry = 0; nTry < 16 && AverageCharWidth(font) > BaseUnitsOf(font).m_nCharWidth; ++nTry)
    {
        dPoints -= 0.25;
        font.setPointSizeF(dPoints);
    }
    return font;
}
