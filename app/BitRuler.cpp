#include "BitRuler.h"

#include "DevicePixels.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPlainTextEdit>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>

namespace
{

// Digits 0 to 9 upright, 3 columns by 5 rows; bit 2 of a row is its left column.
constexpr std::array<std::array<std::uint8_t, 5>, 10> kDigitRows = {{
    {7, 5, 5, 5, 7},
    {2, 6, 2, 2, 7},
    {7, 1, 7, 4, 7},
    {7, 1, 7, 1, 7},
    {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7},
    {7, 1, 1, 1, 1},
    {7, 5, 7, 5, 7},
    {7, 5, 7, 1, 7},
}};

const QColor kBackground(208, 207, 192);

bool DotOn(std::size_t nDigit, int nRow, int nCol)
{
    return nRow >= 0 && nRow < 5 && nCol >= 0 && nCol < 3 &&
           (kDigitRows[nDigit][static_cast<std::size_t>(nRow)] & (4 >> nCol)) != 0;
}

// Where the dot of a digit's row nRow and column nCol lies in a label, in dots, the digit's
// top in dot row nTopRow: turned a quarter counter-clockwise, the digit's row r becomes column
// r and its left column the bottom row. The point is the dot's top left corner.
QPointF TurnedDot(int nRow, int nCol, int nTopRow) { return QPointF(nRow, nTopRow + 2 - nCol); }

// Digit nDigit, turned, as the units (nPlace 0) or the tens (1) of a label, in dots: strokes
// one dot wide with round ends between the centres of neighbouring dots, so that at any size
// the straight runs are the dots' own edges and only the ends and the outer corners are round.
const QPainterPath& TurnedGlyph(std::size_t nDigit, std::size_t nPlace)
{
    static const std::array<std::array<QPainterPath, 10>, 2> arrGlyphs = []
    {
        std::array<std::array<QPainterPath, 10>, 2> arrMade;
        QPainterPathStroker stroker;
        stroker.setWidth(1.0);
        stroker.setCapStyle(Qt::RoundCap);
        stroker.setJoinStyle(Qt::RoundJoin);
        for (std::size_t nGlyph = 0; nGlyph < kDigitRows.size(); ++nGlyph)
            for (std::size_t nMadePlace = 0; nMadePlace < 2; ++nMadePlace)
            {
                const int nTop = 4 * static_cast<int>(nMadePlace);
                QPainterPath centres;
                for (int nRow = 0; nRow < 5; ++nRow)
                    for (int nCol = 0; nCol < 3; ++nCol)
                    {
                        if (!DotOn(nGlyph, nRow, nCol)) continue;
                        for (const auto& [nNextRow, nNextCol] :
                             {std::pair(nRow + 1, nCol), std::pair(nRow, nCol + 1)})
                            if (DotOn(nGlyph, nNextRow, nNextCol))
                            {
                                const QPointF ptHalf(0.5, 0.5); // to the dots' centres
                                centres.moveTo(TurnedDot(nRow, nCol, nTop) + ptHalf);
                                centres.lineTo(TurnedDot(nNextRow, nNextCol, nTop) + ptHalf);
                            }
                    }
                arrMade[nMadePlace][nGlyph] = stroker.createStroke(centres).simplified();
            }
        return arrMade;
    }();
    return arrGlyphs[nPlace][nDigit];
}

} // namespace

CBitRuler::CBitRuler(QWidget* pParent) : QWidget(pParent) {}

void CBitRuler::SetPanel(const QPlainTextEdit* pPanel, int nZoomPercent)
{
    m_pPanel = pPanel;
    m_nZoomPercent = nZoomPercent;
    setGeometry(pPanel->x(), y(), pPanel->width(), height());
    update();
}

double CBitRuler::LabelCentre(int nBit) const
{
    if (!m_pPanel) return 0.0;
    // The panel's lines end at its viewport's right edge less the document margin.
    const QWidget* pViewport = m_pPanel->viewport();
    const QPoint ptRight = pViewport->mapTo(window(), QPoint(pViewport->width(), 0));
    const double dTextRight =
        mapFrom(window(), ptRight).x() - m_pPanel->document()->documentMargin();
    const double dPitch =
        QFontMetricsF(m_pPanel->font()).horizontalAdvance(QString(64, QLatin1Char('0'))) / 64.0;
    return dTextRight - (nBit + 0.5) * dPitch;
}

bool CBitRuler::IsBitmap(double dRatio) const { return m_nZoomPercent <= 100 && dRatio <= 1.0; }

double CBitRuler::DotSize(double dRatio) const
{
    // Five dots and at least one device pixel of gap within one pitch.
    const double dPitch = (LabelCentre(0) - LabelCentre(1)) * dRatio;
    if (IsBitmap(dRatio)) return std::max(1, static_cast<int>((dPitch - 1) / kLabelDots));
    // One pixel at 100 %, scaled with the font; at most so large that a column of background
    // stays between labels that start on whole device pixels.
    const double dFit = (std::floor(dPitch) - 1) / kLabelDots;
    return std::max(1.0, std::min(m_nZoomPercent / 100.0 * dRatio, dFit));
}

void CBitRuler::paintEvent(QPaintEvent*)
{
    if (!m_pPanel) return;
    QPainter painter(this);
    const CDeviceGrid grid(painter);
    const double dDot = DotSize(grid.Ratio());
    const double dHalfLabel = kLabelDots * dDot / (2.0 * grid.Ratio());
    // Each label starts on a device pixel, so that all of them look alike.
    const auto labelLeft = [&](int nBit) { return grid.X(LabelCentre(nBit) - dHalfLabel); };
    const int nTop = grid.Y(0);
    const auto nLabelWidth = static_cast<int>(std::ceil(kLabelDots * dDot));
    painter.fillRect(grid.Rect(labelLeft(63), nTop, labelLeft(0) + nLabelWidth - labelLeft(63),
                               static_cast<int>(std::ceil(kHeightDots * dDot))),
                     kBackground);

    const bool bBitmap = IsBitmap(grid.Ratio());
    const auto nDot = static_cast<int>(dDot);
    painter.setRenderHint(QPainter::Antialiasing, !bBitmap);
    for (int nBit = 0; nBit < 64; ++nBit)
    {
        const int nLeft = labelLeft(nBit);
        // The units digit takes rows 0-2, the tens digit rows 4-6.
        const std::size_t arrDigits[2] = {static_cast<std::size_t>(nBit % 10),
                                          static_cast<std::size_t>(nBit / 10)};
        for (std::size_t nPlace = 0; nPlace < 2; ++nPlace)
        {
            const std::size_t nGlyph = arrDigits[nPlace];
            if (!bBitmap)
            {
                const QPointF ptAt = grid.Rect(nLeft, nTop, 0, 0).topLeft();
                const double dScale = dDot / grid.Ratio();
                painter.fillPath(QTransform(dScale, 0, 0, dScale, ptAt.x(), ptAt.y())
                                     .map(TurnedGlyph(nGlyph, nPlace)),
                                 Qt::black);
                continue;
            }
            for (int nRow = 0; nRow < 5; ++nRow)
                for (int nCol = 0; nCol < 3; ++nCol)
                    if (DotOn(nGlyph, nRow, nCol))
                    {
                        const QPointF ptDot = TurnedDot(nRow, nCol, 4 * static_cast<int>(nPlace));
                        painter.fillRect(grid.Rect(nLeft + static_cast<int>(ptDot.x()) * nDot,
                                                   nTop + static_cast<int>(ptDot.y()) * nDot, nDot,
                                                   nDot),
                                         Qt::black);
                    }
        }
    }
}
