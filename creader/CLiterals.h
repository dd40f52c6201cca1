#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Integer literals as C, C++, Python and Rust write them, turned into the calculator's own:
// 0x or 0X hexadecimal becomes $, 0b or 0B binary becomes #, digit separators (' and _) are
// dropped, and a C integer suffix (u, l, ll, z in either order with u, any case) goes. A literal
// counts only as a whole word, so names, decimal numbers such as 0.5e3, $ff, text that is no
// such literal and text between single quotes are left exactly as they are. Line breaks pass
// unchanged; a byte above 127 is never part of a literal, so UTF-8 text survives whole.
//
// With pSourcePos, entry i receives the index in strText of the byte that gave byte i of the
// result; one entry more, for the end, holds strText.size().
std::string ConvertCLiterals(std::string_view strText,
                             std::vector<std::size_t>* pSourcePos = nullptr);
