#include "CReader.h"

#include "CTexts.h"
#include "CTree.h"

namespace
{

// ---- Type names

struct STypedef
{
    std::string_view strName;
    ECType eType;
};

// The standard library's names of integer types on x86-64 Linux, and the Linux kernel's.
constexpr STypedef kTypedefs[] = {
    {"int8_t", ECType::SChar},
    {"uint8_t", ECType::UChar},
    {"int16_t", ECType::Short},
    {"uint16_t", ECType::UShort},
    {"int32_t", ECType::Int},
    {"uint32_t", ECType::UInt},
    {"int64_t", ECType::Long},
    {"uint64_t", ECType::ULong},
    {"int_least8_t", ECType::SChar},
    {"uint_least8_t", ECType::UChar},
    {"int_least16_t", ECType::Short},
    {"uint_least16_t", ECType::UShort},
    {"int_least32_t", ECType::Int},
    {"uint_least32_t", ECType::UInt},
    {"int_least64_t", ECType::Long},
    {"uint_least64_t", ECType::ULong},
    {"int_fast8_t", ECType::SChar},
    {"uint_fast8_t", ECType::UChar},
    {"int_fast16_t", ECType::Long},
    {"uint_fast16_t", ECType::ULong},
    {"int_fast32_t", ECType::Long},
    {"uint_fast32_t", ECType::ULong},
    {"int_fast64_t", ECType::Long},
    {"uint_fast64_t", ECType::ULong},
    {"intptr_t", ECType::Long},
    {"uintptr_t", ECType::ULong},
    {"intmax_t", ECType::Long},
    {"uintmax_t", ECType::ULong},
    {"size_t", ECType::ULong},
    {"ssize_t", ECType::Long},
    {"ptrdiff_t", ECType::Long},
    {"wchar_t", ECType::Int},
    {"char16_t", ECType::UShort},
    {"char32_t", ECType::UInt},
    {"u8", ECType::UChar},
    {"s8", ECType::SChar},
    {"u16", ECType::UShort},
    {"s16", ECType::Short},
    {"u32", ECType::UInt},
    {"s32", ECType::Int},
    {"u64", ECType::ULongLong},
    {"s64", ECType::LongLong},
    {"__u8", ECType::UChar},
    {"__s8", ECType::SChar},
    {"__u16", ECType::UShort},
    {"__s16", ECType::Short},
    {"__u32", ECType::UInt},
    {"__s32", ECType::Int},
    {"__u64", ECType::ULongLong},
    {"__s64", ECType::LongLong},
};

enum class EWord : std::uint8_t
{
    Signed,
    Unsigned,
    Short,
    Long,
    Int,
    Char,
    Float,
    Double,
    Qualifier,
    Storage,
    Auto
};

struct SWord
{
    std::string_view strName;
    EWord eWord;
};

constexpr SWord kWords[] = {
    {"signed", EWord::Signed},      {"unsigned", EWord::Unsigned}, {"short", EWord::Short},
    {"long", EWord::Long},          {"int", EWord::Int},           {"char", EWord::Char},
    {"float", EWord::Float},        {"double", EWord::Double},     {"const", EWord::Qualifier},
    {"volatile", EWord::Qualifier}, {"static", EWord::Storage},    {"extern", EWord::Storage},
    {"register", EWord::Storage},   {"constexpr", EWord::Storage}, {"auto", EWord::Auto},
};

// The words of a type name or a declaration's specifiers, counted.
struct SSpecifiers
{
    int arrCount[11] = {};
    int nTypedefs = 0;
    ECType eTypedef = ECType::Int;

