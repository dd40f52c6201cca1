#include "CValue.h"

#include "Hex.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace
{

// In ECType's order. The matching casts: 8Bit, 8Bit UNSIGNED, 16Bit, ..., 32Bit UNSIGNED;
// the 64-bit and floating types match no cast, the full doubles.
constexpr std::array<SCTypeInfo, 13> kTypes = {{
    {"char", 8, true, false, 1, ECastType::Signed8},
    {"signed char", 8, true, false, 1, ECastType::Signed8},
    {"unsigned char", 8, false, false, 1, ECastType::Unsigned8},
    {"short", 16, true, false, 2, ECastType::Signed16},
    {"unsigned short", 16, false, false, 2, ECastType::Unsigned16},
    {"int", 32, true, false, 3, ECastType::Signed32},
    {"unsigned int", 32, false, false, 3, ECastType::Unsigned32},
    {"long", 64, true, false, 4, ECastType::None},
    {"unsigned long", 64, false, false, 4, ECastType::None},
    {"long long", 64, true, false, 5, ECastType::None},
    {"unsigned long long", 64, false, false, 5, ECastType::None},
    {"float", 32, true, true, 0, ECastType::None},
    {"double", 64, true, true, 0, ECastType::None},
}};

constexpr std::array<std::string_view, 13> kOpTexts = {"*", "/", "%", "+", "-", "<<", ">>",
                                                       "&", "^", "|", "+", "-", "~"};

std::uint64_t Mask(int nBits) { return nBits >= 64 ? ~0ull : (1ull << nBits) - 1; }

ECType UnsignedOf(ECType eType)
{
    switch (eType)
    {
    case ECType::Int:
        return ECType::UInt;
    case ECType::Long:
        return ECType::ULong;
    case ECType::LongLong:
        return ECType::ULongLong;
    default:
        return eType;
    }
}

bool IsShift(ECOp eOp) { return eOp == ECOp::ShiftLeft || eOp == ECOp::ShiftRight; }
bool NeedsIntegers(ECOp eOp)
{
    return eOp == ECOp::Remainder || IsShift(eOp) || eOp == ECOp::And || eOp == ECOp::Xor ||
           eOp == ECOp::Or || eOp == ECOp::Not;
}

double Floating(const SCValue& value)
{
    return IsFloating(value.eType) ? value.dValue : value.ToDouble();
}

// A double rounded to a float as IEEE arithmetic rounds it, beyond the float's range too.
float ToFloat(double dValue)
{
    constexpr double dMax = std::numeric_limits<float>::max();
    constexpr double dHalfwayToInfinity = 0x1.ffffffp127;
    if (std::isnan(dValue) || std::fabs(dValue) <= dMax) return static_cast<float>(dValue);
    const float fMagnitude = std::fabs(dValue) < dHalfwayToInfinity
                                 ? std::numeric_limits<float>::max()
                                 : std::numeric_limits<float>::infinity();
    return dValue < 0 ? -fMagnitude : fMagnitude;
}

SCResult Floating(ECOp eOp, ECType eType, double a, double b)
{
    double dResult = 0.0;
    if (eType == ECType::Float)
    {
        const auto fa = static_cast<float>(a);
        const auto fb = static_cast<float>(b);
        switch (eOp)
        {
        case ECOp::Multiply:
            dResult = fa * fb;
            break;
        case ECOp::Divide:
            dResult = fa / fb;
            break;
        case ECOp::Add:
            dResult = fa + fb;
            break;
        default:
            dResult = fa - fb;
            break;
        }
    }
    else
    {
        switch (eOp)
        {
        case ECOp::Multiply:
            dResult = a * b;
            break;
        case ECOp::Divide:
            dResult = a / b;
            break; // IEEE: a zero divisor gives an infinity
        case ECOp::Add:
            dResult = a + b;
            break;
        default:
            dResult = a - b;
            break;
        }
    }
    return {FloatingValue(eType, dResult)};
}

SCResult Shift(ECOp eOp, const SCValue& left, const SCValue& count)
{
    const SCTypeInfo& info = TypeInfo(left.eType);
    SCResult result{left};
    if (count.IsNegative())
        result.eFault = EFault::NegativeCount;
    else if (count.nBits >= static_cast<std::uint64_t>(info.nBits))
        result.eFault = EFault::CountTooLarge;
    if (result.eFault != EFault::None) return result;
    const auto n = static_cast<int>(count.nBits);
    if (eOp == ECOp::ShiftRight)
    {
        result.value =
            info.bSigned ? IntegerValue(left.eType, static_cast<std::uint64_t>(left.Signed() >> n))
                         : IntegerValue(left.eType, left.nBits >> n);
        return result;
    }
    if (info.bSigned)
    {
        const std::int64_t nMax = static_cast<std::int64_t>(Mask(info.nBits - 1));
        if (left.Signed() < 0)
            result.eFault = EFault::NegativeShifted;
        else if (left.Signed() > (nMax >> n))
            result.eFault = EFault::ShiftOverflow;
        else
            result.value = IntegerValue(left.eType, left.nBits << n);
        return result;
    }
    result.bWrapped64 = info.nBits == 64 && n > 0 && (left.nBits >> (64 - n)) != 0;
    result.value = IntegerValue(left.eType, left.nBits << n);
    return result;
}

SCResult Signed(ECOp eOp, ECType eType, std::int64_t a, std::int64_t b)
{
    const SCTypeInfo& info = TypeInfo(eType);
    const std::int64_t nMin = -static_cast<std::int64_t>(Mask(info.nBits - 1)) - 1;
    const std::int64_t nMax = static_cast<std::int64_t>(Mask(info.nBits - 1));
    SCResult result;
    std::int64_t n = 0;
    bool bOverflow = false;
    switch (eOp)
    {
    case ECOp::Multiply:
        bOverflow = __builtin_mul_overflow(a, b, &n);
        break;
    case ECOp::Add:
        bOverflow = __builtin_add_overflow(a, b, &n);
        break;
    case ECOp::Subtract:
        bOverflow = __builtin_sub_overflow(a, b, &n);
        break;
    case ECOp::Divide:
    case ECOp::Remainder:
        if (b == 0)
        {
            result.eFault = EFault::DivisionByZero;
            return result;
        }
        bOverflow = a == nMin && b == -1; // the quotient, and so the remainder, are undefined
        if (!bOverflow) n = eOp == ECOp::Divide ? a / b : a % b;
        break;
    case ECOp::And:
        n = a & b;
        break;
    case ECOp::Xor:
        n = a ^ b;
        break;
    default:
        n = a | b;
        break;
    }
    if (bOverflow || n < nMin || n > nMax)
        result.eFault = EFault::Overflow;
    else
        result.value = IntegerValue(eType, static_cast<std::uint64_t>(n));
    return result;
}

SCResult Unsigned(ECOp eOp, ECType eType, std::uint64_t a, std::uint64_t b)
{
    const bool b64 = TypeInfo(eType).nBits == 64;
    SCResult result;
    std::uint64_t n = 0;
    bool bWrapped = false;
    switch (eOp)
    {
    case ECOp::Multiply:
        bWrapped = __builtin_mul_overflow(a, b, &n);
        break;
    case ECOp::Add:
        bWrapped = __builtin_add_overflow(a, b, &n);
        break;
    case ECOp::Subtract:
        bWrapped = __builtin_sub_overflow(a, b, &n);
        break;
    case ECOp::Divide:
    case ECOp::Remainder:
        if (b == 0)
        {
            result.eFault = EFault::DivisionByZero;
            return result;
        }
        n = eOp == ECOp::Divide ? a / b : a % b;
        break;
    case ECOp::And:
        n = a & b;
        break;
    case ECOp::Xor:
        n = a ^ b;
        break;
    default:
        n = a | b;
        break;
    }
    result.bWrapped64 = b64 && bWrapped;
    result.value = IntegerValue(eType, n);
    return result;
}

} // namespace

