#pragma once

#include "CLexer.h"
#include "CValue.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What the reader makes of a text that is one C constant expression: C's value on x86-64
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
    // When the text was not read because it is beyond the reader's limits, why: "Not read as
    // C: more than 1024 tokens." Empty otherwise, also for text that is simply no C.
    std::string strRefusal;
};

// Reads C constant expressions as a C compiler reads them, after taking away what surrounds
// one in source code: a leading "#define NAME", a declaration "static const T name =" (whose
// type then converts the value), an enumerator's or assignment's "NAME =", a trailing ';'
// or ',', comments and line splices. Keeps only its token buffer (at most kMaxTokens + 1
// tokens) from one text to the next, so that one long text leaves no memory behind.
class CCReader
{
public:
    // Longer or deeper expressions are not read (and are left to the literal conversion); the
    // tokens after the limit are not even looked at.
    static constexpr std::size_t kMaxTokens = 1024;
    static constexpr int kMaxDepth = 128;

    // strText as one C constant expression (a line break must not remain in it).
    bool Read(std::string_view strText, SCReading& reading, bool bPositions = false);
    // Clean bytes [nBegin, nEnd) of a cleaned paste, one line of it.
    bool ReadClean(const SCleanText& clean, std::uint32_t nBegin, std::uint32_t nEnd,
                   std::size_t nPastedSize, SCReading& reading, bool bPositions);

private:
    bool ReadTokens(const SCleanText& clean, std::uint32_t nBegin, std::uint32_t nEnd,
                    std::size_t nPastedSize, SCReading& reading, bool bPositions);

    std::vector<SCToken> m_arrTokens;
};
