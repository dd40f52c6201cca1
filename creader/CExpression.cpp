#include "CExpression.h"

#include "Ascii.h"
#include "CTexts.h"
#include "CTree.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>

namespace
{

// ---- Words of declarations and type names

enum class EWord : std::uint8_t
{
    Void,
    Char,
    Short,
    Int,
    Long,
    Float,
    Double,
    Signed,
    Unsigned,
    Bool,
    Int128,
    Complex,
    Special, // a floating type of its own size: _Float128, __float128, _Float16 ...
    Qualifier,
    Const,
    Typedef,
    Storage,
    Auto,      // a storage class, and in C23 a declaration whose type its initializer gives
    Attribute, // followed by a bracketed list that changes no value: __attribute__((...))
    Record,
    Enum,
    Typeof,
    Atomic,
    Count
};

struct SWord
{
    std::string_view strName;
    EWord eWord;
    std::uint8_t nSize = 0; // Special: its size, or 0 for the arithmetic type below
    ECType eType = ECType::Double;
};

constexpr SWord kWords[] = {
    {"void", EWord::Void},
    {"char", EWord::Char},
    {"short", EWord::Short},
    {"int", EWord::Int},
    {"long", EWord::Long},
    {"float", EWord::Float},
    {"double", EWord::Double},
    {"signed", EWord::Signed},
    {"__signed", EWord::Signed},
    {"__signed__", EWord::Signed},
    {"unsigned", EWord::Unsigned},
    {"_Bool", EWord::Bool},
    {"__int128", EWord::Int128},
    {"_Complex", EWord::Complex},
    {"__complex__", EWord::Complex},
    {"_Float16", EWord::Special, 2},
    {"__bf16", EWord::Special, 2},
    {"_Float32", EWord::Special, 0, ECType::Float},
    {"_Float64", EWord::Special, 0, ECType::Double},
    {"_Float32x", EWord::Special, 0, ECType::Double},
    {"_Float64x", EWord::Special, 16},
    {"_Float128", EWord::Special, 16},
    {"__float128", EWord::Special, 16},
    {"__float80", EWord::Special, 16},
    {"const", EWord::Const},
    {"__const", EWord::Const},
    {"__const__", EWord::Const},
    {"constexpr", EWord::Const},
    {"volatile", EWord::Qualifier},
    {"__volatile", EWord::Qualifier},
    {"__volatile__", EWord::Qualifier},
    {"restrict", EWord::Qualifier},
    {"__restrict", EWord::Qualifier},
    {"__restrict__", EWord::Qualifier},
    {"typedef", EWord::Typedef},
    {"extern", EWord::Storage},
    {"static", EWord::Storage},
    {"auto", EWord::Auto},
    {"register", EWord::Storage},
    {"_Thread_local", EWord::Storage},
    {"__thread", EWord::Storage},
    {"inline", EWord::Storage},
    {"__inline", EWord::Storage},
    {"__inline__", EWord::Storage},
    {"_Noreturn", EWord::Storage},
    {"__extension__", EWord::Storage},
    {"__attribute__", EWord::Attribute},
    {"__attribute", EWord::Attribute},
    {"__declspec", EWord::Attribute},
    {"_Alignas", EWord::Attribute},
    {"alignas", EWord::Attribute},
    {"__asm__", EWord::Attribute},
    {"__asm", EWord::Attribute},
    {"asm", EWord::Attribute},
    {"struct", EWord::Record},
    {"union", EWord::Record},
    {"enum", EWord::Enum},
    {"typeof", EWord::Typeof},
    {"__typeof__", EWord::Typeof},
    {"__typeof", EWord::Typeof},
    {"_Atomic", EWord::Atomic},
};

const SWord* FindWord(const SPpToken& token)
{
    if (token.eKind != ECPp::Name || token.strText.size() > 14) return nullptr;
    for (const SWord& word : kWords)
        if (word.strName == token.strText) return &word;
    return nullptr;
}

SCType OtherType(std::string_view strName, std::uint64_t nSize,
                 ECTypeKind eKind = ECTypeKind::Other)
{
    SCType type;
    type.eKind = eKind;
    type.nSize = type.nAlign = nSize;
    type.strName = strName;
    return type;
}

SCType PointerTo(const SCType& target)
{
    SCType type = OtherType(target.strName + " *", 8, ECTypeKind::Pointer);
    return type;
}

// The words of a declaration's specifiers or a type name, counted.
struct SSpecifiers
{
    int arrCount[static_cast<int>(EWord::Count)] = {};
    bool bOther = false; // a typedef name, struct, union, enum, typeof or special type
    SCType other;

    int Count(EWord eWord) const { return arrCount[static_cast<int>(eWord)]; }
    int Basic() const
    {
        int nBasic = 0;
        for (EWord e : {EWord::Void, EWord::Char, EWord::Short, EWord::Int, EWord::Long,
                        EWord::Float, EWord::Double, EWord::Signed, EWord::Unsigned, EWord::Bool,
                        EWord::Int128, EWord::Complex})
            nBasic += Count(e);
        return nBasic;
    }
    bool HasType() const { return bOther || Basic() > 0; }

    // The type they name; false for a combination C refuses.
    bool Resolve(SCType& type) const
    {
        if (bOther)
        {
            type = other;
            return Basic() == 0;
        }
        const int nSign = Count(EWord::Signed) + Count(EWord::Unsigned);
        const int nLong = Count(EWord::Long);
        const int nBase = Count(EWord::Void) + Count(EWord::Char) + Count(EWord::Int) +
                          Count(EWord::Float) + Count(EWord::Double) + Count(EWord::Bool) +
                          Count(EWord::Int128);
        const bool bUnsigned = Count(EWord::Unsigned) > 0;
        if (nSign > 1 || nBase - Count(EWord::Int) > 1 || Count(EWord::Int) > 1 ||
            Count(EWord::Short) > 1 || nLong > 2 || (Count(EWord::Short) && nLong) ||
            Count(EWord::Complex) > 1 || Basic() == 0)
            return false;
        const bool bSized = Count(EWord::Short) + nLong > 0;
        if (Count(EWord::Complex))
        {
            const bool bFloat = Count(EWord::Float) > 0;
            if (nSign || Count(EWord::Int) || Count(EWord::Char) || Count(EWord::Short))
                return false;
            type = OtherType("complex", bFloat ? 8 : nLong ? 32 : 16);
            type.nAlign = bFloat ? 4 : nLong ? 16 : 8;
            return true;
        }
        if (Count(EWord::Void) || Count(EWord::Bool))
        {
            const bool bVoid = Count(EWord::Void) > 0;
            type = OtherType(bVoid ? "void" : "_Bool", 1,
                             bVoid ? ECTypeKind::Void : ECTypeKind::Other);
            return nSign + Count(EWord::Short) + nLong + Count(EWord::Int) == 0;
        }
        if (Count(EWord::Int128))
        {
            type = OtherType(bUnsigned ? "unsigned __int128" : "__int128", 16);
            return !bSized && !Count(EWord::Int);
        }
        if (Count(EWord::Float) || Count(EWord::Double))
        {
            if (nSign || Count(EWord::Short) || Count(EWord::Int)) return false;
            if (Count(EWord::Float)) type = SCType::Of(ECType::Float);
            if (Count(EWord::Double)) type = SCType::Of(ECType::Double);
            if (nLong == 1 && Count(EWord::Double)) type = OtherType("long double", 16);
            return nLong == 0 || (nLong == 1 && Count(EWord::Double));
        }
        if (Count(EWord::Char))
        {
            type = SCType::Of(bUnsigned                  ? ECType::UChar
                              : Count(EWord::Signed) > 0 ? ECType::SChar
                                                         : ECType::Char);
            return !bSized && !Count(EWord::Int);
        }
        ECType eType = bUnsigned ? ECType::UInt : ECType::Int;
        if (Count(EWord::Short)) eType = bUnsigned ? ECType::UShort : ECType::Short;
        if (nLong == 1) eType = bUnsigned ? ECType::ULong : ECType::Long;
        if (nLong == 2) eType = bUnsigned ? ECType::ULongLong : ECType::LongLong;
        type = SCType::Of(eType);
        return true;
    }
};

enum class EBuiltInCall : std::uint8_t
{
    ConstantP,
    Expect,
    ByteSwap,
    Infinity,
    NaN,
};

struct SBuiltInCall
{
    std::string_view strName;
    EBuiltInCall eCall;
    std::size_t nArgs;
    ECType eType; // the result's; LongLong stands for long double, which is not computed
};

constexpr SBuiltInCall kBuiltInCalls[] = {
    {"__builtin_constant_p", EBuiltInCall::ConstantP, 1, ECType::Int},
    {"__builtin_expect", EBuiltInCall::Expect, 2, ECType::Long},
    {"__builtin_bswap16", EBuiltInCall::ByteSwap, 1, ECType::UShort},
    {"__builtin_bswap32", EBuiltInCall::ByteSwap, 1, ECType::UInt},
    {"__builtin_bswap64", EBuiltInCall::ByteSwap, 1, ECType::ULong},
    {"__builtin_huge_val", EBuiltInCall::Infinity, 0, ECType::Double},
    {"__builtin_huge_valf", EBuiltInCall::Infinity, 0, ECType::Float},
    {"__builtin_huge_vall", EBuiltInCall::Infinity, 0, ECType::LongLong},
    {"__builtin_inf", EBuiltInCall::Infinity, 0, ECType::Double},
    {"__builtin_inff", EBuiltInCall::Infinity, 0, ECType::Float},
    {"__builtin_infl", EBuiltInCall::Infinity, 0, ECType::LongLong},
    {"__builtin_nan", EBuiltInCall::NaN, 1, ECType::Double},
    {"__builtin_nanf", EBuiltInCall::NaN, 1, ECType::Float},
    {"__builtin_nanl", EBuiltInCall::NaN, 1, ECType::LongLong},
    {"__builtin_nans", EBuiltInCall::NaN, 1, ECType::Double},
    {"__builtin_nansf", EBuiltInCall::NaN, 1, ECType::Float},
    {"__builtin_nansl", EBuiltInCall::NaN, 1, ECType::LongLong},
};

struct SCalculatorWord
{
    std::string_view strName;
    bool bFunction; // a function: the calculator's only where "(" follows
};

constexpr SCalculatorWord kCalculatorWords[] = {
    {"pi", false}, {"r", false},  {"m", false},    {"sqr", true},  {"cos", true},
    {"sin", true}, {"tan", true}, {"acos", true},  {"asin", true}, {"atan", true},
    {"exp", true}, {"log", true}, {"log10", true}, {"pow", true},  {"rand", true},
};

bool IsCalculatorWord(std::string_view strName, bool bCalled)
{
    for (const SCalculatorWord& word : kCalculatorWords)
    {
        if (word.strName.size() != strName.size() || (word.bFunction && !bCalled)) continue;
        if (lumdrak::StartsWithNoCase(strName, word.strName)) return true;
    }
    return false;
}

// The operation with its operands' values, as C's fault and the double's limit name it:
// "1 << 32", "-(-2147483648)", "(int)3e+09".
std::string DescribeOperation(ECNode eKind, ECOp eOp, ECType eType, const SCValue& left,
                              const SCValue& right)
{
    if (eKind == ECNode::Cast)
        return "(" + std::string(TypeInfo(eType).strName) + ")" + DecimalText(left);
    if (eKind == ECNode::Unary)
    {
        const bool bNegative = left.IsNegative();
        return std::string(OpText(eOp)) + (bNegative ? "(" : "") + DecimalText(left) +
               (bNegative ? ")" : "");
    }
    return DecimalText(left) + " " + std::string(OpText(eOp)) + " " + DecimalText(right);
}

// ---- The tree

enum class EExprKind : std::uint8_t
{
    Literal,
    Group,
    Unary,
    Binary,
    Cast,
    Computed, // a value the translation writes as it is
};

struct SExprNode
{
    EExprKind eKind = EExprKind::Literal;
    ECOp eOp = ECOp::Plus;
    ECType eType = ECType::Int;
    ECTypeKind eTypeKind = ECTypeKind::Arithmetic;
    ECConstruct eConstruct = ECConstruct::Arithmetic;
    bool bDefined = true;
    bool bWrapped64 = false;
    bool bOwnExpanded = false; // a token of its own came from a macro's replacement
    int nLeft = -1;
    int nRight = -1;
    std::uint32_t nFirstToken = 0;
    std::uint32_t nToken = 0;
    std::uint32_t nCloseToken = 0;
    std::uint64_t nSize = 0; // of a type that is no arithmetic type; 0 where not known
    std::uint64_t nAlign = 0;
    int nReason = -1; // why its value is not known, an index of the parser's reasons
    int nFault = -1;  // what C leaves undefined on the way, an index of the parser's faults
    SCValue value;

