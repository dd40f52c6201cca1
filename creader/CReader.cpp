#include "CReader.h"

#include "ExpressionEvaluator.h"

#include <cmath>

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
    {"int8_t", ECType::SChar},        {"uint8_t", ECType::UChar},
    {"int16_t", ECType::Short},       {"uint16_t", ECType::UShort},
    {"int32_t", ECType::Int},         {"uint32_t", ECType::UInt},
    {"int64_t", ECType::Long},        {"uint64_t", ECType::ULong},
    {"int_least8_t", ECType::SChar},  {"uint_least8_t", ECType::UChar},
    {"int_least16_t", ECType::Short}, {"uint_least16_t", ECType::UShort},
    {"int_least32_t", ECType::Int},   {"uint_least32_t", ECType::UInt},
    {"int_least64_t", ECType::Long},  {"uint_least64_t", ECType::ULong},
    {"int_fast8_t", ECType::SChar},   {"uint_fast8_t", ECType::UChar},
    {"int_fast16_t", ECType::Long},   {"uint_fast16_t", ECType::ULong},
    {"int_fast32_t", ECType::Long},   {"uint_fast32_t", ECType::ULong},
    {"int_fast64_t", ECType::Long},   {"uint_fast64_t", ECType::ULong},
    {"intptr_t", ECType::Long},       {"uintptr_t", ECType::ULong},
    {"intmax_t", ECType::Long},       {"uintmax_t", ECType::ULong},
    {"size_t", ECType::ULong},        {"ssize_t", ECType::Long},
    {"ptrdiff_t", ECType::Long},      {"wchar_t", ECType::Int},
    {"char16_t", ECType::UShort},     {"char32_t", ECType::UInt},
    {"u8", ECType::UChar},            {"s8", ECType::SChar},
    {"u16", ECType::UShort},          {"s16", ECType::Short},
    {"u32", ECType::UInt},            {"s32", ECType::Int},
    {"u64", ECType::ULongLong},       {"s64", ECType::LongLong},
    {"__u8", ECType::UChar},          {"__s8", ECType::SChar},
    {"__u16", ECType::UShort},        {"__s16", ECType::Short},
    {"__u32", ECType::UInt},          {"__s32", ECType::Int},
    {"__u64", ECType::ULongLong},     {"__s64", ECType::LongLong},
};

enum class EWord : std::uint8_t { Signed, Unsigned, Short, Long, Int, Char, Float, Double, Qualifier, Storage, Auto };

struct SWord
{
    std::string_view strName;
    EWord eWord;
};