const SCTypeInfo& TypeInfo(ECType eType) { return kTypes[static_cast<std::size_t>(eType)]; }

std::string_view OpText(ECOp eOp) { return kOpTexts[static_cast<std::size_t>(eOp)]; }

ECType Promoted(ECType eType)
{
    const SCTypeInfo& info = TypeInfo(eType);
    return !info.bFloating && info.nRank < TypeInfo(ECType::Int).nRank ? ECType::Int : eType;
}

ECType CommonType(ECType eLeft, ECType eRight)
{
    if (eLeft == ECType::Double || eRight == ECType::Double) return ECType::Double;
    if (eLeft == ECType::Float || eRight == ECType::Float) return ECType::Float;
    const ECType a = Promoted(eLeft);
    const ECType b = Promoted(eRight);
    const SCTypeInfo& infoA = TypeInfo(a);
    const SCTypeInfo& infoB = TypeInfo(b);
    if (a == b) return a;
    if (infoA.bSigned == infoB.bSigned) return infoA.nRank >= infoB.nRank ? a : b;
    const ECType eUnsigned = infoA.bSigned ? b : a;
    const ECType eSigned = infoA.bSigned ? a : b;
    if (TypeInfo(eUnsigned).nRank >= TypeInfo(eSigned).nRank) return eUnsigned;
    if (TypeInfo(eSigned).nBits > TypeInfo(eUnsigned).nBits) return eSigned;
    return UnsignedOf(eSigned);
}

double SCValue::ToDouble() const
{
    if (IsFloating(eType)) return dValue;
    return IsSigned() ? static_cast<double>(Signed()) : static_cast<double>(nBits);
}

bool SCValue::IsExactInDouble() const
{
    if (IsFloating(eType)) return true;
    const double d = ToDouble();
    if (IsSigned()) return d < 0x1p63 && static_cast<std::int64_t>(d) == Signed();
    return d < 0x1p64 && static_cast<std::uint64_t>(d) == nBits;
}

