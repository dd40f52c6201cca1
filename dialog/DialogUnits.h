#pragma once

#include <QFont>
#include <QRect>

#include <array>

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

// The zoom steps of a window, in percent of its template's font size.
inline constexpr std::array<int, 5> kZoomSteps = {100, 125, 150, 175, 200};

// The step nDelta steps away from nPercent, stopping at the ends. A percentage that is no
// step gives 100, whatever nDelta.
int ZoomStep(int nPercent, int nDelta);

// The font of a template at a zoom step: exactly the named face, or the system's fixed-pitch
// font where that face is not installed, never a face that fontconfig offers in its place.
// Its size is nPointSize at 100 % and scales with the zoom; where the average character
// would be wider than the rounded base width, the size comes down just enough that it is not,
// so that a text of n characters always fits in 4n dialog units.
QFont DialogFont(const char* pszFace, int nPointSize, int nZoomPercent);