    int Count(EWord eWord) const { return arrCount[static_cast<int>(eWord)]; }
    bool Add(std::string_view strName)
    {
        if (strName.size() > 14) return false; // longer than every name below
        for (const SWord& word : kWords)
            if (word.strName == strName)
            {
                ++arrCount[static_cast<int>(word.eWord)];
                return true;
            }
        for (const STypedef& name : kTypedefs)
            if (name.strName == strName)
            {
                ++nTypedefs;
                eTypedef = name.eType;
                return true;
            }
        return false;
    }
    bool HasType() const
    {
        return nTypedefs + Count(EWord::Signed) + Count(EWord::Unsigned) + Count(EWord::Short) +
                   Count(EWord::Long) + Count(EWord::Int) + Count(EWord::Char) +
                   Count(EWord::Float) + Count(EWord::Double) >
               0;
    }
    // The type they name; false for no type or a combination C refuses (or long double).
    bool Resolve(ECType& eType) const
    {
        const int nSign = Count(EWord::Signed) + Count(EWord::Unsigned);
        const int nSize = Count(EWord::Short) + Count(EWord::Long);
        const int nBase =
            Count(EWord::Int) + Count(EWord::Char) + Count(EWord::Float) + Count(EWord::Double);
        if (nTypedefs > 0)
        {
            eType = eTypedef;
            return nTypedefs == 1 && nSign + nSize + nBase == 0;
        }
        if (nSign > 1 || nBase > 1 || Count(EWord::Short) > 1 || Count(EWord::Long) > 2 ||
            (Count(EWord::Short) && Count(EWord::Long)) || nSign + nSize + nBase == 0)
            return false;
        const bool bUnsigned = Count(EWord::Unsigned) > 0;
        if (Count(EWord::Float) || Count(EWord::Double))
        {
            eType = Count(EWord::Float) ? ECType::Float : ECType::Double;
            return nSign + nSize == 0;
        }
        if (Count(EWord::Char))
        {
            eType = bUnsigned ? ECType::UChar : Count(EWord::Signed) ? ECType::SChar : ECType::Char;
            return nSize == 0;
        }
        if (Count(EWord::Short))
            eType = bUnsigned ? ECType::UShort : ECType::Short;
        else if (Count(EWord::Long) == 1)
            eType = bUnsigned ? ECType::ULong : ECType::Long;
        else if (Count(EWord::Long) == 2)
            eType = bUnsigned ? ECType::ULongLong : ECType::LongLong;
        else
            eType = bUnsigned ? ECType::UInt : ECType::Int;
        return true;
    }
};

class CParser
{
public:
    CParser(const std::vector<SCToken>& arrTokens, const std::string& strClean, SCReading& reading)
        : m_arrTokens(arrTokens), m_strClean(strClean), m_reading(reading)
    {
    }

    // The root node, or -1 when the tokens are not one C constant expression.
    int ParseUnit(bool& bDeclared, ECType& eDeclared)
    {
        bDeclared = false;
        if (Kind() == ECToken::Hash)
        {
            // An object-like macro: "#define NAME" and a blank or the expression.
            if (!IsName(1, "define") || Kind(2) != ECToken::Name) return -1;
            const SCToken& after = m_arrTokens[m_nPos + 3];
            if (after.eKind == ECToken::LeftParen && after.nSpace == after.nBegin) return -1;
            m_nPos += 3;
        }
        else if (!ParseDeclaration(bDeclared, eDeclared))
            return -1;
        const int nRoot = ParseBinary(0);
        if (nRoot < 0) return -1;
        if (Kind() == ECToken::Semicolon || Kind() == ECToken::Comma) ++m_nPos;
        return Kind() == ECToken::End ? nRoot : -1;
    }

    std::vector<SCNode> m_arrNodes;
    bool m_bSpaced = false;  // a binary operator stands after a blank
    bool m_bTooDeep = false; // the tokens nest deeper than kMaxDepth

private:
    ECToken Kind(std::size_t nAhead = 0) const
    {
        const std::size_t n = m_nPos + nAhead;
        return n < m_arrTokens.size() ? m_arrTokens[n].eKind : ECToken::End;
    }
    std::string_view Text(std::size_t n) const
    {
        const SCToken& token = m_arrTokens[n];
        return std::string_view(m_strClean).substr(token.nBegin, token.nEnd - token.nBegin);
    }
    bool IsName(std::size_t nAhead, std::string_view strName) const
    {
        return Kind(nAhead) == ECToken::Name && Text(m_nPos + nAhead) == strName;
    }

