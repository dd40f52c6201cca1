#pragma once

// One QApplication on Qt's offscreen platform for a whole test program, made before the first
// test and gone before the exit handlers run (Qt's objects must not outlive it). Its fonts are
// the tests' own (fonts.conf.in), whatever else the machine has installed; the children the
// tests start inherit them.
#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

class COffscreenApplication : public ::testing::Environment
{
public:
    void SetUp() override
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("FONTCONFIG_FILE", LUMDRAK_TEST_FONTCONFIG);
        m_pApplication = std::make_unique<QApplication>(m_nArgc, m_arrArgv);
    }
    void TearDown() override { m_pApplication.reset(); }

private:
    int m_nArgc = 1;
    char m_szName[16] = "lumdrak_test";
    char* m_arrArgv[2] = {m_szName, nullptr};
    std::unique_ptr<QApplication> m_pApplication;
};

inline const auto* const g_pOffscreenApplication =
    ::testing::AddGlobalTestEnvironment(new COffscreenApplication);
