#pragma once

// A fresh folder under the system's temporary folder for one test, removed with everything in
// it when the test ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <stdlib.h>

class CTemporaryFolder
{
public:
    explicit CTemporaryFolder(const char* pszPrefix)
    {
        std::string strTemplate =
            (std::filesystem::temp_directory_path() / (std::string(pszPrefix) + "-XXXXXX"))
                .string();
        EXPECT_NE(mkdtemp(strTemplate.data()), nullptr) << strTemplate;
        m_path = strTemplate;
    }
    ~CTemporaryFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    CTemporaryFolder(const CTemporaryFolder&) = delete;
    CTemporaryFolder& operator=(const CTemporaryFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};
