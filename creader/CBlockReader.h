#pragma once

#include "CExpression.h"
#include "CMacroExpander.h"
#include "CNames.h"
#include "CTexts.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What one line of a C text yields.
enum class ECLineKind : std::uint8_t
{
    Value,   // reading: C's value (or what C leaves undefined in it) and its translation
    None,    // no value: a directive, a function-like macro, a typedef, a blank or comment-only
             // line, a line of a declaration ("enum {", "};"), a line #if leaves out
    Unknown, // C's value needs what is not known here; strUnknown says what
    NotC,    // not C: the calculator's own text, left to the literal conversion
};

struct SCNameUse
{
    std::string strName;
    std::string strOrigin; // "pasted", "linux/input.h"
};

struct SCLine
{
    ECLineKind eKind = ECLineKind::None;
    SCReading reading;      // Value: C's value and its translation
    std::string strUnknown; // Unknown: "EBADF is not defined"
    std::string strRefusal; // NotC beyond the reader's limits: "Not read as C: more than ..."
    std::string strDefines; // the name the line defines, if any
    ECConstruct eConstruct = ECConstruct::Arithmetic;
    bool bPower = false;      // the line holds a '<' that the calculator reads as a power
    bool bExpression = false; // the value is the line's own expression (no #define, no NAME =)
    // The value's text began this many lines before this one: its positions count from the
    // start of that line, the lines in between joined by one '\n' each.
    int nLinesBefore = 0;
    std::vector<SCNameUse> arrUsed; // the names its value took, at most kMaxNamesUsed
};

enum class ECReadMode : std::uint8_t
{
    Paste,        // every line gets its outcome
    Header,       // a header as it stands: only its definitions are kept
    Preprocessed, // the C preprocessor's output (-dD): its macros are replaced already, and
                  // its line markers name the header each definition comes from
};

// Reads a C text line after line as one source: #define (object-like and function-like) and
// #undef, enum across lines with implicit values and GCC's types, typedef, const declarations,
// comments over several lines, line splices, and #if, #ifdef, #ifndef, #elif, #else, #endif
// where their condition can be computed (else the first branch is read). Every definition goes
// into the names, where later lines and later reads find it.
class CCBlockReader
{
public:
    static constexpr std::size_t kMaxNamesUsed = 8;
    // Beyond, a statement is not read; a longer line is not C in a paste, and is read in parts
    // of this many tokens in a header.
    static constexpr std::size_t kMaxUnitTokens = 1 << 16;
    // The tokens macro replacement may make: kLineBudget more for each line read, at most
    // kMaxBudget in hand, so that no text of any length takes long.
    static constexpr std::size_t kMaxBudget = std::size_t{1} << 20;
    static constexpr std::size_t kLineBudget = 256;

    explicit CCBlockReader(CCNames& names, ECReadMode eMode = ECReadMode::Paste,
                           std::string strOrigin = std::string(kOriginPasted));

    // One line, without its line break. The outcomes of the lines it completes are appended
    // to arrOut, one for each line, in order: none while a comment or a splice goes on (and
    // none at all when a header is read, which only defines names).
    void ReadLine(std::string_view strLine, std::vector<SCLine>& arrOut);
    // The text ends: lines still waiting are read, an open comment ending with the text.
    void Finish(std::vector<SCLine>& arrOut);
    // A line of CleanSource's text, whose comments and splices are gone already: read as it
    // stands (a "/*" left in it is one that nothing closed), after Finish.
    void ReadCleanLine(std::string_view strLine, std::vector<SCLine>& arrOut);
    // Every line of strText (split at CR LF, LF or CR), then Finish.
    void ReadText(std::string_view strText, std::vector<SCLine>& arrOut);

    // Give translations' source positions (for the error marker under the text as given).
    bool m_bPositions = true;

    // The origin a line marker names: "linux/input.h" for /usr/include/linux/input.h.
    static std::string OriginOf(std::string_view strPath);
    // Where the lines read now come from, as the last line marker named it.
    const std::string& Origin() const { return m_strOrigin; }

private:
    enum class EState : std::uint8_t
    {
        Idle,
        Declaration,
        EnumBody,
        Braces,
    };
    struct SCondition
    {
        bool bParentActive;
        bool bActive;
        bool bTaken;
    };
    struct SEnumerator
    {
        std::string strName;
        SCValue value;
        bool bKnown;
        std::string strUnknown; // where its value is not known: why
    };

