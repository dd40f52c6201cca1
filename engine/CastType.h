#pragma once

// The cast every operation narrows its operands and result to: 2 x cast mode + the unsigned
// flag. None and NoneUnsigned are no cast, and so is any number beyond 7, which a cast type
// can hold.
enum class ECastType : int
{
    None = 0,
    NoneUnsigned = 1,
    Signed32 = 2,
    Unsigned32 = 3,
    Signed16 = 4,
    Unsigned16 = 5,
    Signed8 = 6,
    Unsigned8 = 7,
};

// Whether the cast type narrows at all (2 to 7).
constexpr bool IsCast(ECastType eCast)
{
    return eCast >= ECastType::Signed32 && eCast <= ECastType::Unsigned8;
}

// The seven casts that differ, no cast first.
inline constexpr ECastType kDistinctCasts[] = {
    ECastType::None,       ECastType::Signed32, ECastType::Unsigned32, ECastType::Signed16,
    ECastType::Unsigned16, ECastType::Signed8,  ECastType::Unsigned8,
};
