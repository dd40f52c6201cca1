// The calculator's form of a C expression: C's grouping kept under the calculator's own
// priorities, and the idioms that give C's meaning where the calculator's operators differ.
#include "CTree.h"

#include "ExpressionEvaluator.h"
#include "Hex.h"

#include <cmath>

namespace
{

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
        case ECOp::Remainder:
            return nMultiply;
        case ECOp::Add:
        case ECOp::Subtract:
        case ECOp::Negate:
            return nAdd;
        case ECOp::Not:
            return nNot;
        default:
            return nBitwise;
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
    Transparent,       // unary plus, and casts that change no value: the operand alone
    TruncatedQuotient, // a / b | 0: the calculator's division is a double's
    MaskedShift,       // a >> n & mask: a logical shift of a value the calculator sees negative
    DividedByPower,    // a / (2<n) | 0: a shift beyond 32 bits
    MultipliedByPower, // a * (2<n)
    Mask,              // x & $FF: to an unsigned 8- or 16-bit type
    SignExtended,      // (x & $FF ^ $80) - $80: to a signed 8- or 16-bit type
    Int32,             // x | 0
    UInt32,            // ~(~x)
};

enum class EForm : std::uint8_t
{
    Atom,
    Unary,
    Binary
};

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
        const bool bParens =
            form.eForm == EForm::Unary    ? !context.bAtStart || form.nPriority < context.nParent
            : form.eForm == EForm::Binary ? (context.bRight ? form.nPriority <= context.nParent
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
        case ECNode::Unary:
            return node.eOp == ECOp::Plus ? EPlan::Transparent : EPlan::AsIs;
        case ECNode::Cast:
            return CastPlan(node);
        case ECNode::Binary:
            break;
        default:
            return EPlan::AsIs;
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
            if (n >= 1 && n < 32 && !a.IsNegative() && a.nBits < (1ull << 32))
                return EPlan::MaskedShift;
            if (!a.IsNegative() && node.value.IsInt32() && a.IsExactInDouble())
                return EPlan::DividedByPower;
            return EPlan::AsIs;
        case ECOp::ShiftLeft:
            return TypeInfo(node.eType).nBits == 64 && !node.value.IsInt32() && !node.bWrapped64
                       ? EPlan::MultipliedByPower
                       : EPlan::AsIs;
        default:
            return EPlan::AsIs;
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
            const bool bKeepsValues = from.bSigned == to.bSigned
                                          ? to.nBits >= from.nBits
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
        case EPlan::Transparent:
            return FormOf(node.nLeft);
        case EPlan::TruncatedQuotient:
        case EPlan::MaskedShift:
        case EPlan::DividedByPower:
        case EPlan::Mask:
        case EPlan::Int32:
            return {EForm::Binary, priorities.nBitwise};
        case EPlan::MultipliedByPower:
            return {EForm::Binary, priorities.nMultiply};
        case EPlan::SignExtended:
            return {EForm::Binary, priorities.nAdd};
        case EPlan::UInt32:
            return {EForm::Unary, priorities.nNot};
        case EPlan::AsIs:
            break;
        }
        switch (node.eKind)
        {
        case ECNode::Literal:
            return node.value.IsNegative() ? SForm{EForm::Unary, priorities.nAdd}
                                           : SForm{EForm::Atom, 0};
        case ECNode::Unary:
            return {EForm::Unary, priorities.Of(node.eOp)};
        case ECNode::Binary:
            return {EForm::Binary, priorities.Of(node.eOp)};
        default:
            return {EForm::Atom, 0};
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
        const EPlan ePlan = PlanOf(nNode);
        if (!context.bSkipSpace) EmitSpace(node.nFirstToken);
        context.bSkipSpace = true; // the node's leading blanks are out
        switch (ePlan)
        {
        case EPlan::Transparent:
            Print(node.nLeft, context);
            return;
        case EPlan::TruncatedQuotient:
        case EPlan::MaskedShift:
        case EPlan::DividedByPower:
        case EPlan::MultipliedByPower:
            PrintArithmetic(node, ePlan, context);
            return;
        case EPlan::Mask:
        case EPlan::SignExtended:
        case EPlan::Int32:
        case EPlan::UInt32:
            PrintConversion(node, ePlan, context);
            return;
        case EPlan::AsIs:
            PrintAsWritten(node, context);
            return;
        }
    }

    // An operation whose C result the calculator's operator alone does not give.
    void PrintArithmetic(const SCNode& node, EPlan ePlan, SContext context)
    {
        const SPriorities& priorities = Priorities();
        switch (ePlan)
        {
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
        default: // DividedByPower, MultipliedByPower
            Print(node.nLeft, Left(priorities.nMultiply, context));
            EmitSpace(node.nToken);
            Emit(ePlan == EPlan::DividedByPower ? "/" : "*", node.nToken);
            Emit(m_bSpaced ? " (2<" : "(2<", node.nToken);
            Print(node.nRight, Right(priorities.nPower, true));
            Emit(")", node.nToken);
            if (ePlan == EPlan::DividedByPower) EmitInserted("|", "0", node.nToken);
            return;
        }
    }

    // A conversion to a narrower integer type, as a mask or the calculator's own narrowing.
    void PrintConversion(const SCNode& node, EPlan ePlan, SContext context)
    {
        const SPriorities& priorities = Priorities();
        switch (ePlan)
        {
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
        default: // UInt32
            Emit("~(~", node.nToken);
            Print(node.nLeft, Right(priorities.nNot, true));
            Emit(")", node.nToken);
            return;
        }
    }

    // The node as C wrote it.
    void PrintAsWritten(const SCNode& node, SContext context)
    {
        const SPriorities& priorities = Priorities();
        switch (node.eKind)
        {
        case ECNode::Literal:
            PrintLiteral(node);
            return;
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
        default:
            PrintBinary(node, priorities.Of(node.eOp), context, OpText(node.eOp));
            return;
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
        // The calculator reads 'c' only with no blank beside it: pasted, left by an operator
        // the translation drops ("- +'c'"), or put there by the translation's own operators,
        // which have blanks around them in a spaced paste.
        const bool bQuoted = !token.strCalculator.empty() && token.strCalculator[0] == '\'';
        const bool bBlankBefore = !m_strOut.empty() && m_strOut.back() == ' ';
        if (bQuoted &&
            (m_bSpaced || bBlankBefore || token.nSpace < token.nBegin || next.nSpace < next.nBegin))
            Emit(std::to_string(node.value.Signed()), node.nToken);
        else
            Emit(token.strCalculator, node.nToken);
    }

    static std::string HexDigits(std::uint64_t nValue) { return "$" + lumdrak::HexDigits(nValue); }

    // The blanks before a token, each as one blank: the calculator reads no tabs. Blanks where
    // the text went on over a line, a splice or a comment are one: such a value reads on one
    // line.
    void EmitSpace(std::uint32_t nToken)
    {
        const SCToken& token = m_arrTokens[nToken];
        const std::uint32_t nBlanks = token.nBegin - token.nSpace;
        if (nBlanks == 0) return;
        const bool bLineStart = token.nSpace > 0 && m_clean.strText[token.nSpace - 1] == '\n';
        const bool bJoined =
            m_clean.SourceOf(token.nBegin - 1) - m_clean.SourceOf(token.nSpace) != nBlanks - 1;
        if (bLineStart || bJoined)
        {
            m_strOut += ' ';
            if (m_pSourcePos) m_pSourcePos->push_back(m_clean.SourceOf(token.nSpace));
            return;
        }
        for (std::uint32_t i = token.nSpace; i < token.nBegin; ++i)
        {
            m_strOut += ' ';
            if (m_pSourcePos) m_pSourcePos->push_back(m_clean.SourceOf(i));
        }
    }

    void Emit(std::string_view strText, std::uint32_t nToken)
    {
        m_strOut += strText;
        if (m_pSourcePos)
            m_pSourcePos->insert(m_pSourcePos->end(), strText.size(),
                                 m_clean.SourceOf(m_arrTokens[nToken].nBegin));
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

void PrintTranslation(const std::vector<SCNode>& arrNodes, const std::vector<SCToken>& arrTokens,
                      const SCleanText& clean, bool bSpaced, int nRoot, std::string& strOut,
                      std::vector<std::size_t>* pSourcePos)
{
    CPrinter(arrNodes, arrTokens, clean, bSpaced, strOut, pSourcePos).Print(nRoot, {});
}
