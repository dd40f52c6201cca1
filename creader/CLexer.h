#pragma once

#include "CValue.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Pasted text as C's first translation phases see it: line splices (a backslash at a line's
// end) removed, each comment one blank, every line break ("\r\n", "\n" or "\r") one '\n'.
struct SCleanText
{
    std::string strText;

    // The index in the pasted text of the byte that gave clean byte nClean.
    std::uint32_t SourceOf(std::uint32_t nClean) const;

    // From clean byte nClean on, until the next run, clean byte i came from pasted byte
    // nSource + (i - nClean): the map costs memory for each comment, splice and CR LF, not
    // for each byte.
    struct SRun
    {
        std::uint32_t nClean;
        std::uint32_t nSource;
    };
    std::vector<SRun> arrRuns;
};

// Where a block comment ends that no "*/" closes soon enough.
enum class ECommentEnd : std::uint8_t
{
    // It runs over lines to its "*/", as in C. One that nothing closes is no comment: its "/*"
    // is read as it stands, so that a block never loses its last lines to it.
    AsC,
    // It ends at its "*/" or with its line, whichever comes first: a line pasted alone often
    // ends inside a comment that goes on in the file it came from.
    AtLineEnd,
};

void CleanSource(std::string_view strPasted, SCleanText& clean, ECommentEnd eCommentEnd);

// How a paste's comments end: AtLineEnd for a single line (line splices and a line break at
// its very end aside), AsC for a block of lines.
ECommentEnd CommentEndOfPaste(std::string_view strPasted);

// C's character classes: what may start an identifier, what may follow in one, and the
// blanks between tokens on a line.
bool IsCLetter(char ch);
bool IsCAlnum(char ch);
bool IsCBlank(char ch);

// The end of the preprocessing number that begins at nPos: digits, letters, points, digit
// separators, and a sign after an exponent's e or p.
std::size_t PpNumberEnd(std::string_view s, std::size_t nPos);

enum class ECToken : std::uint8_t
{
    End,
    Integer,
    Floating,
    Character,
    Name,
    LeftParen,
    RightParen,
    Plus,
    Minus,
    Tilde,
    Star,
    Slash,
    Percent,
    ShiftLeft,
    ShiftRight,
    Amp,
    Caret,
    Pipe,
    Semicolon,
    Comma,
    Assign,
    Hash,
    Other, // any other C token, or bytes that are none
};

// One token of a clean line; positions index the clean text.
struct SCToken
{
    ECToken eKind = ECToken::End;
    std::uint32_t nSpace = 0; // start of the blanks before the token
    std::uint32_t nBegin = 0;
    std::uint32_t nEnd = 0;
    SCValue value;             // literals
    std::string strCalculator; // literals: the calculator's form of the same value
};

enum class ETokenized : std::uint8_t
{
    Read,
    NotC,    // some byte starts no token C knows, or a literal is not one C accepts
    TooMany, // more than the tokens asked for: the rest was not looked at
};

// The tokens of clean bytes [nBegin, nEnd), ending with an End token. NotC for 0x, 09, 1e999,
// 'ab', "x" and the like; TooMany as soon as nMaxTokens tokens are followed by another, so
// that a long line costs no more than its first tokens.
ETokenized Tokenize(const std::string& strClean, std::uint32_t nBegin, std::uint32_t nEnd,
                    std::size_t nMaxTokens, std::vector<SCToken>& arrTokens);
