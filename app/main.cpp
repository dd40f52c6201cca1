#include "CalculatorApp.h"
#include "CommandLine.h"
#include "ConsoleText.h"

#include <QApplication>

#include <cstdio>

namespace
{

CCalculatorApp theApp;

} // namespace

int main(int argc, char* argv[])
{
    // Before QApplication, which needs a display: --help and --version must work without one.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const SCommandLine commandLine = ParseCommandLine(arguments);
    if (commandLine.m_nExitCode >= 0)
    {
        std::fputs(commandLine.m_strOut.toLocal8Bit().constData(), stdout);
        std::fputs(commandLine.m_strError.toLocal8Bit().constData(), stderr);
        return commandLine.m_nExitCode;
    }

    theApp.m_strStartExpression = ToModelText(commandLine.m_strExpression);
    QApplication application(argc, argv);
    // The application id: Wayland compositors match the window to its desktop entry and icon.
    QApplication::setDesktopFileName(QStringLiteral("io.github.lumdrak.Lumdrak"));
    return RunApplication(theApp);
}
