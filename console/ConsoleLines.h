#pragma once

#include "ViewState.h"

#include <cstddef>
#include <optional>
#include <string_view>

// The steps of Enter on a console text (positions from 0). A line ends at a CR; it begins after
// an LF. The window's text has its breaks as CR LF; the in-memory window may hold a lone CR
// or LF, which the steps treat by the same rules.

// The '?' line Enter evaluates for a caret at nCaret: the position of its opening '?' and of
// its end (the first CR at or after the caret, or the text's end). None when that line does
// not begin with '?'.
struct SQuestionLine
{
    std::size_t nQuestion = 0;
    std::size_t nEnd = 0;
};
std::optional<SQuestionLine> FindQuestionLine(std::string_view strText, std::size_t nCaret);

// What Enter replaces by its result after the line that ends at nLineEnd: [nLineEnd, nEnd). In
// Overwrite mode that is the old result below the line and the '?' line after it, or with
// EndPos only that line's '?', its expression kept: the caret then goes to the kept line's end,
// nKeep before the replacement.
struct SReplaceRange
{
    std::size_t nEnd = 0;
    std::optional<std::size_t> nKeep;
};
SReplaceRange ReplaceRange(std::string_view strText, std::size_t nLineEnd, EEditMode eEditMode,
                           bool bEndPos);
