#pragma once

#include "CCheck.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One line of text read as the console's paste reads it: a C constant expression becomes its
// translation, held against C's value under a cast; any other text has its C and Python
// integer literals converted (ConvertCLiterals).
struct SPastedLine
{
    std::string strText; // what the console receives
    // With positions asked for: entry i is the index in the line of the byte that gave byte i
    // of strText; one entry more, for the end, holds the line's size.
    std::vector<std::size_t> arrSourcePos;
    SCReading reading; // reading.bC: the line is one C constant expression
    SCCheck check;     // with reading.bC: the translation against C under the cast
    // With reading.bC and a check that is not Same: what it says; else why the line was not
    // read as C where it is beyond the reader's limits (reading.strRefusal).
    std::string strNotice;

    // Entering the line would give a value that is not C's, or C leaves it undefined.
    bool DiffersFromC() const
    {
        return reading.bC && (check.eAgreement == EAgreement::Differs ||
                              check.eAgreement == EAgreement::Undefined);
    }
    // The 1-based position in the line of the byte that gave byte nPos (1-based) of strText.
    int SourcePos(int nPos) const;
};

// A paste into the console: every line becomes its SPastedLine's text, and the line breaks
// stay; a line that begins with '?' is the calculator's own and stays as it is. The notice is
// empty when every C line gives C's value under the cast type.
struct SPasteConversion
{
    std::string strText;
    std::string strNotice;
    bool bWhole = true; // false: stopped before the end, and neither text nor notice is whole
};

// Where the portion of a converted paste that begins at nFrom ends: after its nMaxLines-th
// line break, or after the first line break at or beyond nFrom + nMaxBytes, or at the text's
// end. A portion never ends inside a line, so never inside a CR LF or a UTF-8 sequence.
std::size_t PortionEnd(std::string_view strText, std::size_t nFrom, int nMaxLines,
                       std::size_t nMaxBytes);

// Reads pastes; keeps no buffer of one paste for the next, so that one long paste does not
// hold its memory for the rest of the session.
class CPasteConverter
{
public:
    // strLine (without a line break) under eCast; bOptions names lumdrak-eval's options in the
    // notice. The result stays valid until the next call.
    const SPastedLine& ReadLine(std::string_view strLine, ECastType eCast, bool bPositions = false,
                                bool bOptions = false);

    // Comments and line splices may span the paste's lines: the whole paste is cleaned first.
    // fnGoOn, where given, is asked before each line; false stops the conversion there.
    SPasteConversion Convert(std::string_view strPasted, ECastType eCast,
                             const std::function<bool()>& fnGoOn = {});

private:
    // Fills m_line from m_line.reading (read from strSource, or not C) under eCast.
    void CheckLine(std::string_view strSource, ECastType eCast, bool bPositions, bool bOptions);

    CCReader m_reader;
    SPastedLine m_line;
    CExpressionEvaluator m_evaluator;
};
