#pragma once

#include <string>

// The cast radios, in template order: the panel's integer width.
enum class ECastMode : int
{
    None = 0, // 64 bits
    Bits32 = 1,
    Bits16 = 2,
    Bits8 = 3,
};

// The output radios, in template order: the base of the result Enter writes. lumdrak-eval
// adds the result's IEEE-754 bits, as a double or as the float nearest to it.
enum class EOutputMode : int
{
    Binary = 0,
    Hexadecimal = 1,
    Decimal = 2,
    Double = 3,
    Float = 4,
};

// The console's editing radios, in template order.
enum class EEditMode : int
{
    Scroll = 0,
    Overwrite = 1,
};

// The main window's view state: the members bound to controls by the data exchange, and the
// values kept between evaluations. Radio members hold the index of the checked button in
// template order (-1 when none is checked, and any digit a stored settings code gives); check
// boxes 0 or 1 (or a stored digit).
struct CViewState
{
    // Bound to controls, exchanged in this order.
    std::string m_strPanel; // result panel: binary, hexadecimal and decimal line, CR LF apart
    int m_bUnsigned = 0;    // "&UNSIGNED"
    ECastMode m_nCastMode{-1};
    EOutputMode m_nOutputMode{-1};
    EEditMode m_nEditMode{-1};
    int m_bEndPos = 0; // "EndPos", consulted in Overwrite mode only
    // The console's text as far as the logic works on it: the whole text that Start and Erase
    // write, or during Enter the caret's line and the two below it. Line breaks are CR LF.
    std::string m_strConsole;

    // Kept between evaluations.
    std::string m_strLastResult;     // as written into the console, with its '#' or '$' prefix
    double m_dLastValue = 0.0;       // value of the last evaluation; 0.0 after a failed one
    std::string m_strLastExpression; // without its '?'; empty after a failed evaluation
};
