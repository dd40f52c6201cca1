// The program as lumdrak runs it, for tests that end it from outside. On the offscreen
// platform, with the settings of XDG_CONFIG_HOME, "kept_console_child EXPRESSION [THEN]" types
// EXPRESSION and Enter into the console once the kept transcript is restored, prints "typed"
// and goes on running until it is ended. THEN, after that: "console-menu" or "panel-menu"
// opens that context menu, "drag" drags the console's text, each printing "ready" once it
// runs; "quit" chooses HEX output and asks the application to quit, as a desktop does;
// "paste-converting" and "paste-inserting" type "2*" without Enter and paste a few lines,
// held in their conversion or after their first line went in, printing "ready" then.
#include "CalculatorApp.h"
#include "ConsoleEdit.h"
#include "ConsoleKeeper.h"
#include "ResultPanel.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QTest>
#include <QTimer>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string_view>
#include <utility>

namespace
{

void Say(const char* pszWhat)
{
    std::puts(pszWhat);
    std::fflush(stdout);
}

// Says "ready" as soon as fnRunning holds, from inside the event loop that it runs.
void SayReadyWhen(std::function<bool()> fnRunning)
{
    auto* pTimer = new QTimer(qApp);
    QObject::connect(pTimer, &QTimer::timeout,
                     [pTimer, fnRunning]
                     {
                         if (!fnRunning()) return;
                         pTimer->stop();
                         Say("ready");
                     });
    pTimer->start(10);
}

void OpenMenu(QAbstractScrollArea* pWidget)
{
    SayReadyWhen([] { return QApplication::activePopupWidget() != nullptr; });
    const QPoint point = pWidget->viewport()->rect().center();
    QApplication::postEvent(pWidget->viewport(),
                            new QContextMenuEvent(QContextMenuEvent::Mouse, point,
                                                  pWidget->viewport()->mapToGlobal(point)));
}

void DragText(CConsoleEdit* pConsole)
{
    SayReadyWhen([pConsole] { return !pConsole->findChildren<QDrag*>().isEmpty(); });
    pConsole->selectAll();
    QWidget* pViewport = pConsole->viewport();
    const QPoint from = pConsole->cursorRect(pConsole->textCursor()).center() - QPoint(20, 0);
    QTest::mousePress(pViewport, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(pViewport, from + QPoint(40, 40));
}

// A paste that stays at its step until the program ends.
void PasteHeld(CConsoleEdit* pConsole, bool bInserting)
{
    QTest::keyClicks(pConsole, QStringLiteral("2*"));
    QApplication::clipboard()->setText(QStringLiteral("0x10 /* see below\n0x11\n0x12"));
    SPastePace& pace = pConsole->Paste().m_pace;
    if (bInserting)
    {
        pace.nPortionLines = 1;
        pace.fnMayInsert = [bFirst = true]() mutable { return std::exchange(bFirst, false); };
        SayReadyWhen([pConsole] { return pConsole->Paste().IsPartlyIn(); });
    }
    else
    {
        pace.fnBeforeConversion = [](std::stop_token stop)
        {
            std::mutex mutex;
            std::condition_variable_any never;
            std::unique_lock lock(mutex);
            never.wait(lock, stop, [] { return false; });
        };
        SayReadyWhen([pConsole] { return pConsole->Paste().IsRunning(); });
    }
    QTest::keyClick(pConsole, Qt::Key_V, Qt::ControlModifier);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2 || argc > 3) return 2;
    const std::string_view strThen = argc == 3 ? argv[2] : "";
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTimer start; // polls until the program's window runs
    QObject::connect(&start, &QTimer::timeout,
                     [&]
                     {
                         QWidget* pWindow = QApplication::activeModalWidget();
                         if (!pWindow) return;
                         start.stop();
                         CConsoleEdit* pConsole =
                             nullptr; // the classes have no meta-objects of their own
                         CResultPanel* pPanel = nullptr;
                         const CConsoleKeeper* pKeeper = nullptr;
                         for (QObject* pChild : pWindow->children())
                         {
                             if (auto* p = dynamic_cast<CConsoleEdit*>(pChild)) pConsole = p;
                             if (auto* p = dynamic_cast<CResultPanel*>(pChild)) pPanel = p;
                             if (auto* p = dynamic_cast<CConsoleKeeper*>(pChild)) pKeeper = p;
                         }
                         if (!pConsole || !pPanel || !pKeeper ||
                             !QTest::qWaitFor([pKeeper] { return pKeeper->IsRestored(); }))
                             std::_Exit(3);
                         QTest::keyClicks(pConsole, QString::fromLocal8Bit(argv[1]));
                         QTest::keyClick(pConsole, Qt::Key_Return);
                         Say("typed");
                         if (strThen == "console-menu") OpenMenu(pConsole);
                         if (strThen == "panel-menu") OpenMenu(pPanel);
                         if (strThen == "drag") DragText(pConsole);
                         if (strThen.starts_with("paste-"))
                             PasteHeld(pConsole, strThen == "paste-inserting");
                         if (strThen == "quit")
                         {
                             QTest::keyClick(pConsole, Qt::Key_H, Qt::AltModifier);
                             QCoreApplication::quit();
                         }
                     });
    start.start(1);
    CCalculatorApp app;
    return RunApplication(app);
}
