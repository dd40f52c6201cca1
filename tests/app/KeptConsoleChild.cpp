// The program as lumdrak runs it, for tests that end it from outside. On the offscreen
// platform, with the settings of XDG_CONFIG_HOME, "kept_console_child EXPRESSION" types
// EXPRESSION and Enter into the console once the kept transcript is restored, prints "typed"
// and goes on running until it is ended.
#include "CalculatorApp.h"
#include "ConsoleEdit.h"
#include "ConsoleKeeper.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc != 2) return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTimer::singleShot(0, [&]
    {
        QWidget* pWindow = QApplication::activeModalWidget();
        CConsoleEdit* pConsole = nullptr; // the classes have no meta-objects of their own
        const CConsoleKeeper* pKeeper = nullptr;
        for (QObject* pChild : pWindow ? pWindow->children() : QObjectList())
        {
            if (auto* p = dynamic_cast<CConsoleEdit*>(pChild)) pConsole = p;
            if (auto* p = dynamic_cast<CConsoleKeeper*>(pChild)) pKeeper = p;
        }
        if (!pConsole || !pKeeper || !QTest::qWaitFor([pKeeper] { return pKeeper->IsRestored(); }))
            std::_Exit(3);
        QTest::keyClicks(pConsole, QString::fromLocal8Bit(argv[1]));
        QTest::keyClick(pConsole, Qt::Key_Return);
        std::puts("typed");
        std::fflush(stdout);
    });
    CCalculatorApp app;
    app.InitInstance();
    return 0;
}