    // "[specifiers] NAME =" ahead: taken, with the type the specifiers name if any.
    bool ParseDeclaration(bool& bDeclared, ECType& eDeclared)
    {
        std::size_t n = 0;
        SSpecifiers specifiers;
        while (Kind(n) == ECToken::Name && Kind(n + 1) != ECToken::Assign)
        {
            if (!specifiers.Add(Text(m_nPos + n))) return Kind(n) != ECToken::Name || n == 0;
            ++n;
        }
        if (Kind(n) != ECToken::Name || Kind(n + 1) != ECToken::Assign)
            return n == 0; // no declaration: the expression itself
        if (specifiers.HasType())
        {
            if (!specifiers.Resolve(eDeclared)) return false;
            bDeclared = true;
        }
        else if (n > 0 && specifiers.Count(EWord::Auto) == 0)
            return false; // "static x = 1" has no type in C99 and later
        m_nPos += n + 2;
        return true;
    }

    int ParseBinary(int nMinPrecedence)
    {
        int nLeft = ParseCast();
        for (;;)
        {
            ECOp eOp = ECOp::Plus;
            const int nPrecedence = BinaryPrecedence(Kind(), eOp);
            if (nLeft < 0 || nPrecedence < nMinPrecedence || nPrecedence == 0) return nLeft;
            const std::uint32_t nOpToken = static_cast<std::uint32_t>(m_nPos++);
            const SCToken& op = m_arrTokens[nOpToken];
            m_bSpaced = m_bSpaced || op.nSpace < op.nBegin;
            const int nRight = ParseBinary(nPrecedence + 1);
            if (nRight < 0) return -1;
            nLeft = MakeBinary(eOp, nLeft, nRight, nOpToken);
        }
    }

    static int BinaryPrecedence(ECToken eKind, ECOp& eOp)
    {
        struct SBinary
        {
            ECToken eKind;
            ECOp eOp;
            int nPrecedence;
        };
        static constexpr SBinary kBinary[] = {
            {ECToken::Star, ECOp::Multiply, 10},
            {ECToken::Slash, ECOp::Divide, 10},
            {ECToken::Percent, ECOp::Remainder, 10},
            {ECToken::Plus, ECOp::Add, 9},
            {ECToken::Minus, ECOp::Subtract, 9},
            {ECToken::ShiftLeft, ECOp::ShiftLeft, 8},
            {ECToken::ShiftRight, ECOp::ShiftRight, 8},
            {ECToken::Amp, ECOp::And, 7},
            {ECToken::Caret, ECOp::Xor, 6},
            {ECToken::Pipe, ECOp::Or, 5},
        };
        for (const SBinary& binary : kBinary)
            if (binary.eKind == eKind)
            {
                eOp = binary.eOp;
                return binary.nPrecedence;
            }
        return 0;
    }

    // A cast, a unary operator, or a primary expression.
    int ParseCast()
    {
        if (++m_nDepth > CCReader::kMaxDepth)
        {
            m_bTooDeep = true;
            return -1;
        }
        const int nNode = ParseCastBody();
        --m_nDepth;
        return nNode;
    }

    int ParseCastBody()
    {
        const auto nFirst = static_cast<std::uint32_t>(m_nPos);
        SSpecifiers specifiers;
        if (Kind() == ECToken::LeftParen && Kind(1) == ECToken::Name &&
            specifiers.Add(Text(m_nPos + 1)))
        {
            std::size_t n = 2;
            while (Kind(n) == ECToken::Name)
                if (!specifiers.Add(Text(m_nPos + n++))) return -1;
            ECType eType = ECType::Int;
            if (Kind(n) != ECToken::RightParen || !specifiers.Resolve(eType) ||
                specifiers.Count(EWord::Storage) + specifiers.Count(EWord::Auto) > 0)
                return -1;
            m_nPos += n + 1;
            const int nOperand = ParseCast();
            return nOperand < 0 ? -1 : MakeCast(eType, nOperand, nFirst);
        }
        static constexpr struct
        {
            ECToken eKind;
            ECOp eOp;
        } kUnary[] = {{ECToken::Plus, ECOp::Plus},
                      {ECToken::Minus, ECOp::Negate},
                      {ECToken::Tilde, ECOp::Not}};
        for (const auto& unary : kUnary)
            if (Kind() == unary.eKind)
            {
                ++m_nPos;
                const int nOperand = ParseCast();
                return nOperand < 0 ? -1 : MakeUnary(unary.eOp, nOperand, nFirst);
            }
        if (Kind() == ECToken::Integer || Kind() == ECToken::Floating ||
            Kind() == ECToken::Character)
        {
            SCNode node;
            node.nFirstToken = node.nToken = nFirst;
            node.value = m_arrTokens[m_nPos++].value;
            node.eType = node.value.eType;
            return Add(node);
        }
        if (Kind() != ECToken::LeftParen) return -1;
        ++m_nPos;
        const int nInner = ParseBinary(0);
        if (nInner < 0 || Kind() != ECToken::RightParen) return -1;
        SCNode node = m_arrNodes[static_cast<std::size_t>(nInner)];
        node.eKind = ECNode::Group;
        node.nLeft = nInner;
        node.nRight = -1;
        node.nFirstToken = node.nToken = nFirst;
        node.nCloseToken = static_cast<std::uint32_t>(m_nPos++);
        node.bWrapped64 = false;
        return Add(node);
    }