    bool HasValue() const { return nReason < 0 && eTypeKind == ECTypeKind::Arithmetic; }
};

// The calculator's spelling of a value's magnitude, as a literal token holds it; false where
// the calculator has none (an infinity, NaN).
bool CalculatorForm(const SCValue& value, std::string& strForm)
{
    if (!IsFloating(value.eType))
    {
        const std::uint64_t nMagnitude =
            value.IsNegative() ? 0 - static_cast<std::uint64_t>(value.Signed()) : value.nBits;
        strForm = std::to_string(nMagnitude);
        return true;
    }
    if (!std::isfinite(value.dValue)) return false;
    std::string strText = ShortestText(std::fabs(value.dValue));
    std::vector<SCToken> arrTokens;
    if (Tokenize(strText, 0, static_cast<std::uint32_t>(strText.size()), 1, arrTokens) !=
            ETokenized::Read ||
        arrTokens.size() != 2)
        return false;
    strForm = arrTokens[0].strCalculator;
    return true;
}

struct SBinaryOp
{
    ECPunct ePunct;
    int nPrecedence;
    ECOp eOp; // for the operators the calculator writes too
    ECConstruct eConstruct;
};

constexpr SBinaryOp kBinaryOps[] = {
    {ECPunct::OrOr, 1, ECOp::Or, ECConstruct::Logical},
    {ECPunct::AndAnd, 2, ECOp::And, ECConstruct::Logical},
    {ECPunct::Pipe, 3, ECOp::Or, ECConstruct::Arithmetic},
    {ECPunct::Caret, 4, ECOp::Xor, ECConstruct::Arithmetic},
    {ECPunct::Amp, 5, ECOp::And, ECConstruct::Arithmetic},
    {ECPunct::Equal, 6, ECOp::Plus, ECConstruct::Comparison},
    {ECPunct::NotEqual, 6, ECOp::Plus, ECConstruct::Comparison},
    {ECPunct::Less, 7, ECOp::Plus, ECConstruct::Comparison},
    {ECPunct::Greater, 7, ECOp::Plus, ECConstruct::Comparison},
    {ECPunct::LessEqual, 7, ECOp::Plus, ECConstruct::Comparison},
    {ECPunct::GreaterEqual, 7, ECOp::Plus, ECConstruct::Comparison},
    {ECPunct::ShiftLeft, 8, ECOp::ShiftLeft, ECConstruct::Arithmetic},
    {ECPunct::ShiftRight, 8, ECOp::ShiftRight, ECConstruct::Arithmetic},
    {ECPunct::Plus, 9, ECOp::Add, ECConstruct::Arithmetic},
    {ECPunct::Minus, 9, ECOp::Subtract, ECConstruct::Arithmetic},
    {ECPunct::Star, 10, ECOp::Multiply, ECConstruct::Arithmetic},
    {ECPunct::Slash, 10, ECOp::Divide, ECConstruct::Arithmetic},
    {ECPunct::Percent, 10, ECOp::Remainder, ECConstruct::Arithmetic},
};

const SBinaryOp* FindBinary(const SPpToken& token)
{
    if (token.eKind != ECPp::Punct) return nullptr;
    for (const SBinaryOp& op : kBinaryOps)
        if (op.ePunct == token.ePunct) return &op;
    return nullptr;
}

bool IsTrue(const SCValue& value)
{
    return IsFloating(value.eType) ? value.dValue != 0.0 : value.nBits != 0;
}

// C's comparison of two values converted to their common type.
bool Compare(ECPunct ePunct, const SCValue& left, const SCValue& right)
{
    const ECType eType = CommonType(left.eType, right.eType);
    EFault eIgnored = EFault::None;
    const SCValue a = Convert(left, eType, eIgnored);
    const SCValue b = Convert(right, eType, eIgnored);
    int nOrder = 0; // -1, 0, 1; 2 unordered
    if (IsFloating(eType))
        nOrder = a.dValue < b.dValue ? -1 : a.dValue > b.dValue ? 1 : a.dValue == b.dValue ? 0 : 2;
    else if (TypeInfo(eType).bSigned)
        nOrder = a.Signed() < b.Signed() ? -1 : a.Signed() > b.Signed() ? 1 : 0;
    else
        nOrder = a.nBits < b.nBits ? -1 : a.nBits > b.nBits ? 1 : 0;
    switch (ePunct)
    {
    case ECPunct::Equal:
        return nOrder == 0;
    case ECPunct::NotEqual:
        return nOrder != 0;
    case ECPunct::Less:
        return nOrder == -1;
    case ECPunct::Greater:
        return nOrder == 1;
    case ECPunct::LessEqual:
        return nOrder == -1 || nOrder == 0;
    default:
        return nOrder == 1 || nOrder == 0;
    }
}

class CParser
{
public:
    CParser(const std::vector<SPpToken>& arrTokens, const CCNames& names, bool bCondition)
        : m_arrTokens(arrTokens), m_names(names), m_bCondition(bCondition)
    {
        m_arrLiterals.resize(arrTokens.size() + 1);
    }

    // ---- Expressions

    // The whole token list as one expression: its root, or -1 when it is none.
    int ParseWhole()
    {
        const int nRoot = ParseConditional();
        if (nRoot < 0 || Kind() != ECPp::End) return -1;
        return nRoot;
    }

    const SExprNode& Node(int n) const { return m_arrNodes[static_cast<std::size_t>(n)]; }

    std::vector<SExprNode> m_arrNodes;
    std::vector<SCToken> m_arrLiterals; // each token's literal value, where it is one
    std::vector<std::string> m_arrReasons;
    std::vector<std::string> m_arrFaults;
    std::vector<bool> m_arrCalculator; // the reason is a name the calculator reads itself
    std::vector<std::string_view> m_arrNames;
    bool m_bPower = false;
    bool m_bTooDeep = false; // the tokens nest deeper than kMaxDepth
    bool m_bTooLong = false; // more than kMaxOperations binary operations

    // ---- Declarations

