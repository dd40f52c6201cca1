#pragma once

// Rows about permission bits need a user they bind: root ignores them. When the tests run as
// root, as in CI, such a row runs in a child that has become the unprivileged user nobody.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

inline constexpr uid_t kNobody = 65534;

// Runs fnBody as nobody when this process is root, else here. strFolder and everything in it
// become nobody's first, so the body can reach what the row set up. Failures in the child are
// printed there and fail the test here.
template <typename TBody> void AsUnprivilegedUser(const std::string& strFolder, TBody fnBody)
{
    if (geteuid() != 0)
    {
        fnBody();
        return;
    }
    std::error_code ec;
    EXPECT_EQ(lchown(strFolder.c_str(), kNobody, kNobody), 0);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(strFolder, ec))
        EXPECT_EQ(lchown(entry.path().c_str(), kNobody, kNobody), 0) << entry.path();
    const pid_t nChild = fork();
    ASSERT_GE(nChild, 0);
    if (nChild == 0)
    {
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(2);
        fnBody();
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int nStatus = 0;
    ASSERT_EQ(waitpid(nChild, &nStatus, 0), nChild);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0)
        << "the row failed as user nobody (status " << nStatus << ")";
}
