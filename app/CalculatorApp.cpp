#include "CalculatorApp.h"

#include "CalculatorDlg.h"
#include "TerminationSignals.h"

#include <QApplication>
#include <QTimer>

bool CCalculatorApp::InitInstance()
{
    CCalculatorDlg dlg;
    dlg.m_strStartExpression = m_strStartExpression;
    // A signal to end ends the window as Cancel would, keeping the console's text.
    const CTerminationSignals termination([&dlg] { dlg.EndSession(); });
    dlg.DoModal();
    return false;
}

int RunApplication(CCalculatorApp& app)
{
    QTimer::singleShot(0,
                       [&app]
                       {
                           if (!app.InitInstance()) QCoreApplication::exit(0);
                       });
    return QApplication::exec();
}
