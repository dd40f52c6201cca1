#pragma once

#include "CBlockReader.h"
#include "CCheck.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// What the console does with one line of C text.
enum class EPasteEntry : std::uint8_t
{
    Value,     // C's value: strEntry is its translation
    Converted, // no C: the calculator's own text, strEntry its C and Python literals converted
    AsTyped,   // the line begins with '?': strEntry is what follows it, exactly as given
    None,      // no value: a directive, a function-like macro, a typedef, a blank or comment line
    Unknown,   // C's value needs what is not known here: the notice says what
};

// How lines are read and what their notices say.
struct SPasteOptions
{
    ECastType eCast = ECastType::None;
    bool bPositions = false; // map strEntry's bytes into the line as given
    // lumdrak-eval: a notice only where C's value cannot be given or is not known, with the
    // options beside a cast's name. The window's notice also names the value the text as typed
    // gives where it is another, and where the names a line took from earlier reads came from.
    bool bTerminal = false;
};

struct SPastedLine
{
    EPasteEntry eEntry = EPasteEntry::None;
    std::string strGiven; // the line as given, without its break
    // Value, Converted, AsTyped: what the console's '?' line holds. A Value without a
    // translation has the line's literals converted, and bDiffers.
    std::string strEntry;
    // With positions, for a Value: entry i is the index in strGiven of the byte that gave byte i
    // of strEntry (a byte of a line before this one counts as its first); one entry more, for
    // the end, holds strGiven's size. Converted text finds its positions when SourcePos asks.
    std::vector<std::size_t> arrSourcePos;
    SCReading reading;     // Value: C's
    SCCheck check;         // Value: the translation against C under the cast
    bool bDiffers = false; // Value: entering strEntry would not give C's value, or C has none
    std::string strNotice; // what to tell about the line; empty: nothing

    // The 1-based position in strGiven of the byte that gave byte nPos (1-based) of strEntry.
    int SourcePos(int nPos) const;
    // The same for every byte of strEntry, and one entry more for the end.
    std::vector<std::size_t> SourcePositions() const;
};

// A paste inserted as text: every line becomes its entry (a line without a value keeps its text
// with its literals converted) and the line breaks stay. The notice is the first line's that has
// one, and how many more have one.
struct SPasteConversion
{
    std::string strText;
    std::string strNotice;
    bool bWhole = true; // false: stopped before the end, and neither text nor notice is whole
};

// One line of a paste entered as a block at the console's empty last prompt: its text goes
// where the prompt was, and where it yields a value a '?' line below it holds strExpression
// and is entered as Enter does. A line that begins with '?' is that line itself.
struct SBlockLine
{
    std::string strText;
    bool bEnter = false;
    std::string strExpression;
};

struct SPasteBlock
{
    std::vector<SBlockLine> arrLines;
    std::string strNotice;
    bool bWhole = true;
};

// Where the portion of a converted paste that begins at nFrom ends: after its nMaxLines-th
// line break, or after the first line break at or beyond nFrom + nMaxBytes, or at the text's
// end. A portion never ends inside a line, so never inside a CR LF or a UTF-8 sequence.
std::size_t PortionEnd(std::string_view strText, std::size_t nFrom, int nMaxLines,
                       std::size_t nMaxBytes);

// Reads C text as the console takes it, line after line as one C source through the block
// reader: definitions go into the names the caller keeps, and later lines (and later readers)
// use them. Each line's outcome becomes what the console enters or inserts, checked against
// C's value under a cast, with the notice the line needs. Lines that begin with '?' are the
// calculator's own and end the C text before them. Keeps no buffer of one paste for the next.
class CPasteReader
{
public:
    explicit CPasteReader(CCNames& names, std::string strOrigin = std::string(kOriginPasted));

    // One line, without its break. The lines it completes are appended to arrOut, each once
    // and in order: none while a comment or a splice goes on.
    void ReadLine(std::string_view strLine, const SPasteOptions& options,
                  std::vector<SPastedLine>& arrOut);
    // The text ends: lines still waiting are read, a comment still open ending with the text.
    void Finish(const SPasteOptions& options, std::vector<SPastedLine>& arrOut);

    // A paste inserted where the caret is. Comments and line splices may span its lines (the
    // whole paste is cleaned first; a comment that nothing closes is no comment, and a single
    // line's ends with it). fnGoOn, where given, is asked before each line; false stops there.
    SPasteConversion Convert(std::string_view strPasted, ECastType eCast,
                             const std::function<bool()>& fnGoOn = {});
    // A paste entered as a block: its lines read as ReadLine reads them.
    SPasteBlock ReadBlock(std::string_view strPasted, ECastType eCast,
                          const std::function<bool()>& fnGoOn = {});

private:
    void TakeOutcomes(const SPasteOptions& options, std::vector<SPastedLine>& arrOut);
    // pasted gets line's outcome; strGiven is the line as given (pasted.strGiven, or a part of
    // a paste that outlives the call).
    void Complete(SCLine& line, const SPasteOptions& options, std::size_t nOffset,
                  std::string_view strGiven, SPastedLine& pasted);
    void CompleteValue(SCLine& line, const SPasteOptions& options, std::size_t nOffset,
                       std::string_view strGiven, SPastedLine& pasted);
    std::string Origins(const SCLine& line) const;

    static constexpr std::size_t kMaxLinesBefore = 64; // of a value's text, for its positions

    CCNames& m_names;
    CCBlockReader m_reader;
    std::vector<SCLine> m_arrOutcomes;
    std::deque<std::string> m_arrWaiting; // lines read whose outcome has not come yet
    std::deque<std::size_t> m_arrDone;    // the sizes of the last lines given their outcome
    std::unordered_set<std::string> m_definedHere; // what this reader defined
    CExpressionEvaluator m_checker;
};

// A '?' line's expression, typed, read as C with the names known (F5): its translation, or its
// text with C literals converted where it is no C; what it defines is not kept.
struct STypedC
{
    bool bChanged = false; // strText is not the expression as typed
    std::string strText;
    std::string strNotice; // the notice a paste of the same line gets
};
STypedC TranslateTyped(std::string_view strExpression, const CCNames& names, ECastType eCast);

// After a syntax error: where the expression reads as C and its translation reads in the
// calculator's language, "As C: 12288 (int). F5 translates the line."; else empty.
std::string AsCNotice(std::string_view strExpression, const CCNames& names, ECastType eCast);
