#include "ConsoleLines.h"

#include <string>

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
