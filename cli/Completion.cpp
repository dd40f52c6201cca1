#include "Completion.h"

#include "Ascii.h"
#include "Commands.h"
#include "ExpressionEvaluator.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

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

namespace
{

// The completion of strWord among names: as far as the names that begin with it agree, or
// those names when they agree no further. Without bMatchCase letters match in either case,
// and the completion continues in capitals when the word has only capitals.
SCompletion CompleteWord(std::string_view strWord, const std::vector<std::string>& names,
                         bool bMatchCase)
{
    std::vector<std::string> matches;
    for (const std::string& strName : names)
        if (bMatchCase ? strName.starts_with(strWord) : lumdrak::StartsWithNoCase(strName, strWord))
            matches.push_back(strName);
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
        !bMatchCase && std::any_of(strWord.begin(), strWord.end(), IsAsciiLetter) &&
        std::none_of(strWord.begin(), strWord.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    for (std::size_t i = strWord.size(); i < nCommon; ++i)
        completion.strInsert +=
            bUpper ? lumdrak::AsciiUpper(matches.front()[i]) : matches.front()[i];
    if (completion.strInsert.empty() && matches.size() > 1)
        completion.candidates = std::move(matches);
    return completion;
}

// The paths that continue strValue: the entries of the folder it names that begin with its
// last part, folders with their '/'; hidden ones only when that part begins with '.'.
std::vector<std::string> PathsContinuing(std::string_view strValue)
{
    const std::size_t nSlash = strValue.rfind('/');
    const std::string_view strFolder =
        nSlash == std::string_view::npos ? std::string_view() : strValue.substr(0, nSlash + 1);
    const std::string_view strStart =
        nSlash == std::string_view::npos ? strValue : strValue.substr(nSlash + 1);
    std::vector<std::string> paths;
    std::error_code error;
    const std::string strList = strFolder.empty() ? std::string(".") : ExpandHome(strFolder);
    for (std::filesystem::directory_iterator it(strList, error), end; !error && it != end;
         it.increment(error))
    {
        const std::string strName = it->path().filename().string();
        if (!strName.starts_with(strStart) ||
            (strName.starts_with('.') && !strStart.starts_with('.')))
            continue;
        std::error_code typeError;
        paths.push_back(std::string(strFolder) + strName +
                        (it->is_directory(typeError) ? "/" : ""));
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// On a ':' line: the command's name, then one of the values it takes. A name completed whole
// gets the blank before its value.
SCompletion CompleteCommand(std::string_view strAfterColon)
{
    const std::size_t nBlank = strAfterColon.find_first_of(" \t");
    if (nBlank == std::string_view::npos)
    {
        std::vector<std::string> names;
        for (const SCommand& command : Commands())
            names.emplace_back(command.strName);
        SCompletion completion = CompleteWord(strAfterColon, names, true);
        const SCommand* pCommand = CommandNamed(std::string(strAfterColon) + completion.strInsert);
        if (pCommand != nullptr && !pCommand->strArgument.empty() && completion.candidates.empty())
            completion.strInsert += ' ';
        return completion;
    }
    const SCommand* pCommand = CommandNamed(strAfterColon.substr(0, nBlank));
    const std::size_t nValue = strAfterColon.find_first_not_of(" \t", nBlank);
    const std::string_view strValue =
        nValue == std::string_view::npos ? std::string_view() : strAfterColon.substr(nValue);
    if (pCommand == nullptr || strValue.find_first_of(" \t") != std::string_view::npos) return {};
    if (pCommand->bPath)
    {
        // Listed as a shell lists them: the names in the folder, without the folder.
        SCompletion completion = CompleteWord(strValue, PathsContinuing(strValue), true);
        const std::size_t nSlash = strValue.rfind('/');
        const std::size_t nFolder = nSlash == std::string_view::npos ? 0 : nSlash + 1;
        for (std::string& strPath : completion.candidates)
            strPath.erase(0, nFolder);
        return completion;
    }
    return CompleteWord(
        strValue, std::vector<std::string>(pCommand->values.begin(), pCommand->values.end()), true);
}

} // namespace

SCompletion CompleteName(std::string_view strBeforeCursor)
{
    if (strBeforeCursor.starts_with(':')) return CompleteCommand(strBeforeCursor.substr(1));

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
    return CompleteWord(strBeforeCursor.substr(nStart), CompletionNames(), false);
}
