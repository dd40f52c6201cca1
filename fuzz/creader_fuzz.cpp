// libFuzzer target: any bytes as a paste, read as C under one of the casts, line after line as
// the console's block and lumdrak-eval -C read it, and inserted as the window's paste inserts it.
// Rules that hold whatever the text:
//   - every line gets one outcome, and every value's entry is read by the engine under every
//     cast (no syntax error), with a position in its line for every byte, so that an error the
//     engine could report maps back to a byte that was pasted;
//   - undefined exactly where C leaves the value so, and a difference is always said;
//   - the same text reads the same, into names of its own;
//   - the inserted paste ends and keeps the pasted line breaks.
#include "CTexts.h"
#include "FuzzCheck.h"
#include "Paste.h"

#include <algorithm>
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

// Every line of strText, split as a script's lines are (CR and LF both end one).
std::vector<SPastedLine> ReadLines(const std::string& strText, const SPasteOptions& options)
{
    CCNames names;
    CPasteReader reader(names);
    std::vector<SPastedLine> arrLines;
    std::string_view strRest = strText;
    for (;;)
    {
        const std::size_t nEnd = strRest.find_first_of("\r\n");
        reader.ReadLine(strRest.substr(0, nEnd), options, arrLines);
        if (nEnd == std::string_view::npos) break;
        strRest.remove_prefix(nEnd + 1);
    }
    reader.Finish(options, arrLines);
    return arrLines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0) return 0;
    const auto eCast = static_cast<ECastType>(pData[0] & 7);
    const std::string strText(reinterpret_cast<const char*>(pData + 1), nSize - 1);

    static CExpressionEvaluator evaluator;
    const SPasteOptions options{eCast, true, (pData[0] & 8) != 0};
    const std::vector<SPastedLine> arrLines = ReadLines(strText, options);
    const auto nBreaks = std::count(strText.begin(), strText.end(), '\n') +
                         std::count(strText.begin(), strText.end(), '\r');
    CHECK(arrLines.size() == static_cast<std::size_t>(nBreaks) + 1);
    for (const SPastedLine& pasted : arrLines)
    {
        if (pasted.eEntry != EPasteEntry::Value && pasted.eEntry != EPasteEntry::Converted)
            continue;
        // A converted line's positions are made when asked for.
        const std::vector<std::size_t> arrPositions = pasted.SourcePositions();
        if (arrPositions.size() != pasted.strEntry.size() + 1)
            FuzzFail("a position for every entered byte and the end");
        for (const std::size_t nSource : arrPositions)
            if (nSource > pasted.strGiven.size()) FuzzFail("positions lie in the line as given");
        if (pasted.eEntry != EPasteEntry::Value) continue;
        if ((pasted.check.eAgreement == EAgreement::Undefined) == pasted.reading.bDefined)
            FuzzFail("undefined exactly where C leaves it so");
        if (pasted.bDiffers && pasted.strNotice.empty()) FuzzFail("a difference is said");
        if (pasted.reading.strTranslation.empty()) continue;
        for (const ECastType eTried : kDistinctCasts)
        {
            evaluator.m_nCastType = eTried;
            (void)evaluator.Evaluate(&pasted.strEntry);
            if (evaluator.m_nErrorPos != 0) FuzzFail("the engine reads every translation");
        }
    }
    const std::vector<SPastedLine> arrAgain = ReadLines(strText, options);
    CHECK(arrAgain.size() == arrLines.size());
    for (std::size_t i = 0; i < arrLines.size(); ++i)
        if (arrAgain[i].strEntry != arrLines[i].strEntry ||
            arrAgain[i].strNotice != arrLines[i].strNotice)
            FuzzFail("the same text reads the same");

    CCNames names;
    const SPasteConversion conversion = CPasteReader(names).Convert(strText, eCast);
    if (CountBreaks(conversion.strText) > CountBreaks(strText)) FuzzFail("no line breaks added");
    return 0;
}