    int Add(const SCNode& node)
    {
        m_arrNodes.push_back(node);
        const int nIndex = static_cast<int>(m_arrNodes.size()) - 1;
        if (node.bDefined && m_reading.strDoubleLimit.empty())
        {
            if (!node.value.IsExactInDouble())
                m_reading.strDoubleLimit = CannotHoldText(node.value);
            else if (node.bWrapped64)
                m_reading.strDoubleLimit = CannotWrapText(Describe(node));
        }
        return nIndex;
    }

    const SCNode& Node(int n) const { return m_arrNodes[static_cast<std::size_t>(n)]; }

    // The operation with its operands' values, as a fault's text names it: "1 << 32".
    std::string Describe(const SCNode& node) const
    {
        const SCNode& left = Node(node.nLeft);
        std::string strText;
        if (node.eKind == ECNode::Cast)
        {
            strText += '(';
            strText += TypeInfo(node.eType).strName;
            strText += ')';
            strText += DecimalText(left.value);
        }
        else if (node.eKind == ECNode::Unary)
        {
            const bool bNegative = left.value.IsNegative();
            strText += OpText(node.eOp);
            strText += bNegative ? "(" : "";
            strText += DecimalText(left.value);
            strText += bNegative ? ")" : "";
        }
        else
        {
            strText += DecimalText(left.value);
            strText += ' ';
            strText += OpText(node.eOp);
            strText += ' ';
            strText += DecimalText(Node(node.nRight).value);
        }
        return strText;
    }

    void SetFault(SCNode& node, EFault eFault)
    {
        node.bDefined = false;
        if (eFault == EFault::None || !m_reading.strFault.empty()) return;
        const SCTypeInfo& type = TypeInfo(
            eFault == EFault::CountTooLarge ? Promoted(Node(node.nLeft).eType) : node.eType);
        m_reading.strFault = UndefinedText(Describe(node), eFault, type);
    }

    int MakeBinary(ECOp eOp, int nLeft, int nRight, std::uint32_t nOpToken)
    {
        SCNode node;
        node.eKind = ECNode::Binary;
        node.eOp = eOp;
        node.nLeft = nLeft;
        node.nRight = nRight;
        node.nFirstToken = Node(nLeft).nFirstToken;
        node.nToken = nOpToken;
        bool bValid = true;
        node.eType = ResultType(eOp, Node(nLeft).eType, Node(nRight).eType, bValid);
        if (!bValid) return -1;
        if (!Node(nLeft).bDefined || !Node(nRight).bDefined)
            node.bDefined = false;
        else
        {
            const SCResult result = ApplyBinary(eOp, Node(nLeft).value, Node(nRight).value);
            node.value = result.value;
            node.bWrapped64 = result.bWrapped64;
            if (result.eFault != EFault::None) SetFault(node, result.eFault);
        }
        return Add(node);
    }

