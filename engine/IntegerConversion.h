#pragma once

#include <cstdint>
#include <limits>

// The one integer conversion of the calculator: truncate toward zero to a signed 64-bit
// integer; a NaN or anything outside [-2^63, 2^63) gives -2^63. Narrower integers are
// its low bits. Written without an out-of-range float-to-int cast, which would be UB.
namespace lumdrak
{

inline std::int64_t ToInt64(double dValue)
{
    constexpr double dLimit = 9223372036854775808.0; // 2^63, exact in a double
    if (dValue >= -dLimit && dValue < dLimit) return static_cast<std::int64_t>(dValue);
    return std::numeric_limits<std::int64_t>::min();
}

inline std::uint64_t ToUInt64Bits(double dValue)
{
    return static_cast<std::uint64_t>(ToInt64(dValue));
}

inline std::int32_t ToInt32(double dValue)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ToUInt64Bits(dValue)));
}

} // namespace lumdrak
