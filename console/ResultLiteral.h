#pragma once

#include <string>
#include <string_view>

// Line nLine of the result panel (0 binary, 1 hexadecimal, 2 decimal, as the output modes
// number them) as a literal that those languages read back: "0b" or "0x" before the digits,
// the decimal line as it is. Letters are in capitals, as the panel shows them. Empty when the
// panel has no such line.
std::string ResultLiteral(std::string_view strPanel, int nLine);