    void ReadLogical(std::vector<SCLine>* pOut);
    // The logical line is m_lineClean, from nGivenSize bytes as given.
    void ReadCleaned(std::vector<SCLine>* pOut, std::size_t nGivenSize);
    void Directive(SCLine& line);
    void Conditional(std::string_view strName, SCLine& line);
    int Condition(std::size_t nFirst);
    void Define(SCLine& line);
    std::uint32_t AppendStatementText();
    void RebaseTokens(std::uintptr_t nBefore, std::size_t nSizeBefore);
    void Statement(SCLine& line, std::uint32_t nLexed);
    void StatementTokens(SCLine& line, bool& bOpensEnum);
    bool GoesOn(const SPpToken& first) const;
    void ValueWentOn(SCLine& line);
    void StartStatement(std::size_t& i, SCLine& line);
    void DeclarationToken(const SPpToken& token, SCLine& line);
    void EnumToken(const SPpToken& token, SCLine& line);
    bool EnumeratorComplete() const;
    void Enumerator(SCLine& line);
    void FinishEnum();
    void Declaration(SCLine& line);
    void Expression(std::vector<SPpToken>& arrTokens, bool bAssignment, SCLine& line);
    void Read(const std::vector<SPpToken>& arrTokens, const SCleanText& clean,
              std::size_t nTextSize, const ECType* pDeclared, const SCName* pDisabled, bool bExpand,
              SCLine& line);
    void Used(SCLine& line);
    bool Expand(const std::vector<SPpToken>& arrTokens, const SCName* pDisabled = nullptr);
    void KeepValue(const SCName* pMacro, const SCLine& line);
    bool Expands() const { return m_eMode != ECReadMode::Preprocessed; }
    bool Outcomes() const { return m_eMode == ECReadMode::Paste; }
    bool Active() const { return m_conditions.empty() || m_conditions.back().bActive; }
    void Emit(std::vector<SCLine>* pOut, SCLine&& line, std::size_t nLines);

    CCNames& m_names;
    const ECReadMode m_eMode;
    std::string m_strOrigin;
    CCMacroExpander m_expander;
    CCExpression m_expression;
    SCExpression m_result;

    // The physical lines of the logical line being gathered.
    std::string m_strPending;
    std::size_t m_nPendingLines = 0;
    bool m_bInComment = false;      // a /* comment goes on past the line
    bool m_bLineComment = false;    // a // comment goes on past a splice
    char m_chQuote = 0;             // a literal goes on past a splice
    std::size_t m_nLine = 0;        // physical lines read before the logical line
    std::size_t m_nGivenOffset = 0; // their bytes, each line break one
    std::size_t m_nLogicalSize = 0; // the logical line's bytes as given

    // The logical line, cleaned, and its tokens.
    SCleanText m_lineClean;
    std::vector<SPpToken> m_arrLine;

    // The statement the lines build: its clean text from its first line on, and the tokens
    // of the part being read (a declaration, an enumerator).
    EState m_eState = EState::Idle;
    EState m_eAfterBraces = EState::Idle;
    int m_nBraceDepth = 0;
    SCleanText m_stmtClean;
    std::size_t m_nStmtLine = 0;   // its first physical line
    std::size_t m_nStmtOffset = 0; // and that line's offset
    std::vector<SPpToken> m_arrDeclaration;
    std::vector<SPpToken> m_arrUnit;
    bool m_bDeclarationAssigns = false; // an '=' at the declaration's own level
    int m_nDepth = 0;                   // brackets open in the declaration or enumerator
    bool m_bUnitTooLong = false;

    // The enumeration being read.
    // The name whose value the line's end ended (an enumerator, a pasted declaration), until
    // the next line shows whether the value went on.
    std::string m_strEndedAtLine;
    bool m_bEndedInEnum = false;
    std::string m_strDeclared; // the last name a declaration gave a value

    std::string m_strEnumTag;
    std::vector<SEnumerator> m_arrEnumerators;
    SCType m_enumType;
    bool m_bEnumType = false; // the declaration holds an enumeration read in full

    std::vector<SCondition> m_conditions;
    std::size_t m_nBudget = kMaxBudget;
    std::vector<SPpToken> m_arrExpanded;
    std::vector<SPpToken> m_arrScratch;
};
