#pragma once

#include <string_view>

// Text is bytes in the code page; only ASCII letters have a case. These are the house's only
// case rules, so that every comparison and conversion agrees on bytes above 127: they stay.
namespace lumdrak
{

constexpr char AsciiLower(char ch)
{
    return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
}

constexpr char AsciiUpper(char ch)
{
    return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
}

constexpr bool IsAsciiDigit(char ch) { return ch >= '0' && ch <= '9'; }

constexpr bool IsAsciiLetter(char ch) { return AsciiLower(ch) >= 'a' && AsciiLower(ch) <= 'z'; }

// Whether strText begins with strPrefix, letters compared in either case.
constexpr bool StartsWithNoCase(std::string_view strText, std::string_view strPrefix)
{
    if (strText.size() < strPrefix.size()) return false;
    for (std::size_t i = 0; i < strPrefix.size(); ++i)
        if (AsciiLower(strText[i]) != AsciiLower(strPrefix[i])) return false;
    return true;
}

// The byte that stands for a character the code page cannot hold, or for a NUL that would end
// a stored text (the code page's SUB control).
inline constexpr char kLostByte = 0x1A;

} // namespace lumdrak
