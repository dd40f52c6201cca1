#pragma once

#include "CalculatorDlg.h"
#include "ConsoleText.h"
#include "DialogTemplate.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

// Names the instances of a parameterised test after the pszName of their rows.
struct CRowName
{
    template <class T> std::string operator()(const ::testing::TestParamInfo<T>& rowInfo) const
    {
        return rowInfo.param.pszName;
    }
};

// One QApplication for the test program, on the offscreen platform.
class CQtEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        m_pApplication = std::make_unique<QApplication>(m_nArgc, m_arrArgv);
    }
    void TearDown() override { m_pApplication.reset(); }

private:
    int m_nArgc = 1;
    char m_szName[16] = "app_window_test";
    char* m_arrArgv[2] = {m_szName, nullptr};
    std::unique_ptr<QApplication> m_pApplication;
};

// Every test gets its own settings folder and a shown, active main window. A modal window
// that a test did not ask for fails the test and is closed, so that the test cannot hang.
class CWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_configDir.isValid());
        m_strSavedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", m_configDir.path().toLocal8Bit());
        QObject::connect(&m_watchdog, &QTimer::timeout,
                         [this]
                         {
                             QWidget* pModal = QApplication::activeModalWidget();
                             if (pModal && !m_bModalExpected)
                             {
                                 ADD_FAILURE() << "unexpected modal window "
                                               << pModal->windowTitle().toStdString();
                                 pModal->close();
                             }
                         });
        m_watchdog.start(20);
        m_pDlg = OpenWindow();
    }

    void TearDown() override
    {
        m_pDlg.reset();
        m_watchdog.stop();
        qputenv("XDG_CONFIG_HOME", m_strSavedConfig);
    }

    static std::unique_ptr<CCalculatorDlg> OpenWindow()
    {
        auto pDlg = std::make_unique<CCalculatorDlg>();
        pDlg->OnInitDialog();
        pDlg->show();
        pDlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(pDlg.get()));
        return pDlg;
    }

    template <class T = QWidget> T* Item(int nId) const
    {
        return dynamic_cast<T*>(m_pDlg->GetDlgItem(nId));
    }
    QPlainTextEdit* Console() const { return Item<QPlainTextEdit>(kIdConsole); }
    std::string ConsoleText() const { return ToModelText(Console()->document()->toRawText()); }
    int Caret() const
    {
        int nStart = 0;
        int nEnd = 0;
        m_pDlg->GetConsoleSel(nStart, nEnd);
        return nStart == nEnd ? nStart : -1;
    }

    // Keys go where the keyboard focus is, as a user's keys do.
    static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    static void Type(const char* pszText)
    {
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(pszText));
    }

    // Runs fnOpen, which must open a modal window; fnInspect sees it, then Enter closes it.
    // Returns whether a modal window appeared.
    bool WithModal(const std::function<void()>& fnOpen,
                   const std::function<void(QWidget&)>& fnInspect)
    {
        bool bSeen = false;
        m_bModalExpected = true;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout,
                         [&]
                         {
                             QWidget* pModal = QApplication::activeModalWidget();
                             if (!pModal || bSeen) return;
                             bSeen = true;
                             EXPECT_TRUE(QTest::qWaitForWindowActive(pModal));
                             fnInspect(*pModal);
                             QTest::keyClick(pModal->focusWidget(), Qt::Key_Return);
                             if (QApplication::activeModalWidget() == pModal)
                             {
                                 ADD_FAILURE() << "Enter did not close "
                                               << pModal->windowTitle().toStdString();
                                 pModal->close();
                             }
                         });
        poll.start(10);
        fnOpen();
        m_bModalExpected = false;
        // There is no window manager offscreen to hand the activation back.
        m_pDlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
        return bSeen;
    }

    QTemporaryDir m_configDir;
    QByteArray m_strSavedConfig;
    QTimer m_watchdog;
    bool m_bModalExpected = false;
    std::unique_ptr<CCalculatorDlg> m_pDlg;
};