    bool ParseDeclaration(const SCType* pEnumBody, SCDeclaration& declaration)
    {
        SSpecifiers specifiers;
        if (!ParseSpecifiers(specifiers, pEnumBody, true)) return false;
        declaration.bInferred = !specifiers.HasType() && specifiers.Count(EWord::Auto) > 0;
        if (!declaration.bInferred &&
            (!specifiers.HasType() || !specifiers.Resolve(declaration.base)))
            return false;
        declaration.bTypedef = specifiers.Count(EWord::Typedef) > 0;
        declaration.bConst = specifiers.Count(EWord::Const) > 0;
        if (Kind() == ECPp::End) return true; // "struct x { }" declares its tag alone
        for (;;)
        {
            SCDeclarator declarator;
            bool bObject = true;
            if (!ParseDeclarator(declaration.base, false, declarator.type, declarator.strName,
                                 bObject) ||
                declarator.strName.empty())
                return false;
            declarator.bObject = bObject;
            SkipAttributes();
            declarator.nInitBegin = declarator.nInitEnd = m_nPos;
            if (Is(ECPunct::Assign))
            {
                declarator.nInitBegin = ++m_nPos;
                SkipUntilComma();
                declarator.nInitEnd = m_nPos;
            }
            declaration.arrDeclarators.push_back(declarator);
            if (Kind() == ECPp::End) return true;
            if (!Is(ECPunct::Comma)) return false;
            ++m_nPos;
        }
    }

    bool StartsDeclaration(std::size_t nFirst)
    {
        m_nPos = nFirst;
        if (FindWord(Token())) return true;
        if (Kind() != ECPp::Name) return false;
        const SCName* pName = m_names.FindOrdinary(Token().strText);
        if (pName && pName->eKind == ECNameKind::Typedef) return true;
        // An unknown type's name followed by a declarator: "snd_pcm_t *pcm;", "foo_t x = 1;"
        const SPpToken& next = Token(1);
        return next.eKind == ECPp::Name && !FindWord(next) && Token(2).eKind != ECPp::End &&
               !FindBinary(Token(2)) && !Token(2).Is(ECPunct::LeftParen) && !pName &&
               !m_names.FindMacro(Token().strText);
    }

private:
    // ---- Tokens

    const SPpToken& Token(std::size_t nAhead = 0) const
    {
        static const SPpToken end;
        const std::size_t n = m_nPos + nAhead;
        return n < m_arrTokens.size() ? m_arrTokens[n] : end;
    }
    ECPp Kind(std::size_t nAhead = 0) const { return Token(nAhead).eKind; }
    bool Is(ECPunct ePunct, std::size_t nAhead = 0) const { return Token(nAhead).Is(ePunct); }
    auto Here() const { return static_cast<std::uint32_t>(m_nPos); }

    // Past a bracketed list from the '(' (or '[', '{') at the current token; false where it
    // does not close.
    bool SkipBracketed()
    {
        int nDepth = 0;
        for (; Kind() != ECPp::End; ++m_nPos)
        {
            const SPpToken& token = Token();
            if (token.Is(ECPunct::LeftParen) || token.Is(ECPunct::LeftBracket) ||
                token.Is(ECPunct::LeftBrace))
                ++nDepth;
            else if (token.Is(ECPunct::RightParen) || token.Is(ECPunct::RightBracket) ||
                     token.Is(ECPunct::RightBrace))
            {
                if (--nDepth == 0)
                {
                    ++m_nPos;
                    return true;
                }
            }
        }
        return false;
    }

    void SkipUntilComma()
    {
        int nDepth = 0;
        for (; Kind() != ECPp::End; ++m_nPos)
        {
            const SPpToken& token = Token();
            if (nDepth == 0 && token.Is(ECPunct::Comma)) return;
            if (token.Is(ECPunct::LeftParen) || token.Is(ECPunct::LeftBracket) ||
                token.Is(ECPunct::LeftBrace))
                ++nDepth;
            if (token.Is(ECPunct::RightParen) || token.Is(ECPunct::RightBracket) ||
                token.Is(ECPunct::RightBrace))
                --nDepth;
        }
    }

    void SkipAttributes()
    {
        for (;;)
        {
            const SWord* pWord = FindWord(Token());
            if (pWord && pWord->eWord == EWord::Attribute && Is(ECPunct::LeftParen, 1))
            {
                ++m_nPos;
                if (!SkipBracketed()) return;
            }
            else if (Is(ECPunct::LeftBracket) && Is(ECPunct::LeftBracket, 1))
            {
                if (!SkipBracketed()) return;
            }
            else
                return;
        }
    }

    // ---- Nodes

    int Add(const SExprNode& node)
    {
        m_arrNodes.push_back(node);
        return static_cast<int>(m_arrNodes.size()) - 1;
    }

    int Reason(std::string strReason, bool bCalculator = false)
    {
        m_arrReasons.push_back(std::move(strReason));
        m_arrCalculator.push_back(bCalculator);
        return static_cast<int>(m_arrReasons.size()) - 1;
    }

    // A node whose value is not known, for the reason given.
    int Unknown(std::uint32_t nFirst, int nReason, ECTypeKind eTypeKind = ECTypeKind::Unknown)
    {
        SExprNode node;
        node.eKind = EExprKind::Computed;
        node.eTypeKind = eTypeKind;
        node.nFirstToken = node.nToken = nFirst;
        node.nReason = nReason;
        node.eConstruct = ECConstruct::Name;
        return Add(node);
    }

    int Computed(std::uint32_t nFirst, const SCValue& value, ECConstruct eConstruct)
    {
        SExprNode node;
        node.eKind = EExprKind::Computed;
        node.nFirstToken = node.nToken = nFirst;
        node.value = value;
        node.eType = value.eType;
        node.eConstruct = eConstruct;
        return Add(node);
    }

    // The first reason among the nodes, for a node built from them.
    int ReasonOf(std::initializer_list<int> nodes) const
    {
        for (const int n : nodes)
            if (n >= 0 && Node(n).nReason >= 0) return Node(n).nReason;
        return -1;
    }

    // A reason for a node that is no arithmetic value.
    int ValueReason(int n)
    {
        const SExprNode& node = Node(n);
        if (node.nReason >= 0) return node.nReason;
        if (node.eTypeKind == ECTypeKind::Pointer) return Reason(TextAddress());
        if (node.eTypeKind == ECTypeKind::Arithmetic) return -1;
        return Reason(TextNotComputed("this type"));
    }

    std::string Describe(const SExprNode& node) const
    {
        const ECNode eKind = node.eKind == EExprKind::Cast    ? ECNode::Cast
                             : node.eKind == EExprKind::Unary ? ECNode::Unary
                                                              : ECNode::Binary;
        const SCValue right = node.nRight >= 0 ? Node(node.nRight).value : SCValue{};
        return DescribeOperation(eKind, node.eOp, node.eType, Node(node.nLeft).value, right);
    }

    void SetFault(SExprNode& node, EFault eFault)
    {
        node.bDefined = false;
        const ECType eType =
            eFault == EFault::CountTooLarge ? Promoted(Node(node.nLeft).eType) : node.eType;
        m_arrFaults.push_back(TextFault(eFault, Describe(node), eType));
        node.nFault = static_cast<int>(m_arrFaults.size()) - 1;
    }

    // Undefined where an operand evaluated is: the first of them names the fault.
    int TooDeep()
    {
        --m_nDepth;
        m_bTooDeep = true;
        return -1;
    }

    static void Inherit(SExprNode& node, const SExprNode& operand)
    {
        if (operand.bDefined || !node.bDefined) return;
        node.bDefined = false;
        node.nFault = operand.nFault;
    }

    // In #if every integer is an intmax_t or a uintmax_t.
    SCValue ForCondition(const SCValue& value) const
    {
        if (!m_bCondition || IsFloating(value.eType)) return value;
        EFault eIgnored = EFault::None;
        return Convert(value, TypeInfo(value.eType).bSigned ? ECType::Long : ECType::ULong,
                       eIgnored);
    }

    // ---- Grammar

    // conditional: logical-or [ "?" conditional ":" conditional ]
    int ParseConditional()
    {
        if (++m_nDepth > CCExpression::kMaxDepth) return TooDeep();
        const int nCondition = ParseBinary(1);
        int nResult = nCondition;
        if (nCondition >= 0 && Is(ECPunct::Question))
        {
            ++m_nPos;
            const int nTrue = ParseConditional();
            if (nTrue < 0 || !Is(ECPunct::Colon))
                nResult = -1;
            else
            {
                ++m_nPos;
                const int nFalse = ParseConditional();
                nResult = nFalse < 0 ? -1 : MakeChoice(nCondition, nTrue, nFalse);
            }
        }
        --m_nDepth;
        return nResult;
    }

    int ParseBinary(int nMinPrecedence)
    {
        int nLeft = ParseCast();
        for (;;)
        {
            const SBinaryOp* pOp = FindBinary(Token());
            if (nLeft < 0 || !pOp || pOp->nPrecedence < nMinPrecedence) return nLeft;
            const std::uint32_t nOpToken = Here();
            ++m_nPos;
            const int nRight = ParseBinary(pOp->nPrecedence + 1);
            if (nRight < 0) return -1;
            // A chain of operations is as deep as it is long, and its tree is walked by recursion.
            if (++m_nOperations > CCExpression::kMaxOperations)
            {
                m_bTooLong = true;
                return -1;
            }
            nLeft = MakeBinary(*pOp, nLeft, nRight, nOpToken);
        }
    }

