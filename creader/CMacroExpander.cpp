#include "CMacroExpander.h"

#include "CTexts.h"

#include <algorithm>

bool CCMacroExpander::Expand(const std::vector<SPpToken>& arrIn, std::vector<SPpToken>& arrOut,
                             const SCName* pDisabled, std::size_t nMaxTokens)
{
    m_nMaxTokens = std::min(nMaxTokens, kMaxTokens);
    m_stack.clear();
    m_disabled.clear();
    m_arrMade.clear();
    m_arrInvoked.clear();
    m_strRefusal.clear();
    m_strOuter = {};
    m_nMade = 0;
    m_nArgumentDepth = 0;
    m_bRefused = false;
    m_stack.push_back({arrIn, 0, pDisabled, true});
    if (pDisabled) m_disabled.insert(pDisabled);
    SPpToken token;
    while (Next(token))
        arrOut.push_back(token);
    m_stack.clear();
    m_disabled.clear();
    return !m_bRefused;
}

// The next token with every macro replaced; false at the end of the innermost barrier, or
// on a refusal.
bool CCMacroExpander::Next(SPpToken& token)
{
    for (;;)
    {
        if (m_bRefused || !ReadRaw(token)) return false;
        if (token.eKind != ECPp::Name || token.bNoExpand) return true;
        if (token.IsName("_Pragma") && SkipPragma()) continue;
        const SCName* pMacro = m_names.FindMacro(token.strText);
        if (!pMacro) return true;
        if (m_disabled.count(pMacro) != 0)
        {
            token.bNoExpand = true; // for good, as C has it
            return true;
        }
        if (const SCValue* pValue = m_names.CachedValue(*pMacro);
            pValue && pMacro->macro.nParams < 0)
        {
            if (!token.bExpanded)
                m_arrInvoked.push_back(
                    std::string_view(pMacro->macro.strDefinition).substr(0, token.strText.size()));
            token.eKind = ECPp::Value;
            token.pValue = pValue;
            token.bExpanded = true;
            return true;
        }
        if (pMacro->macro.nParams >= 0)
        {
            // A function-like macro's name is replaced only where a '(' follows.
            SPpToken next;
            if (!ReadRaw(next)) return true;
            if (!next.Is(ECPunct::LeftParen))
            {
                if (!Push({next}, nullptr, false)) return false;
                return true;
            }
        }
        if (!Invoke(token, *pMacro)) return false;
    }
}

// "_Pragma ( string )", an operator that asks the compiler for something and leaves nothing in
// the text: false, and nothing taken, where the tokens are not that.
bool CCMacroExpander::SkipPragma()
{
    SPpToken arrTaken[3];
    std::size_t nTaken = 0;
    const ECPp arrKinds[3] = {ECPp::Punct, ECPp::String, ECPp::Punct};
    const ECPunct arrPuncts[3] = {ECPunct::LeftParen, ECPunct::None, ECPunct::RightParen};
    for (; nTaken < 3; ++nTaken)
    {
        if (!ReadRaw(arrTaken[nTaken])) break;
        const SPpToken& token = arrTaken[nTaken];
        if (token.eKind != arrKinds[nTaken] ||
            (token.eKind == ECPp::Punct && token.ePunct != arrPuncts[nTaken]))
        {
            ++nTaken;
            break;
        }
    }
    if (nTaken == 3 && arrTaken[2].Is(ECPunct::RightParen)) return true;
    if (nTaken > 0) Push(std::vector<SPpToken>(arrTaken, arrTaken + nTaken), nullptr, false);
    return false;
}

// The next token as it stands; a replacement read to its end is closed, its macro replaced
// again from then on.
bool CCMacroExpander::ReadRaw(SPpToken& token)
{
    while (!m_stack.empty())
    {
        SContext& context = m_stack.back();
        if (context.nPos < context.arrTokens.size())
        {
            token = context.arrTokens[context.nPos++];
            return true;
        }
        if (context.bBarrier) return false;
        Pop();
    }
    return false;
}

void CCMacroExpander::Pop()
{
    if (m_stack.back().pMacro) m_disabled.erase(m_stack.back().pMacro);
    m_stack.pop_back();
}

bool CCMacroExpander::Push(std::vector<SPpToken>&& arrTokens, const SCName* pMacro, bool bBarrier)
{
    if (m_stack.size() >= kMaxContexts) return Refuse(TextNestsTooDeep(kMaxContexts));
    if (!Count(arrTokens.size())) return false;
    m_stack.push_back({std::move(arrTokens), 0, pMacro, bBarrier});
    if (pMacro) m_disabled.insert(pMacro);
    return true;
}

