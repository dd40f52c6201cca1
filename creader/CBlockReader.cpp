#include "CBlockReader.h"

#include <algorithm>
#include <cctype>

namespace
{

constexpr std::string_view kNoValueDirectives[] = {
    "include", "include_next", "line",   "error",    "warning", "pragma",
    "ident",   "sccs",         "assert", "unassert", "import",
};

constexpr std::string_view kUnknownConditions[] = {
    "__has_include",     "__has_include_next", "__has_attribute", "__has_cpp_attribute",
    "__has_c_attribute", "__has_builtin",      "__has_feature",   "__has_extension",
};

// The tokens before a '{' name a struct, union or enum: "struct tag", "enum", "union
// __attribute__((x)) tag". Returns the keyword, or an empty view.
std::string_view TaggedKeyword(const std::vector<SPpToken>& arrTokens)
{
    std::size_t n = arrTokens.size();
    if (n > 0 && arrTokens[n - 1].eKind == ECPp::Name &&
        !(arrTokens[n - 1].IsName("struct") || arrTokens[n - 1].IsName("union") ||
          arrTokens[n - 1].IsName("enum")))
        --n;
    // Attributes between the keyword and the tag.
    while (n > 0 && arrTokens[n - 1].Is(ECPunct::RightParen))
    {
        int nDepth = 0;
        do
        {
            --n;
            if (arrTokens[n].Is(ECPunct::RightParen)) ++nDepth;
            if (arrTokens[n].Is(ECPunct::LeftParen)) --nDepth;
        } while (n > 0 && nDepth > 0);
        if (n > 0 && arrTokens[n - 1].eKind == ECPp::Name) --n;
    }
    if (n == 0) return {};
    const SPpToken& keyword = arrTokens[n - 1];
    if (keyword.IsName("struct") || keyword.IsName("union") || keyword.IsName("enum"))
        return keyword.strText;
    return {};
}

// Past "__attribute__ ((...))" at arrTokens[n].
std::size_t SkipAttribute(const std::vector<SPpToken>& arrTokens, std::size_t n)
{
    while (n + 1 < arrTokens.size() &&
           (arrTokens[n].IsName("__attribute__") || arrTokens[n].IsName("__attribute")) &&
           arrTokens[n + 1].Is(ECPunct::LeftParen))
    {
        int nDepth = 0;
        for (++n; n < arrTokens.size(); ++n)
        {
            if (arrTokens[n].Is(ECPunct::LeftParen)) ++nDepth;
            if (arrTokens[n].Is(ECPunct::RightParen) && --nDepth == 0)
            {
                ++n;
                break;
            }
        }
    }
    return n;
}

bool IsWordByte(char ch) { return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_'; }

bool FitsInt(const SCValue& value)
{
    if (IsFloating(value.eType)) return false;
    return value.IsSigned() ? value.Signed() >= INT32_MIN && value.Signed() <= INT32_MAX
                            : value.nBits <= INT32_MAX;
}

// GCC's type of an enumerator while its enumeration is read: int where the value fits,
// else an integer type of at least 32 bits, unsigned where the value's type is.
ECType EnumeratorType(const SCValue& value)
{
    if (FitsInt(value)) return ECType::Int;
    const SCTypeInfo& info = TypeInfo(value.eType);
    if (info.nBits <= 32) return info.bSigned ? ECType::Int : ECType::UInt;
    return info.bSigned ? ECType::Long : ECType::ULong;
}

const SPpToken& LiteralToken(std::string_view strText, const SPpToken& at)
{
    static thread_local SPpToken token;
    token = at;
    token.eKind = ECPp::Number;
    token.ePunct = ECPunct::None;
    token.strText = strText;
    return token;
}

} // namespace

CCBlockReader::CCBlockReader(CCNames& names, ECReadMode eMode, std::string strOrigin)
    : m_names(names), m_eMode(eMode), m_strOrigin(std::move(strOrigin)), m_expander(names)
{
}

std::string CCBlockReader::OriginOf(std::string_view strPath)
{
    if (strPath == "<built-in>" || strPath == "<command-line>") return std::string(kOriginCompiler);
    const std::size_t nInclude = strPath.rfind("/include/");
    if (nInclude == std::string_view::npos) return std::string(strPath);
    std::string_view strName = strPath.substr(nInclude + 9);
    // A multiarch folder: x86_64-linux-gnu/sys/time.h is <sys/time.h>.
    const std::size_t nSlash = strName.find('/');
    if (nSlash != std::string_view::npos &&
        strName.substr(0, nSlash).find("-linux-") != std::string_view::npos)
        strName.remove_prefix(nSlash + 1);
    return std::string(strName);
}

void CCBlockReader::ReadText(std::string_view strText, std::vector<SCLine>& arrOut)
{
    std::size_t nStart = 0;
    while (nStart < strText.size())
    {
        const std::size_t nEnd = strText.find_first_of("\r\n", nStart);
        if (nEnd == std::string_view::npos)
        {
            ReadLine(strText.substr(nStart), arrOut);
            break;
        }
        ReadLine(strText.substr(nStart, nEnd - nStart), arrOut);
        nStart = nEnd + (strText.compare(nEnd, 2, "\r\n") == 0 ? 2 : 1);
    }
    Finish(arrOut);
}

void CCBlockReader::ReadLine(std::string_view strLine, std::vector<SCLine>& arrOut)
{
    m_nBudget = std::min(kMaxBudget, m_nBudget + kLineBudget);
    if (m_nPendingLines > 0) m_strPending += '\n';
    m_strPending += strLine;
    ++m_nPendingLines;
    // Where the line leaves a comment or a literal open, or ends in a splice, the logical line
    // goes on; C's own cleaning of it (CleanSource) comes once it is whole.
    const bool bSplice = !strLine.empty() && strLine.back() == '\\';
    if (m_bLineComment)
    {
        m_bLineComment = bSplice;
        if (bSplice) return;
    }
    else
    {
        // A number's ' separates digits (0x1'f3a): a number starts with a digit that no name's
        // letters stand before.
        bool bNumber = false;
        bool bWord = false;
        for (std::size_t i = 0; i < strLine.size(); ++i)
        {
            const char ch = strLine[i];
            const char chNext = i + 1 < strLine.size() ? strLine[i + 1] : '\0';
            const bool bInNumber =
                (bNumber && (IsWordByte(ch) || ch == '.' || (ch == '\'' && IsWordByte(chNext)))) ||
                (!bWord && std::isdigit(static_cast<unsigned char>(ch)));
            bWord = !bInNumber && IsWordByte(ch) &&
                    (bWord || !std::isdigit(static_cast<unsigned char>(ch)));
            bNumber = bInNumber;
            if (m_bInComment)
            {
                if (ch == '*' && chNext == '/')
                {
                    m_bInComment = false;
                    ++i;
                }
            }
            else if (m_chQuote != 0)
            {
                if (ch == '\\')
                    ++i;
                else if (ch == m_chQuote)
                    m_chQuote = 0;
            }
            else if (ch == '/' && chNext == '/')
            {
                m_bLineComment = bSplice;
                break;
            }
            else if (ch == '/' && chNext == '*')
            {
                m_bInComment = true;
                ++i;
            }
            else if (ch == '"' || (ch == '\'' && !bInNumber))
                m_chQuote = ch;
        }
        if (!bSplice) m_chQuote = 0;
        if (m_bInComment || bSplice) return;
    }
    ReadLogical(&arrOut);
}

void CCBlockReader::ReadCleanLine(std::string_view strLine, std::vector<SCLine>& arrOut)
{
    Finish(arrOut);
    m_nBudget = std::min(kMaxBudget, m_nBudget + kLineBudget);
    m_nPendingLines = 1;
    m_lineClean.strText.assign(strLine);
    m_lineClean.arrRuns.assign(1, {0, 0});
    ReadCleaned(&arrOut, strLine.size());
}

void CCBlockReader::Finish(std::vector<SCLine>& arrOut)
{
    if (m_nPendingLines == 0) return;
    if (m_bInComment) m_strPending += "*/"; // the comment ends with the text
    m_bInComment = m_bLineComment = false;
    m_chQuote = 0;
    ReadLogical(&arrOut);
}

void CCBlockReader::Emit(std::vector<SCLine>* pOut, SCLine&& line, std::size_t nLines)
{
    if (!pOut || !Outcomes()) return;
    for (std::size_t n = 1; n < nLines; ++n)
        pOut->emplace_back();
    pOut->push_back(std::move(line));
}

void CCBlockReader::ReadLogical(std::vector<SCLine>* pOut)
{
    CleanSource(m_strPending, m_lineClean, ECommentEnd::AsC);
    ReadCleaned(pOut, m_strPending.size());
    m_strPending.clear();
}

void CCBlockReader::ReadCleaned(std::vector<SCLine>* pOut, std::size_t nGivenSize)
{
    m_nLogicalSize = nGivenSize;
    m_arrLine.clear();
    const auto nSize = static_cast<std::uint32_t>(m_lineClean.strText.size());
    const std::uint32_t nLexed = LexPp(m_lineClean.strText, 0, nSize, m_arrLine, kMaxUnitTokens);
    SCLine line;
    if (nLexed < nSize && Outcomes())
    {
        line.eKind = ECLineKind::NotC;
        line.strRefusal = TextTooManyTokens(kMaxUnitTokens);
    }
    else if (!m_arrLine.empty() && m_arrLine[0].Is(ECPunct::Hash))
    {
        if (nLexed == nSize) Directive(line);
        line.nLinesBefore = static_cast<int>(m_nPendingLines - 1);
    }
    else if (Active())
        Statement(line, nLexed);
    Emit(pOut, std::move(line), m_nPendingLines);
    m_nGivenOffset += nGivenSize + 1;
    m_nLine += m_nPendingLines;
    m_nPendingLines = 0;
}

// ---- Directives

void CCBlockReader::Directive(SCLine& line)
{
    line.eKind = ECLineKind::None;
    if (m_arrLine.size() == 1) return; // the null directive
    const SPpToken& name = m_arrLine[1];
    if (name.eKind == ECPp::Number)
    {
        // A line marker: # 12 "/usr/include/linux/input.h" 1 3 4
        const bool bMarker = m_arrLine.size() >= 3 && m_arrLine[2].eKind == ECPp::String;
        if (bMarker && m_eMode == ECReadMode::Preprocessed)
        {
            const std::string_view strFile = m_arrLine[2].strText;
            m_strOrigin = OriginOf(strFile.substr(1, strFile.size() - 2));
        }
        if (!bMarker && Active()) line.eKind = ECLineKind::NotC; // the calculator's #101
        return;
    }
    if (name.eKind != ECPp::Name)
    {
        if (Active()) line.eKind = ECLineKind::NotC;
        return;
    }
    const std::string_view strName = name.strText;
    for (const std::string_view strConditional :
         {"if", "ifdef", "ifndef", "elif", "elifdef", "elifndef", "else", "endif"})
        if (strName == strConditional)
        {
            Conditional(strName, line);
            return;
        }
    if (!Active()) return;
    if (strName == "define")
    {
        Define(line);
        return;
    }
    if (strName == "undef")
    {
        if (m_arrLine.size() >= 3 && m_arrLine[2].eKind == ECPp::Name)
            m_names.Undefine(m_arrLine[2].strText);
        return;
    }
    if (std::find(std::begin(kNoValueDirectives), std::end(kNoValueDirectives), strName) ==
        std::end(kNoValueDirectives))
        line.eKind = ECLineKind::NotC;
}

void CCBlockReader::Conditional(std::string_view strName, SCLine& line)
{
    line.eKind = ECLineKind::None;
    const auto defined = [&]
    {
        return m_arrLine.size() >= 3 && m_arrLine[2].eKind == ECPp::Name &&
               m_names.FindMacro(m_arrLine[2].strText) != nullptr;
    };
    // 1 true, 0 false, -1 not computed here (the branch is read as if it were true).
    const auto evaluate = [&]
    {
        if (strName == "ifdef" || strName == "elifdef") return defined() ? 1 : 0;
        if (strName == "ifndef" || strName == "elifndef") return defined() ? 0 : 1;
        return Condition(2);
    };
    if (strName == "if" || strName == "ifdef" || strName == "ifndef")
    {
        const bool bParent = Active();
        const bool bTrue = bParent && evaluate() != 0;
        m_conditions.push_back({bParent, bTrue, !bParent || bTrue});
        return;
    }
    if (m_conditions.empty()) return; // a stray #elif, #else or #endif
    SCondition& condition = m_conditions.back();
    if (strName == "endif")
    {
        m_conditions.pop_back();
    }
    else if (strName == "else")
    {
        condition.bActive = condition.bParentActive && !condition.bTaken;
        condition.bTaken = true;
    }
    else if (!condition.bParentActive || condition.bTaken)
    {
        condition.bActive = false;
    }
    else
    {
        condition.bActive = evaluate() != 0;
        condition.bTaken = condition.bActive;
    }
}

int CCBlockReader::Condition(std::size_t nFirst)
{
    // "defined NAME" and "defined ( NAME )" are read before any macro is replaced.
    std::vector<SPpToken>& arrTokens = m_arrScratch;
    arrTokens.clear();
    for (std::size_t i = nFirst; i < m_arrLine.size(); ++i)
    {
        const SPpToken& token = m_arrLine[i];
        for (const std::string_view strUnknown : kUnknownConditions)
            if (token.IsName(strUnknown)) return -1;
        if (!token.IsName("defined"))
        {
            arrTokens.push_back(token);
            continue;
        }
        const bool bParens = i + 1 < m_arrLine.size() && m_arrLine[i + 1].Is(ECPunct::LeftParen);
        const std::size_t nName = i + (bParens ? 2 : 1);
        if (nName >= m_arrLine.size() || m_arrLine[nName].eKind != ECPp::Name ||
            (bParens &&
             (nName + 1 >= m_arrLine.size() || !m_arrLine[nName + 1].Is(ECPunct::RightParen))))
            return -1;
        const bool bDefined = m_names.FindMacro(m_arrLine[nName].strText) != nullptr;
        arrTokens.push_back(LiteralToken(bDefined ? "1" : "0", token));
        i = nName + (bParens ? 1 : 0);
    }
    if (!Expand(arrTokens)) return -1;
    SCExprOptions options;
    options.bCondition = true;
    m_expression.Read(m_arrExpanded, m_names, options, m_result);
    if (m_result.eStatus != ECExprStatus::Value || !m_result.reading.bDefined) return -1;
    const SCValue& value = m_result.reading.value;
    return (IsFloating(value.eType) ? value.dValue != 0.0 : value.nBits != 0) ? 1 : 0;
}

void CCBlockReader::Define(SCLine& line)
{
    m_arrScratch.assign(m_arrLine.begin() + 2, m_arrLine.end());
    if (!m_names.DefineMacro(m_arrScratch, m_strOrigin))
    {
        line.eKind = ECLineKind::NotC;
        return;
    }
    line.strDefines = m_arrLine[2].strText;
    const SCName* pMacro = m_names.FindMacro(line.strDefines);
    if (!Outcomes() || !pMacro || pMacro->macro.nParams >= 0 || m_arrLine.size() <= 3) return;
    m_arrScratch.assign(m_arrLine.begin() + 3, m_arrLine.end());
    Read(m_arrScratch, m_lineClean, m_nLogicalSize, nullptr, pMacro, true, line);
    KeepValue(pMacro, line);
    // A body that is no number (statements, a string, an address) is a definition only.
    if (line.eKind == ECLineKind::NotC || (line.eKind == ECLineKind::Unknown && m_result.bNoNumber))
    {
        std::string strDefines = std::move(line.strDefines);
        line = SCLine{};
        line.strDefines = std::move(strDefines);
    }
}

// ---- Statements

// The logical line joins the statement's text, and its tokens index that text.
std::uint32_t CCBlockReader::AppendStatementText()
{
    std::uint32_t nShift = 0;
    const bool bGoesOn =
        !m_arrDeclaration.empty() || !m_arrUnit.empty() || m_eState != EState::Idle;
    const std::size_t nGap = m_nGivenOffset - m_nStmtOffset;
    if (!bGoesOn || nGap > UINT32_MAX / 2)
    {
        if (bGoesOn)
        {
            // Positions past 32 bits: the part being read loses its text, so it is dropped as
            // too long rather than left to read text that is gone.
            m_arrDeclaration.clear();
            m_arrUnit.clear();
            m_bUnitTooLong = true;
        }
        // The line's clean text is not read again: the statement takes it, without a copy.
        std::swap(m_stmtClean, m_lineClean);
        m_nStmtLine = m_nLine;
        m_nStmtOffset = m_nGivenOffset;
    }
    else
    {
        const auto nBefore = reinterpret_cast<std::uintptr_t>(m_stmtClean.strText.data());
        const std::size_t nSizeBefore = m_stmtClean.strText.size();
        m_stmtClean.arrRuns.push_back({static_cast<std::uint32_t>(m_stmtClean.strText.size()),
                                       static_cast<std::uint32_t>(nGap - 1)});
        m_stmtClean.strText += '\n';
        nShift = static_cast<std::uint32_t>(m_stmtClean.strText.size());
        m_stmtClean.strText += m_lineClean.strText;
        for (const SCleanText::SRun& run : m_lineClean.arrRuns)
            m_stmtClean.arrRuns.push_back(
                {run.nClean + nShift, static_cast<std::uint32_t>(run.nSource + nGap)});
        if (reinterpret_cast<std::uintptr_t>(m_stmtClean.strText.data()) != nBefore)
            RebaseTokens(nBefore, nSizeBefore);
    }
    const std::string_view strText = m_stmtClean.strText;
    for (SPpToken& token : m_arrLine)
    {
        token.nSpace += nShift;
        token.nBegin += nShift;
        token.nEnd += nShift;
        token.strText = strText.substr(token.nBegin, token.nEnd - token.nBegin);
    }
    return nShift;
}

// The statement's text moved: every token that spelled a part of it where it was, whatever
// it became since (a macro's argument, a bracket), spells that part where it is now. Tokens
// spelled elsewhere (a macro's body, a pasted token's own text) stay as they are.
void CCBlockReader::RebaseTokens(std::uintptr_t nBefore, std::size_t nSizeBefore)
{
    const std::string_view strText = m_stmtClean.strText;
    for (std::vector<SPpToken>* pTokens : {&m_arrDeclaration, &m_arrUnit})
        for (SPpToken& token : *pTokens)
        {
            const auto nAt = reinterpret_cast<std::uintptr_t>(token.strText.data());
            if (token.strText.empty() || nAt < nBefore || nAt - nBefore >= nSizeBefore) continue;
            token.strText = strText.substr(nAt - nBefore, token.strText.size());
        }
}

// A logical line that is no directive, whose first tokens are lexed up to nLexed; the rest,
// where there is more, a part at a time.
void CCBlockReader::Statement(SCLine& line, std::uint32_t nLexed)
{
    const std::uint32_t nShift = AppendStatementText();
    line.eKind = ECLineKind::None;
    if (!m_arrLine.empty())
    {
        if (!m_strEndedAtLine.empty() && GoesOn(m_arrLine[0])) ValueWentOn(line);
        m_strEndedAtLine.clear();
    }
    bool bOpensEnum = false; // "enum {" and "enum { A, B };" yield no value
    StatementTokens(line, bOpensEnum);
    const auto nEnd = static_cast<std::uint32_t>(m_stmtClean.strText.size());
    for (std::uint32_t nPos = nShift + nLexed; nPos < nEnd;)
    {
        m_arrLine.clear();
        nPos = LexPp(m_stmtClean.strText, nPos, nEnd, m_arrLine, kMaxUnitTokens);
        StatementTokens(line, bOpensEnum);
    }
    // The line's end ends an enumerator that is whole, and in a paste a declaration with its
    // value ("static const int k = 5" without its ';').
    if (m_eState == EState::EnumBody && EnumeratorComplete())
    {
        const std::size_t nBefore = m_arrEnumerators.size();
        Enumerator(line);
        if (m_arrEnumerators.size() > nBefore) m_strEndedAtLine = m_arrEnumerators.back().strName;
        m_bEndedInEnum = true;
    }
    if (m_eState == EState::Declaration && Outcomes() && m_bDeclarationAssigns && m_nDepth == 0)
    {
        Declaration(line);
        m_eState = EState::Idle;
        m_strEndedAtLine = m_strDeclared;
        m_bEndedInEnum = false;
    }
    if (bOpensEnum) line = SCLine{};
}

// Whether a line that starts with first goes on with the value the line before ended: in an
// enumeration anything but a new enumerator or its end, elsewhere an operator that only stands
// between two operands ("    | BAZ;").
bool CCBlockReader::GoesOn(const SPpToken& first) const
{
    if (m_bEndedInEnum)
        return m_eState == EState::EnumBody && first.eKind != ECPp::Name &&
               !first.Is(ECPunct::Comma) && !first.Is(ECPunct::RightBrace);
    if (m_eState != EState::Idle || first.eKind != ECPp::Punct) return false;
    switch (first.ePunct)
    {
    case ECPunct::Slash:
    case ECPunct::Percent:
    case ECPunct::ShiftLeft:
    case ECPunct::ShiftRight:
    case ECPunct::Less:
    case ECPunct::Greater:
    case ECPunct::LessEqual:
    case ECPunct::GreaterEqual:
    case ECPunct::Equal:
    case ECPunct::NotEqual:
    case ECPunct::Caret:
    case ECPunct::Pipe:
    case ECPunct::AndAnd:
    case ECPunct::OrOr:
    case ECPunct::Question:
    case ECPunct::Colon:
        return true;
    default:
        return false;
    }
}

// The value the line before ended goes on here, so what that line gave it was only a part:
// the name is unknown from now on, and so is what counts on from it. The rest of a
// declaration's value is passed over.
void CCBlockReader::ValueWentOn(SCLine& line)
{
    const std::string strReason = TextGoesOnPastItsLine();
    if (m_bEndedInEnum && !m_arrEnumerators.empty() &&
        m_arrEnumerators.back().strName == m_strEndedAtLine)
    {
        m_arrEnumerators.back().bKnown = false;
        m_arrEnumerators.back().strUnknown = TextInEnumerator(m_strEndedAtLine, strReason);
    }
    if (m_bEndedInEnum || m_names.FindOrdinary(m_strEndedAtLine) != nullptr)
        m_names.DefineUnknown(m_strEndedAtLine, strReason, m_strOrigin);
    line = SCLine{};
    line.eKind = ECLineKind::Unknown;
    line.strUnknown = TextInEnumerator(m_strEndedAtLine, strReason);
    line.strDefines = m_strEndedAtLine;
    if (m_bEndedInEnum) return;
    std::size_t nRest = 0;
    for (int nDepth = 0; nRest < m_arrLine.size(); ++nRest)
    {
        const SPpToken& token = m_arrLine[nRest];
        if (token.Is(ECPunct::LeftParen) || token.Is(ECPunct::LeftBracket)) ++nDepth;
        if (token.Is(ECPunct::RightParen) || token.Is(ECPunct::RightBracket)) --nDepth;
        if (nDepth == 0 && token.Is(ECPunct::Semicolon)) break;
    }
    m_arrLine.erase(m_arrLine.begin(), m_arrLine.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                               nRest + 1, m_arrLine.size())));
}

