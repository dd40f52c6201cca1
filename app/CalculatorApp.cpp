#include "CalculatorApp.h"

#include "CalculatorDlg.h"
#include "TerminationSignals.h"

bool CCalculatorApp::InitInstance()
{
    CCalculatorDlg dlg;
    // A signal to end ends the window as Cancel would, keeping the console's text.
    const CTerminationSignals termination([&dlg] { dlg.EndSession(); });
    dlg.DoModal();
    return false;
}