bool CCMacroExpander::Invoke(const SPpToken& name, const SCName& macro)
{
    const std::string_view strName =
        std::string_view(macro.macro.strDefinition).substr(0, name.strText.size());
    if (!name.bExpanded) m_arrInvoked.push_back(strName);
    if (m_strOuter.empty()) m_strOuter = strName;
    std::vector<SPpToken> arrResult;
    const std::vector<SPpToken>& arrBody = macro.macro.arrBody;
    if (macro.macro.nParams < 0)
    {
        arrResult = arrBody;
    }
    else
    {
        std::vector<SArgument> arrArgs;
        if (!CollectArguments(name, macro, arrArgs) ||
            !Substitute(name, macro, arrArgs, 0, arrBody.size(), arrResult) ||
            !Paste(arrResult, macro.macro.bVariadic ? macro.macro.nParams - 1 : -1))
            return false;
    }
    for (SPpToken& token : arrResult)
    {
        token.nSpace = name.nSpace;
        token.nBegin = name.nBegin;
        token.nEnd = name.nEnd;
        token.bExpanded = true;
        token.bPasteOp = false;
        token.nParam = -1;
    }
    if (!arrResult.empty()) arrResult[0].bSpace = name.bSpace;
    return Push(std::move(arrResult), &macro, false);
}

bool CCMacroExpander::CollectArguments(const SPpToken& name, const SCName& macro,
                                       std::vector<SArgument>& arrArgs)
{
    const auto nParams = static_cast<std::size_t>(macro.macro.nParams);
    arrArgs.emplace_back();
    int nDepth = 0;
    for (;;)
    {
        SPpToken token;
        if (!ReadRaw(token)) return Refuse(TextArgumentsDoNotEnd(name.strText));
        if (token.Is(ECPunct::LeftParen))
            ++nDepth;
        else if (token.Is(ECPunct::RightParen) && nDepth-- == 0)
            break;
        else if (token.Is(ECPunct::Comma) && nDepth == 0 &&
                 !(macro.macro.bVariadic && arrArgs.size() == nParams))
        {
            arrArgs.emplace_back();
            continue;
        }
        if (!Count(1)) return false;
        arrArgs.back().arrRaw.push_back(token);
    }
    const std::size_t nGiven =
        arrArgs.size() == 1 && arrArgs[0].arrRaw.empty() ? 0 : arrArgs.size();
    if (nParams == 0 && nGiven == 0) arrArgs.clear();
    // GNU C lets the variable arguments be left out, comma and all.
    if (macro.macro.bVariadic && arrArgs.size() + 1 == nParams) arrArgs.emplace_back();
    if (arrArgs.size() != nParams) return Refuse(TextArgumentCount(name.strText, nParams, nGiven));
    return true;
}

bool CCMacroExpander::ExpandArgument(SArgument& argument)
{
    if (argument.bExpanded) return true;
    if (++m_nArgumentDepth > kMaxArgumentDepth) return Refuse(TextNestsTooDeep(kMaxArgumentDepth));
    if (!Push(std::vector<SPpToken>(argument.arrRaw), nullptr, true)) return false;
    SPpToken token;
    while (Next(token))
    {
        if (!Count(1)) return false;
        argument.arrExpanded.push_back(token);
    }
    if (m_bRefused) return false;
    m_stack.pop_back(); // the argument's barrier, read to its end
    --m_nArgumentDepth;
    argument.bExpanded = true;
    return true;
}

