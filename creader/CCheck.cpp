#include "CCheck.h"

#include <cmath>

namespace
{

ECastType CastClass(ECastType eCast) { return IsCast(eCast) ? eCast : ECastType::None; }

} // namespace

bool SameAsC(double dEngine, const SCValue& value)
{
    if (IsFloating(value.eType))
        return dEngine == value.dValue || (std::isnan(dEngine) && std::isnan(value.dValue));
    return value.IsExactInDouble() && dEngine == value.ToDouble();
}

SCCheck CheckReading(const SCReading& reading, ECastType eCast, CExpressionEvaluator& evaluator)
{
    SCCheck check;
    if (!reading.bDefined)
    {
        check.eAgreement = EAgreement::Undefined;
        return check;
    }
    double dValue = 0.0;
    const auto evaluate = [&](ECastType eTried)
    {
        evaluator.m_nCastType = eTried;
        dValue = evaluator.Evaluate(&reading.strTranslation);
        return evaluator.m_nErrorPos == 0 && SameAsC(dValue, reading.value);
    };
    const ECastType eCurrent = CastClass(eCast);
    const bool bSame = evaluate(eCurrent);
    check.dValue = dValue;
    if (bSame)
    {
        check.eSameCast = eCurrent;
        return check;
    }
    if (evaluator.m_nErrorPos != 0)
    {
        check.eAgreement = EAgreement::SyntaxError;
        check.nErrorPos = evaluator.m_nErrorPos;
        return check;
    }
    check.eAgreement = EAgreement::Differs;
    const ECastType eMatching = TypeInfo(reading.value.eType).eMatchingCast;
    if (eMatching != eCurrent && evaluate(eMatching)) check.eSameCast = eMatching;
    // The others in the order they are suggested.
    for (const ECastType eTried : kDistinctCasts)
        if (!check.eSameCast && eTried != eCurrent && eTried != eMatching && evaluate(eTried))
            check.eSameCast = eTried;
    return check;
}