    // cast: "(" type-name ")" cast | unary
    int ParseCast()
    {
        if (++m_nDepth > CCExpression::kMaxDepth) return TooDeep();
        int nNode = -1;
        const std::uint32_t nFirst = Here();
        if (Is(ECPunct::LeftParen) && IsTypeNameStart(1))
        {
            ++m_nPos;
            SCType type;
            if (ParseTypeName(type) && Is(ECPunct::RightParen))
            {
                const std::uint32_t nClose = Here();
                ++m_nPos;
                if (Is(ECPunct::LeftBrace))
                    nNode = SkipBracketed()
                                ? Unknown(nFirst, Reason(TextNotComputed("compound literals")))
                                : -1;
                else
                {
                    const int nOperand = ParseCast();
                    if (nOperand >= 0) nNode = MakeCast(type, nOperand, nFirst, nClose);
                }
            }
        }
        else if (Is(ECPunct::LeftParen) && IsUnknownCast())
        {
            // "(name) operand" where name is no value: a cast to a type not known here.
            const int nReason = Reason(TextNotDefined(Token(1).strText));
            m_nPos += 3;
            const int nOperand = ParseCast();
            if (nOperand >= 0) nNode = Unknown(nFirst, nReason);
        }
        else
            nNode = ParseUnary();
        --m_nDepth;
        return nNode;
    }

    bool IsUnknownCast() const
    {
        const SPpToken& name = Token(1);
        if (name.eKind != ECPp::Name || !Is(ECPunct::RightParen, 2) ||
            m_names.FindOrdinary(name.strText) || IsCalculatorWord(name.strText, false))
            return false;
        const SPpToken& next = Token(3);
        return next.eKind == ECPp::Number || next.eKind == ECPp::Character ||
               next.eKind == ECPp::Name || next.Is(ECPunct::LeftParen) || next.Is(ECPunct::Tilde) ||
               next.Is(ECPunct::Not);
    }

    int ParseUnary()
    {
        const std::uint32_t nFirst = Here();
        const SPpToken& token = Token();
        static constexpr struct
        {
            ECPunct ePunct;
            ECOp eOp;
        } kUnary[] = {{ECPunct::Plus, ECOp::Plus},
                      {ECPunct::Minus, ECOp::Negate},
                      {ECPunct::Tilde, ECOp::Not}};
        for (const auto& unary : kUnary)
            if (token.Is(unary.ePunct))
            {
                ++m_nPos;
                const int nOperand = ParseCast();
                return nOperand < 0 ? -1 : MakeUnary(unary.eOp, nOperand, nFirst);
            }
        if (token.Is(ECPunct::Not))
        {
            ++m_nPos;
            const int nOperand = ParseCast();
            return nOperand < 0 ? -1 : MakeNot(nOperand, nFirst);
        }
        if (token.Is(ECPunct::Amp) || token.Is(ECPunct::Star) || token.Is(ECPunct::Increment) ||
            token.Is(ECPunct::Decrement))
        {
            // An object is needed: C refuses a value ("*3"), a name may be one not known here.
            ++m_nPos;
            const int nOperand = ParseCast();
            if (nOperand < 0 || Node(nOperand).HasValue()) return -1;
            return Unknown(nFirst, OperandReason(nOperand, token.strText));
        }
        if (token.IsName("sizeof")) return ParseSize(true);
        if (token.IsName("_Alignof") || token.IsName("__alignof__") || token.IsName("__alignof") ||
            token.IsName("alignof"))
            return ParseSize(false);
        if (token.IsName("__extension__"))
        {
            ++m_nPos;
            return ParseCast();
        }
        return ParsePostfix();
    }

    // sizeof unary | sizeof "(" type-name ")", and the same for _Alignof.
    int ParseSize(bool bSize)
    {
        const std::uint32_t nFirst = Here();
        ++m_nPos;
        SCType type;
        if (Is(ECPunct::LeftParen) && IsTypeNameStart(1))
        {
            ++m_nPos;
            if (!ParseTypeName(type) || !Is(ECPunct::RightParen)) return -1;
            ++m_nPos;
            if ((bSize ? type.nSize : type.nAlign) == 0 && m_nTypeReason >= 0)
                return Unknown(nFirst, m_nTypeReason);
        }
        else
        {
            const int nOperand = ParseUnary();
            if (nOperand < 0) return -1;
            const SExprNode& operand = Node(nOperand);
            if (operand.eTypeKind == ECTypeKind::Unknown) return Unknown(nFirst, operand.nReason);
            type = operand.eTypeKind == ECTypeKind::Arithmetic ? SCType::Of(operand.eType)
                                                               : OtherType("", operand.nSize);
            type.eKind = operand.eTypeKind;
            type.nAlign = operand.eTypeKind == ECTypeKind::Arithmetic ? type.nSize : operand.nAlign;
        }
        const std::uint64_t nValue = bSize ? type.nSize : type.nAlign;
        if (nValue == 0 || type.eKind == ECTypeKind::Unknown)
            return Unknown(nFirst,
                           Reason(type.eKind == ECTypeKind::Enum ? TextEnumNotDefined(type.strName)
                                                                 : TextSizeNotKnown(type.strName)));
        return Computed(nFirst, ForCondition(IntegerValue(ECType::ULong, nValue)),
                        ECConstruct::Size);
    }

    int ParsePostfix()
    {
        int nNode = ParsePrimary();
        for (;;)
        {
            if (nNode < 0) return -1;
            const std::uint32_t nFirst = Node(nNode).nFirstToken;
            const SPpToken& token = Token();
            const bool bPostfix = token.Is(ECPunct::LeftParen) || token.Is(ECPunct::LeftBracket) ||
                                  token.Is(ECPunct::Dot) || token.Is(ECPunct::Arrow) ||
                                  token.Is(ECPunct::Increment) || token.Is(ECPunct::Decrement);
            if (bPostfix && Node(nNode).HasValue()) return -1; // "(1)(2)", "3[1]": C refuses
            if (token.Is(ECPunct::LeftParen))
            {
                if (!ParseArguments()) return -1;
                nNode = Unknown(nFirst, OperandReason(nNode, "()"));
            }
            else if (token.Is(ECPunct::LeftBracket))
            {
                ++m_nPos;
                if (ParseConditional() < 0 || !Is(ECPunct::RightBracket)) return -1;
                ++m_nPos;
                nNode = Unknown(nFirst, OperandReason(nNode, "[]"));
            }
            else if ((token.Is(ECPunct::Dot) || token.Is(ECPunct::Arrow)) && Kind(1) == ECPp::Name)
            {
                // ((struct s *)0)->member, offsetof written out: the struct's layout is missing.
                int nCast = nNode;
                while (Node(nCast).eKind == EExprKind::Group)
                    nCast = Node(nCast).nLeft;
                const auto it = m_pointees.find(nCast);
                const bool bRecord =
                    token.Is(ECPunct::Arrow) && it != m_pointees.end() &&
                    (it->second.rfind("struct ", 0) == 0 || it->second.rfind("union ", 0) == 0);
                m_nPos += 2;
                nNode = Unknown(nFirst, bRecord ? Reason(TextLayoutNotKnown(it->second))
                                                : OperandReason(nNode, token.strText));
            }
            else if (token.Is(ECPunct::Increment) || token.Is(ECPunct::Decrement))
            {
                ++m_nPos;
                nNode = Unknown(nFirst, OperandReason(nNode, token.strText));
            }
            else
                return nNode;
        }
    }

    // What an operand that needs an object lacks: its own reason where it has one.
    int OperandReason(int nOperand, std::string_view strOperator)
    {
        return Node(nOperand).nReason >= 0 ? Node(nOperand).nReason
                                           : Reason(TextOperator(strOperator));
    }

    // A call's arguments, from its "(".
    bool ParseArguments()
    {
        ++m_nPos;
        if (Is(ECPunct::RightParen))
        {
            ++m_nPos;
            return true;
        }
        for (;;)
        {
            if (ParseConditional() < 0) return false;
            if (Is(ECPunct::RightParen))
            {
                ++m_nPos;
                return true;
            }
            if (!Is(ECPunct::Comma)) return false;
            ++m_nPos;
        }
    }

    int ParsePrimary()
    {
        const std::uint32_t nFirst = Here();
        const SPpToken& token = Token();
        switch (token.eKind)
        {
        case ECPp::Number:
        case ECPp::Character:
            return ParseLiteral();
        case ECPp::String:
            return ParseStrings();
        case ECPp::Name:
            return ParseName();
        case ECPp::Value:
            ++m_nPos;
            return Computed(nFirst, ForCondition(*token.pValue), ECConstruct::Name);
        case ECPp::Punct:
            break;
        default:
            return -1;
        }
        if (!token.Is(ECPunct::LeftParen)) return -1;
        if (Is(ECPunct::LeftBrace, 1))
        {
            // A statement expression: GNU C's, and never constant.
            ++m_nPos;
            if (!SkipBracketed() || !Is(ECPunct::RightParen)) return -1;
            ++m_nPos;
            return Unknown(nFirst, Reason(TextNotComputed("statement expressions")));
        }
        ++m_nPos;
        const int nInner = ParseConditional();
        if (nInner < 0 || !Is(ECPunct::RightParen)) return -1;
        SExprNode node = Node(nInner);
        node.eKind = EExprKind::Group;
        node.nLeft = nInner;
        node.nRight = -1;
        node.nFirstToken = node.nToken = nFirst;
        node.nCloseToken = Here();
        node.bOwnExpanded = token.bExpanded || Token().bExpanded;
        node.bWrapped64 = false;
        ++m_nPos;
        return Add(node);
    }