// The replacement list [nBegin, nEnd) with its parameters replaced: by the argument as given
// beside ## and after #, else by the argument with its macros replaced. Tokens an argument
// brought keep the parameter's number until ## is applied.
bool CCMacroExpander::Substitute(const SPpToken& name, const SCName& macro,
                                 std::vector<SArgument>& arrArgs, std::size_t nBegin,
                                 std::size_t nEnd, std::vector<SPpToken>& arrOut)
{
    const std::vector<SPpToken>& arrBody = macro.macro.arrBody;
    for (std::size_t i = nBegin; i < nEnd; ++i)
    {
        const SPpToken& token = arrBody[i];
        if (token.Is(ECPunct::Hash) && i + 1 < nEnd && arrBody[i + 1].nParam >= 0)
        {
            arrOut.push_back(
                Stringify(arrArgs[static_cast<std::size_t>(arrBody[++i].nParam)].arrRaw));
            continue;
        }
        if (token.IsName("__VA_OPT__") && macro.macro.bVariadic && i + 1 < nEnd &&
            arrBody[i + 1].Is(ECPunct::LeftParen))
        {
            std::size_t nClose = i + 2;
            for (int nDepth = 0; nClose < nEnd; ++nClose)
            {
                if (arrBody[nClose].Is(ECPunct::LeftParen)) ++nDepth;
                if (arrBody[nClose].Is(ECPunct::RightParen) && nDepth-- == 0) break;
            }
            if (nClose >= nEnd) return Refuse(TextArgumentsDoNotEnd("__VA_OPT__"));
            SArgument& variadic = arrArgs.back();
            if (!ExpandArgument(variadic)) return false;
            if (!variadic.arrExpanded.empty())
            {
                if (!Substitute(name, macro, arrArgs, i + 2, nClose, arrOut)) return false;
            }
            else
            {
                SPpToken placemarker;
                placemarker.eKind = ECPp::Placemarker;
                arrOut.push_back(placemarker);
            }
            i = nClose;
            continue;
        }
        if (token.nParam < 0)
        {
            arrOut.push_back(token);
            continue;
        }
        SArgument& argument = arrArgs[static_cast<std::size_t>(token.nParam)];
        const bool bPasted =
            (i + 1 < nEnd && arrBody[i + 1].bPasteOp) || (i > nBegin && arrBody[i - 1].bPasteOp);
        if (!bPasted && !ExpandArgument(argument)) return false;
        const std::vector<SPpToken>& arrTokens = bPasted ? argument.arrRaw : argument.arrExpanded;
        if (!Count(arrTokens.size())) return false;
        const std::size_t nFirst = arrOut.size();
        if (arrTokens.empty())
        {
            SPpToken placemarker;
            placemarker.eKind = ECPp::Placemarker;
            arrOut.push_back(placemarker);
        }
        arrOut.insert(arrOut.end(), arrTokens.begin(), arrTokens.end());
        for (std::size_t n = nFirst; n < arrOut.size(); ++n)
        {
            arrOut[n].nParam = token.nParam;
            arrOut[n].bPasteOp = false;
        }
        if (nFirst < arrOut.size()) arrOut[nFirst].bSpace = token.bSpace;
    }
    return true;
}

// Applies ## left to right and drops the placemarkers.
bool CCMacroExpander::Paste(std::vector<SPpToken>& arrTokens, int nVariadic)
{
    std::vector<SPpToken> arrOut;
    arrOut.reserve(arrTokens.size());
    for (std::size_t i = 0; i < arrTokens.size(); ++i)
    {
        if (!arrTokens[i].bPasteOp || arrOut.empty() || i + 1 >= arrTokens.size())
        {
            arrOut.push_back(arrTokens[i]);
            continue;
        }
        SPpToken& left = arrOut.back();
        const SPpToken& right = arrTokens[++i];
        // GNU C: ", ## __VA_ARGS__" drops the comma where no variable arguments were given,
        // and pastes nothing where some were.
        if (left.Is(ECPunct::Comma) && left.nParam < 0 && right.nParam == nVariadic &&
            nVariadic >= 0)
        {
            if (right.eKind == ECPp::Placemarker)
                arrOut.pop_back();
            else
                arrOut.push_back(right);
            continue;
        }
        if (right.eKind == ECPp::Placemarker) continue;
        if (left.eKind == ECPp::Placemarker)
        {
            left = right;
            continue;
        }
        std::string strText(left.strText);
        strText += right.strText;
        SPpToken pasted;
        if (!LexOne(strText, pasted) || pasted.eKind == ECPp::Other)
            return Refuse(TextPasteFails(left.strText, right.strText));
        m_arrMade.push_back(std::move(strText));
        pasted.strText = m_arrMade.back();
        pasted.bSpace = left.bSpace;
        pasted.nParam = -1;
        left = pasted;
    }
    arrTokens.clear();
    for (const SPpToken& token : arrOut)
        if (token.eKind != ECPp::Placemarker) arrTokens.push_back(token);
    return true;
}

SPpToken CCMacroExpander::Stringify(const std::vector<SPpToken>& arrTokens)
{
    std::string strText(1, '"');
    for (std::size_t i = 0; i < arrTokens.size(); ++i)
    {
        if (i > 0 && arrTokens[i].bSpace) strText += ' ';
        const bool bQuoted =
            arrTokens[i].eKind == ECPp::String || arrTokens[i].eKind == ECPp::Character;
        for (const char ch : arrTokens[i].strText)
        {
            if (bQuoted && (ch == '"' || ch == '\\')) strText += '\\';
            strText += ch;
        }
    }
    strText += '"';
    m_arrMade.push_back(std::move(strText));
    SPpToken token;
    token.eKind = ECPp::String;
    token.strText = m_arrMade.back();
    return token;
}

bool CCMacroExpander::Count(std::size_t nTokens)
{
    m_nMade += nTokens;
    if (m_nMade <= m_nMaxTokens) return true;
    if (m_nMaxTokens < kMaxTokens) return Refuse(TextBudgetSpent(m_strOuter));
    return Refuse(TextGrowsTooLong(m_strOuter, m_nMaxTokens));
}

bool CCMacroExpander::Refuse(std::string strReason)
{
    if (!m_bRefused) m_strRefusal = std::move(strReason);
    m_bRefused = true;
    return false;
}
