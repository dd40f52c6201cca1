#pragma once

#include <QWidget>

class QPlainTextEdit;

// The bit-position ruler: labels "63" to "00" in a 3 x 5 dot digit font, turned to read
// from bottom to top, each over its bit of a right-aligned 64-digit line in the panel below.
// The labels follow the panel's character pitch and text edge, whatever its font. A dot is a
// square of whole device pixels, as large as the pitch allows with a gap between labels.
class CBitRuler : public QWidget
{
public:
    static constexpr int kLabelDots = 5;  // a label's width: an upright digit's height, turned
    static constexpr int kHeightDots = 7; // units digit, a gap, tens digit

    explicit CBitRuler(QWidget* pParent);

    // Spans the panel's width from then on, keeping its own top and height.
    void SetPanel(const QPlainTextEdit* pPanel);

    // Horizontal centre of the label of bit nBit, in the ruler's coordinates.
    double LabelCentre(int nBit) const;
    // The side of a dot in device pixels at the device pixel ratio given.
    int DotSize(double dRatio) const;

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    const QPlainTextEdit* m_pPanel = nullptr;
};