    // Adjacent string literals, one array: sizeof gives its bytes where every character is
    // one the reader counts (no \u, no other byte than ASCII in a wide string).
    int ParseStrings()
    {
        const std::uint32_t nFirst = Here();
        std::uint64_t nElement = 1;
        std::uint64_t nCharacters = 1; // the '\0'
        bool bCounted = true;
        for (; Kind() == ECPp::String; ++m_nPos)
        {
            std::string_view strText = Token().strText;
            const std::size_t nQuote = strText.find('"');
            const std::string_view strPrefix = strText.substr(0, nQuote);
            if (strPrefix == "L" || strPrefix == "U") nElement = 4;
            if (strPrefix == "u") nElement = std::max<std::uint64_t>(nElement, 2);
            strText = strText.substr(nQuote + 1, strText.size() - nQuote - 2);
            for (std::size_t i = 0; i < strText.size(); ++i, ++nCharacters)
            {
                const auto nByte = static_cast<unsigned char>(strText[i]);
                if (nByte > 127 && !strPrefix.empty() && strPrefix != "u8") bCounted = false;
                if (strText[i] != '\\' || i + 1 >= strText.size()) continue;
                const char chEscape = strText[++i];
                if (chEscape == 'u' || chEscape == 'U') bCounted = false;
                if (chEscape == 'x')
                    while (i + 1 < strText.size() &&
                           std::isxdigit(static_cast<unsigned char>(strText[i + 1])))
                        ++i;
                for (int n = 0;
                     n < 2 && chEscape >= '0' && chEscape <= '7' && i + 1 < strText.size() &&
                     strText[i + 1] >= '0' && strText[i + 1] <= '7';
                     ++n)
                    ++i;
            }
        }
        const int nNode = Unknown(nFirst, Reason(TextString()), ECTypeKind::Array);
        m_arrNodes[static_cast<std::size_t>(nNode)].nSize = bCounted ? nElement * nCharacters : 0;
        m_arrNodes[static_cast<std::size_t>(nNode)].nAlign = nElement;
        return nNode;
    }

    int ParseLiteral()
    {
        const std::uint32_t nFirst = Here();
        const SPpToken& token = Token();
        ++m_nPos;
        SCToken& literal = m_arrLiterals[nFirst];
        if (!ReadLiteral(token, literal) && !ReadOverflow(token.strText, literal))
        {
            if (IsLongDouble(token.strText))
                return Unknown(nFirst, Reason(TextNotComputed("long double")), ECTypeKind::Other);
            if (token.eKind == ECPp::Character)
                return Unknown(nFirst, Reason(TextLiteral(token.strText)));
            return -1; // no literal C accepts
        }
        SExprNode node;
        node.nFirstToken = node.nToken = nFirst;
        node.value = ForCondition(literal.value);
        node.eType = node.value.eType;
        node.bOwnExpanded = token.bExpanded || m_bCondition;
        if (literal.strCalculator.empty()) node.eKind = EExprKind::Computed; // an infinity
        return Add(node);
    }

    bool ReadLiteral(const SPpToken& token, SCToken& literal)
    {
        std::string_view strText = token.strText;
        ECType eWide = ECType::Int;
        const bool bWide = token.eKind == ECPp::Character && strText[0] != '\'';
        if (bWide)
        {
            eWide = strText[0] == 'L'   ? ECType::Int
                    : strText[0] == 'u' ? ECType::UShort
                                        : ECType::UInt;
            strText.remove_prefix(1);
        }
        m_strScratch.assign(strText);
        if (Tokenize(m_strScratch, 0, static_cast<std::uint32_t>(m_strScratch.size()), 1,
                     m_arrScratch) != ETokenized::Read ||
            m_arrScratch.size() != 2)
            return false;
        literal = m_arrScratch[0];
        if (bWide)
        {
            // The wide types hold the character's byte, unsigned.
            literal.value = IntegerValue(eWide, literal.value.nBits & 0xFF);
            literal.strCalculator = std::to_string(literal.value.nBits);
        }
        return true;
    }

    // A floating literal beyond its type's range, which C reads as an infinity (or as 0 where it
    // is too small), as GCC does with a warning.
    static bool ReadOverflow(std::string_view strText, SCToken& literal)
    {
        const bool bFloat = !strText.empty() && (strText.back() == 'f' || strText.back() == 'F');
        if (bFloat) strText.remove_suffix(1);
        const bool bHex =
            strText.size() > 2 && strText[0] == '0' && (strText[1] == 'x' || strText[1] == 'X');
        const std::size_t nExponent = strText.find_first_of(bHex ? "pP" : "eE");
        if (nExponent == std::string_view::npos || strText.find('\'') != std::string_view::npos)
            return false;
        const std::string_view strNumber = bHex ? strText.substr(2) : strText;
        double dValue = 0.0;
        const auto result =
            std::from_chars(strNumber.data(), strNumber.data() + strNumber.size(), dValue,
                            bHex ? std::chars_format::hex : std::chars_format::general);
        const bool bBeyond =
            result.ec == std::errc::result_out_of_range ||
            (bFloat && result.ec == std::errc() && std::isinf(static_cast<float>(dValue)));
        if (!bBeyond || result.ptr != strNumber.data() + strNumber.size()) return false;
        const bool bTiny = nExponent + 1 < strText.size() && strText[nExponent + 1] == '-';
        literal.eKind = ECToken::Floating;
        literal.value =
            FloatingValue(bFloat ? ECType::Float : ECType::Double, bTiny ? 0.0 : HUGE_VAL);
        literal.strCalculator = bTiny ? "0" : std::string();
        return true;
    }

    bool IsLongDouble(std::string_view strText)
    {
        if (strText.empty() || AsciiLowerEnd(strText) != 'l') return false;
        m_strScratch.assign(strText.substr(0, strText.size() - 1));
        return Tokenize(m_strScratch, 0, static_cast<std::uint32_t>(m_strScratch.size()), 1,
                        m_arrScratch) == ETokenized::Read &&
               m_arrScratch.size() == 2 && m_arrScratch[0].eKind == ECToken::Floating;
    }

    static char AsciiLowerEnd(std::string_view strText)
    {
        return lumdrak::AsciiLower(strText.back());
    }

    int ParseName()
    {
        const std::uint32_t nFirst = Here();
        const SPpToken& token = Token();
        ++m_nPos;
        const bool bCalled = Is(ECPunct::LeftParen);
        if (bCalled)
            for (const SBuiltInCall& call : kBuiltInCalls)
                if (token.IsName(call.strName)) return ParseBuiltInCall(call, nFirst);
        if (token.IsName("__builtin_offsetof") || token.IsName("offsetof"))
        {
            const std::size_t nType = m_nPos + 1;
            if (!bCalled || !SkipBracketed()) return -1;
            std::string strType;
            for (std::size_t n = nType;
                 n < m_arrTokens.size() && !m_arrTokens[n].Is(ECPunct::Comma); ++n)
                strType += (strType.empty() ? "" : " ") + std::string(m_arrTokens[n].strText);
            return Unknown(nFirst, Reason(TextLayoutNotKnown(strType)));
        }
        if (token.IsName("_Generic") || token.IsName("__builtin_choose_expr") ||
            token.IsName("__builtin_types_compatible_p"))
        {
            if (!bCalled || !SkipBracketed()) return -1;
            return Unknown(nFirst, Reason(TextNotComputed(token.strText)));
        }
        if (FindWord(token)) return -1; // a keyword where a value belongs
        if (m_bCondition)
        {
            // #if reads a name that no macro replaced as 0; here it leaves the value unknown.
            return Unknown(nFirst, Reason(TextNotDefined(token.strText)));
        }
        const SCName* pName = m_names.FindOrdinary(token.strText);
        if (pName &&
            (pName->eKind == ECNameKind::Enumerator || pName->eKind == ECNameKind::Constant))
        {
            if (!token.bExpanded) m_arrNames.push_back(token.strText);
            if (!pName->strUnknown.empty())
                return Unknown(nFirst, Reason(TextInEnumerator(token.strText, pName->strUnknown)));
            return Computed(nFirst, ForCondition(pName->value), ECConstruct::Name);
        }
        if (pName && pName->eKind == ECNameKind::Typedef) return -1; // a type where a value belongs
        const SCName* pMacro = m_names.FindMacro(token.strText);
        if (pMacro && token.bNoExpand)
            return Unknown(nFirst, Reason(TextRefersToItself(token.strText)));
        if (pMacro && pMacro->macro.nParams >= 0)
            return Unknown(nFirst, Reason(TextNeedsArguments(token.strText)));
        return Unknown(nFirst, Reason(TextNotDefined(token.strText),
                                      IsCalculatorWord(token.strText, bCalled)));
    }

