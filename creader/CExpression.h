#pragma once

#include "CNames.h"
#include "CPpToken.h"
#include "CReading.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What C reads at the top of an expression, for the notice that says how the calculator
// would read the same text as typed.
enum class ECConstruct : std::uint8_t
{
    Arithmetic, // an operation the calculator writes too
    Comparison,
    Logical,  // && or ||
    Negation, // !
    Choice,   // ?:
    Size,     // sizeof or _Alignof
    Name,     // a macro, an enumerator, a constant
};

enum class ECExprStatus : std::uint8_t
{
    Value,         // C's value, or what C leaves undefined in it (reading.bDefined)
    Unknown,       // needs what is not known here: strUnknown says what
    Calculator,    // has no C value only through the calculator's own names (pi, r, m, sin)
    NotExpression, // no C expression
};

struct SCExpression
{
    ECExprStatus eStatus = ECExprStatus::NotExpression;
    SCReading reading; // Value
    std::string strUnknown;
    ECConstruct eConstruct = ECConstruct::Arithmetic;
    bool bPower = false;    // a '<' of the text itself, which the calculator reads as a power
    bool bNoNumber = false; // Unknown: a string or an address, no number whatever is known
    std::string strRefusal; // NotExpression beyond the reader's limits: why
    // The enumerators and constants the text names itself (not through a macro); they view
    // the tokens.
    std::vector<std::string_view> arrNames;
};

struct SCExprOptions
{
    bool bCondition = false;            // as #if reads it: integers as intmax_t or uintmax_t
    const ECType* pDeclared = nullptr;  // the value converted to a declared object's type
    const SCleanText* pClean = nullptr; // the text the tokens' positions index: a translation
    bool bPositions = false;            // with pClean: the translation's source positions
    std::size_t nTextSize = 0;          // the position that ends the translation's positions
};

// Reads macro-replaced tokens as one C constant expression with C's types on x86-64 Linux:
// every operator of C but the comma, casts to the arithmetic types and their typedefs, sizeof
// and _Alignof of every scalar type, names of enumerators and constants. What the calculator's
// language cannot write (a comparison, !, &&, ||, ?:, sizeof, a name, a macro's replacement) is
// written in the translation as its C value; the rest keeps its operators and brackets, with
// the calculator's literals and brackets where its priorities differ (CTranslation).
class CCExpression
{
public:
    // Beyond either, the tokens are no expression read here (SCExpression::strRefusal).
    static constexpr int kMaxDepth = 256;
    static constexpr std::size_t kMaxOperations = 4096;

    void Read(const std::vector<SPpToken>& arrTokens, const CCNames& names,
              const SCExprOptions& options, SCExpression& result);
};

// A value read without an expression (an enumerator that follows the one before), written
// as the calculator reads it at clean position nPosition.
void ValueReading(const SCValue& value, const SCleanText& clean, std::uint32_t nPosition,
                  std::size_t nTextSize, bool bPositions, SCReading& reading);

// One declarator of a declaration: its name, its type, and the tokens of its initializer.
struct SCDeclarator
{
    std::string_view strName;
    SCType type;
    bool bObject = false; // declares the base type itself: no pointer, array or function
    std::size_t nInitBegin = 0;
    std::size_t nInitEnd = 0; // equal to nInitBegin without an initializer
};

struct SCDeclaration
{
    bool bTypedef = false;
    bool bConst = false;    // const or constexpr
    bool bInferred = false; // "auto n = 7u": each object has its initializer's type
    SCType base;
    std::vector<SCDeclarator> arrDeclarators;
};

// Reads arrTokens, a declaration without its ';', whose braced bodies stand as "{ }". The
// type of "enum { }" is *pEnumBody where given. False when the tokens are no declaration
// the reader understands.
bool ReadDeclaration(const std::vector<SPpToken>& arrTokens, const CCNames& names,
                     const SCType* pEnumBody, SCDeclaration& declaration);

// Whether a statement that begins with these tokens is a declaration (a storage class, a
// qualifier, a type, or a known typedef name).
bool StartsDeclaration(const std::vector<SPpToken>& arrTokens, std::size_t nFirst,
                       const CCNames& names);
