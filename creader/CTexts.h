#pragma once

#include "CValue.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class ECConstruct : std::uint8_t;

// Every text the block reader shows: why a value is not known, what C leaves undefined, where
// a name came from, and the notice's sentences. Kept together so that they read as one voice.

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
std::string TextCannotRead(std::string_view strPath, std::string_view strReason);
std::string TextNoPreprocessor(std::string_view strPath);
std::string TextPreprocessorFailed(std::string_view strCommand, std::string_view strMessage);
std::string TextTooLarge(std::string_view strPath, std::size_t nBytes);
