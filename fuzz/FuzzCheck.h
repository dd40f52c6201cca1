#pragma once

// The fuzz targets' checks: a broken rule is named on standard error and ends the run with an
// abort, which libFuzzer reports as a crash and saves the input for.
#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void FuzzFail(const char* pszRule)
{
    std::fprintf(stderr, "broken rule: %s\n", pszRule);
    std::abort();
}

#define CHECK(condition)                                                                           \
    do                                                                                             \
    {                                                                                              \
        if (!(condition)) FuzzFail(#condition);                                                    \
    } while (false)
