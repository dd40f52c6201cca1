#pragma once

#include <string>
#include <string_view>
#include <vector>

// Tab completion of the names of the expression language: the function tokens of the
// evaluator's table ("sqr(" ... "rand("), then "pi", "r" and "m"; and of the commands.
struct SCompletion
{
    std::string strInsert;               // to type at the cursor; empty when nothing fits
    std::vector<std::string> candidates; // the names that fit, when they share no more letters
};

// The completion of the name that ends strBeforeCursor, matched in any case and continued in
// the case it was begun in. A name begins with a letter; one behind '$' or '#' is a number.
// On a line that begins with ':' it is a command's name, or after it one of its values, as
// the commands' table spells them, or for a command that takes a file, a path.
SCompletion CompleteName(std::string_view strBeforeCursor);

// Every name, in the order they are listed.
const std::vector<std::string>& CompletionNames();
