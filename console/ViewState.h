#pragma once

#include <string>

// The main window's view state: the members bound to controls by the data exchange, and the
// values kept between evaluations. Radio members hold the index of the checked button in
// template order (-1 when none is checked); check boxes 0 or 1.
struct CViewState
{
    // Bound to controls, exchanged in this order.
    std::string m_strPanel;   // result panel: binary, hexadecimal and decimal line, CR LF apart
    int m_bUnsigned = 0;      // "&UNSIGNED"
    int m_nCastMode = -1;     // 0 none (64-bit panel), 1 32 bits, 2 16 bits, 3 8 bits
    int m_nOutputMode = -1;   // 0 binary, 1 hexadecimal, 2 decimal
    int m_nEditMode = -1;     // 0 Scroll, 1 Overwrite
    int m_bEndPos = 0;        // "EndPos", consulted in Overwrite mode only
    std::string m_strConsole; // the whole console text; line breaks are CR LF

    // Kept between evaluations.
    std::string m_strLastResult;     // as written into the console, with its '#' or '$' prefix
    double m_dLastValue = 0.0;       // value of the last evaluation; 0.0 after a failed one
    std::string m_strLastExpression; // without its '?'; empty after a failed evaluation
};
