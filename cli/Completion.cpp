#include "Completion.h"

#include "Ascii.h"
#include "ExpressionEvaluator.h"

#include <algorithm>

using lumdrak::IsAsciiDigit;
using lumdrak::IsAsciiLetter;

const std::vector<std::string>& CompletionNames()
{
    static const std::vector<std::string> names = []
    {
        std::vector<std::string> list;
        for (const auto& entry : CExpressionEvaluator::m_operators)
            if (entry.nPriority > 200) list.emplace_back(entry.strToken);
        for (const char* szOperand : {"pi", "r", "m"})
            list.emplace_back(szOperand);
        return list;
    }();
    return names;
}

SCompletion CompleteName(std::string_view strBeforeCursor)
{
    // The word is the run of letters and digits before the cursor, less the digits it starts
    // with ("2pi" is 2 times pi); letters right behind '$' or '#' are digits of a number.
    std::size_t nStart = strBeforeCursor.size();
    while (nStart > 0 && (IsAsciiLetter(strBeforeCursor[nStart - 1]) ||
                          IsAsciiDigit(strBeforeCursor[nStart - 1])))
        --nStart;
    if (nStart > 0 && (strBeforeCursor[nStart - 1] == '$' || strBeforeCursor[nStart - 1] == '#'))
        return {};
    while (nStart < strBeforeCursor.size() && IsAsciiDigit(strBeforeCursor[nStart]))
        ++nStart;
    const std::string_view strWord = strBeforeCursor.substr(nStart);

    std::vector<std::string> matches;
    for (const std::string& strName : CompletionNames())
        if (lumdrak::StartsWithNoCase(strName, strWord)) matches.push_back(strName);
    if (matches.empty()) return {};

    std::size_t nCommon = matches.front().size();
    for (const std::string& strName : matches)
        nCommon =
            std::min(nCommon, static_cast<std::size_t>(std::mismatch(strName.begin(), strName.end(),
                                                                     matches.front().begin(),
                                                                     matches.front().end())
                                                           .first -
                                                       strName.begin()));

    SCompletion completion;
    const bool bUpper =
        std::any_of(strWord.begin(), strWord.end(), IsAsciiLetter) &&
        std::none_of(strWord.begin(), strWord.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    for (std::size_t i = strWord.size(); i < nCommon; ++i)
        completion.strInsert +=
            bUpper ? lumdrak::AsciiUpper(matches.front()[i]) : matches.front()[i];
    if (completion.strInsert.empty() && matches.size() > 1)
        completion.candidates = std::move(matches);
    return completion;
}
