#include "ExpressionEvaluator.h"

#include "Ascii.h"
#include "IntegerConversion.h"

#include <array>
#include <bit>

namespace
{

// Token texts in table order; the order decides which row wins at a position ("<<" before "<").
// Row 0 stands for "no operator pending"; its token is two bytes no ordinary input contains.
constexpr std::array<std::string_view, CExpressionEvaluator::kTokenCount> kTokens = {
    "\xE1\xE1", "*",     "/",     "%",    "+",    "-",      "|",    "&",    "^",    "<<",
    ">>",       "<",     "~",     ")",    "(",    "int(",   "sqr(", "cos(", "sin(", "tan(",
    "acos(",    "asin(", "atan(", "exp(", "log(", "log10(", "pow(", "rand("};

constexpr int kOpeningPriority = 200;

// For every byte, the rows whose token can start with it: the scanner tries only those, so
// a byte that starts no token costs one table load instead of 28 comparisons.
consteval std::array<std::uint32_t, 256> BuildFirstByteIndex()
{
    std::array<std::uint32_t, 256> masks{};
    for (int nRow = 0; nRow < CExpressionEvaluator::kTokenCount; ++nRow)
    {
        const char ch = kTokens[nRow][0];
        masks[static_cast<unsigned char>(ch)] |= 1u << nRow;
        masks[static_cast<unsigned char>(lumdrak::AsciiUpper(ch))] |= 1u << nRow;
    }
    return masks;
}

constexpr std::array<std::uint32_t, 256> kFirstByteIndex = BuildFirstByteIndex();

bool IsBinaryPriority(int nPriority) { return nPriority >= 1 && nPriority < kOpeningPriority; }

// Two tokens that may not follow each other: two binary operators, a binary operator and a
// closing bracket, a closing bracket and an opening one or a function.
bool IsForbiddenPair(int nPrevPriority, int nPriority)
{
    return (IsBinaryPriority(nPriority) && IsBinaryPriority(nPrevPriority)) ||
           (nPriority == 0 && IsBinaryPriority(nPrevPriority)) ||
           (nPriority >= kOpeningPriority && nPrevPriority == 0);
}

double CastTo(double dValue, ECastType eCast)
{
    const std::uint64_t nBits = lumdrak::ToUInt64Bits(dValue);
    switch (eCast)
    {
    case ECastType::Signed32:
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(nBits));
    case ECastType::Unsigned32:
        return static_cast<std::uint32_t>(nBits);
    case ECastType::Signed16:
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(nBits));
    case ECastType::Unsigned16:
        return static_cast<std::uint16_t>(nBits);
    case ECastType::Signed8:
        return static_cast<std::int8_t>(static_cast<std::uint8_t>(nBits));
    case ECastType::Unsigned8:
        return static_cast<std::uint8_t>(nBits);
    default:
        return dValue;
    }
}

} // namespace

const CExpressionEvaluator::OperatorEntry CExpressionEvaluator::m_operators[kTokenCount] = {
    {kTokens[0], 0, &CExpressionEvaluator::OpRight},
    {kTokens[1], 100, &CExpressionEvaluator::OpMultiply},
    {kTokens[2], 100, &CExpressionEvaluator::OpDivide},
    {kTokens[3], 100, &CExpressionEvaluator::OpModulo},
    {kTokens[4], 98, &CExpressionEvaluator::OpAdd},
    {kTokens[5], 98, &CExpressionEvaluator::OpSubtract},
    {kTokens[6], 95, &CExpressionEvaluator::OpOr},
    {kTokens[7], 95, &CExpressionEvaluator::OpAnd},
    {kTokens[8], 95, &CExpressionEvaluator::OpXor},
    {kTokens[9], 95, &CExpressionEvaluator::OpShiftLeft},
    {kTokens[10], 95, &CExpressionEvaluator::OpShiftRight},
    {kTokens[11], 102, &CExpressionEvaluator::OpPower},
    {kTokens[12], 104, &CExpressionEvaluator::OpNot},
    {kTokens[13], 0, nullptr},
    {kTokens[14], kOpeningPriority, nullptr},
    {kTokens[15], 201, &CExpressionEvaluator::FnInt},
    {kTokens[16], 201, &CExpressionEvaluator::FnSqr},
    {kTokens[17], 201, &CExpressionEvaluator::FnCos},
    {kTokens[18], 201, &CExpressionEvaluator::FnSin},
    {kTokens[19], 201, &CExpressionEvaluator::FnTan},
    {kTokens[20], 201, &CExpressionEvaluator::FnAcos},
    {kTokens[21], 201, &CExpressionEvaluator::FnAsin},
    {kTokens[22], 201, &CExpressionEvaluator::FnAtan},
    {kTokens[23], 201, &CExpressionEvaluator::FnExp},
    {kTokens[24], 201, &CExpressionEvaluator::FnLog},
    {kTokens[25], 201, &CExpressionEvaluator::FnLog10},
    {kTokens[26], 201, &CExpressionEvaluator::OpPower},
    {kTokens[27], 201, &CExpressionEvaluator::FnRand},
};