    // GCC's built-in functions that give constants: __builtin_constant_p(x) is 1 where x has a
    // value known here.
    int ParseBuiltInCall(const SBuiltInCall& call, std::uint32_t nFirst)
    {
        ++m_nPos;
        std::vector<int> arrArgs;
        if (Is(ECPunct::RightParen))
            ++m_nPos;
        else
            for (;;)
            {
                const int nArg = ParseConditional();
                if (nArg < 0) return -1;
                arrArgs.push_back(nArg);
                if (Is(ECPunct::RightParen))
                {
                    ++m_nPos;
                    break;
                }
                if (!Is(ECPunct::Comma)) return -1;
                ++m_nPos;
            }
        if (arrArgs.size() != call.nArgs) return -1;
        const SExprNode* pArg = arrArgs.empty() ? nullptr : &Node(arrArgs[0]);
        switch (call.eCall)
        {
        case EBuiltInCall::ConstantP:
            return Computed(
                nFirst, ForCondition(IntegerValue(ECType::Int, pArg->HasValue() && pArg->bDefined)),
                ECConstruct::Name);
        case EBuiltInCall::Infinity:
        case EBuiltInCall::NaN:
        {
            if (call.eType == ECType::LongLong) // long double
                return Unknown(nFirst, Reason(TextNotComputed("long double")), ECTypeKind::Other);
            const double dValue = call.eCall == EBuiltInCall::NaN ? std::nan("") : HUGE_VAL;
            return Computed(nFirst, FloatingValue(call.eType, dValue), ECConstruct::Name);
        }
        default:
            break;
        }
        const int nReason = ValueReason(arrArgs[0]);
        if (nReason >= 0) return Unknown(nFirst, nReason);
        if (IsFloating(pArg->eType)) return -1;
        if (!pArg->bDefined)
        {
            // The new node may move the nodes: the argument is found again by its index.
            const int nNode = Computed(nFirst, SCValue{}, ECConstruct::Name);
            SExprNode& node = m_arrNodes[static_cast<std::size_t>(nNode)];
            node.eType = call.eType;
            Inherit(node, Node(arrArgs[0]));
            return nNode;
        }
        EFault eIgnored = EFault::None;
        const SCValue value = Convert(pArg->value, call.eType, eIgnored);
        if (call.eCall == EBuiltInCall::Expect)
            return Computed(nFirst, ForCondition(value), ECConstruct::Name);
        std::uint64_t nSwapped = 0;
        const int nBytes = TypeInfo(call.eType).nBits / 8;
        for (int i = 0; i < nBytes; ++i)
            nSwapped |= ((value.nBits >> (8 * i)) & 0xFF) << (8 * (nBytes - 1 - i));
        return Computed(nFirst, ForCondition(IntegerValue(call.eType, nSwapped)),
                        ECConstruct::Name);
    }

    // ---- Types

    bool IsTypeNameStart(std::size_t nAhead) const
    {
        const SPpToken& token = Token(nAhead);
        const SWord* pWord = FindWord(token);
        if (pWord)
            return pWord->eWord != EWord::Typedef && pWord->eWord != EWord::Storage &&
                   pWord->eWord != EWord::Auto && pWord->eWord != EWord::Attribute;
        if (token.eKind != ECPp::Name) return false;
        const SCName* pName = m_names.FindOrdinary(token.strText);
        return pName && pName->eKind == ECNameKind::Typedef;
    }

    // type-name: specifiers and an abstract declarator. m_nTypeReason says why its size is not
    // known where it is not.
    bool ParseTypeName(SCType& type)
    {
        m_nTypeReason = -1;
        SSpecifiers specifiers;
        if (!ParseSpecifiers(specifiers, nullptr, false) || !specifiers.Resolve(type)) return false;
        std::string_view strName;
        bool bObject = true;
        return ParseDeclarator(SCType(type), true, type, strName, bObject);
    }

    bool ParseSpecifiers(SSpecifiers& specifiers, const SCType* pEnumBody, bool bDeclaration)
    {
        for (;; ++m_nPos)
        {
            const SPpToken& token = Token();
            const SWord* pWord = FindWord(token);
            if (!pWord)
            {
                if (token.eKind != ECPp::Name || specifiers.HasType()) return true;
                // "auto n = 7u": the name is the declarator's.
                if (specifiers.Count(EWord::Auto) > 0 && Is(ECPunct::Assign, 1)) return true;
                const SCName* pName = m_names.FindOrdinary(token.strText);
                if (pName && pName->eKind == ECNameKind::Typedef)
                {
                    specifiers.bOther = true;
                    specifiers.other = pName->type;
                    if (pName->type.eKind == ECTypeKind::Unknown && m_nTypeReason < 0)
                        m_nTypeReason = Reason(TextSizeNotKnown(token.strText));
                    continue;
                }
                // A declaration may begin with a type's name not known here.
                if (!bDeclaration || pName || Kind(1) == ECPp::End) return true;
                specifiers.bOther = true;
                specifiers.other = OtherType(token.strText, 0, ECTypeKind::Unknown);
                continue;
            }
            switch (pWord->eWord)
            {
            case EWord::Attribute:
                if (!Is(ECPunct::LeftParen, 1)) return false;
                ++m_nPos;
                if (!SkipBracketed()) return false;
                --m_nPos;
                continue;
            case EWord::Special:
                specifiers.bOther = true;
                specifiers.other = pWord->nSize == 0 ? SCType::Of(pWord->eType)
                                                     : OtherType(pWord->strName, pWord->nSize);
                continue;
            case EWord::Record:
            case EWord::Enum:
                if (!ParseTagged(*pWord, specifiers, pEnumBody)) return false;
                --m_nPos;
                continue;
            case EWord::Typeof:
            case EWord::Atomic:
                if (pWord->eWord == EWord::Atomic && !Is(ECPunct::LeftParen, 1)) break;
                ++m_nPos;
                if (!SkipBracketed()) return false;
                --m_nPos;
                specifiers.bOther = true;
                specifiers.other = OtherType(token.strText, 0, ECTypeKind::Unknown);
                if (m_nTypeReason < 0) m_nTypeReason = Reason(TextNotComputed(token.strText));
                continue;
            default:
                break;
            }
            ++specifiers.arrCount[static_cast<int>(pWord->eWord)];
        }
    }

    // "struct tag", "union tag { }", "enum tag", "enum { }": leaves m_nPos after them.
    bool ParseTagged(const SWord& word, SSpecifiers& specifiers, const SCType* pEnumBody)
    {
        const std::string_view strKeyword = Token().strText;
        ++m_nPos;
        SkipAttributes();
        std::string_view strTag;
        if (Kind() == ECPp::Name)
        {
            strTag = Token().strText;
            ++m_nPos;
        }
        const bool bBody = Is(ECPunct::LeftBrace);
        if (bBody && !SkipBracketed()) return false;
        if (strTag.empty() && !bBody) return false;
        specifiers.bOther = true;
        const std::string strName =
            std::string(strKeyword) + " " + std::string(strTag.empty() ? "(anonymous)" : strTag);
        if (word.eWord == EWord::Record)
        {
            specifiers.other = OtherType(strName, 0, ECTypeKind::Record);
            if (m_nTypeReason < 0) m_nTypeReason = Reason(TextSizeNotKnown(strName));
            return true;
        }
        if (bBody && pEnumBody)
        {
            specifiers.other = *pEnumBody;
            return true;
        }
        const SCName* pTag = strTag.empty() ? nullptr : m_names.FindEnumTag(strTag);
        if (pTag)
        {
            specifiers.other = pTag->type;
            return true;
        }
        specifiers.other = OtherType(strTag, 0, ECTypeKind::Enum);
        if (m_nTypeReason < 0) m_nTypeReason = Reason(TextEnumNotDefined(strTag));
        return true;
    }

    // A declarator (abstract where bAbstract): pointers, a name or a bracketed declarator, then
    // arrays and parameter lists, applied to base as C applies them.
    bool ParseDeclarator(const SCType& base, bool bAbstract, SCType& type,
                         std::string_view& strName, bool& bObject)
    {
        if (++m_nDepth > CCExpression::kMaxDepth) return TooDeep() >= 0;
        SCType current = base;
        while (Is(ECPunct::Star))
        {
            ++m_nPos;
            current = PointerTo(current);
            bObject = false;
            while (FindWord(Token()) && (FindWord(Token())->eWord == EWord::Qualifier ||
                                         FindWord(Token())->eWord == EWord::Const))
                ++m_nPos;
            SkipAttributes();
        }
        SkipAttributes();
        std::size_t nInner = 0; // a bracketed declarator, read once its suffixes are known
        if (Is(ECPunct::LeftParen) &&
            (Is(ECPunct::Star, 1) || Is(ECPunct::LeftParen, 1) ||
             (!bAbstract && Kind(1) == ECPp::Name && !IsTypeNameStart(1)) ||
             Is(ECPunct::LeftBracket, 1)))
        {
            nInner = m_nPos + 1;
            if (!SkipBracketed()) return false;
        }
        else if (!bAbstract && Kind() == ECPp::Name && !FindWord(Token()))
        {
            strName = Token().strText;
            ++m_nPos;
        }
        else if (!bAbstract)
            return false;
        // Suffixes apply from the last to the first: a[2][3] is an array of 2 arrays of 3.
        std::vector<std::uint64_t> arrSuffixes; // the array counts; 0 for unknown, ~0 for "()"
        for (;;)
        {
            SkipAttributes();
            if (Is(ECPunct::LeftBracket))
            {
                ++m_nPos;
                std::uint64_t nCount = 0;
                if (!Is(ECPunct::RightBracket))
                {
                    const int nBound = ParseConditional();
                    if (nBound < 0) return false;
                    const SExprNode& bound = Node(nBound);
                    if (bound.HasValue() && bound.bDefined && !IsFloating(bound.eType) &&
                        !bound.value.IsNegative())
                        nCount = bound.value.nBits;
                }
                if (!Is(ECPunct::RightBracket)) return false;
                ++m_nPos;
                arrSuffixes.push_back(nCount);
            }
            else if (Is(ECPunct::LeftParen))
            {
                if (!SkipBracketed()) return false;
                arrSuffixes.push_back(~std::uint64_t{0});
            }
            else
                break;
        }
        for (std::size_t i = arrSuffixes.size(); i-- > 0;)
        {
            bObject = false;
            if (arrSuffixes[i] == ~std::uint64_t{0})
            {
                current = OtherType(current.strName + " ()", 1, ECTypeKind::Other);
                continue;
            }
            SCType array = current;
            array.eKind = ECTypeKind::Array;
            const std::uint64_t nElement = current.nSize;
            array.nSize = nElement != 0 && arrSuffixes[i] != 0 &&
                                  arrSuffixes[i] <= (~std::uint64_t{0}) / nElement
                              ? nElement * arrSuffixes[i]
                              : 0;
            current = array;
        }
        const std::size_t nAfter = m_nPos;
        if (nInner != 0)
        {
            m_nPos = nInner;
            if (!ParseDeclarator(current, bAbstract, current, strName, bObject) ||
                !Is(ECPunct::RightParen))
                return false;
            m_nPos = nAfter;
        }
        type = current;
        --m_nDepth;
        return true;
    }

