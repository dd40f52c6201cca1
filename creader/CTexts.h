#pragma once

#include "CCheck.h"

#include <string>
#include <string_view>

// Every text the C reader shows a person, so that they read alike and are found in one place.

// "C leaves 1 << 32 undefined: the shift count is not below the 32 bits of int." strOperation
// names the operation with its operands' values; type is the one the fault concerns.
std::string UndefinedText(std::string_view strOperation, EFault eFault, const SCTypeInfo& type);

// What a double does not do to a value on the way: "a double cannot hold 18446744073709551615
// exactly", "a double cannot wrap -1 * 2 around 64 bits".
std::string CannotHoldText(const SCValue& value);
std::string CannotWrapText(std::string_view strOperation);

// One line for a check that is not Same: "C: 2147495936 = 0x80003000 (unsigned int). 32Bit
// UNSIGNED gives the same." With bOptions, lumdrak-eval's options follow the cast's name.
std::string CheckText(const SCReading& reading, const SCCheck& check, bool bOptions);

// A paste's notice: the first differing line's text, with "Line 3: " before it when the paste
// has more than one line, and how many more lines differ after it.
std::string PasteNoticeText(std::string strFirst, int nFirstLine, int nLines, int nDiffering);
