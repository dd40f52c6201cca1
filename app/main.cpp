#include "CalculatorApp.h"
#include "CalculatorDlg.h"

#include <QApplication>

bool CCalculatorApp::InitInstance()
{
    CCalculatorDlg dlg;
    dlg.DoModal();
    return false;
}

namespace
{

CCalculatorApp theApp;

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("lumdrak"));
    return theApp.InitInstance() ? QApplication::exec() : 0;
}
