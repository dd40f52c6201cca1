#include "DialogUnits.h"

#include <QFontMetrics>
#include <QFontMetricsF>

#include <cmath>

namespace
{

int Scale(int nUnits, int nBase, int nDivisor)
{
    const double dPixels = static_cast<double>(nUnits) * nBase / nDivisor;
    return static_cast<int>(std::lround(dPixels));
}

} // namespace

CDialogBaseUnits BaseUnitsOf(const QFont& font)
{
    static const QString strLetters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const double dWidth = QFontMetricsF(font).horizontalAdvance(strLetters);
    return {static_cast<int>(std::lround(dWidth / strLetters.size())), QFontMetrics(font).height()};
}

QRect MapDialogRect(const QRect& rectUnits, const CDialogBaseUnits& base)
{
    return QRect(Scale(rectUnits.x(), base.m_nCharWidth, 4),
                 Scale(rectUnits.y(), base.m_nCharHeight, 8),
                 Scale(rectUnits.width(), base.m_nCharWidth, 4),
                 Scale(rectUnits.height(), base.m_nCharHeight, 8));
}
