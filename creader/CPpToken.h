#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct SCValue;
#include <vector>

// C's preprocessing tokens, as the macro expander and the block reader see them: every
// punctuator, names, numbers, character and string literals, and the bytes that start no
// token. A literal's value is read later, from its spelling.
enum class ECPp : std::uint8_t
{
    End,
    Name,
    Number,    // a preprocessing number: whatever starts with a digit or ".digit"
    Character, // with its prefix (L'x', u'x', U'x')
    String,
    Punct,
    Other,       // a byte that starts no token of C: $, @, `, a stray quote, any byte above 127
    Placemarker, // an empty macro argument while ## is applied
    Value,       // a macro replaced by its value, known already (pValue)
};

enum class ECPunct : std::uint8_t
{
    None,
    LeftParen,
    RightParen,
    LeftBracket,
    RightBracket,
    LeftBrace,
    RightBrace,
    Dot,
    Arrow,
    Increment,
    Decrement,
    Amp,
    Star,
    Plus,
    Minus,
    Tilde,
    Not,
    Slash,
    Percent,
    ShiftLeft,
    ShiftRight,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    Equal,
    NotEqual,
    Caret,
    Pipe,
    AndAnd,
    OrOr,
    Question,
    Colon,
    Semicolon,
    Ellipsis,
    Assign,
    CompoundAssign, // *= /= %= += -= <<= >>= &= ^= |=
    Comma,
    Hash,
    HashHash,
};

struct SPpToken
{
    std::string_view strText;
    // Positions in the clean text the token was read from: its leading blanks, its first byte,
    // its end. A token an expansion made has those of the macro name it came from.
    std::uint32_t nSpace = 0;
    std::uint32_t nBegin = 0;
    std::uint32_t nEnd = 0;
    ECPp eKind = ECPp::End;
    ECPunct ePunct = ECPunct::None;
    bool bSpace = false;             // a blank stands before it
    bool bNoExpand = false;          // a macro's name met inside its own expansion: never replaced
    bool bExpanded = false;          // made by a macro expansion
    bool bPasteOp = false;           // a ## of a replacement list (not one an argument brought)
    std::int16_t nParam = -1;        // in a replacement list: the parameter it names
    const SCValue* pValue = nullptr; // Value: the macro's value, held by the names

    bool Is(ECPunct ePunctuator) const { return eKind == ECPp::Punct && ePunct == ePunctuator; }
    bool IsName(std::string_view strName) const
    {
        return eKind == ECPp::Name && strText == strName;
    }
};

// Appends the tokens of clean bytes [nBegin, nEnd) of strClean (one line: no line break) to
// arrTokens, without an End token, at most nMaxTokens of them. Their texts view strClean.
// Returns the position after the last token appended, nEnd when all were.
std::uint32_t LexPp(std::string_view strClean, std::uint32_t nBegin, std::uint32_t nEnd,
                    std::vector<SPpToken>& arrTokens, std::size_t nMaxTokens = SIZE_MAX);

// The one token strText holds, or false when it holds none or more than one.
bool LexOne(std::string_view strText, SPpToken& token);