void CCBlockReader::StatementTokens(SCLine& line, bool& bOpensEnum)
{
    for (std::size_t i = 0; i < m_arrLine.size(); ++i)
    {
        const EState eBefore = m_eState;
        const SPpToken& token = m_arrLine[i];
        switch (m_eState)
        {
        case EState::Idle:
            StartStatement(i, line);
            break;
        case EState::Declaration:
            DeclarationToken(token, line);
            break;
        case EState::EnumBody:
            EnumToken(token, line);
            break;
        case EState::Braces:
            if (token.Is(ECPunct::LeftBrace)) ++m_nBraceDepth;
            if (token.Is(ECPunct::RightBrace) && --m_nBraceDepth == 0) m_eState = m_eAfterBraces;
            break;
        }
        bOpensEnum = bOpensEnum || (eBefore != EState::EnumBody && m_eState == EState::EnumBody);
    }
}

void CCBlockReader::StartStatement(std::size_t& i, SCLine& line)
{
    const SPpToken& token = m_arrLine[i];
    if (token.Is(ECPunct::Semicolon) || token.Is(ECPunct::RightBrace)) return;
    if (token.Is(ECPunct::LeftBrace))
    {
        m_eState = EState::Braces;
        m_nBraceDepth = 1;
        m_eAfterBraces = EState::Idle;
        return;
    }
    // "int(2.5)" is the calculator's function, whatever C would make of it.
    const bool bIntCall = token.IsName("int") && i + 1 < m_arrLine.size() &&
                          m_arrLine[i + 1].Is(ECPunct::LeftParen) && !m_arrLine[i + 1].bSpace;
    if (!bIntCall && StartsDeclaration(m_arrLine, i, m_names))
    {
        m_eState = EState::Declaration;
        m_arrDeclaration.clear();
        m_bDeclarationAssigns = false;
        m_bEnumType = false;
        m_bUnitTooLong = false;
        m_nDepth = 0;
        DeclarationToken(token, line);
        return;
    }
    // An expression, or "NAME = expression", to a ';' or the line's end.
    std::size_t nEnd = i;
    for (int nDepth = 0; nEnd < m_arrLine.size(); ++nEnd)
    {
        const SPpToken& next = m_arrLine[nEnd];
        if (nDepth == 0 && next.Is(ECPunct::Semicolon)) break;
        if (next.Is(ECPunct::LeftParen) || next.Is(ECPunct::LeftBracket)) ++nDepth;
        if (next.Is(ECPunct::RightParen) || next.Is(ECPunct::RightBracket)) --nDepth;
    }
    if (Outcomes())
    {
        m_arrUnit.assign(m_arrLine.begin() + static_cast<std::ptrdiff_t>(i),
                         m_arrLine.begin() + static_cast<std::ptrdiff_t>(nEnd));
        if (!m_arrUnit.empty() && m_arrUnit.back().Is(ECPunct::Comma)) m_arrUnit.pop_back();
        const bool bAssignment = m_arrUnit.size() >= 2 && m_arrUnit[0].eKind == ECPp::Name &&
                                 m_arrUnit[1].Is(ECPunct::Assign);
        Expression(m_arrUnit, bAssignment, line);
        m_arrUnit.clear();
    }
    i = nEnd;
}