    // ---- Operations

    int MakeBinary(const SBinaryOp& op, int nLeft, int nRight, std::uint32_t nOpToken)
    {
        const SPpToken& opToken = m_arrTokens[nOpToken];
        if (op.ePunct == ECPunct::Less || op.ePunct == ECPunct::LessEqual)
            m_bPower = m_bPower || !opToken.bExpanded;
        SExprNode node;
        node.eKind = EExprKind::Binary;
        node.eOp = op.eOp;
        node.nLeft = nLeft;
        node.nRight = nRight;
        node.nFirstToken = Node(nLeft).nFirstToken;
        node.nToken = nOpToken;
        node.bOwnExpanded = opToken.bExpanded;
        node.nReason = ReasonOf({nLeft, nRight});
        if (node.nReason < 0) node.nReason = ValueReason(nLeft);
        if (node.nReason < 0) node.nReason = ValueReason(nRight);
        const SExprNode& left = Node(nLeft);
        const SExprNode& right = Node(nRight);
        if (op.eConstruct == ECConstruct::Logical) return MakeLogical(op, node, left, right);
        if (op.eConstruct == ECConstruct::Comparison)
        {
            node.eKind = EExprKind::Computed;
            node.eConstruct = ECConstruct::Comparison;
            node.eType = ECType::Int;
            if (node.nReason >= 0) return Add(node);
            Inherit(node, left);
            Inherit(node, right);
            node.value = ForCondition(
                IntegerValue(ECType::Int, Compare(op.ePunct, left.value, right.value) ? 1 : 0));
            node.eType = node.value.eType;
            return Add(node);
        }
        bool bValid = true;
        node.eType = ResultType(op.eOp, left.eType, right.eType, bValid);
        if (node.nReason >= 0) return Add(node);
        if (!bValid) return -1; // C refuses the operand types (% or a bitwise one on a double)
        if (!left.bDefined || !right.bDefined)
        {
            Inherit(node, left);
            Inherit(node, right);
            return Add(node);
        }
        const SCResult result = ApplyBinary(op.eOp, left.value, right.value);
        node.value = result.value;
        node.bWrapped64 = result.bWrapped64;
        if (result.eFault != EFault::None) SetFault(node, result.eFault);
        return Add(node);
    }

    // && and ||: the right operand is evaluated only where the left does not decide.
    int MakeLogical(const SBinaryOp& op, SExprNode& node, const SExprNode& left,
                    const SExprNode& right)
    {
        node.eKind = EExprKind::Computed;
        node.eConstruct = ECConstruct::Logical;
        node.eType = ECType::Int;
        if (node.nReason >= 0) return Add(node);
        Inherit(node, left);
        const bool bAnd = op.ePunct == ECPunct::AndAnd;
        const bool bDecided = left.bDefined && IsTrue(left.value) != bAnd;
        if (!bDecided) Inherit(node, right);
        const bool bTrue = bDecided ? !bAnd : IsTrue(right.value);
        node.value = ForCondition(IntegerValue(ECType::Int, bTrue ? 1 : 0));
        node.eType = node.value.eType;
        return Add(node);
    }

    int MakeChoice(int nCondition, int nTrue, int nFalse)
    {
        SExprNode node;
        node.eKind = EExprKind::Computed;
        node.eConstruct = ECConstruct::Choice;
        node.nFirstToken = node.nToken = Node(nCondition).nFirstToken;
        node.nReason = ValueReason(nCondition);
        if (node.nReason >= 0) return Add(node);
        const SExprNode& condition = Node(nCondition);
        const int nChosen = IsTrue(condition.value) ? nTrue : nFalse;
        const int nOther = nChosen == nTrue ? nFalse : nTrue;
        node.nReason = ValueReason(nChosen);
        if (node.nReason >= 0) return Add(node);
        // The branch not taken may be one the reader does not know, as where a header writes a
        // constant's form beside a function's: __builtin_constant_p(x) ? SWAB(x) : swab(x).
        const SExprNode& chosen = Node(nChosen);
        const SExprNode& other = Node(nOther);
        const bool bOtherKnown = other.eTypeKind == ECTypeKind::Arithmetic;
        if (!bOtherKnown && other.eTypeKind != ECTypeKind::Unknown)
        {
            node.nReason = ValueReason(nOther); // a pointer beside a number: no number either way
            return Add(node);
        }
        node.eType = bOtherKnown ? CommonType(chosen.eType, other.eType) : Promoted(chosen.eType);
        Inherit(node, condition);
        Inherit(node, chosen);
        EFault eIgnored = EFault::None;
        node.value = Convert(chosen.value, node.eType, eIgnored);
        return Add(node);
    }

    int MakeUnary(ECOp eOp, int nOperand, std::uint32_t nToken)
    {
        SExprNode node;
        node.eKind = EExprKind::Unary;
        node.eOp = eOp;
        node.nLeft = nOperand;
        node.nFirstToken = node.nToken = nToken;
        node.bOwnExpanded = m_arrTokens[nToken].bExpanded;
        node.nReason = ValueReason(nOperand);
        const SExprNode& operand = Node(nOperand);
        node.eType = Promoted(operand.eType);
        if (node.nReason >= 0) return Add(node);
        if (eOp == ECOp::Not && IsFloating(node.eType)) return -1;
        if (!operand.bDefined)
        {
            Inherit(node, operand);
            return Add(node);
        }
        const SCResult result = ApplyUnary(eOp, operand.value);
        node.value = result.value;
        node.bWrapped64 = result.bWrapped64;
        if (result.eFault != EFault::None) SetFault(node, result.eFault);
        return Add(node);
    }

    int MakeNot(int nOperand, std::uint32_t nToken)
    {
        SExprNode node;
        node.eKind = EExprKind::Computed;
        node.eConstruct = ECConstruct::Negation;
        node.nFirstToken = node.nToken = nToken;
        node.nReason = ValueReason(nOperand);
        if (node.nReason >= 0) return Add(node);
        Inherit(node, Node(nOperand));
        node.value = ForCondition(IntegerValue(ECType::Int, IsTrue(Node(nOperand).value) ? 0 : 1));
        node.eType = node.value.eType;
        return Add(node);
    }

    int MakeCast(const SCType& type, int nOperand, std::uint32_t nFirst, std::uint32_t nClose)
    {
        bool bExpanded = false;
        for (std::uint32_t n = nFirst; n <= nClose; ++n)
            bExpanded = bExpanded || m_arrTokens[n].bExpanded;
        return MakeCast(type, nOperand, nFirst, bExpanded);
    }

    int MakeCast(const SCType& type, int nOperand, std::uint32_t nFirst, bool bOwnExpanded)
    {
        SExprNode node;
        node.eKind = EExprKind::Cast;
        node.nLeft = nOperand;
        node.nFirstToken = node.nToken = nFirst;
        node.bOwnExpanded = bOwnExpanded;
        if (!type.IsArithmetic())
        {
            // sizeof still reads the type; its value is not one the reader computes.
            node.eTypeKind = type.eKind == ECTypeKind::Void ? ECTypeKind::Other : type.eKind;
            node.nSize = type.nSize;
            node.nAlign = type.nAlign;
            switch (type.eKind)
            {
            case ECTypeKind::Pointer:
                node.nReason = Reason(TextAddress());
                m_pointees[static_cast<int>(m_arrNodes.size())] =
                    type.strName.substr(0, type.strName.size() - 2);
                break;
            case ECTypeKind::Enum:
                node.nReason = Reason(TextEnumNotDefined(type.strName));
                break;
            case ECTypeKind::Unknown:
            case ECTypeKind::Record:
                node.nReason =
                    m_nTypeReason >= 0 ? m_nTypeReason : Reason(TextNotDefined(type.strName));
                break;
            default:
                node.nReason = Reason(TextNotComputed(type.strName));
                break;
            }
            return Add(node);
        }
        node.eType = type.eArithmetic;
        node.nReason = ValueReason(nOperand);
        if (node.nReason >= 0) return Add(node);
        const SExprNode& operand = Node(nOperand);
        if (!operand.bDefined)
        {
            Inherit(node, operand);
            return Add(node);
        }
        EFault eFault = EFault::None;
        node.value = ForCondition(Convert(operand.value, node.eType, eFault));
        node.eType = node.value.eType;
        node.bWrapped64 = TypeInfo(node.eType).nBits == 64 && !TypeInfo(node.eType).bSigned &&
                          !IsFloating(operand.eType) && operand.value.IsNegative();
        if (eFault != EFault::None) SetFault(node, eFault);
        return Add(node);
    }

public:
    int MakeDeclared(ECType eType, int nRoot)
    {
        return MakeCast(SCType::Of(eType), nRoot, Node(nRoot).nFirstToken, false);
    }

private:
    const std::vector<SPpToken>& m_arrTokens;
    const CCNames& m_names;
    const bool m_bCondition;
    std::size_t m_nPos = 0;
    int m_nDepth = 0;
    std::size_t m_nOperations = 0;
    int m_nTypeReason = -1;
    std::map<int, std::string> m_pointees; // a cast to a pointer: the type it points to
    std::string m_strScratch;
    std::vector<SCToken> m_arrScratch;
};

// ---- Translation

// The tree as the calculator's printer takes it: what the calculator writes kept, the rest
// written as its C value at the position of its first token.
class CLowering
{
public:
    CLowering(const CParser& parser, const std::vector<SPpToken>& arrTokens) : m_parser(parser)
    {
        m_arrPrintTokens.reserve(arrTokens.size() + 8);
        for (std::size_t i = 0; i < arrTokens.size(); ++i)
        {
            SCToken token = parser.m_arrLiterals[i];
            token.nSpace = arrTokens[i].nSpace;
            token.nBegin = arrTokens[i].nBegin;
            token.nEnd = arrTokens[i].nEnd;
            m_arrPrintTokens.push_back(std::move(token));
        }
        SCToken end;
        const std::uint32_t nEnd = arrTokens.empty() ? 0 : arrTokens.back().nEnd;
        end.nSpace = end.nBegin = end.nEnd = nEnd;
        m_arrPrintTokens.push_back(end);
    }