double CExpressionEvaluator::Evaluate(const std::string* pText)
{
    m_dOperand = 0.0;
    m_nErrorPos = 0;
    m_nTokenRun = 0;
    m_nPos = 0;
    m_nBracketPos = 0;
    m_nBracketBalance = 0;
    m_nPrevToken = 0;
    m_nPrevTokenEnd = 0;
    m_nSubDepth = 0;
    m_nGroupDepth = 0;
    m_text = *pText;
    if (m_text.size() > static_cast<std::size_t>(kMaxTextLength))
    {
        m_nErrorPos = kMaxTextLength + 1;
        return 0.0;
    }

    const double dValue = EvaluateLevel(0.0);
    if (m_nErrorPos == 0 && m_nBracketBalance != 0) m_nErrorPos = m_nBracketPos;
    m_text = {};
    return dValue;
}

double CExpressionEvaluator::EvaluateLevel(double dStart)
{
    int nOp = 0;
    double dLeft = 0.0;
    double dCur = dStart;

    while (m_nErrorPos == 0 && NextItem(m_nPos) != 0)
    {
        if (m_nToken == 0)
        {
            dCur = m_dOperand;
            m_nTokenRun = 0;
            continue;
        }

        const int nToken = m_nToken;
        const OperatorEntry& entry = m_operators[nToken - 1];
        const int nPriority = entry.nPriority;
        CountToken(nToken, m_nPos);

        if (nPriority == 0)
        {
            // Every level up to the enclosing group meets this token again and ends too.
            m_nPos -= static_cast<int>(entry.strToken.size());
            return Apply(dLeft, dCur, nOp);
        }
        if (nPriority >= kOpeningPriority)
        {
            if (!EvaluateGroup(nToken, dCur)) break;
            continue;
        }
        if (nOp == 0)
        {
            dLeft = dCur;
            nOp = nToken;
            continue;
        }
        const int nOpPriority = m_operators[nOp - 1].nPriority;
        if (nPriority > nOpPriority)
        {
            // The sub-level meets this operator again as its first token.
            m_nPos = m_nScanStart;
            ++m_nSubDepth;
            dCur = EvaluateLevel(dCur);
            --m_nSubDepth;
        }
        else if (nPriority < nOpPriority && m_nSubDepth > 0)
        {
            m_nPos = m_nScanStart;
            return Apply(dLeft, dCur, nOp);
        }
        else
        {
            dLeft = Apply(dLeft, dCur, nOp);
            nOp = nToken;
        }
    }
    return Apply(dLeft, dCur, nOp);
}

void CExpressionEvaluator::CountToken(int nToken, int nEnd)
{
    // A token met again after a rewind was counted the first time round.
    if (nEnd <= m_nPrevTokenEnd) return;
    const int nPriority = m_operators[nToken - 1].nPriority;
    if (nPriority == 0)
    {
        ++m_nBracketBalance;
        m_nBracketPos = nEnd;
    }
    else if (nPriority >= kOpeningPriority)
    {
        --m_nBracketBalance;
        m_nBracketPos = nEnd;
    }
    if (++m_nTokenRun > 1 && IsForbiddenPair(m_operators[m_nPrevToken - 1].nPriority, nPriority))
        m_nErrorPos = nEnd;
    m_nPrevToken = nToken;
    m_nPrevTokenEnd = nEnd;
}