void CCBlockReader::Expression(std::vector<SPpToken>& arrTokens, bool bAssignment, SCLine& line)
{
    if (arrTokens.size() > kMaxUnitTokens)
    {
        line.eKind = ECLineKind::NotC;
        line.strRefusal = TextTooManyTokens(kMaxUnitTokens);
        return;
    }
    std::string strName;
    if (bAssignment)
    {
        strName = arrTokens[0].strText;
        arrTokens.erase(arrTokens.begin(), arrTokens.begin() + 2);
    }
    if (arrTokens.empty())
    {
        line.eKind = ECLineKind::NotC;
        return;
    }
    const std::size_t nTextSize = m_nGivenOffset - m_nStmtOffset + m_nLogicalSize;
    Read(arrTokens, m_stmtClean, nTextSize, nullptr, nullptr, true, line);
    if (arrTokens.size() == 1 && arrTokens[0].eKind == ECPp::Name)
        KeepValue(m_names.FindMacro(arrTokens[0].strText), line);
    // C with macros that give no expression: not the calculator's text either.
    if (line.eKind == ECLineKind::NotC && !m_expander.m_arrInvoked.empty())
    {
        line.eKind = ECLineKind::Unknown;
        line.strUnknown = TextNoExpression(m_expander.m_arrInvoked.front());
    }
    line.bExpression = !bAssignment;
    if (!bAssignment) return;
    if (line.eKind == ECLineKind::Value && line.reading.bDefined)
        m_names.DefineValue(strName, ECNameKind::Enumerator, line.reading.value, m_strOrigin);
    else if (line.eKind == ECLineKind::Unknown)
        m_names.DefineUnknown(strName, line.strUnknown, m_strOrigin);
    else
        return;
    line.strDefines = strName;
}

