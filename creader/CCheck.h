#pragma once

#include "CReading.h"
#include "ExpressionEvaluator.h"

#include <optional>

// A C reading held against the calculator: its translation evaluated by the engine under a
// cast type, and compared with C's value.
enum class EAgreement : std::uint8_t
{
    Same,
    Differs,
    Undefined,   // C leaves the expression undefined
    SyntaxError, // the engine rejects the translation (nCheckErrorPos says where)
};

struct SCCheck
{
    EAgreement eAgreement = EAgreement::Same;
    std::optional<ECastType> eSameCast; // a cast under which the engine gives C's value
    int nErrorPos = 0;                  // the engine's 1-based position in the translation
    double dValue = 0.0; // the engine's value of the translation under the cast asked for
};

// The engine's dEngine is C's value exactly (a NaN is any NaN).
bool SameAsC(double dEngine, const SCValue& value);

SCCheck CheckReading(const SCReading& reading, ECastType eCast, CExpressionEvaluator& evaluator);
