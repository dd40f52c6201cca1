#pragma once

// The real window on Qt's offscreen platform: one QApplication for the test program, and a
// fixture that gives every test its own settings folder and a shown, active main window.
#include "Banner.h"
#include "CalculatorDlg.h"
#include "ConsoleEdit.h"
#include "ConsoleKeeper.h"
#include "ConsoleText.h"
#include "OffscreenApplication.h"
#include "ResultPanel.h"
#include "Templates.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

// Control ids print as their numbers in the tests' messages.
inline std::ostream& operator<<(std::ostream& out, EControlId nId)
{
    return out << static_cast<int>(nId);
}

inline const std::string kStartText = std::string(kBannerText) + "\r\n" + kVersionText + "?";

// Opens the context menu of pWidget as a right click does and triggers its item strItem;
// returns the texts of all its items.
inline QStringList UseContextMenu(QWidget* pWidget, const QString& strItem)
{
    QStringList arrItems;
    QTimer::singleShot(0,
                       [&]
                       {
                           auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                           if (!pMenu) return;
                           for (QAction* pAction : pMenu->actions())
                               if (!pAction->isSeparator()) arrItems.append(pAction->text());
                           for (QAction* pAction : pMenu->actions())
                               if (pAction->text() == strItem && pAction->isEnabled())
                                   pAction->trigger();
                           pMenu->close();
                       });
    const QPoint point = pWidget->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, point, pWidget->mapToGlobal(point));
    QApplication::sendEvent(pWidget, &event);
    pWidget->window()->activateWindow(); // no window manager hands it back offscreen
    EXPECT_TRUE(QTest::qWaitForWindowActive(pWidget->window()));
    return arrItems;
}

// A modal window that a test did not ask for fails the test and is closed, so that the test
// cannot hang.
class CWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_configDir.isValid());
        qputenv("XDG_CONFIG_HOME", m_configDir.path().toLocal8Bit());
        QObject::connect(&m_watchdog, &QTimer::timeout,
                         [this]
                         {
                             QWidget* pModal = QApplication::activeModalWidget();
                             if (!pModal || m_bModalExpected) return;
                             ADD_FAILURE() << "unexpected modal window "
                                           << pModal->windowTitle().toStdString();
                             pModal->close();
                         });
        m_watchdog.start(20);
        OpenWindow();
    }

    // A new main window as the program starts it: the settings as last saved, the expression
    // of lumdrak --expression, the keys typed ahead of its first paint, the kept transcript
    // restored after it.
    void OpenWindow(const char* pszTypedAhead = "", const char* pszStartExpression = "")
    {
        m_pDlg = std::make_unique<CCalculatorDlg>();
        m_pDlg->m_strStartExpression = pszStartExpression;
        m_pDlg->OnInitDialog();
        QTest::keyClicks(Console(), QString::fromLatin1(pszTypedAhead));
        m_pDlg->show();
        m_pDlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
        const CConsoleKeeper* pKeeper = nullptr; // the class has no meta-object of its own
        for (QObject* pChild : m_pDlg->children())
            if (auto* p = dynamic_cast<CConsoleKeeper*>(pChild)) pKeeper = p;
        ASSERT_NE(pKeeper, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([pKeeper] { return pKeeper->IsRestored(); }));
    }

    template <class T = QWidget> T* Item(EControlId nId) const
    {
        return dynamic_cast<T*>(m_pDlg->GetDlgItem(nId));
    }
    bool Checked(EControlId nId) const { return Item<QAbstractButton>(nId)->isChecked(); }
    bool Enabled(EControlId nId) const { return Item(nId)->isEnabled(); }
    CResultPanel* Panel() const { return Item<CResultPanel>(kIdPanel); }
    CConsoleEdit* Console() const { return Item<CConsoleEdit>(kIdConsole); }
    std::string ConsoleText() const { return ToModelText(Console()->document()->toRawText()); }
    // The caret's model position, -1 while text is selected.
    int Caret() const
    {
        int nStart = 0;
        int nEnd = 0;
        m_pDlg->GetConsoleSel(nStart, nEnd);
        return nStart == nEnd ? nStart : -1;
    }

    // A paste goes in over turns of the event loop; true once it is in (or taken back).
    bool PasteDone() const
    {
        return QTest::qWaitFor([this] { return !Console()->Paste().IsRunning(); });
    }

    // Keys go where the keyboard focus is, as a user's keys do; '\r' in typed text is Enter.
    static void Keys(const char* pszKeys) // "Alt+H, Num+Enter"
    {
        const QKeySequence keys(QString::fromLatin1(pszKeys));
        for (int nKey = 0; nKey < keys.count(); ++nKey)
            QTest::keyClick(QApplication::focusWidget(), keys[nKey].key(),
                            keys[nKey].keyboardModifiers());
    }
    static void Type(const char* pszText)
    {
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(pszText));
    }

    QTemporaryDir m_configDir;
    QTimer m_watchdog;
    bool m_bModalExpected = false;
    std::unique_ptr<CCalculatorDlg> m_pDlg;
};