void CCBlockReader::DeclarationToken(const SPpToken& token, SCLine& line)
{
    const bool bOpen = token.Is(ECPunct::LeftParen) || token.Is(ECPunct::LeftBracket);
    const bool bClose = token.Is(ECPunct::RightParen) || token.Is(ECPunct::RightBracket);
    if (token.Is(ECPunct::LeftBrace) && m_nDepth == 0)
    {
        const std::string_view strKeyword = TaggedKeyword(m_arrDeclaration);
        m_eState = EState::Braces;
        m_nBraceDepth = 1;
        m_eAfterBraces = EState::Declaration;
        if (strKeyword.empty() && !m_bDeclarationAssigns)
        {
            // A function's body: the statement ends with it.
            m_arrDeclaration.clear();
            m_eAfterBraces = EState::Idle;
            return;
        }
        SPpToken close = token;
        close.ePunct = ECPunct::RightBrace;
        close.strText = "}";
        m_arrDeclaration.push_back(token);
        m_arrDeclaration.push_back(close);
        if (strKeyword == "enum")
        {
            m_eState = EState::EnumBody;
            const SPpToken& before = m_arrDeclaration[m_arrDeclaration.size() - 3];
            m_strEnumTag = before.eKind == ECPp::Name && !before.IsName("enum")
                               ? std::string(before.strText)
                               : std::string();
            m_arrEnumerators.clear();
            m_arrUnit.clear();
        }
        return;
    }
    if (token.Is(ECPunct::Semicolon) && m_nDepth == 0)
    {
        Declaration(line);
        m_eState = EState::Idle;
        return;
    }
    if (bOpen) ++m_nDepth;
    if (bClose) --m_nDepth;
    if (token.Is(ECPunct::Assign) && m_nDepth == 0) m_bDeclarationAssigns = true;
    if (m_arrDeclaration.size() < kMaxUnitTokens)
        m_arrDeclaration.push_back(token);
    else
        m_bUnitTooLong = true;
}

