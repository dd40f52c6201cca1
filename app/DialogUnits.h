#pragma once

#include <QFont>
#include <QRect>

// The base units of a dialog font, from which dialog units are measured: a horizontal dialog
// unit is a quarter of the average character width, a vertical one an eighth of the character
// height.
struct CDialogBaseUnits
{
    int m_nCharWidth;  // average width of the 52 Latin letters, rounded to pixels
    int m_nCharHeight; // ascent plus descent
};

CDialogBaseUnits BaseUnitsOf(const QFont& font);

// Dialog units to pixels: each of x, y, width and height is scaled and rounded on its own,
// halves away from zero, as the layouts were drawn for.
QRect MapDialogRect(const QRect& rectUnits, const CDialogBaseUnits& base);
