#pragma once

#include "CastType.h"

#include <cstdint>
#include <string>
#include <string_view>

// C's arithmetic types on x86-64 Linux (LP64: int 32 bits, long and long long 64, char
// signed), and C's values of them, with the conversions and operations C defines and the
// faults it leaves undefined.
enum class ECType : std::uint8_t
{
    Char,
    SChar,
    UChar,
    Short,
    UShort,
    Int,
    UInt,
    Long,
    ULong,
    LongLong,
    ULongLong,
    Float,
    Double,
};

struct SCTypeInfo
{
    std::string_view strName; // as C spells the type
    int nBits;
    bool bSigned;
    bool bFloating;
    int nRank;               // integer conversion rank; 0 for the floating types
    ECastType eMatchingCast; // the calculator's cast whose values are this type's, or None
};

const SCTypeInfo& TypeInfo(ECType eType);
inline bool IsFloating(ECType eType) { return TypeInfo(eType).bFloating; }
ECType Promoted(ECType eType);
ECType CommonType(ECType eLeft, ECType eRight); // the usual arithmetic conversions

// What ISO C leaves undefined in a constant expression.
enum class EFault : std::uint8_t
{
    None,
    Overflow,        // a signed result outside its type
    NegativeShifted, // a negative value shifted left
    ShiftOverflow,   // a signed value shifted left beyond its type
    NegativeCount,   // a shift by a negative count
    CountTooLarge,   // a shift by the width or more
    DivisionByZero,
    OutOfRange, // a floating value converted to an integer type that cannot hold it
};

// The operators of a C constant expression.
enum class ECOp : std::uint8_t
{
    Multiply,
    Divide,
    Remainder,
    Add,
    Subtract,
    ShiftLeft,
    ShiftRight,
    And,
    Xor,
    Or,
    Plus,   // unary
    Negate, // unary
    Not,    // unary ~
};

std::string_view OpText(ECOp eOp);

struct SCValue
{
    ECType eType = ECType::Int;
    std::uint64_t nBits = 0; // integers: two's complement, signed types sign-extended to 64 bits
    double dValue = 0.0;     // floating types (a float's value held exactly)

    bool IsSigned() const { return TypeInfo(eType).bSigned; }
    std::int64_t Signed() const { return static_cast<std::int64_t>(nBits); }
    double ToDouble() const; // rounded as C converts it
    bool IsExactInDouble() const;
    // Fits the calculator's 32-bit signed integers (the operands of its bitwise operators).
    bool IsInt32() const;
    bool IsNegative() const;
};

SCValue IntegerValue(ECType eType, std::uint64_t nBits); // narrowed to the type's width
SCValue FloatingValue(ECType eType, double dValue);      // rounded to a float for Float

// The value converted to eType as C converts it; eFault is set when C leaves it undefined.
SCValue Convert(const SCValue& value, ECType eType, EFault& eFault);

// The outcome of one operation: its value, the fault C names, and whether an unsigned 64-bit
// result wrapped around (which a double, having no such width, cannot do).
struct SCResult
{
    SCValue value;
    EFault eFault = EFault::None;
    bool bWrapped64 = false;
};

// The type an operation yields: the usual arithmetic conversions, or the promoted left operand
// for shifts. bValid is false where C forbids the operand types (% or ~ on a double).
ECType ResultType(ECOp eOp, ECType eLeft, ECType eRight, bool& bValid);
SCResult ApplyBinary(ECOp eOp, const SCValue& left, const SCValue& right);
SCResult ApplyUnary(ECOp eOp, const SCValue& operand);

// Texts of a value: decimal (the shortest exact form for floating values) and, for integers,
// the type's bits in hexadecimal with "0x".
std::string DecimalText(const SCValue& value);
std::string HexText(const SCValue& value);
// The shortest decimal text of a double that reads back to it.
std::string ShortestText(double dValue);
