#pragma once

#include "ConsoleWindow.h"
#include "ExpressionEvaluator.h"
#include "ViewState.h"

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

// The console logic of the main window: Enter on a '?' line, the result panel, the key
// commands and the mode handlers, working on the view state through an IConsoleWindow.
class CConsole : public CViewState
{
public:
    explicit CConsole(IConsoleWindow& window) : m_pWindow(&window) {}
    CConsole(const CConsole&) = delete;
    CConsole& operator=(const CConsole&) = delete;

    // true: controls to view state; false: view state to controls.
    void UpdateData(bool bSaveAndValidate);

    // Evaluates the '?' line that holds the caret; false when the caret is on no such line
    // and the key should go on to the control.
    bool ProcessEnter();
    // The panel for dValue under the current cast, with the last expression evaluated anew
    // for the decimal line and r: what a cast change shows.
    void ShowResult(double dValue);
    // Writes strExpression (one line) as a new '?' line at the end of the console and
    // evaluates it as Enter there does; true when it was evaluated. An empty prompt, or an
    // empty line, at the end takes the expression; any other last line, an expression being
    // typed for one, is left as it is, and the new line goes below it.
    bool EnterLine(std::string_view strExpression);

    // The key filter for key-down events; true when the key is consumed.
    bool PreTranslateKeyDown(EVirtualKey eKey);

    void OnCastChange();
    void OnFocusConsole();
    void OnEditMode();
    void OnErase();

    // Start-up, around loading the saved settings: the defaults they override, then the
    // cast type, enabled states, banner and first prompt.
    void SetStartDefaults();
    void Start(std::string_view strBanner, std::string_view strVersion);

    CExpressionEvaluator m_evaluator;

private:
    // The panel's binary and hexadecimal lines for dValue, its decimal line and r dDecimal.
    void ShowPanel(double dValue, double dDecimal);

    IConsoleWindow* m_pWindow;
};
