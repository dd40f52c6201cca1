#include "CNotice.h"

#include "CTexts.h"

#include <cmath>

namespace
{

constexpr std::size_t kMaxQuoted = 40; // a longer line is cut in the notice

std::string Quoted(std::string_view strTyped)
{
    const std::size_t nFirst = strTyped.find_first_not_of(" \t");
    if (nFirst == std::string_view::npos) return {};
    strTyped = strTyped.substr(nFirst, strTyped.find_last_not_of(" \t") - nFirst + 1);
    if (strTyped.size() <= kMaxQuoted) return std::string(strTyped);
    return std::string(strTyped.substr(0, kMaxQuoted)) + "...";
}

} // namespace

SCNotice NoticeFor(const SCLine& line, std::string_view strTyped, ECastType eCast,
                   CExpressionEvaluator& evaluator, bool bOptions)
{
    SCNotice notice;
    if (line.eKind == ECLineKind::Unknown)
    {
        notice.strText = TextUnknown(line.strUnknown);
        return notice;
    }
    if (line.eKind != ECLineKind::Value) return notice;
    notice.check = CheckReading(line.reading, eCast, evaluator);
    if (notice.check.eAgreement != EAgreement::Same)
        notice.strText = CheckText(line.reading, notice.check, bOptions);
    if (!line.bExpression || !line.reading.bDefined) return notice;

    // The text as typed, in the calculator's language under the same cast: worth saying where
    // it reads, gives another value than C, and another than the translation does.
    evaluator.m_nCastType = eCast;
    const double dTranslated = evaluator.Evaluate(&line.reading.strTranslation);
    const bool bTranslated = evaluator.m_nErrorPos == 0;
    const std::string strText(strTyped);
    notice.dTyped = evaluator.Evaluate(&strText);
    if (evaluator.m_nErrorPos != 0 || SameAsC(notice.dTyped, line.reading.value) ||
        (bTranslated &&
         (notice.dTyped == dTranslated || (std::isnan(notice.dTyped) && std::isnan(dTranslated)))))
        return notice;
    notice.bTypedDiffers = true;
    if (notice.strText.empty())
        notice.strText = TextReadAsC(Quoted(strTyped), TextConstruct(line.eConstruct),
                                     line.reading.value, line.bPower, notice.dTyped);
    else
    {
        notice.strText += ' ';
        notice.strText += TextAsTyped(line.bPower, notice.dTyped);
    }
    return notice;
}