void CCBlockReader::EnumToken(const SPpToken& token, SCLine& line)
{
    if (m_nDepth == 0 && (token.Is(ECPunct::Comma) || token.Is(ECPunct::RightBrace)))
    {
        if (!m_arrUnit.empty()) Enumerator(line);
        if (token.Is(ECPunct::RightBrace))
        {
            FinishEnum();
            m_eState = EState::Declaration;
        }
        return;
    }
    if (token.Is(ECPunct::LeftParen) || token.Is(ECPunct::LeftBracket) ||
        token.Is(ECPunct::LeftBrace))
        ++m_nDepth;
    if (token.Is(ECPunct::RightParen) || token.Is(ECPunct::RightBracket) ||
        token.Is(ECPunct::RightBrace))
        --m_nDepth;
    if (m_arrUnit.size() < kMaxUnitTokens)
        m_arrUnit.push_back(token);
    else
        m_bUnitTooLong = true;
}

bool CCBlockReader::EnumeratorComplete() const
{
    if (m_nDepth != 0 || m_arrUnit.empty()) return false;
    const SPpToken& last = m_arrUnit.back();
    return last.eKind == ECPp::Name || last.eKind == ECPp::Number ||
           last.eKind == ECPp::Character || last.Is(ECPunct::RightParen) ||
           last.Is(ECPunct::RightBracket);
}

