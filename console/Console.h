#pragma once

#include "ConsoleLines.h"
#include "ConsoleWindow.h"
#include "ExpressionEvaluator.h"
#include "ViewState.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Virtual-key codes as the key filter sees them; it acts on these, any other key has some other
// code.
enum class EVirtualKey : int
{
    None = 0,
    Enter = 0x0D,
    F2 = 0x71,
    F3 = 0x72,
    F4 = 0x73,
};

// The five modes the controls choose and the settings code keeps; as constructed, those a
// first start has before the settings code is loaded. A stored code may hold any digit: a
// cast mode beyond the radios is no cast, a flag above 1 is set.
struct SConsoleModes
{
    ECastMode eCastMode = ECastMode::None;
    int bUnsigned = 0;
    EOutputMode eOutputMode = EOutputMode::Decimal;
    EEditMode eEditMode = EEditMode::Overwrite;
    int bEndPos = 1;
};

// What one Enter did, for callers that show it elsewhere (lumdrak-eval).
struct SEnterResult
{
    bool bEntered = false; // the caret stood on a '?' line, and the key is consumed
    int nErrorPos = 0;     // 0 on success, else the 1-based position in the expression
    double dValue = 0.0;   // on success: the value, which r holds now
    // The line written below the evaluated one: the result as F2 inserts it, or the marker,
    // which kSyntaxNotAllowed follows on a line of its own.
    std::string strLine;
    std::string strExpression; // the text after the '?' that was evaluated
};

inline constexpr std::string_view kSyntaxNotAllowed = "Syntax not allowed.";

// The marker line under a line whose column nColumn (from 0) holds a failing character: the
// second caret stands under it and the first under the one before. Under a '?' line, the
// column is the expression's 1-based error position.
std::string MarkerLine(std::size_t nColumn);

// The console logic of the main window: Enter on a '?' line, the result panel, the key
// commands and the mode handlers, working on the view state through an IConsoleWindow.
class CConsole : private CViewState
{
public:
    explicit CConsole(IConsoleWindow& window) : m_pWindow(&window) {}
    CConsole(const CConsole&) = delete;
    CConsole& operator=(const CConsole&) = delete;

    // true: controls to view state; false: view state to controls.
    void UpdateData(bool bSaveAndValidate);

    // Evaluates the '?' line that holds the caret; not bEntered when the caret is on no such
    // line and the key should go on to the control.
    SEnterResult ProcessEnter();
    // The panel for dValue under the current cast, with the last expression evaluated anew
    // for the decimal line and r: what a cast change shows.
    void ShowResult(double dValue);
    // Writes strExpression (one line) as a new '?' line at the end of the console and
    // evaluates it as Enter there does, with Enter's result. An empty prompt, or an
    // empty line, at the end takes the expression; any other last line, an expression being
    // typed for one, is left as it is, and the new line goes below it.
    SEnterResult EnterLine(std::string_view strExpression);

    // The caret stands on the console's last line, which holds '?' alone, and nothing is
    // selected: where a block of pasted lines is entered.
    bool AtEmptyLastPrompt();
    // One line of a block pasted at the empty last prompt: strText takes the prompt's place,
    // and with bEnter a '?' line below it holds strExpression and is entered as Enter does; an
    // empty prompt follows either way. A strText that begins with '?' is that line itself.
    SEnterResult EnterPastedLine(std::string_view strText, bool bEnter,
                                 std::string_view strExpression);
    // F5: fnTranslate is given the expression of the '?' line that holds the caret; where it
    // gives another text, that replaces the expression as one undoable step, the caret behind
    // it. False where the caret is on no '?' line or nothing changed.
    bool
    TranslateLine(const std::function<std::optional<std::string>(std::string_view)>& fnTranslate);

    // The key filter for key-down events; true when the key is consumed.
    bool PreTranslateKeyDown(EVirtualKey eKey);

    void OnCastChange();
    void OnFocusConsole();
    void OnEditMode();
    void OnErase();

    // Start-up, around loading the saved settings: the defaults they override, then the
    // cast type, enabled states, banner and first prompt.
    void SetStartDefaults() { SetModes({}); }
    void Start(std::string_view strBanner, std::string_view strVersion);

    // The modes as the view state holds them (read from the controls by the last exchange).
    SConsoleModes Modes() const;
    // Sets the five members and the evaluator's cast type with them; the controls follow at
    // the next exchange towards them.
    void SetModes(const SConsoleModes& modes);

    const CViewState& ViewState() const { return *this; }
    ECastType CastType() const { return m_evaluator.m_nCastType; }
    double LastResult() const { return m_evaluator.m_dLastResult; } // r
    double Memory() const { return m_evaluator.m_dMemory; }         // m
    // Seeds rand( (the window does it once at start-up with the time).
    void Seed(std::uint32_t nSeed) { m_evaluator.Seed(nSeed); }

private:
    struct SCaretLine
    {
        std::size_t nBegin = 0; // where m_strConsole begins in the console
        SQuestionLine line;     // in m_strConsole
    };
    // The '?' line that holds the caret: m_strConsole then holds it and the two lines below.
    std::optional<SCaretLine> CaretQuestionLine();
    // Evaluates m_strLastExpression, fills the panel and result, and returns the text Enter
    // writes below the line: "\r\n", the result or the marker and message, "\r\n?".
    std::string EvaluateLastExpression(SEnterResult& result);
    // The panel's binary and hexadecimal lines for dValue, its decimal line and r dDecimal.
    void ShowPanel(double dValue, double dDecimal);

    CExpressionEvaluator m_evaluator;
    IConsoleWindow* m_pWindow;
};
