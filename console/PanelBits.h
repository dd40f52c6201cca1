#pragma once

#include "Hex.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// What a gesture on the result panel enters: an expression for a new '?' line, or, when there
// is none, the reason, said to the user instead.
struct CPanelEntry
{
    std::string m_strExpression; // empty when nothing is entered
    std::string m_strReason;     // why not; empty when there is an expression
};

// The result panel's binary line as bits to touch: which bit a digit shows, the value with one
// bit flipped, its bytes swapped or its bits rotated and the literal that enters it, a field of
// bits, and the texts that name them. Columns count the line's digits from 0 at its first
// (leftmost) digit; bits from 0 at its last. The line is as wide as the cast that wrote it: 8,
// 16 or 32 bits, or 64 for no cast, where it is the two's complement of the integer conversion
// of a double.
class CPanelBits
{
public:
    // The bits of a binary line of 8, 16, 32 or 64 digits; anything else (an empty panel) has
    // none.
    static std::optional<CPanelBits> FromLine(std::string_view strLine);

    int Width() const { return m_nWidth; }
    std::uint64_t Bits() const { return m_nBits; }

    // The bit that column nColumn shows, -1 outside the line; and the column of bit nBit, -1
    // for no such bit.
    int BitOfColumn(int nColumn) const;
    int ColumnOfBit(int nBit) const;
    bool Bit(int nBit) const;
    // "bit 23 = 1"
    std::string BitText(int nBit) const;

    // Bits nHigh down to nLow, in either order, as an unsigned number: the field's value.
    std::uint64_t Field(int nHigh, int nLow) const;
    // "bits 11..0 = $F9C = 3996 (signed -100)", the field's two's complement named when its
    // top bit is set; "bits 23..16 = $5E = 94"; "bit 7 = $1 = 1 (signed -1)".
    std::string FieldText(int nHigh, int nLow) const;
    // The field's value as C and the other languages write it: "0xDE", or "222".
    std::string FieldLiteral(int nHigh, int nLow, bool bHex) const;

    // The expression whose value, under the cast that wrote the line, shows these bits with bit
    // nBit flipped. Under a cast it is the new bits as a '$' literal, which the cast reads as
    // signed or unsigned ($FF is -1 under signed 8 bits); with no cast it is the new 64-bit
    // integer, a negative one as "-$" and its magnitude. An integer that a double cannot hold
    // (more than 53 significant bits) has no expression.
    CPanelEntry FlipEntry(int nBit) const;
    // The field's value as a '$' literal, when a double holds it exactly; or its two's
    // complement value, a negative one as "-$" and its magnitude.
    CPanelEntry FieldEntry(int nHigh, int nLow) const;
    CPanelEntry SignedFieldEntry(int nHigh, int nLow) const;

    // The width that a swap of bytes or a rotation works in: the line's under a cast; with no
    // cast 32 bits when the integer fits 32 bits, signed or unsigned, else all 64.
    int MoveWidth() const;
    // Under a cast the new bits are written as a flip writes them. With no cast, 32 moved bits
    // are read as the integer was read, a negative one as signed; 64 as the 64-bit integer,
    // where the 53-bit rule can refuse them.
    bool CanSwap() const { return m_nWidth > 8; } // a single byte has nothing to swap with
    CPanelEntry SwapEntry() const;
    // The bits rotated by one within that width: left moves the top bit to bit 0.
    CPanelEntry RotateEntry(bool bLeft) const;

private:
    CPanelBits(std::uint64_t nBits, int nWidth) : m_nBits(nBits), m_nWidth(nWidth) {}

    // The field in order, its ends clamped to the line, and its two's complement: negative
    // when its top bit is set, as its magnitude.
    std::pair<int, int> FieldEnds(int nHigh, int nLow) const;
    std::pair<std::uint64_t, bool> SignedField(int nHigh, int nLow) const;
    // The expression for bits moved within nWidth (MoveWidth) bits, or why there is none.
    CPanelEntry MovedEntry(std::uint64_t nMoved, int nWidth, std::string_view strWhat) const;

    std::uint64_t m_nBits;
    int m_nWidth;
};

using lumdrak::HexDigits;

// The IEEE-754 forms of a double: its 64 bits ("0x3FB999999999999A"), the 32 bits of the float
// nearest to it ("0x3DCCCCCD"), and both with the double's fields named, on two lines:
// "double 0x3FB999999999999A: sign 0, exponent 0x3FB = 2^-4, fraction 0x999999999999A" and
// "float 0x3DCCCCCD".
std::string DoubleBitsText(double dValue);
std::string FloatBitsText(double dValue);
std::string Ieee754Text(double dValue);

// The character whose code a value is, where it is a whole number from 0 to 0x10FFFF and no
// surrogate, as C writes it between quotes (UTF-8): below 128 the C literal itself ("'z'",
// "'\\n'", "'\\x7f'"); above, the code point and the character ("U+00E9 'é'"), as an escape where
// the character would show nothing or join a quote ("U+0085 '\\x85'", "U+200B '\\u200b'").
// Empty for a value that is no character.
std::string CharacterText(double dValue);
// The C literal whose value is that code: the same below 128, a char32_t literal above ("U'é'").
std::string CharacterLiteral(double dValue);