void CCBlockReader::Enumerator(SCLine& line)
{
    std::vector<SPpToken> arrUnit;
    arrUnit.swap(m_arrUnit);
    const bool bTooLong = m_bUnitTooLong;
    m_bUnitTooLong = false;
    if (arrUnit[0].eKind != ECPp::Name || bTooLong) return;
    SEnumerator enumerator{std::string(arrUnit[0].strText), SCValue{}, false, {}};
    std::string& strUnknown = enumerator.strUnknown;
    const std::size_t nValue = SkipAttribute(arrUnit, 1);
    const std::size_t nTextSize = m_nGivenOffset - m_nStmtOffset + m_nLogicalSize;
    SCLine read;
    if (nValue < arrUnit.size() && arrUnit[nValue].Is(ECPunct::Assign))
    {
        std::vector<SPpToken> arrValue(arrUnit.begin() + static_cast<std::ptrdiff_t>(nValue) + 1,
                                       arrUnit.end());
        Read(arrValue, m_stmtClean, nTextSize, nullptr, nullptr, Expands(), read);
        const SCValue& value = read.reading.value;
        if (read.eKind == ECLineKind::Value && read.reading.bDefined && !IsFloating(value.eType))
        {
            const ECType eType = EnumeratorType(value);
            EFault eIgnored = EFault::None;
            enumerator.value = Convert(value, eType, eIgnored);
            enumerator.bKnown = true;
            if (eType != value.eType && Outcomes())
                Read(arrValue, m_stmtClean, nTextSize, &eType, nullptr, Expands(), read);
        }
        else if (read.eKind == ECLineKind::Value)
            strUnknown = read.reading.bDefined ? TextNotComputed("a floating enumerator")
                                               : read.reading.strFault;
        else
            strUnknown = read.eKind == ECLineKind::Unknown ? read.strUnknown
                                                           : TextNotDefined(enumerator.strName);
    }
    else if (nValue == arrUnit.size())
    {
        // One more than the enumerator before, in its type; 0 for the first.
        if (m_arrEnumerators.empty())
        {
            enumerator.value = IntegerValue(ECType::Int, 0);
            enumerator.bKnown = true;
        }
        else if (!m_arrEnumerators.back().bKnown)
        {
            strUnknown = m_arrEnumerators.back().strUnknown;
        }
        else
        {
            const SCValue& before = m_arrEnumerators.back().value;
            const SCResult next = ApplyBinary(ECOp::Add, before, IntegerValue(ECType::Int, 1));
            const bool bWrapped = !before.IsSigned() && next.value.nBits == 0;
            if (next.eFault != EFault::None || bWrapped)
                strUnknown = TextEnumOverflow();
            else
            {
                EFault eIgnored = EFault::None;
                enumerator.value = Convert(next.value, EnumeratorType(next.value), eIgnored);
                enumerator.bKnown = true;
            }
        }
        if (enumerator.bKnown)
        {
            read.eKind = ECLineKind::Value;
            ValueReading(enumerator.value, m_stmtClean, arrUnit[0].nBegin, nTextSize,
                         m_bPositions && Outcomes(), read.reading);
        }
    }
    else
        return; // no enumerator C reads
    if (enumerator.bKnown)
        m_names.DefineValue(enumerator.strName, ECNameKind::Enumerator, enumerator.value,
                            m_strOrigin);
    else
    {
        m_names.DefineUnknown(enumerator.strName, strUnknown, m_strOrigin);
        if (read.eKind != ECLineKind::Value)
        {
            read.eKind = ECLineKind::Unknown;
            read.strUnknown = strUnknown;
        }
    }
    read.strDefines = enumerator.strName;
    read.nLinesBefore = static_cast<int>(m_nLine + m_nPendingLines - 1 - m_nStmtLine);
    line = std::move(read);
    m_arrEnumerators.push_back(std::move(enumerator));
}

