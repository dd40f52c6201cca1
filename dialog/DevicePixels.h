#pragma once

#include <QRectF>

class QColor;
class QPainter;

// Whole device pixels under a widget's painter. At a fractional device pixel ratio a widget
// may start in the middle of a device pixel, and a logical pixel covers one or two device
// pixels; drawing on this grid keeps strokes of equal width and inside the widget, where
// no child widget paints over them.
class CDeviceGrid
{
public:
    explicit CDeviceGrid(const QPainter& painter);

    double Ratio() const { return m_dRatio; }
    // The device pixel edge nearest to logical x (y), the later one at a tie: the widget's
    // own pixels are the columns from X(0) to X(width) - 1, as Qt clips it.
    int X(double dX) const;
    int Y(double dY) const;
    // The logical rectangle that covers exactly the device pixels given.
    QRectF Rect(int nX, int nY, int nWidth, int nHeight) const;
    // A frame nThickness device pixels wide along the inside of the widget's pixels of the
    // logical rectangle rect.
    void FillFrame(QPainter& painter, const QRectF& rect, int nThickness,
                   const QColor& color) const;

private:
    double m_dRatio;
    double m_dOriginX; // the logical origin's device position
    double m_dOriginY;
};
