#pragma once

#include "CBlockReader.h"
#include "CCheck.h"
#include "ExpressionEvaluator.h"

#include <string>
#include <string_view>

// What the notice says of one line read as C, under a cast type: C's value where the
// translation cannot give it under the cast (CheckText's words), the value unknown here, and,
// where the line as typed reads in the calculator's own language as another value, that value.
struct SCNotice
{
    SCCheck check;              // a value's translation against C
    bool bTypedDiffers = false; // the line as typed gives dTyped, which is not C's value
    double dTyped = 0.0;
    std::string strText; // empty: nothing to say
};

// strTyped is the line as it was given. bOptions: lumdrak-eval's options follow a cast's name.
SCNotice NoticeFor(const SCLine& line, std::string_view strTyped, ECastType eCast,
                   CExpressionEvaluator& evaluator, bool bOptions);