    int MakeUnary(ECOp eOp, int nOperand, std::uint32_t nToken)
    {
        SCNode node;
        node.eKind = ECNode::Unary;
        node.eOp = eOp;
        node.nLeft = nOperand;
        node.nFirstToken = node.nToken = nToken;
        node.eType = Promoted(Node(nOperand).eType);
        if (eOp == ECOp::Not && IsFloating(node.eType)) return -1;
        if (!Node(nOperand).bDefined)
            node.bDefined = false;
        else
        {
            const SCResult result = ApplyUnary(eOp, Node(nOperand).value);
            node.value = result.value;
            node.bWrapped64 = result.bWrapped64;
            if (result.eFault != EFault::None) SetFault(node, result.eFault);
        }
        return Add(node);
    }

public:
    int MakeCast(ECType eType, int nOperand, std::uint32_t nToken)
    {
        SCNode node;
        node.eKind = ECNode::Cast;
        node.nLeft = nOperand;
        node.nFirstToken = node.nToken = nToken;
        node.eType = eType;
        if (!Node(nOperand).bDefined)
            node.bDefined = false;
        else
        {
            EFault eFault = EFault::None;
            node.value = Convert(Node(nOperand).value, eType, eFault);
            const SCValue& from = Node(nOperand).value;
            node.bWrapped64 = TypeInfo(eType).nBits == 64 && !TypeInfo(eType).bSigned &&
                              !IsFloating(from.eType) && from.IsNegative();
            if (eFault != EFault::None) SetFault(node, eFault);
        }
        return Add(node);
    }

private:
    const std::vector<SCToken>& m_arrTokens;
    const std::string& m_strClean;
    SCReading& m_reading;
    std::size_t m_nPos = 0;
    int m_nDepth = 0;
};

std::string Refusal(std::string_view strBefore, std::size_t nLimit, std::string_view strAfter)
{
    return "Not read as C: " + std::string(strBefore) + std::to_string(nLimit) +
           std::string(strAfter) + ".";
}

} // namespace

bool CCReader::Read(std::string_view strText, SCReading& reading, bool bPositions)
{
    SCleanText clean;
    CleanSource(strText, clean, ECommentEnd::AtLineEnd);
    return ReadClean(clean, 0, static_cast<std::uint32_t>(clean.strText.size()), strText.size(),
                     reading, bPositions);
}

bool CCReader::ReadClean(const SCleanText& clean, std::uint32_t nBegin, std::uint32_t nEnd,
                         std::size_t nPastedSize, SCReading& reading, bool bPositions)
{
    reading = SCReading{};
    const bool bRead = ReadTokens(clean, nBegin, nEnd, nPastedSize, reading, bPositions);
    m_arrTokens.clear(); // a literal's text can be as long as the line
    return bRead;
}

bool CCReader::ReadTokens(const SCleanText& clean, std::uint32_t nBegin, std::uint32_t nEnd,
                          std::size_t nPastedSize, SCReading& reading, bool bPositions)
{
    const ETokenized eTokenized = Tokenize(clean.strText, nBegin, nEnd, kMaxTokens, m_arrTokens);
    if (eTokenized == ETokenized::TooMany)
        reading.strRefusal = Refusal("more than ", kMaxTokens, " tokens");
    if (eTokenized != ETokenized::Read) return false;
    CParser parser(m_arrTokens, clean.strText, reading);
    bool bDeclared = false;
    ECType eDeclared = ECType::Int;
    int nRoot = parser.ParseUnit(bDeclared, eDeclared);
    if (nRoot < 0)
    {
        reading = SCReading{};
        if (parser.m_bTooDeep)
            reading.strRefusal = Refusal("nested more than ", kMaxDepth, " deep");
        return false;
    }
    if (bDeclared) // the declared object holds the value converted to its type
        nRoot = parser.MakeCast(eDeclared, nRoot,
                                parser.m_arrNodes[static_cast<std::size_t>(nRoot)].nFirstToken);
    const SCNode& root = parser.m_arrNodes[static_cast<std::size_t>(nRoot)];
    reading.bC = true;
    reading.bDefined = root.bDefined;
    reading.value = root.value;
    reading.value.eType = root.eType;
    if (!reading.bDefined) reading.strDoubleLimit.clear();
    PrintTranslation(parser.m_arrNodes, m_arrTokens, clean, parser.m_bSpaced, nRoot,
                     reading.strTranslation, bPositions ? &reading.arrSourcePos : nullptr);
    if (bPositions) reading.arrSourcePos.push_back(nPastedSize);
    return true;
}