bool CExpressionEvaluator::EvaluateGroup(int nToken, double& dCur)
{
    if (m_nGroupDepth >= kMaxGroupDepth)
    {
        if (m_nErrorPos == 0) m_nErrorPos = m_nPos;
        return false;
    }
    const int nSavedSubDepth = m_nSubDepth;
    m_nSubDepth = 0;
    ++m_nGroupDepth;
    const double dGroup = EvaluateLevel(0.0);
    --m_nGroupDepth;
    m_nSubDepth = nSavedSubDepth;
    const bool bPlainGroup = m_operators[nToken - 1].nPriority == kOpeningPriority;
    dCur = bPlainGroup ? dGroup : Apply(dGroup, 0.0, nToken);
    ++m_nPos; // past the group's ")"
    return true;
}

int CExpressionEvaluator::MatchToken(std::size_t nPos) const
{
    std::uint32_t nCandidates = kFirstByteIndex[static_cast<unsigned char>(m_text[nPos])];
    const std::size_t nLeft = m_text.size() - nPos;
    while (nCandidates != 0)
    {
        const int nRow = std::countr_zero(nCandidates);
        nCandidates &= nCandidates - 1;
        const std::string_view strToken = kTokens[nRow];
        if (strToken.size() > nLeft) continue;
        std::size_t k = 1; // the first byte matched through the index
        while (k < strToken.size() && lumdrak::AsciiLower(m_text[nPos + k]) == strToken[k])
            ++k;
        if (k == strToken.size()) return nRow;
    }
    return -1;
}

int CExpressionEvaluator::NextItem(int nPos)
{
    m_nPos = nPos;
    m_nScanStart = nPos;
    m_nToken = 0;
    const int nLength = static_cast<int>(m_text.size());
    if (nPos >= nLength) return 0;

    bool bInQuotes = false;
    for (int i = nPos; i < nLength; ++i)
    {
        const auto c = static_cast<unsigned char>(m_text[i]);
        if (c == '\'')
        {
            // No token starts with a quote, so toggling is all this byte does.
            bInQuotes = !bInQuotes;
            continue;
        }
        if (bInQuotes || kFirstByteIndex[c] == 0) continue;
        const int nRow = MatchToken(i);
        if (nRow < 0) continue;

        if (i > m_nScanStart)
        {
            const EOperand eOutcome = ReadOperand(m_text.substr(m_nScanStart, i - m_nScanStart));
            if (eOutcome != EOperand::Blank)
            {
                // An operand; the token is found again by the next scan.
                if (eOutcome == EOperand::Rejected) m_nErrorPos = m_nPos;
                m_nPos = i;
                return i;
            }
        }
        else
        {
            m_dOperand = 0.0;
        }
        m_nToken = nRow + 1;
        m_nPos = i + static_cast<int>(kTokens[nRow].size());
        return m_nPos;
    }

    const EOperand eOutcome = ReadOperand(m_text.substr(m_nScanStart));
    if (eOutcome == EOperand::Rejected)
        m_nErrorPos = m_nPos;
    else if (eOutcome == EOperand::Blank)
        m_nErrorPos = m_nScanStart + 2; // blanks after the last token
    m_nPos = nLength;
    return nLength;
}

double CExpressionEvaluator::Apply(double dLeft, double dRight, int nToken)
{
    const Operation pfn = m_operators[nToken == 0 ? 0 : nToken - 1].pfnOperation;
    if (!IsCast(m_nCastType)) return (this->*pfn)(dLeft, dRight);
    return CastTo((this->*pfn)(CastTo(dLeft, m_nCastType), CastTo(dRight, m_nCastType)),
                  m_nCastType);
}

void CExpressionEvaluator::FormatBinary(int nWidth, std::uint64_t nValue)
{
    m_strBinary.assign(static_cast<std::size_t>(nWidth), '0');
    for (int i = nWidth - 1; i >= 0; --i, nValue >>= 1)
        if (nValue & 1u) m_strBinary[static_cast<std::size_t>(i)] = '1';
}

std::string CExpressionEvaluator::Binary64(std::int64_t nValue)
{
    FormatBinary(64, static_cast<std::uint64_t>(nValue));
    return m_strBinary;
}

std::string CExpressionEvaluator::Binary32(std::int32_t nValue)
{
    FormatBinary(32, static_cast<std::uint32_t>(nValue));
    return m_strBinary;
}

std::string CExpressionEvaluator::Binary16(std::int64_t nValue)
{
    FormatBinary(16, static_cast<std::uint64_t>(nValue) & 0xFFFFu);
    return m_strBinary;
}

std::string CExpressionEvaluator::Binary8(std::int64_t nValue)
{
    FormatBinary(8, static_cast<std::uint64_t>(nValue) & 0xFFu);
    return m_strBinary;
}