constexpr SWord kWords[] = {
    {"signed", EWord::Signed},     {"unsigned", EWord::Unsigned}, {"short", EWord::Short},
    {"long", EWord::Long},         {"int", EWord::Int},           {"char", EWord::Char},
    {"float", EWord::Float},       {"double", EWord::Double},     {"const", EWord::Qualifier},
    {"volatile", EWord::Qualifier}, {"static", EWord::Storage},   {"extern", EWord::Storage},
    {"register", EWord::Storage},  {"constexpr", EWord::Storage}, {"auto", EWord::Auto},
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
                   Count(EWord::Float) + Count(EWord::Double) > 0;
    }
    // The type they name; false for no type or a combination C refuses (or long double).
    bool Resolve(ECType& eType) const
    {
        const int nSign = Count(EWord::Signed) + Count(EWord::Unsigned);
        const int nSize = Count(EWord::Short) + Count(EWord::Long);
        const int nBase = Count(EWord::Int) + Count(EWord::Char) + Count(EWord::Float) + Count(EWord::Double);
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

// ---- The tree

enum class ECNode : std::uint8_t { Literal, Group, Unary, Binary, Cast };

struct SCNode
{
    ECNode eKind = ECNode::Literal;
    ECOp eOp = ECOp::Plus;
    ECType eType = ECType::Int; // C's type of the node, known even where its value is not
    bool bDefined = true;
    bool bWrapped64 = false;
    int nLeft = -1;  // the operand of a group, unary operator or cast
    int nRight = -1;
    std::uint32_t nFirstToken = 0;
    std::uint32_t nToken = 0;      // the literal, the operator, or the '(' of a group or cast
    std::uint32_t nCloseToken = 0; // the ')' of a group
    SCValue value;
};

struct SFaultText
{
    EFault eFault;
    std::string_view strReason; // {t}: the type; {b}: its width in bits
};

constexpr SFaultText kFaultTexts[] = {
    {EFault::Overflow, "it overflows {t}"},
    {EFault::NegativeShifted, "it shifts a negative value left"},
    {EFault::ShiftOverflow, "the result does not fit in {t}"},
    {EFault::NegativeCount, "the shift count is negative"},
    {EFault::CountTooLarge, "the shift count is not below the {b} bits of {t}"},
    {EFault::DivisionByZero, "it divides by zero"},
    {EFault::OutOfRange, "{t} cannot hold the value"},
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
    bool m_bSpaced = false; // a binary operator stands after a blank

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
            {ECToken::Star, ECOp::Multiply, 10},   {ECToken::Slash, ECOp::Divide, 10},
            {ECToken::Percent, ECOp::Remainder, 10}, {ECToken::Plus, ECOp::Add, 9},
            {ECToken::Minus, ECOp::Subtract, 9},   {ECToken::ShiftLeft, ECOp::ShiftLeft, 8},
            {ECToken::ShiftRight, ECOp::ShiftRight, 8}, {ECToken::Amp, ECOp::And, 7},
            {ECToken::Caret, ECOp::Xor, 6},        {ECToken::Pipe, ECOp::Or, 5},
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
        if (++m_nDepth > CCReader::kMaxDepth) return -1;
        const int nNode = ParseCastBody();
        --m_nDepth;
        return nNode;
    }

    int ParseCastBody()
    {
        const auto nFirst = static_cast<std::uint32_t>(m_nPos);
        SSpecifiers specifiers;
        if (Kind() == ECToken::LeftParen && Kind(1) == ECToken::Name && specifiers.Add(Text(m_nPos + 1)))
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
        } kUnary[] = {{ECToken::Plus, ECOp::Plus}, {ECToken::Minus, ECOp::Negate}, {ECToken::Tilde, ECOp::Not}};
        for (const auto& unary : kUnary)
            if (Kind() == unary.eKind)
            {
                ++m_nPos;
                const int nOperand = ParseCast();
                return nOperand < 0 ? -1 : MakeUnary(unary.eOp, nOperand, nFirst);
            }
        if (Kind() == ECToken::Integer || Kind() == ECToken::Floating || Kind() == ECToken::Character)
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
                m_reading.strDoubleLimit = "a double cannot hold " + DecimalText(node.value) + " exactly";
            else if (node.bWrapped64)
                m_reading.strDoubleLimit = "a double cannot wrap " + Describe(node) + " around 64 bits";
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
        const SCTypeInfo& type =
            TypeInfo(eFault == EFault::CountTooLarge ? Promoted(Node(node.nLeft).eType) : node.eType);
        std::string strReason;
        for (const SFaultText& text : kFaultTexts)
            if (text.eFault == eFault) strReason = text.strReason;
        for (std::size_t n; (n = strReason.find("{t}")) != std::string::npos;)
            strReason.replace(n, 3, type.strName);
        if (const std::size_t n = strReason.find("{b}"); n != std::string::npos)
            strReason.replace(n, 3, std::to_string(type.nBits));
        m_reading.strFault = "C leaves " + Describe(node) + " undefined: " + strReason + ".";
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

// ---- The calculator's form

int Priority(std::string_view strToken)
{
    for (const CExpressionEvaluator::OperatorEntry& entry : CExpressionEvaluator::m_operators)
        if (entry.strToken == strToken) return entry.nPriority;
    return 0;
}

struct SPriorities
{
    int nMultiply = Priority("*");
    int nAdd = Priority("+");
    int nBitwise = Priority("|");
    int nPower = Priority("<");
    int nNot = Priority("~");

    int Of(ECOp eOp) const
    {
        switch (eOp)
        {
        case ECOp::Multiply:
        case ECOp::Divide:
        case ECOp::Remainder: return nMultiply;
        case ECOp::Add:
        case ECOp::Subtract:
        case ECOp::Negate: return nAdd;
        case ECOp::Not: return nNot;
        default: return nBitwise;
        }
    }
};

const SPriorities& Priorities()
{
    static const SPriorities priorities;
    return priorities;
}

// How a node is written: as it is, or with the idiom that gives C's meaning in the calculator.
enum class EPlan : std::uint8_t
{
    AsIs,
    Transparent,        // unary plus, and casts that change no value: the operand alone
    TruncatedQuotient,  // a / b | 0: the calculator's division is a double's
    MaskedShift,        // a >> n & mask: a logical shift of a value the calculator sees negative
    DividedByPower,     // a / (2<n) | 0: a shift beyond 32 bits
    MultipliedByPower,  // a * (2<n)
    Mask,               // x & $FF: to an unsigned 8- or 16-bit type
    SignExtended,       // (x & $FF ^ $80) - $80: to a signed 8- or 16-bit type
    Int32,              // x | 0
    UInt32,             // ~(~x)
};

enum class EForm : std::uint8_t { Atom, Unary, Binary };

struct SForm
{
    EForm eForm;
    int nPriority;
};

// Where a node is printed: under an operator of nParent (0 for none), as its right operand or
// not, first in its group (where only an operator without a left operand may stand), and
// whether its leading blanks are left out.
struct SContext
{
    int nParent = 0;
    bool bRight = false;
    bool bAtStart = true;
    bool bSkipSpace = true;
};

class CPrinter
{
public:
    CPrinter(const std::vector<SCNode>& arrNodes, const std::vector<SCToken>& arrTokens,
             const SCleanText& clean, bool bSpaced, std::string& strOut,
             std::vector<std::size_t>* pSourcePos)
        : m_arrNodes(arrNodes), m_arrTokens(arrTokens), m_clean(clean), m_bSpaced(bSpaced),
          m_strOut(strOut), m_pSourcePos(pSourcePos)
    {
    }

    void Print(int nNode, SContext context)
    {
        const SForm form = FormOf(nNode);
        const bool bParens = form.eForm == EForm::Unary
                                 ? !context.bAtStart || form.nPriority < context.nParent
                             : form.eForm == EForm::Binary
                                 ? (context.bRight ? form.nPriority <= context.nParent
                                                   : form.nPriority < context.nParent)
                                 : false;
        if (!bParens)
        {
            PrintContent(nNode, context);
            return;
        }
        const std::uint32_t nAnchor = Node(nNode).nFirstToken;
        if (!context.bSkipSpace) EmitSpace(nAnchor);
        Emit("(", nAnchor);
        PrintContent(nNode, {});
        Emit(")", nAnchor);
    }

private:
    const SCNode& Node(int n) const { return m_arrNodes[static_cast<std::size_t>(n)]; }

    EPlan PlanOf(int nNode) const
    {
        const SCNode& node = Node(nNode);
        switch (node.eKind)
        {
        case ECNode::Unary: return node.eOp == ECOp::Plus ? EPlan::Transparent : EPlan::AsIs;
        case ECNode::Cast: return CastPlan(node);
        case ECNode::Binary: break;
        default: return EPlan::AsIs;
        }
        const SCNode& left = Node(node.nLeft);
        const SCNode& right = Node(node.nRight);
        if (!node.bDefined || IsFloating(node.eType)) return EPlan::AsIs;
        const SCValue& a = left.value;
        const std::uint64_t n = right.value.nBits;
        switch (node.eOp)
        {
        case ECOp::Divide:
            return node.value.IsInt32() ? EPlan::TruncatedQuotient : EPlan::AsIs;
        case ECOp::ShiftRight:
            if (n < 32 && a.IsInt32()) return EPlan::AsIs;
            if (n >= 1 && n < 32 && !a.IsNegative() && a.nBits < (1ull << 32)) return EPlan::MaskedShift;
            if (!a.IsNegative() && node.value.IsInt32() && a.IsExactInDouble()) return EPlan::DividedByPower;
            return EPlan::AsIs;
        case ECOp::ShiftLeft:
            return TypeInfo(node.eType).nBits == 64 && !node.value.IsInt32() && !node.bWrapped64
                       ? EPlan::MultipliedByPower
                       : EPlan::AsIs;
        default: return EPlan::AsIs;
        }
    }

    EPlan CastPlan(const SCNode& node) const
    {
        const SCTypeInfo& to = TypeInfo(node.eType);
        const SCNode& operand = Node(node.nLeft);
        const SCTypeInfo& from = TypeInfo(operand.eType);
        if (to.bFloating) return EPlan::Transparent;
        if (!from.bFloating)
        {
            const bool bKeepsValues = from.bSigned == to.bSigned ? to.nBits >= from.nBits
                                                                 : !from.bSigned && to.nBits > from.nBits;
            if (bKeepsValues) return EPlan::Transparent;
        }
        else if (to.nBits == 64)
        {
            if (!operand.bDefined || operand.value.dValue == std::trunc(operand.value.dValue))
                return EPlan::Transparent;
            return node.value.IsInt32() ? EPlan::Int32 : EPlan::Transparent;
        }
        if (to.nBits < 32) return to.bSigned ? EPlan::SignExtended : EPlan::Mask;
        if (to.nBits == 32) return to.bSigned ? EPlan::Int32 : EPlan::UInt32;
        return EPlan::Transparent; // between 64-bit types: no exact form in a double
    }

    SForm FormOf(int nNode) const
    {
        const SCNode& node = Node(nNode);
        const SPriorities& priorities = Priorities();
        switch (PlanOf(nNode))
        {
        case EPlan::Transparent: return FormOf(node.nLeft);
        case EPlan::TruncatedQuotient:
        case EPlan::MaskedShift:
        case EPlan::DividedByPower:
        case EPlan::Mask:
        case EPlan::Int32: return {EForm::Binary, priorities.nBitwise};
        case EPlan::MultipliedByPower: return {EForm::Binary, priorities.nMultiply};
        case EPlan::SignExtended: return {EForm::Binary, priorities.nAdd};
        case EPlan::UInt32: return {EForm::Unary, priorities.nNot};
        case EPlan::AsIs: break;
        }
        switch (node.eKind)
        {
        case ECNode::Literal:
            return node.value.IsNegative() ? SForm{EForm::Unary, priorities.nAdd} : SForm{EForm::Atom, 0};
        case ECNode::Unary: return {EForm::Unary, priorities.Of(node.eOp)};
        case ECNode::Binary: return {EForm::Binary, priorities.Of(node.eOp)};
        default: return {EForm::Atom, 0};
        }
    }

    static SContext Left(int nPriority, SContext context)
    {
        return {nPriority, false, context.bAtStart, context.bSkipSpace};
    }
    static SContext Right(int nPriority, bool bSkipSpace = false)
    {
        return {nPriority, true, false, bSkipSpace};
    }

    void PrintContent(int nNode, SContext context)
    {
        const SCNode& node = Node(nNode);
        const SPriorities& priorities = Priorities();
        const EPlan ePlan = PlanOf(nNode);
        if (!context.bSkipSpace) EmitSpace(node.nFirstToken);
        context.bSkipSpace = true; // the node's leading blanks are out
        switch (ePlan)
        {
        case EPlan::Transparent: Print(node.nLeft, context); return;
        case EPlan::TruncatedQuotient:
            PrintBinary(node, priorities.nMultiply, context, "/");
            EmitInserted("|", "0", node.nToken);
            return;
        case EPlan::MaskedShift:
        {
            PrintBinary(node, priorities.nBitwise, context, ">>");
            const std::uint64_t nMask = (1ull << (32 - Node(node.nRight).value.nBits)) - 1;
            EmitInserted("&", HexDigits(nMask), node.nToken);
            return;
        }
        case EPlan::DividedByPower:
        case EPlan::MultipliedByPower:
            Print(node.nLeft, Left(priorities.nMultiply, context));
            EmitSpace(node.nToken);
            Emit(ePlan == EPlan::DividedByPower ? "/" : "*", node.nToken);
            Emit(m_bSpaced ? " (2<" : "(2<", node.nToken);
            Print(node.nRight, Right(priorities.nPower, true));
            Emit(")", node.nToken);
            if (ePlan == EPlan::DividedByPower) EmitInserted("|", "0", node.nToken);
            return;
        case EPlan::Mask:
            Print(node.nLeft, Left(priorities.nBitwise, context));
            EmitInserted("&", HexDigits((1ull << TypeInfo(node.eType).nBits) - 1), node.nToken);
            return;
        case EPlan::SignExtended:
        {
            const int nBits = TypeInfo(node.eType).nBits;
            Emit("(", node.nToken);
            Print(node.nLeft, {priorities.nBitwise, false, true, true});
            EmitInserted("&", HexDigits((1ull << nBits) - 1), node.nToken);
            EmitInserted("^", HexDigits(1ull << (nBits - 1)), node.nToken);
            Emit(")", node.nToken);
            EmitInserted("-", HexDigits(1ull << (nBits - 1)), node.nToken);
            return;
        }
        case EPlan::Int32:
            Print(node.nLeft, Left(priorities.nBitwise, context));
            EmitInserted("|", "0", node.nToken);
            return;
        case EPlan::UInt32:
            Emit("~(~", node.nToken);
            Print(node.nLeft, Right(priorities.nNot, true));
            Emit(")", node.nToken);
            return;
        case EPlan::AsIs: break;
        }
        switch (node.eKind)
        {
        case ECNode::Literal: PrintLiteral(node); return;
        case ECNode::Group:
            Emit("(", node.nToken);
            Print(node.nLeft, {0, false, true, false});
            EmitSpace(node.nCloseToken);
            Emit(")", node.nCloseToken);
            return;
        case ECNode::Unary:
            Emit(OpText(node.eOp), node.nToken);
            Print(node.nLeft, Right(priorities.Of(node.eOp)));
            return;
        default: PrintBinary(node, priorities.Of(node.eOp), context, OpText(node.eOp)); return;
        }
    }

    void PrintBinary(const SCNode& node, int nPriority, SContext context, std::string_view strOp)
    {
        Print(node.nLeft, Left(nPriority, context));
        EmitSpace(node.nToken);
        Emit(strOp, node.nToken);
        Print(node.nRight, Right(nPriority));
    }

    void PrintLiteral(const SCNode& node)
    {
        const SCToken& token = m_arrTokens[node.nToken];
        const SCToken& next = m_arrTokens[node.nToken + 1];
        if (node.value.IsNegative()) Emit("-", node.nToken);
        // The calculator reads 'c' only with no blank beside it.
        const bool bQuoted = !token.strCalculator.empty() && token.strCalculator[0] == '\'';
        if (bQuoted && (token.nSpace < token.nBegin || next.nSpace < next.nBegin))
            Emit(std::to_string(node.value.Signed()), node.nToken);
        else
            Emit(token.strCalculator, node.nToken);
    }

    static std::string HexDigits(std::uint64_t nValue)
    {
        std::string strHex(1, '$');
        strHex.append(HexText(IntegerValue(ECType::ULongLong, nValue)), 2);
        return strHex;
    }

    // The blanks before a token, each as one blank: the calculator reads no tabs.
    void EmitSpace(std::uint32_t nToken)
    {
        const SCToken& token = m_arrTokens[nToken];
        for (std::uint32_t i = token.nSpace; i < token.nBegin; ++i)
        {
            m_strOut += ' ';
            if (m_pSourcePos) m_pSourcePos->push_back(m_clean.arrSource[i]);
        }
    }

    void Emit(std::string_view strText, std::uint32_t nToken)
    {
        m_strOut += strText;
        if (m_pSourcePos)
            m_pSourcePos->insert(m_pSourcePos->end(), strText.size(),
                                 m_clean.arrSource[m_arrTokens[nToken].nBegin]);
    }

    // An operator and operand the idiom adds, spaced as the pasted operators are.
    void EmitInserted(std::string_view strOp, std::string_view strOperand, std::uint32_t nToken)
    {
        if (m_bSpaced) Emit(" ", nToken);
        Emit(strOp, nToken);
        if (m_bSpaced) Emit(" ", nToken);
        Emit(strOperand, nToken);
    }

    const std::vector<SCNode>& m_arrNodes;
    const std::vector<SCToken>& m_arrTokens;
    const SCleanText& m_clean;
    const bool m_bSpaced;
    std::string& m_strOut;
    std::vector<std::size_t>* m_pSourcePos;
};

} // namespace

