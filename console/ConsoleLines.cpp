#include "ConsoleLines.h"

#include "ConsoleWindow.h"

#include <algorithm>
#include <string>

SConsoleLines CaretLines(std::string_view strText, int nPos)
{
    const std::size_t nLength = strText.size();
    const std::size_t nCaret =
        nPos < 0 ? nLength : std::min(static_cast<std::size_t>(nPos), nLength);
    std::size_t nEnd = std::min(strText.find('\r', nCaret), nLength);
    const std::size_t nBegin = nEnd == 0 ? 0 : strText.rfind('\n', nEnd - 1) + 1; // 0 for none
    for (int nBelow = 0; nBelow < 2 && nEnd < nLength; ++nBelow)
        nEnd = std::min(strText.find('\r', nEnd + 1), nLength);
    return {std::string(strText.substr(nBegin, nEnd - nBegin)), static_cast<int>(nBegin),
            static_cast<int>(nLength)};
}

std::optional<SQuestionLine> FindQuestionLine(std::string_view strText, std::size_t nCaret)
{
    std::size_t nLineEnd = strText.find('\r', nCaret);
    if (nLineEnd == std::string_view::npos) nLineEnd = strText.size();
    // The line runs back from its end to the '?' that opens it; a '?' elsewhere does not count.
    for (std::size_t nQuestion = nLineEnd; nQuestion > 0 && strText[nQuestion - 1] != '\n';)
    {
        --nQuestion;
        if (strText[nQuestion] == '?' && (nQuestion == 0 || strText[nQuestion - 1] == '\n'))
            return SQuestionLine{nQuestion, nLineEnd};
    }
    return std::nullopt;
}

SReplaceRange ReplaceRange(std::string_view strText, std::size_t nLineEnd, EEditMode eEditMode,
                           bool bEndPos)
{
    constexpr std::size_t npos = std::string_view::npos;
    const std::size_t nLength = strText.size();
    if (eEditMode == EEditMode::Scroll || nLineEnd >= nLength) return {nLineEnd, std::nullopt};
    const std::size_t nNextEnd = strText.find('\r', nLineEnd + 1);
    if (nNextEnd == npos) return {nLength, std::nullopt};
    std::size_t nSecondEnd = strText.find('\r', nNextEnd + 1);
    if (nSecondEnd == npos) nSecondEnd = nLength;
    if (nNextEnd + 2 < nSecondEnd && strText[nNextEnd + 2] == '?' && bEndPos)
        return {nNextEnd + 3, nSecondEnd};
    return {nSecondEnd, std::nullopt};
}