// GCC's rule once the enumeration is whole: its type is unsigned int where every value is
// non-negative and fits, int where they fit int, else long or unsigned long; an enumerator
// whose value does not fit int takes that type.
void CCBlockReader::FinishEnum()
{
    bool bNegative = false;
    bool bBeyondInt = false;
    bool bBeyond32 = false;
    for (const SEnumerator& enumerator : m_arrEnumerators)
    {
        if (!enumerator.bKnown) continue;
        const SCValue& value = enumerator.value;
        const bool bValueNegative = value.IsNegative();
        bNegative = bNegative || bValueNegative;
        bBeyondInt = bBeyondInt || !FitsInt(value);
        bBeyond32 = bBeyond32 || (!bValueNegative && value.nBits > UINT32_MAX);
    }
    ECType eType = bBeyond32 ? ECType::ULong : ECType::UInt;
    if (bNegative) eType = bBeyondInt ? ECType::Long : ECType::Int;
    for (SEnumerator& enumerator : m_arrEnumerators)
    {
        if (!enumerator.bKnown || FitsInt(enumerator.value)) continue;
        EFault eIgnored = EFault::None;
        enumerator.value = Convert(enumerator.value, eType, eIgnored);
        m_names.DefineValue(enumerator.strName, ECNameKind::Enumerator, enumerator.value,
                            m_strOrigin);
    }
    m_enumType = SCType::Of(eType);
    m_bEnumType = true;
    if (!m_strEnumTag.empty()) m_names.DefineEnumTag(m_strEnumTag, m_enumType, m_strOrigin);
}