bool CCReader::Read(std::string_view strText, SCReading& reading, bool bPositions)
{
    CleanSource(strText, m_clean);
    return ReadClean(m_clean, 0, static_cast<std::uint32_t>(m_clean.strText.size()), strText.size(),
                     reading, bPositions);
}

bool CCReader::ReadClean(const SCleanText& clean, std::uint32_t nBegin, std::uint32_t nEnd,
                         std::size_t nPastedSize, SCReading& reading, bool bPositions)
{
    reading = SCReading{};
    if (!Tokenize(clean.strText, nBegin, nEnd, m_arrTokens) || m_arrTokens.size() > kMaxTokens + 1)
        return false;
    CParser parser(m_arrTokens, clean.strText, reading);
    bool bDeclared = false;
    ECType eDeclared = ECType::Int;
    int nRoot = parser.ParseUnit(bDeclared, eDeclared);
    if (nRoot < 0)
    {
        reading = SCReading{};
        return false;
    }
    if (bDeclared) // the declared object holds the value converted to its type
        nRoot = parser.MakeCast(eDeclared, nRoot, parser.m_arrNodes[static_cast<std::size_t>(nRoot)].nFirstToken);
    const SCNode& root = parser.m_arrNodes[static_cast<std::size_t>(nRoot)];
    reading.bC = true;
    reading.bDefined = root.bDefined;
    reading.value = root.value;
    reading.value.eType = root.eType;
    if (!reading.bDefined) reading.strDoubleLimit.clear();
    CPrinter printer(parser.m_arrNodes, m_arrTokens, clean, parser.m_bSpaced, reading.strTranslation,
                     bPositions ? &reading.arrSourcePos : nullptr);
    printer.Print(nRoot, {});
    if (bPositions) reading.arrSourcePos.push_back(nPastedSize);
    return true;
}
