#pragma once

#include "CastType.h"

#include <cstdint>
#include <string>
#include <string_view>

// Turns one expression text into a double, or into the 1-based position of its first
// syntax error. A table of 28 tokens drives a scanner and a recursive evaluation by
// priorities; every operation goes through Apply, which narrows operands and result to
// the cast type. Text is a byte string, positions are byte indices; any byte may occur.
class CExpressionEvaluator
{
public:
    using Operation = double (CExpressionEvaluator::*)(double, double);

    struct OperatorEntry
    {
        std::string_view strToken;
        int nPriority; // 0 closing, 1..199 binary (higher binds tighter), 200 "(", 201 functions
        Operation pfnOperation;
    };

    static constexpr int kTokenCount = 28;

    // Deepest nesting of groups and function calls. A group with a full chain of sub-levels
    // open costs five frames, so the worst case stays under 1 MiB of stack (2 MiB in the
    // sanitizer build); a text that nests deeper fails at the end of the first group or
    // function token beyond the limit.
    static constexpr int kMaxGroupDepth = 2000;

    // Longer texts fail at the first byte beyond this, so positions always fit in an int.
    static constexpr int kMaxTextLength = 1 << 30;

    // Outcomes of ReadOperand.
    enum class EOperand : int
    {
        Value = 0,    // m_dOperand holds it
        Rejected = 1, // m_nPos has moved to the byte after the offending one
        Blank = 2,    // nothing but blanks
    };

    CExpressionEvaluator() = default;

    // Evaluates *pText (the text after a console line's '?'). Afterwards m_nErrorPos is 0 on
    // success, else the 1-based position of the offending byte; the value is then meaningless.
    double Evaluate(const std::string* pText);

    // Seeds the generator behind "rand(" (the window does it once at start-up with the time).
    void Seed(std::uint32_t nSeed) { m_nRandState = nSeed; }

    // Binary text of an integer, most significant bit first, kept in m_strBinary.
    std::string Binary64(std::int64_t nValue);
    std::string Binary32(std::int32_t nValue);
    std::string Binary16(std::int64_t nValue);
    std::string Binary8(std::int64_t nValue);

    double m_dMemory = 0.0;     // operand "m"
    double m_dLastResult = 0.0; // operand "r"
    ECastType m_nCastType = ECastType::None;
    int m_nErrorPos = 0; // 1-based; 0 when the last evaluation succeeded

    static const OperatorEntry m_operators[kTokenCount];

private:
    double EvaluateLevel(double dStart);
    // Counts the token that ends at nEnd, the first time a scan meets it: the bracket balance,
    // and an error where it may not follow the token before it.
    void CountToken(int nToken, int nEnd);
    // The group or function call the token at m_nPos opens, into dCur; false (with the error
    // set) when it would nest too deep.
    bool EvaluateGroup(int nToken, double& dCur);
    int NextItem(int nPos);
    double Apply(double dLeft, double dRight, int nToken);
    EOperand ReadOperand(std::string_view strText);
    EOperand ReadPrefixed(std::string_view strText, std::size_t nFirst);
    double ReadDecimal(std::string_view strText, std::size_t nFirst);
    int MatchToken(std::size_t nPos) const;
    void FormatBinary(int nWidth, std::uint64_t nValue);

    double OpRight(double a, double b);
    double OpMultiply(double a, double b);
    double OpDivide(double a, double b);
    double OpModulo(double a, double b);
    double OpAdd(double a, double b);
    double OpSubtract(double a, double b);
    double OpOr(double a, double b);
    double OpAnd(double a, double b);
    double OpXor(double a, double b);
    double OpShiftLeft(double a, double b);
    double OpShiftRight(double a, double b);
    double OpPower(double a, double b);
    double OpNot(double a, double b);
    double FnInt(double a, double b);
    double FnSqr(double a, double b);
    double FnCos(double a, double b);
    double FnSin(double a, double b);
    double FnTan(double a, double b);
    double FnAcos(double a, double b);
    double FnAsin(double a, double b);
    double FnAtan(double a, double b);
    double FnExp(double a, double b);
    double FnLog(double a, double b);
    double FnLog10(double a, double b);
    double FnRand(double a, double b);

    int m_nSubDepth = 0;       // sub-levels open within the group being evaluated
    int m_nGroupDepth = 0;     // groups and function calls open around the scan position
    int m_nToken = 0;          // what the last scan found: 0 operand or nothing, else row + 1
    int m_nScanStart = 0;      // 0-based start of the last scan
    int m_nBracketBalance = 0; // closing minus opening and function tokens counted so far
    int m_nBracketPos = 0;     // end position of the last bracket or function token counted
    int m_nPrevToken = 0;      // token number of the last token counted
    int m_nPrevTokenEnd = 0;   // end position of the last token counted
    int m_nPos = 0;            // 0-based scan position
    int m_nTokenRun = 0;       // tokens counted since the last operand
    double m_dOperand = 0.0;   // value of the last operand read
    std::string_view m_text;   // the text being evaluated, valid during Evaluate only
    std::uint32_t m_nRandState = 1;
    std::string m_strNumber; // decimal operand without blanks, reused to avoid allocations
    std::string m_strBinary;
};
