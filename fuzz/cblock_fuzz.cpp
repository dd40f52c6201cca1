// libFuzzer target: any bytes read as a block of C, line after line, into names kept between
// runs of a few inputs. Rules that hold whatever the text, the order of its definitions, its
// recursive and self-referring macros and how deep its expansions go:
//   - every line gets exactly one outcome, and reading ends within the reader's bounds (the run's
//     time and memory limits catch a hang or a blow-up);
//   - a value's translation, where there is one, is read by the engine under every cast, and each
//     of its bytes has a position in the text;
//   - the same text read again, into the names it filled, still gets one outcome a line;
//   - the names save to bytes that load back to the same bytes.
#include "CBlockReader.h"
#include "CNotice.h"
#include "FuzzCheck.h"

#include <string>
#include <string_view>
#include <vector>

namespace
{

std::size_t CountLines(std::string_view strText)
{
    std::size_t nLines = 0;
    for (std::size_t i = 0; i < strText.size();)
    {
        const std::size_t nEnd = strText.find_first_of("\r\n", i);
        ++nLines;
        if (nEnd == std::string_view::npos) break;
        i = nEnd + (strText.compare(nEnd, 2, "\r\n") == 0 ? 2 : 1);
    }
    return nLines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0) return 0;
    const int nCastType = pData[0] & 7;
    const std::string_view strText(reinterpret_cast<const char*>(pData + 1), nSize - 1);

    // Names live on over a few inputs, as they do over pastes; then they start afresh.
    static CCNames names;
    static int nRuns = 0;
    if (++nRuns % 8 == 0) names.Forget();

    static CExpressionEvaluator evaluator;
    std::vector<SCLine> arrLines;
    {
        CCBlockReader reader(names);
        reader.ReadText(strText, arrLines);
    }
    CHECK(arrLines.size() == CountLines(strText));
    std::string_view strRest = strText;
    for (const SCLine& line : arrLines)
    {
        const std::size_t nEnd = strRest.find_first_of("\r\n");
        const std::string_view strLine = strRest.substr(0, nEnd);
        strRest.remove_prefix(nEnd == std::string_view::npos
                                  ? strRest.size()
                                  : nEnd + (strRest.compare(nEnd, 2, "\r\n") == 0 ? 2 : 1));
        (void)NoticeFor(line, strLine, static_cast<ECastType>(nCastType), evaluator, true);
        if (line.eKind != ECLineKind::Value || line.reading.strTranslation.empty()) continue;
        const SCReading& reading = line.reading;
        CHECK(reading.arrSourcePos.size() == reading.strTranslation.size() + 1);
        for (int nCast = 0; nCast < 8; ++nCast)
        {
            evaluator.m_nCastType = static_cast<ECastType>(nCast);
            (void)evaluator.Evaluate(&reading.strTranslation);
            if (evaluator.m_nErrorPos != 0) FuzzFail("the engine reads every translation");
        }
    }

    // Again, into names that now hold what the text defined.
    std::vector<SCLine> arrAgain;
    {
        CCBlockReader reader(names);
        reader.ReadText(strText, arrAgain);
    }
    CHECK(arrAgain.size() == arrLines.size());

    const std::string strSaved = names.Save();
    CCNames loaded;
    CHECK(loaded.Load(strSaved));
    CHECK(loaded.Save() == strSaved);
    CHECK(loaded.Count() == names.Count() && names.Count() <= CCNames::kMaxNames);
    return 0;
}
