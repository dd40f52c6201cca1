#include "BitRuler.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>

#include <array>
#include <cmath>
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

constexpr int kLabelWidth = 5; // an upright digit's height, once turned
const QColor kBackground(208, 207, 192);

} // namespace

CBitRuler::CBitRuler(QWidget* pParent) : QWidget(pParent) {}

void CBitRuler::SetPanel(const QPlainTextEdit* pPanel)
{
    m_pPanel = pPanel;
    setGeometry(pPanel->x(), y(), pPanel->width(), kHeight);
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

void CBitRuler::paintEvent(QPaintEvent*)
{
    if (!m_pPanel) return;
    QPainter painter(this);
    const double dRatio = painter.device()->devicePixelRatioF();
    // Snapped to whole device pixels, so the glyphs stay crisp at any pitch and ratio.
    const auto snap = [dRatio](double dX) { return std::round(dX * dRatio) / dRatio; };
    const double dLeft = snap(LabelCentre(63) - kLabelWidth / 2.0);
    const double dRight = snap(LabelCentre(0) - kLabelWidth / 2.0) + kLabelWidth;
    painter.fillRect(QRectF(dLeft, 0, dRight - dLeft, kHeight), kBackground);

    for (int nBit = 0; nBit < 64; ++nBit)
    {
        const double dLabelLeft = snap(LabelCentre(nBit) - kLabelWidth / 2.0);
        // Turned a quarter counter-clockwise: a digit's row r becomes column r and its left
        // column the bottom row. The units digit takes rows 0-2, the tens digit rows 4-6.
        const int arrDigits[2] = {nBit % 10, nBit / 10};
        for (int nDigit = 0; nDigit < 2; ++nDigit)
        {
            const auto& arrRows = kDigitRows[static_cast<std::size_t>(arrDigits[nDigit])];
            for (std::size_t nRow = 0; nRow < arrRows.size(); ++nRow)
                for (int nCol = 0; nCol < 3; ++nCol)
                    if (arrRows[nRow] & (4 >> nCol))
                        painter.fillRect(QRectF(dLabelLeft + static_cast<double>(nRow),
                                                4 * nDigit + 2 - nCol, 1, 1),
                                         Qt::black);
        }
    }
}
