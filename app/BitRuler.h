#pragma once

#include <QWidget>

class QPainter;
class QPlainTextEdit;

// The bit-position ruler: labels "63" to "00" in a 3 x 5 dot digit font, turned to read
// from bottom to top, each over its bit of a right-aligned 64-digit line in the panel below.
// The labels follow the panel's character pitch and text edge, whatever its font. At 100 % on
// a screen of one device pixel per pixel a dot is a device pixel: the ruler is a bitmap. Larger,
// by the zoom or the screen's scale, the font is scaled as a font is: each digit is a shape of
// strokes along its dots, one dot wide with round ends, drawn antialiased at the device's
// resolution instead of dots blown up to blocks.
class CBitRuler : public QWidget
{
public:
    static constexpr int kLabelDots = 5;  // a label's width: an upright digit's height, turned
    static constexpr int kHeightDots = 7; // units digit, a gap, tens digit

    explicit CBitRuler(QWidget* pParent);

    // Spans the panel's width from then on, keeping its own top and height; the labels are
    // scaled by the zoom (in percent).
    void SetPanel(const QPlainTextEdit* pPanel, int nZoomPercent);

    // Horizontal centre of the label of bit nBit, in the ruler's coordinates.
    double LabelCentre(int nBit) const;
    // Whether the labels are the bitmap at the device pixel ratio given.
    bool IsBitmap(double dRatio) const;
    // The side of a dot in device pixels at the device pixel ratio given: whole for the bitmap.
    double DotSize(double dRatio) const;

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    const QPlainTextEdit* m_pPanel = nullptr;
    int m_nZoomPercent = 100;
};
