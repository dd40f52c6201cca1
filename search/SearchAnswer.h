#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What a desktop launcher shows for a query: one result, or nothing. Texts are in the
// console's single-byte code page, as the console's are.
struct SSearchAnswer
{
    std::string strTitle;       // the decimal line, as the console writes it
    std::string strDescription; // "$FF0 · #111111110000", then C's value where it differs
    std::string strExpression;  // the query as the calculator reads it, for a '?' line
};

// Longer queries get no answer.
inline constexpr std::size_t kMaxQueryBytes = 4096;
// Between the parts of a description: a middle dot with a blank on each side.
inline constexpr std::string_view kDescriptionSeparator = " \xB7 ";

// Answers a query typed into a launcher: an expression of the calculator's language, or a C
// constant expression read as a paste into the console reads it, evaluated as Enter on a '?'
// line under the cast and sign mode of strSettingsCode. Nothing for a query that holds no
// digit, '$', '#' or quoted character, that is a syntax error, that breaks a line, or that is
// longer than kMaxQueryBytes. Blanks around the query and a leading '?' do not count. Nothing
// is kept from one query to the next.
std::optional<SSearchAnswer> AnswerQuery(std::string_view strQuery,
                                         std::string_view strSettingsCode);
