#include "ExpressionEvaluator.h"

#include "IntegerConversion.h"

#include <cmath>

using lumdrak::ToInt32;

double CExpressionEvaluator::OpRight(double, double b) { return b; }
double CExpressionEvaluator::OpMultiply(double a, double b) { return a * b; }
double CExpressionEvaluator::OpDivide(double a, double b) { return a / b; }
double CExpressionEvaluator::OpAdd(double a, double b) { return a + b; }
double CExpressionEvaluator::OpSubtract(double a, double b) { return a - b; }
double CExpressionEvaluator::OpPower(double a, double b) { return std::pow(a, b); }

// The integer operators work on the low 32 bits of the integer conversion, read as signed.
double CExpressionEvaluator::OpModulo(double a, double b)
{
    const std::int32_t nDivisor = ToInt32(b);
    if (nDivisor == 0)
        return a / b; // the quotient of the operands as received: 5%0 is infinity, 5%0.5 is 10
    if (nDivisor == -1) return 0.0; // also for INT32_MIN, whose 32-bit division would trap
    return ToInt32(a) % nDivisor;
}

double CExpressionEvaluator::OpOr(double a, double b) { return ToInt32(a) | ToInt32(b); }
double CExpressionEvaluator::OpAnd(double a, double b) { return ToInt32(a) & ToInt32(b); }
double CExpressionEvaluator::OpXor(double a, double b) { return ToInt32(a) ^ ToInt32(b); }

double CExpressionEvaluator::OpShiftLeft(double a, double b)
{
    const auto nPattern = static_cast<std::uint32_t>(ToInt32(a));
    return static_cast<std::int32_t>(nPattern << (ToInt32(b) & 31));
}

double CExpressionEvaluator::OpShiftRight(double a, double b)
{
    return ToInt32(a) >> (ToInt32(b) & 31); // arithmetic: the sign bit fills the top
}

double CExpressionEvaluator::OpNot(double, double b)
{
    return static_cast<std::uint32_t>(~static_cast<std::uint32_t>(ToInt32(b)));
}

// The nearest whole number, an exact half going to the even one, as "%.f" prints it.
// Whole numbers, infinities and NaNs come back unchanged.
double CExpressionEvaluator::FnInt(double a, double)
{
    if (!std::isfinite(a) || std::fabs(a) >= 4503599627370496.0) // 2^52: already whole
        return a;
    const double dWhole = std::trunc(a);
    const double dFraction = std::fabs(a - dWhole); // exact for |a| < 2^52
    const double dStep = std::copysign(1.0, a);
    if (dFraction > 0.5 || (dFraction == 0.5 && std::fmod(dWhole, 2.0) != 0.0))
        return dWhole + dStep;
    return dWhole;
}

double CExpressionEvaluator::FnSqr(double a, double) { return std::sqrt(a); }
double CExpressionEvaluator::FnCos(double a, double) { return std::cos(a); }
double CExpressionEvaluator::FnSin(double a, double) { return std::sin(a); }
double CExpressionEvaluator::FnTan(double a, double) { return std::tan(a); }
double CExpressionEvaluator::FnAcos(double a, double) { return std::acos(a); }
double CExpressionEvaluator::FnAsin(double a, double) { return std::asin(a); }
double CExpressionEvaluator::FnAtan(double a, double) { return std::atan(a); }
double CExpressionEvaluator::FnExp(double a, double) { return std::exp(a); }
double CExpressionEvaluator::FnLog(double a, double) { return std::log(a); }
double CExpressionEvaluator::FnLog10(double a, double) { return std::log10(a); }

// A linear congruential generator with the classic C runtime constants: 0 to 32767.
double CExpressionEvaluator::FnRand(double, double)
{
    m_nRandState = m_nRandState * 214013u + 2531011u;
    return (m_nRandState >> 16) & 0x7FFFu;
}
