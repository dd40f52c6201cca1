// libFuzzer target: any bytes as a paste, read as C under one of the casts. Rules that hold
// whatever the text:
//   - a text read as C has a translation the engine reads under every cast (no syntax error),
//     the same translation each time, and for every byte of it a position in the pasted text,
//     so that an error the engine could report maps back to a byte that was pasted;
//   - a value the check calls the same is the engine's value;
//   - the paste conversion ends and keeps the pasted line breaks.
#include "CTexts.h"
#include "FuzzCheck.h"
#include "Paste.h"

#include <string>

namespace
{

std::size_t CountBreaks(const std::string& strText)
{
    std::size_t nBreaks = 0;
    for (std::size_t i = 0; i < strText.size(); ++i)
        if (strText[i] == '\n' ||
            (strText[i] == '\r' && (i + 1 == strText.size() || strText[i + 1] != '\n')))
            ++nBreaks;
    return nBreaks;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0) return 0;
    const auto eCast = static_cast<ECastType>(pData[0] & 7);
    const std::string strText(reinterpret_cast<const char*>(pData + 1), nSize - 1);

    static CCReader reader;
    static CExpressionEvaluator evaluator;
    SCReading reading;
    if (reader.Read(strText, reading, true))
    {
        if (reading.arrSourcePos.size() != reading.strTranslation.size() + 1)
            FuzzFail("a position for every translated byte and the end");
        for (const std::size_t nSource : reading.arrSourcePos)
            if (nSource > strText.size()) FuzzFail("positions lie in the pasted text");
        for (const ECastType eTried : kDistinctCasts)
        {
            evaluator.m_nCastType = eTried;
            (void)evaluator.Evaluate(&reading.strTranslation);
            if (evaluator.m_nErrorPos != 0) FuzzFail("the engine reads every translation");
        }
        SCReading again;
        if (!reader.Read(strText, again, false) || again.strTranslation != reading.strTranslation ||
            again.strFault != reading.strFault)
            FuzzFail("the same text reads the same");
        const SCCheck check = CheckReading(reading, eCast, evaluator);
        if ((check.eAgreement == EAgreement::Undefined) == reading.bDefined)
            FuzzFail("undefined exactly where C leaves it so");
        if (check.eAgreement != EAgreement::Same && CheckText(reading, check, true).empty())
            FuzzFail("a difference is said");
    }

    static CPasteConverter converter;
    const SPasteConversion conversion = converter.Convert(strText, eCast);
    if (CountBreaks(conversion.strText) > CountBreaks(strText)) FuzzFail("no line breaks added");
    return 0;
}
