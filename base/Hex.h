#pragma once

#include <cstdint>
#include <string>

// The house's one hexadecimal form: digits in capitals, no prefix.
namespace lumdrak
{

// nValue's digits, with leading zeros up to nMinDigits.
inline std::string HexDigits(std::uint64_t nValue, int nMinDigits = 1)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string strHex;
    do
    {
        strHex.insert(strHex.begin(), kDigits[nValue & 0xF]);
        nValue >>= 4;
    } while (nValue != 0);
    if (static_cast<int>(strHex.size()) < nMinDigits)
        strHex.insert(0, static_cast<std::size_t>(nMinDigits) - strHex.size(), '0');
    return strHex;
}

// The value of a hexadecimal digit in either case; -1 for any other byte.
constexpr int HexDigitValue(char ch)
{
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

} // namespace lumdrak
