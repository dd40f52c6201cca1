#pragma once

#include "CCheck.h"
#include "CValue.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Every text the C reader shows a person, so that they read alike and are found in one place:
// the single line's check and the paste's notice, then the block reader's reasons, origins and
// notices.

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

// Why a text beyond the reader's limits is not read as C: "Not read as C: more than 65536
// tokens.", "Not read as C: nested more than 128 deep."
std::string TextTooManyTokens(std::size_t nTokens);
std::string TextTooDeep(std::size_t nLevels);
std::string TextTooManyOperations(std::size_t nOperations);

// After a syntax error on a line that reads as C: "As C: 12288 (int). F5 translates the line."
std::string TextAsC(const SCValue& value);

enum class ECConstruct : std::uint8_t;

// Why C's value is not known here.
std::string TextNotDefined(std::string_view strName);     // "EBADF is not defined"
std::string TextRefersToItself(std::string_view strName); // a macro met inside its own expansion
std::string TextNeedsArguments(std::string_view strName); // a function-like macro's bare name
std::string TextArgumentCount(std::string_view strName, std::size_t nWanted, std::size_t nGiven);
std::string TextArgumentsDoNotEnd(std::string_view strName);
std::string TextPasteFails(std::string_view strLeft, std::string_view strRight);
std::string TextNestsTooDeep(std::size_t nLevels);
std::string TextGrowsTooLong(std::string_view strName, std::size_t nTokens);
std::string TextBudgetSpent(std::string_view strName);    // the text's replacements ran out
std::string TextSizeNotKnown(std::string_view strType);   // "the size of struct v4l2_tuner ..."
std::string TextLayoutNotKnown(std::string_view strType); // offsetof
std::string TextEnumNotDefined(std::string_view strTag);
std::string TextAddress();                              // a pointer where a number is needed
std::string TextString();                               // a string literal where a number is needed
std::string TextNotComputed(std::string_view strWhat);  // "long double", "_Bool"
std::string TextOperator(std::string_view strOperator); // & * [] . -> ++ -- = and calls
std::string TextLiteral(std::string_view strLiteral);   // a literal the reader does not read
std::string TextTypeName(std::string_view strName);     // a type where a value is needed
std::string TextEnumOverflow();
std::string TextGoesOnPastItsLine();
std::string TextInEnumerator(std::string_view strName, std::string_view strReason);
std::string TextNoExpression(std::string_view strMacro); // a macro that gives no expression

// What C leaves undefined: "C leaves 1 << 32 undefined: the shift count is not below the 32
// bits of int." strOperation is the operation with its operands' values.
std::string TextFault(EFault eFault, std::string_view strOperation, ECType eType);

// The origin of a name read from a paste, and of one the compiler itself defines.
inline constexpr std::string_view kOriginPasted = "pasted";
inline constexpr std::string_view kOriginCompiler = "the compiler";

// "UART0_CR: pasted".
std::string TextNameOrigin(std::string_view strName, std::string_view strOrigin);

// The notice's sentence for a value unknown here: "C's value is unknown: EBADF is not
// defined."
std::string TextUnknown(std::string_view strReason);

// The notice's sentence where the text as typed gives another value than C: "Read as C: 2<10
// is a comparison, 1 (int). As typed, `<` is a power: 1024." strConstruct names what C reads
// ("a comparison"), or is empty; bPower: the text holds a '<' the calculator reads as a power.
std::string TextReadAsC(std::string_view strText, std::string_view strConstruct,
                        const SCValue& value, bool bPower, double dTyped);
// What C reads at the top of an expression, as the notice names it: "a comparison", or empty.
std::string_view TextConstruct(ECConstruct eConstruct);
// The same sentence's second half alone, after a notice that already gave C's value.
std::string TextAsTyped(bool bPower, double dTyped);

// Reading a header file.
std::string TextHeaderRead(std::string_view strOrigin,
                           std::size_t nNames); // "Read linux/input.h: 2020 C names."
std::string TextNamesForgotten(std::size_t nNames);
std::string TextCannotRead(std::string_view strPath, std::string_view strReason);
std::string TextNoPreprocessor(std::string_view strPath);
std::string TextPreprocessorFailed(std::string_view strCommand, std::string_view strMessage);
std::string TextTooLarge(std::string_view strPath, std::size_t nBytes);
