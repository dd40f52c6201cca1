#pragma once

#include <string>

// The program: one run is the life of one modal main window.
class CCalculatorApp
{
public:
    // Put on the first '?' prompt, in the console's code page; empty for none.
    std::string m_strStartExpression;

    // Runs the main window until it ends. Returns false: no event loop of its own follows.
    bool InitInstance();
};

// Runs InitInstance as the framework's entry does, from inside the application's event loop,
// so that a quit request (QCoreApplication::quit(), as a desktop or a session asks for it)
// reaches the window, which then ends as a close ends it, and aboutToQuit is sent. Returns the
// exit status. A QApplication must exist.
int RunApplication(CCalculatorApp& app);
