#pragma once

#include "Console.h"
#include "MemoryWindow.h"
#include "Paste.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The modes a session evaluates under, as -c, -u and -o choose them.
struct SEvalModes
{
    ECastMode eCastMode = ECastMode::None;
    int bUnsigned = 0; // read under a cast only, as the window's UNSIGNED box
    EOutputMode eOutputMode = EOutputMode::Decimal;
};

// The calculator's console in memory, in Scroll mode with a chosen cast and output: every
// expression is typed on a '?' line and Enter is pressed, so what it yields is exactly what
// the window's console writes. r and m carry over from one expression to the next.
class CEvalSession
{
public:
    // Where the names an expression defined came from.
    static constexpr std::string_view kOriginGiven = "given";

    // bCLiterals: the expressions are read as one C text, line after line, as a paste into the
    // window's console is: a line that is C is evaluated as its translation when that gives
    // C's value, and otherwise not at all (DiffersFromC, UnknownInC); a definition is kept for
    // the lines after it (YieldsNoValue where the line has no value of its own); other text has
    // its C and Python integer literals converted (ConvertCLiterals).
    // EOutputMode::Double and Float write the result's IEEE-754 bits, "0x" and hex digits.
    CEvalSession(ECastMode eCastMode, int bUnsigned, EOutputMode eOutputMode, bool bRaw,
                 bool bCLiterals = false);
    CEvalSession(const CEvalSession&) = delete;
    CEvalSession& operator=(const CEvalSession&) = delete;

    // The modes for the following expressions: what they print is what a session started
    // with these modes prints. r and m stay as they are.
    void SetModes(const SEvalModes& modes);
    SEvalModes Modes() const;

    // Evaluates every line of strText, as a script's input: CR and LF both end a line, a
    // leading '?' is dropped (and the line read as typed), empty lines are skipped; results go to
    // standard output, syntax errors as the console shows them to standard error (with --raw both
    // as one line each to standard output). Read as C, a line with a leading '?' is the
    // calculator's own, and with --raw every line gets one line of output: a blank line or a
    // line without a value of its own gets "-", a value unknown here "unknown".
    void EvaluateLines(std::string_view strText);
    // The C text ends (an argument, or standard input): lines still waiting for a comment or a
    // splice to end are evaluated.
    void FinishLines();

    // A header read as the system's C compiler sees it, its names kept for the expressions, which
    // are read as C from then on: false where the file cannot be read (strError says why);
    // strNote says what standard error should (no preprocessor, or what it reported);
    // pDefinitions, where given, the definitions it read (not the compiler's own).
    bool ReadHeader(const std::string& strPath, std::string& strError, std::string& strNote,
                    std::size_t* pDefinitions = nullptr);
    // The names the C text and the headers defined.
    std::size_t NamesKnown() const { return m_pC ? m_pC->names.Count() : 0; }

    // Enter on the line '?' + strExpression: 0 on success, else the 1-based error position.
    // Afterwards WrittenLine() is the result line (with m_bLiteral the literal Ctrl+Shift+C
    // copies), or after an error the marker line. With C read (and bAsTyped false), the line
    // is one pasted line: the position and the marker are those of the text as given; an
    // expression whose value would differ from C's, or is unknown here, is not entered, and
    // DiffersFromC() or UnknownInC() then holds with CNotice() saying how; a line that yields no
    // value enters nothing (YieldsNoValue()). bAsTyped: the line was given with its '?', as the
    // calculator's own, and is read as typed even with C read.
    int Enter(std::string_view strExpression, bool bAsTyped = false);
    std::string_view WrittenLine() const { return m_strWritten; }
    std::string_view ErrorMessage() const { return m_strMessage; }
    bool DiffersFromC() const { return m_bDiffers; }
    bool UnknownInC() const { return m_bUnknown; }
    bool YieldsNoValue() const { return m_bNoValue; }
    std::string_view CNotice() const { return m_strCNotice; }
    // A result as --raw prints it: the shortest exact decimal, or with m_bLiteral the literal.
    std::string RawResult() const;

    // F4: r goes to m.
    void StoreResultInMemory() { m_console.PreTranslateKeyDown(EVirtualKey::F4); }
    double LastResult() const { return m_console.LastResult(); }
    double Memory() const { return m_console.Memory(); }
    // r as the panel's decimal line shows it ("0" before the first result); with --raw in
    // its shortest exact form.
    std::string LastResultText() const;

    // The shortest decimal text that reads back as dValue ("nan", "inf", "-inf").
    static std::string RawText(double dValue);

    bool m_bAnyError = false;
    bool m_bAnyDifference = false; // from C, with bCLiterals
    bool m_bAnyUnknown = false;    // C's value unknown here, with bCLiterals
    bool m_bLiteral = false;       // results as literals (ResultLiteral)
    const bool m_bRaw;
    bool m_bCLiterals; // the expressions are read as C (-C, -i, :i)

private:
    void EvaluateLine(std::string_view strLine);
    int EnterText(std::string_view strText);
    int EnterPasted(const SPastedLine& pasted);
    int Evaluate(std::string_view strText, const SPastedLine* pMapped);
    void Print(std::string_view strLine, int nErrorPos);
    void PrintPasted();
    SPasteOptions PasteOptions() const { return {m_console.CastType(), true, true}; }

    EOutputMode m_nOutputMode = EOutputMode::Decimal; // the console's, or Double or Float

    std::string m_strLine;
    std::string m_strWritten;
    std::string m_strMessage;
    // What reads the lines as C, and the names it defined for the lines after it: made when
    // C is first read, since the built-in names cost a plain start more than all else.
    struct SCText
    {
        CCNames names;
        CPasteReader paste{names, std::string(kOriginGiven)};
    };
    SCText& C();
    std::unique_ptr<SCText> m_pC;
    std::vector<SPastedLine> m_arrPasted;
    bool m_bDiffers = false;
    bool m_bUnknown = false;
    bool m_bNoValue = false;
    std::string m_strCNotice;
    CMemoryWindow m_window;
    CConsole m_console{m_window};
};