bool SCValue::IsInt32() const
{
    if (IsFloating(eType)) return false;
    return IsSigned() ? Signed() >= INT32_MIN && Signed() <= INT32_MAX : nBits <= INT32_MAX;
}

bool SCValue::IsNegative() const
{
    if (IsFloating(eType)) return dValue < 0;
    return IsSigned() && Signed() < 0;
}

SCValue IntegerValue(ECType eType, std::uint64_t nBits)
{
    const SCTypeInfo& info = TypeInfo(eType);
    SCValue value{eType, nBits & Mask(info.nBits), 0.0};
    if (info.bSigned && info.nBits < 64 && (value.nBits >> (info.nBits - 1)) != 0)
        value.nBits |= ~Mask(info.nBits); // sign-extended
    return value;
}

SCValue FloatingValue(ECType eType, double dValue)
{
    return {eType, 0, eType == ECType::Float ? static_cast<double>(ToFloat(dValue)) : dValue};
}

// The value converted to the floating type eType as C converts it: an integer goes to a float
// in one rounding, not through a double, whose rounding could leave a tie the second breaks
// the other way (2^60 + 2^36 + 1).
double FloatingAs(const SCValue& value, ECType eType)
{
    if (eType != ECType::Float || IsFloating(value.eType))
        return FloatingValue(eType, Floating(value)).dValue;
    return TypeInfo(value.eType).bSigned ? static_cast<float>(value.Signed())
                                         : static_cast<float>(value.nBits);
}

SCValue Convert(const SCValue& value, ECType eType, EFault& eFault)
{
    const SCTypeInfo& to = TypeInfo(eType);
    if (to.bFloating) return {eType, 0, FloatingAs(value, eType)};
    if (!IsFloating(value.eType))
        return IntegerValue(eType, value.nBits); // modulo the width, as GCC converts
    // The integral part must fit, else C leaves the conversion undefined.
    const double dWhole = std::trunc(value.dValue);
    const double dLow = to.bSigned ? -std::ldexp(1.0, to.nBits - 1) : 0.0;
    const double dHigh = std::ldexp(1.0, to.bSigned ? to.nBits - 1 : to.nBits);
    if (std::isnan(dWhole) || dWhole < dLow || dWhole >= dHigh)
    {
        eFault = EFault::OutOfRange;
        return {eType};
    }
    if (to.bSigned)
        return IntegerValue(eType, static_cast<std::uint64_t>(static_cast<std::int64_t>(dWhole)));
    return IntegerValue(eType, static_cast<std::uint64_t>(dWhole));
}

ECType ResultType(ECOp eOp, ECType eLeft, ECType eRight, bool& bValid)
{
    bValid = !NeedsIntegers(eOp) || (!IsFloating(eLeft) && !IsFloating(eRight));
    if (IsShift(eOp)) return Promoted(eLeft);
    return CommonType(eLeft, eRight);
}

SCResult ApplyBinary(ECOp eOp, const SCValue& left, const SCValue& right)
{
    if (IsShift(eOp))
    {
        EFault eIgnored = EFault::None;
        return Shift(eOp, Convert(left, Promoted(left.eType), eIgnored),
                     Convert(right, Promoted(right.eType), eIgnored));
    }
    const ECType eType = CommonType(left.eType, right.eType);
    if (IsFloating(eType))
        return Floating(eOp, eType, FloatingAs(left, eType), FloatingAs(right, eType));
    EFault eIgnored = EFault::None; // integer to integer conversions are always defined
    const SCValue a = Convert(left, eType, eIgnored);
    const SCValue b = Convert(right, eType, eIgnored);
    if (TypeInfo(eType).bSigned) return Signed(eOp, eType, a.Signed(), b.Signed());
    return Unsigned(eOp, eType, a.nBits, b.nBits);
}

SCResult ApplyUnary(ECOp eOp, const SCValue& operand)
{
    EFault eIgnored = EFault::None;
    const SCValue value = Convert(operand, Promoted(operand.eType), eIgnored);
    if (IsFloating(value.eType))
        return {FloatingValue(value.eType, eOp == ECOp::Negate ? -value.dValue : value.dValue)};
    if (eOp == ECOp::Plus) return {value};
    if (eOp == ECOp::Not) return {IntegerValue(value.eType, ~value.nBits)};
    if (value.IsSigned()) return Signed(ECOp::Subtract, value.eType, 0, value.Signed());
    return Unsigned(ECOp::Subtract, value.eType, 0, value.nBits);
}

std::string ShortestText(double dValue)
{
    if (std::isnan(dValue)) return "nan"; // whatever its sign bit
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, dValue);
    return std::string(buffer, result.ptr);
}

std::string DecimalText(const SCValue& value)
{
    if (IsFloating(value.eType)) return ShortestText(value.dValue);
    return value.IsSigned() ? std::to_string(value.Signed()) : std::to_string(value.nBits);
}

std::string HexText(const SCValue& value)
{
    return "0x" + lumdrak::HexDigits(value.nBits & Mask(TypeInfo(value.eType).nBits));
}
