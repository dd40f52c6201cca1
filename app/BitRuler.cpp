#include "BitRuler.h"

#include "DevicePixels.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>

#include <algorithm>
#include <array>
#include <cstdint>

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

} // namespace

CBitRuler::CBitRuler(QWidget* pParent) : QWidget(pParent) {}

void CBitRuler::SetPanel(const QPlainTextEdit* pPanel)
{
    m_pPanel = pPanel;
    setGeometry(pPanel->x(), y(), pPanel->width(), height());
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

int CBitRuler::DotSize(double dRatio) const
{
    // Five dots and at least one device pixel of gap within one pitch.
    const double dPitch = (LabelCentre(0) - LabelCentre(1)) * dRatio;
    return std::max(1, static_cast<int>((dPitch - 1) / kLabelDots));
}

void CBitRuler::paintEvent(QPaintEvent*)
{
    if (!m_pPanel) return;
    QPainter painter(this);
    const CDeviceGrid grid(painter);
    const int nDot = DotSize(grid.Ratio());
    const double dHalfLabel = kLabelDots * nDot / (2.0 * grid.Ratio());
    const auto labelLeft = [&](int nBit) { return grid.X(LabelCentre(nBit) - dHalfLabel); };
    const int nTop = grid.Y(0);
    painter.fillRect(grid.Rect(labelLeft(63), nTop,
                               labelLeft(0) + kLabelDots * nDot - labelLeft(63),
                               kHeightDots * nDot),
                     kBackground);

    for (int nBit = 0; nBit < 64; ++nBit)
    {
        const int nLeft = labelLeft(nBit);
        // Turned a quarter counter-clockwise: a digit's row r becomes column r and its left
        // column the bottom row. The units digit takes rows 0-2, the tens digit rows 4-6.
        const int arrDigits[2] = {nBit % 10, nBit / 10};
        for (int nDigit = 0; nDigit < 2; ++nDigit)
        {
            const auto& arrRows = kDigitRows[static_cast<std::size_t>(arrDigits[nDigit])];
            for (std::size_t nRow = 0; nRow < arrRows.size(); ++nRow)
                for (int nCol = 0; nCol < 3; ++nCol)
                    if (arrRows[nRow] & (4 >> nCol))
                        painter.fillRect(grid.Rect(nLeft + static_cast<int>(nRow) * nDot,
                                                   nTop + (4 * nDigit + 2 - nCol) * nDot, nDot,
                                                   nDot),
                                         Qt::black);
        }
    }
}