    int Lower(int nNode)
    {
        const SExprNode& node = m_parser.Node(nNode);
        if (Keeps(node))
        {
            SCNode out;
            out.eKind = KindOf(node.eKind);
            out.eOp = node.eOp;
            out.eType = node.eType;
            out.bDefined = node.bDefined;
            out.bWrapped64 = node.bWrapped64;
            out.nFirstToken = node.nFirstToken;
            out.nToken = node.nToken;
            out.nCloseToken = node.nCloseToken;
            out.value = node.value;
            out.nLeft = node.nLeft >= 0 ? Lower(node.nLeft) : -1;
            out.nRight = node.nRight >= 0 ? Lower(node.nRight) : -1;
            return Add(out);
        }
        std::string strForm;
        if (!node.bDefined || !CalculatorForm(node.value, strForm)) m_bWritable = false;
        SCToken token;
        const SCToken& first = m_arrPrintTokens[node.nFirstToken];
        token.nSpace = first.nSpace;
        token.nBegin = token.nEnd = first.nBegin;
        token.value = node.value;
        token.strCalculator = strForm;
        m_arrPrintTokens.push_back(token);
        SCNode out;
        out.eKind = ECNode::Literal;
        out.eType = node.eType;
        out.value = node.value;
        out.bDefined = node.bDefined;
        out.nFirstToken = out.nToken = static_cast<std::uint32_t>(m_arrPrintTokens.size() - 1);
        return Add(out);
    }

    // The first value on the way the calculator's double cannot hold.
    std::string DoubleLimit(int nNode) const
    {
        const SCNode& node = m_arrNodes[static_cast<std::size_t>(nNode)];
        for (const int nChild : {node.nLeft, node.nRight})
            if (nChild >= 0)
            {
                std::string strLimit = DoubleLimit(nChild);
                if (!strLimit.empty()) return strLimit;
            }
        if (!node.bDefined) return {};
        if (!node.value.IsExactInDouble()) return CannotHoldText(node.value);
        if (!node.bWrapped64) return {};
        const SCValue left = m_arrNodes[static_cast<std::size_t>(node.nLeft)].value;
        const SCValue right =
            node.nRight >= 0 ? m_arrNodes[static_cast<std::size_t>(node.nRight)].value : SCValue{};
        return CannotWrapText(DescribeOperation(node.eKind, node.eOp, node.eType, left, right));
    }

    std::vector<SCNode> m_arrNodes;
    std::vector<SCToken> m_arrPrintTokens;
    bool m_bWritable = true;

private:
    static bool Keeps(const SExprNode& node)
    {
        return !node.bOwnExpanded && node.eKind != EExprKind::Computed;
    }

    static ECNode KindOf(EExprKind eKind)
    {
        switch (eKind)
        {
        case EExprKind::Group:
            return ECNode::Group;
        case EExprKind::Unary:
            return ECNode::Unary;
        case EExprKind::Binary:
            return ECNode::Binary;
        case EExprKind::Cast:
            return ECNode::Cast;
        default:
            return ECNode::Literal;
        }
    }

    int Add(const SCNode& node)
    {
        m_arrNodes.push_back(node);
        return static_cast<int>(m_arrNodes.size()) - 1;
    }

    const CParser& m_parser;
};

// The root as the notice names it: a group is what it holds.
ECConstruct ConstructOf(const CParser& parser, int nRoot)
{
    const SExprNode* pNode = &parser.Node(nRoot);
    while (pNode->eKind == EExprKind::Group)
        pNode = &parser.Node(pNode->nLeft);
    if (pNode->eKind != EExprKind::Computed && !pNode->bOwnExpanded) return ECConstruct::Arithmetic;
    return pNode->eKind == EExprKind::Computed ? pNode->eConstruct : ECConstruct::Name;
}

} // namespace

void CCExpression::Read(const std::vector<SPpToken>& arrTokens, const CCNames& names,
                        const SCExprOptions& options, SCExpression& result)
{
    result = SCExpression{};
    for (const SPpToken& token : arrTokens)
        if (token.eKind == ECPp::Other) return; // bytes C does not read
    CParser parser(arrTokens, names, options.bCondition);
    int nRoot = parser.ParseWhole();
    if (nRoot < 0)
    {
        // A bracket costs two levels: the conditional and the cast it holds.
        if (parser.m_bTooDeep) result.strRefusal = TextTooDeep(CCExpression::kMaxDepth / 2);
        if (parser.m_bTooLong)
            result.strRefusal = TextTooManyOperations(CCExpression::kMaxOperations);
        return;
    }
    if (options.pDeclared) nRoot = parser.MakeDeclared(*options.pDeclared, nRoot);
    const SExprNode& root = parser.Node(nRoot);
    result.bPower = parser.m_bPower;
    result.arrNames = std::move(parser.m_arrNames);
    result.eConstruct = ConstructOf(parser, nRoot);
    if (!root.HasValue())
    {
        result.bNoNumber =
            root.eTypeKind == ECTypeKind::Array || root.eTypeKind == ECTypeKind::Pointer;
        int nReason = root.nReason;
        bool bCalculator = nReason >= 0;
        for (std::size_t i = 0; i < parser.m_arrReasons.size(); ++i)
            bCalculator = bCalculator && parser.m_arrCalculator[i];
        if (nReason < 0)
        {
            // A value of a type the reader computes nothing of: _Bool, long double, a pointer.
            result.eStatus = ECExprStatus::Unknown;
            result.strUnknown = root.eTypeKind == ECTypeKind::Pointer
                                    ? TextAddress()
                                    : TextNotComputed("this type");
            return;
        }
        result.eStatus = bCalculator ? ECExprStatus::Calculator : ECExprStatus::Unknown;
        result.strUnknown = parser.m_arrReasons[static_cast<std::size_t>(nReason)];
        return;
    }
    result.eStatus = ECExprStatus::Value;
    SCReading& reading = result.reading;
    reading.bC = true;
    reading.bDefined = root.bDefined;
    reading.value = root.value;
    reading.value.eType = root.eType;
    if (!root.bDefined && root.nFault >= 0)
        reading.strFault = parser.m_arrFaults[static_cast<std::size_t>(root.nFault)];
    if (!options.pClean) return;
    CLowering lowering(parser, arrTokens);
    const int nPrintRoot = lowering.Lower(nRoot);
    if (reading.bDefined) reading.strDoubleLimit = lowering.DoubleLimit(nPrintRoot);
    if (!lowering.m_bWritable) return; // the translation stays empty
    lowering.m_arrPrintTokens.push_back(lowering.m_arrPrintTokens[arrTokens.size()]);
    bool bSpaced = false;
    for (const SCNode& node : lowering.m_arrNodes)
    {
        const SCToken& op = lowering.m_arrPrintTokens[node.nToken];
        bSpaced = bSpaced || (node.eKind == ECNode::Binary && op.nSpace < op.nBegin);
    }
    PrintTranslation(lowering.m_arrNodes, lowering.m_arrPrintTokens, *options.pClean, bSpaced,
                     nPrintRoot, reading.strTranslation,
                     options.bPositions ? &reading.arrSourcePos : nullptr);
    if (options.bPositions) reading.arrSourcePos.push_back(options.nTextSize);
}

void ValueReading(const SCValue& value, const SCleanText& clean, std::uint32_t nPosition,
                  std::size_t nTextSize, bool bPositions, SCReading& reading)
{
    reading = SCReading{};
    reading.bC = true;
    reading.bDefined = true;
    reading.value = value;
    std::string strForm;
    if (!CalculatorForm(value, strForm)) return;
    if (value.IsNegative()) reading.strTranslation = "-";
    reading.strTranslation += strForm;
    if (!value.IsExactInDouble()) reading.strDoubleLimit = CannotHoldText(value);
    if (bPositions)
    {
        const std::size_t nSource =
            nPosition < clean.strText.size() ? clean.SourceOf(nPosition) : nTextSize;
        reading.arrSourcePos.assign(reading.strTranslation.size(), nSource);
        reading.arrSourcePos.push_back(nTextSize);
    }
}

bool ReadDeclaration(const std::vector<SPpToken>& arrTokens, const CCNames& names,
                     const SCType* pEnumBody, SCDeclaration& declaration)
{
    declaration = SCDeclaration{};
    CParser parser(arrTokens, names, false);
    return parser.ParseDeclaration(pEnumBody, declaration);
}

bool StartsDeclaration(const std::vector<SPpToken>& arrTokens, std::size_t nFirst,
                       const CCNames& names)
{
    CParser parser(arrTokens, names, false);
    return parser.StartsDeclaration(nFirst);
}