void CCBlockReader::Declaration(SCLine& line)
{
    m_strDeclared.clear();
    std::vector<SPpToken> arrTokens;
    arrTokens.swap(m_arrDeclaration);
    const bool bTooLong = m_bUnitTooLong;
    m_bUnitTooLong = false;
    const bool bAssigns = m_bDeclarationAssigns;
    m_bDeclarationAssigns = false;
    const auto IsTypedef = [](const SPpToken& token) { return token.IsName("typedef"); };
    const bool bTypedef = std::any_of(arrTokens.begin(), arrTokens.end(), IsTypedef);
    if (bTooLong || (!bTypedef && !bAssigns)) return;
    const std::vector<SPpToken>* pTokens = &arrTokens;
    if (Expands())
    {
        if (!Expand(arrTokens)) return;
        pTokens = &m_arrExpanded;
    }
    const std::vector<SPpToken> arrDeclaration = *pTokens;
    SCDeclaration declaration;
    if (!ReadDeclaration(arrDeclaration, m_names, m_bEnumType ? &m_enumType : nullptr, declaration))
        return;
    const std::size_t nTextSize = m_nGivenOffset - m_nStmtOffset + m_nLogicalSize;
    // The later declarators are read from the tokens the macros gave, after the earlier ones
    // are defined.
    const CCNames::CHold hold(m_names);
    for (const SCDeclarator& declarator : declaration.arrDeclarators)
    {
        const std::string strName(declarator.strName);
        if (declaration.bTypedef)
        {
            SCType type = declarator.type;
            if (type.strName.find("(anonymous)") != std::string::npos) type.strName = strName;
            m_names.DefineTypedef(strName, type, m_strOrigin);
            line.strDefines = strName;
            continue;
        }
        if (declarator.nInitBegin == declarator.nInitEnd || !declarator.bObject) continue;
        if (declaration.base.eKind == ECTypeKind::Unknown)
        {
            // "foo_t x = 5;" with foo_t defined nowhere here
            line = SCLine{};
            line.eKind = ECLineKind::Unknown;
            line.strUnknown = TextNotDefined(declaration.base.strName);
            continue;
        }
        if (!declaration.base.IsArithmetic() && !declaration.bInferred) continue;
        const std::vector<SPpToken> arrValue(
            arrDeclaration.begin() + static_cast<std::ptrdiff_t>(declarator.nInitBegin),
            arrDeclaration.begin() + static_cast<std::ptrdiff_t>(declarator.nInitEnd));
        SCLine read;
        Read(arrValue, m_stmtClean, nTextSize,
             declaration.bInferred ? nullptr : &declaration.base.eArithmetic, nullptr, false, read);
        if (declaration.bConst && read.eKind == ECLineKind::Value && read.reading.bDefined)
            m_names.DefineValue(strName, ECNameKind::Constant, read.reading.value, m_strOrigin);
        if (declaration.bConst && read.eKind == ECLineKind::Unknown)
            m_names.DefineUnknown(strName, read.strUnknown, m_strOrigin);
        read.strDefines = strName;
        read.nLinesBefore = static_cast<int>(m_nLine + m_nPendingLines - 1 - m_nStmtLine);
        line = std::move(read);
        m_strDeclared = strName;
    }
}

void CCBlockReader::Read(const std::vector<SPpToken>& arrTokens, const SCleanText& clean,
                         std::size_t nTextSize, const ECType* pDeclared, const SCName* pDisabled,
                         bool bExpand, SCLine& line)
{
    const std::vector<SPpToken>* pTokens = &arrTokens;
    if (bExpand && Expands())
    {
        if (!Expand(arrTokens, pDisabled))
        {
            line.eKind = ECLineKind::Unknown;
            line.strUnknown = m_expander.m_strRefusal;
            return;
        }
        pTokens = &m_arrExpanded;
    }
    SCExprOptions options;
    options.pDeclared = pDeclared;
    if (Outcomes())
    {
        options.pClean = &clean;
        options.bPositions = m_bPositions;
        options.nTextSize = nTextSize;
    }
    m_expression.Read(*pTokens, m_names, options, m_result);
    switch (m_result.eStatus)
    {
    case ECExprStatus::Value:
        line.eKind = ECLineKind::Value;
        line.reading = std::move(m_result.reading);
        break;
    case ECExprStatus::Unknown:
        line.eKind = ECLineKind::Unknown;
        line.strUnknown = std::move(m_result.strUnknown);
        break;
    default:
        line.eKind = ECLineKind::NotC;
        line.strRefusal = std::move(m_result.strRefusal);
        break;
    }
    line.eConstruct = m_result.eConstruct;
    line.bPower = m_result.bPower;
    if (Outcomes()) Used(line);
}

bool CCBlockReader::Expand(const std::vector<SPpToken>& arrTokens, const SCName* pDisabled)
{
    m_arrExpanded.clear();
    const bool bExpanded = m_expander.Expand(arrTokens, m_arrExpanded, pDisabled, m_nBudget);
    m_nBudget -= std::min(m_nBudget, m_expander.Made());
    return bExpanded;
}

// An object-like macro whose replacement read as one known value, a literal or a whole
// bracketed expression, keeps that value: where it stands again, that value stands for it.
void CCBlockReader::KeepValue(const SCName* pMacro, const SCLine& line)
{
    if (!pMacro || pMacro->macro.nParams >= 0 || line.eKind != ECLineKind::Value ||
        !line.reading.bDefined || m_arrExpanded.empty())
        return;
    const SPpToken& first = m_arrExpanded.front();
    bool bClosed = m_arrExpanded.size() == 1 && first.eKind != ECPp::Name;
    if (first.Is(ECPunct::LeftParen))
    {
        std::size_t nDepth = 0;
        for (std::size_t i = 0; i < m_arrExpanded.size(); ++i)
        {
            if (m_arrExpanded[i].Is(ECPunct::LeftParen)) ++nDepth;
            if (m_arrExpanded[i].Is(ECPunct::RightParen) && --nDepth == 0)
            {
                bClosed = i + 1 == m_arrExpanded.size();
                break;
            }
        }
    }
    if (bClosed) m_names.CacheValue(*pMacro, line.reading.value);
}

void CCBlockReader::Used(SCLine& line)
{
    const auto add = [&](std::string_view strName, const SCName* pName)
    {
        if (!pName || line.arrUsed.size() >= kMaxNamesUsed) return;
        for (const SCNameUse& use : line.arrUsed)
            if (use.strName == strName) return;
        line.arrUsed.push_back({std::string(strName), pName->strOrigin});
    };
    for (const std::string_view strName : m_expander.m_arrInvoked)
        add(strName, m_names.FindMacro(strName));
    for (const std::string_view strName : m_result.arrNames)
        add(strName, m_names.FindOrdinary(strName));
}
