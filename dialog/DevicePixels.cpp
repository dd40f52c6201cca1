#include "DevicePixels.h"

#include <QColor>
#include <QPainter>

#include <algorithm>
#include <cmath>

// The transform's scale, not the device's ratio: a widget rendered into an image reports its
// screen's ratio while it paints at the image's.
CDeviceGrid::CDeviceGrid(const QPainter& painter)
    : m_dRatio(painter.deviceTransform().m11()), m_dOriginX(painter.deviceTransform().dx()),
      m_dOriginY(painter.deviceTransform().dy())
{
}

int CDeviceGrid::X(double dX) const
{
    return static_cast<int>(std::lround(m_dOriginX + dX * m_dRatio));
}

int CDeviceGrid::Y(double dY) const
{
    return static_cast<int>(std::lround(m_dOriginY + dY * m_dRatio));
}

QRectF CDeviceGrid::Rect(int nX, int nY, int nWidth, int nHeight) const
{
    return QRectF((nX - m_dOriginX) / m_dRatio, (nY - m_dOriginY) / m_dRatio, nWidth / m_dRatio,
                  nHeight / m_dRatio);
}

void CDeviceGrid::FillFrame(QPainter& painter, const QRectF& rect, int nThickness,
                            const QColor& color) const
{
    const int nLeft = X(rect.left());
    const int nTop = Y(rect.top());
    const int nWidth = X(rect.right()) - nLeft;
    const int nHeight = Y(rect.bottom()) - nTop;
    const int nLine = std::max(1, std::min({nThickness, nWidth / 2, nHeight / 2}));
    painter.fillRect(Rect(nLeft, nTop, nWidth, nLine), color);
    painter.fillRect(Rect(nLeft, nTop + nHeight - nLine, nWidth, nLine), color);
    painter.fillRect(Rect(nLeft, nTop, nLine, nHeight), color);
    painter.fillRect(Rect(nLeft + nWidth - nLine, nTop, nLine, nHeight), color);
}
