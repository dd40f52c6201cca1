#pragma once

#include "CLexer.h"
#include "CValue.h"

#include <cstddef>
#include <string>
#include <vector>

// What the C reader makes of a text that is one C constant expression: C's value on x86-64
// Linux, or what C leaves undefined in it, and the same expression in the calculator's own
// language.
struct SCReading
{
    bool bC = false; // the text is one C constant expression; nothing else below holds otherwise
    bool bDefined = false;
    SCValue value;              // when defined; its type is C's type of the expression
    std::string strFault;       // when undefined: "C leaves 1 << 32 undefined: ..."
    std::string strDoubleLimit; // a value on the way that a double cannot hold or wrap, or empty
    // The calculator's form: the pasted blanks and brackets kept, brackets added where the
    // calculator's priorities group otherwise, each literal as the calculator writes its value,
    // casts as masks where a mask is exact.
    std::string strTranslation;
    // With positions asked for: entry i is the index in the pasted text of the byte that gave
    // byte i of the translation; one entry more, for the end, holds the pasted text's size.
    std::vector<std::size_t> arrSourcePos;
};
