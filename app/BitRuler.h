#pragma once

#include <QWidget>

class QPlainTextEdit;

// The bit-position ruler: labels "63" to "00" in a 3 x 5 pixel digit font, turned to read
// from bottom to top, each over its bit of a right-aligned 64-digit line in the panel below.
// The labels follow the panel's character pitch and text edge, whatever its font.
class CBitRuler : public QWidget
{
public:
    static constexpr int kHeight = 7; // pixel rows: units digit, a gap, tens digit

    explicit CBitRuler(QWidget* pParent);

    // Spans the panel's width at the ruler's own height from then on.
    void SetPanel(const QPlainTextEdit* pPanel);

    // Horizontal centre of the label of bit nBit, in the ruler's coordinates.
    double LabelCentre(int nBit) const;

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    const QPlainTextEdit* m_pPanel = nullptr;
};
