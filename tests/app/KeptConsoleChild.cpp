// The program as lumdrak runs it, for tests that end it from outside. On the offscreen
// platform, with the settings of XDG_CONFIG_HOME:
//   kept_console_child type EXPRESSION   types EXPRESSION and Enter into the console, prints
//                                        "typed" and goes on running until it is ended
//   kept_console_child show              prints the console's text as the window starts
#include "CalculatorApp.h"
#include "ConsoleEdit.h"
#include "ConsoleKeeper.h"
#include "ConsoleText.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char* argv[])
{
    if (argc < 2) return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::string strMode = argv[1];
    const QString strExpression = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QTimer::singleShot(0, [&]
    {
        QWidget* pWindow = QApplication::activeModalWidget();
        CConsoleEdit* pConsole = nullptr; // the classes have no meta-objects of their own
        for (QObject* pChild : pWindow ? pWindow->children() : QObjectList())
            if (auto* p = dynamic_cast<CConsoleEdit*>(pChild)) pConsole = p;
        const CConsoleKeeper* pKeeper = nullptr;
        for (QObject* pChild : pWindow ? pWindow->children() : QObjectList())
            if (auto* p = dynamic_cast<CConsoleKeeper*>(pChild)) pKeeper = p;
        if (!pConsole || !pKeeper || !QTest::qWaitFor([pKeeper] { return pKeeper->IsRestored(); }))
            std::_Exit(3);
        if (strMode == "show")
        {
            const std::string strText = ToModelText(pConsole->document()->toRawText());
            std::fwrite(strText.data(), 1, strText.size(), stdout);
            std::fflush(stdout);
            std::_Exit(0); // as it started: nothing saved on the way out
        }
        QTest::keyClicks(pConsole, strExpression);
        QTest::keyClick(pConsole, Qt::Key_Return);
        std::puts("typed");
        std::fflush(stdout);
    });
    CCalculatorApp app;
    app.InitInstance();
    return 0;
}
