// Writes screenshot.png (the main window after a few evaluations in each output mode) and
// info.png (the Info window) into the folder given. Run on the offscreen platform; the
// settings are kept in a temporary folder, so the window starts with the defaults.

#include "CalculatorDlg.h"
#include "Templates.h"

#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace
{

void Evaluate(const char* pszExpression)
{
    QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(pszExpression));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

void PressAlt(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier); }

bool Save(QWidget& window, const QDir& folder, const char* pszName)
{
    const QString strPath = folder.filePath(QString::fromLatin1(pszName));
    if (!window.grab().save(strPath))
    {
        std::fprintf(stderr, "lumdrak-screenshot: cannot write %s\n", qPrintable(strPath));
        return false;
    }
    std::printf("wrote %s\n", qPrintable(strPath));
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir configDir;
    if (argc != 2 || !configDir.isValid())
    {
        std::fprintf(stderr, "usage: lumdrak-screenshot FOLDER\n");
        return 2;
    }
    qputenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());
    QApplication application(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[1]));

    CCalculatorDlg dlg;
    dlg.OnInitDialog();
    dlg.show();
    dlg.activateWindow();
    if (!QTest::qWaitForWindowActive(&dlg)) return 1;

    Evaluate("sqr(20)+10");
    Evaluate("'A'+'z'");
    PressAlt(Qt::Key_H);
    Evaluate("$FF*3");
    Evaluate("~0");
    PressAlt(Qt::Key_B);
    Evaluate("#1001^#1111");
    PressAlt(Qt::Key_D);
    Evaluate("1/0");
    Evaluate("(1+2");
    Evaluate("r*2");
    bool bSaved = Save(dlg, folder, "screenshot.png");

    // The Info window is modal: it is photographed and closed from inside its own loop.
    QTimer::singleShot(0, &dlg,
                       [&]
                       {
                           if (QWidget* pInfo = QApplication::activeModalWidget())
                           {
                               bSaved = Save(*pInfo, folder, "info.png") && bSaved;
                               pInfo->close();
                           }
                       });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    return bSaved ? 0 : 1;
}
