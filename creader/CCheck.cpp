#include "CCheck.h"

#include "CLiterals.h"

#include <cmath>

namespace
{

struct SCastName
{
    ECastType eCast;
    std::string_view strName;
    std::string_view strOptions; // lumdrak-eval's
};

// In the order a cast is suggested, after the one matching C's type.
constexpr SCastName kCasts[] = {
    {ECastType::None, "Force Cast None", "-c none"},       {ECastType::Signed32, "32Bit", "-c 32"},
    {ECastType::Unsigned32, "32Bit UNSIGNED", "-c 32 -u"}, {ECastType::Signed16, "16Bit", "-c 16"},
    {ECastType::Unsigned16, "16Bit UNSIGNED", "-c 16 -u"}, {ECastType::Signed8, "8Bit", "-c 8"},
    {ECastType::Unsigned8, "8Bit UNSIGNED", "-c 8 -u"},
};

ECastType CastClass(ECastType eCast) { return IsCast(eCast) ? eCast : ECastType::None; }

bool SameValue(double dEngine, const SCValue& value)
{
    if (IsFloating(value.eType))
        return dEngine == value.dValue || (std::isnan(dEngine) && std::isnan(value.dValue));
    return value.IsExactInDouble() && dEngine == value.ToDouble();
}

} // namespace

SCCheck CheckReading(const SCReading& reading, ECastType eCast, CExpressionEvaluator& evaluator)
{
    SCCheck check;
    if (!reading.bDefined)
    {
        check.eAgreement = EAgreement::Undefined;
        return check;
    }
    const auto evaluate = [&](ECastType eTried)
    {
        evaluator.m_nCastType = eTried;
        const double dValue = evaluator.Evaluate(&reading.strTranslation);
        return evaluator.m_nErrorPos == 0 && SameValue(dValue, reading.value);
    };
    const ECastType eCurrent = CastClass(eCast);
    if (evaluate(eCurrent))
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
    for (const SCastName& cast : kCasts)
        if (!check.eSameCast && cast.eCast != eCurrent && cast.eCast != eMatching &&
            evaluate(cast.eCast))
            check.eSameCast = cast.eCast;
    return check;
}

std::string CheckText(const SCReading& reading, const SCCheck& check, bool bOptions)
{
    if (check.eAgreement == EAgreement::Undefined) return reading.strFault;
    std::string strText = "C: " + DecimalText(reading.value);
    if (!IsFloating(reading.value.eType)) strText += " = " + HexText(reading.value);
    strText += " (" + std::string(TypeInfo(reading.value.eType).strName) + ")";
    if (!reading.strDoubleLimit.empty()) strText += "; " + reading.strDoubleLimit;
    strText += ". ";
    if (check.eAgreement == EAgreement::SyntaxError)
        return strText + "The calculator cannot read its translation.";
    for (const SCastName& cast : kCasts)
        if (cast.eCast == check.eSameCast)
        {
            strText += cast.strName;
            if (bOptions) strText += " (" + std::string(cast.strOptions) + ")";
            return strText + " gives the same.";
        }
    return strText + "No choice of Force Cast gives the same.";
}

SPasteConversion CPasteConverter::Convert(std::string_view strPasted, ECastType eCast)
{
    SPasteConversion result;
    result.strText.reserve(strPasted.size());
    CleanSource(strPasted, m_clean);
    const auto nCleanSize = static_cast<std::uint32_t>(m_clean.strText.size());
    std::uint32_t nLineBegin = 0;
    std::size_t nSourceBegin = 0;
    int nLine = 0;
    int nDiffering = 0;
    int nFirstDiffering = 0;
    for (std::uint32_t i = 0; i <= nCleanSize; ++i)
    {
        if (i < nCleanSize && m_clean.strText[i] != '\n') continue;
        ++nLine;
        const std::size_t nSourceEnd = i < nCleanSize ? m_clean.arrSource[i] : strPasted.size();
        if (m_reader.ReadClean(m_clean, nLineBegin, i, strPasted.size(), m_reading, false))
        {
            result.strText += m_reading.strTranslation;
            const SCCheck check = CheckReading(m_reading, eCast, m_evaluator);
            if (check.eAgreement != EAgreement::Same && nDiffering++ == 0)
            {
                result.strNotice = CheckText(m_reading, check, false);
                nFirstDiffering = nLine;
            }
        }
        else
        {
            result.strText +=
                ConvertCLiterals(strPasted.substr(nSourceBegin, nSourceEnd - nSourceBegin));
        }
        if (i == nCleanSize) break;
        const std::size_t nBreak = strPasted.compare(nSourceEnd, 2, "\r\n") == 0 ? 2 : 1;
        result.strText.append(strPasted, nSourceEnd, nBreak);
        nSourceBegin = nSourceEnd + nBreak;
        nLineBegin = i + 1;
    }
    if (nLine > 1 && nDiffering > 0)
        result.strNotice.insert(0, "Line " + std::to_string(nFirstDiffering) + ": ");
    if (nDiffering > 1)
    {
        result.strNotice += ' ';
        result.strNotice += std::to_string(nDiffering - 1);
        result.strNotice += nDiffering == 2 ? " more line differs." : " more lines differ.";
    }
    return result;
}
