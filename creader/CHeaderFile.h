#pragma once

#include "CNames.h"

#include <cstddef>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

struct SCHeaderRead
{
    bool bRead = false; // false: strError says why (lumdrak-eval exits 2, the window notes it)
    bool bPreprocessed = false; // the C preprocessor read it; else the file's own text was read
    std::string strError;
    std::string strNote; // for standard error: no preprocessor, or what it reported
    // The definitions read from the file and the headers it includes, not the compiler's own.
    std::size_t nDefinitions = 0;
};

// How a header is read: the preprocessor commands tried in turn (each found on the PATH), and
// the most preprocessed text taken from one.
struct SCHeaderOptions
{
    std::vector<std::vector<std::string>> arrCommands = {
        {"cpp", "-dD", "-std=gnu17", "-D_GNU_SOURCE", "-w"},
        {"cc", "-E", "-dD", "-std=gnu17", "-D_GNU_SOURCE", "-w", "-x", "c"},
    };
    std::size_t nMaxBytes = std::size_t{64} << 20;
    // Asked to stop, a read ends soon, the preprocessor ended and the names read so far kept;
    // it is not bRead then.
    std::stop_token stop;
};

// Reads the header at strPath as the system's C compiler sees it on this machine: the C
// preprocessor follows its #includes and #ifs (gnu17 with _GNU_SOURCE) and keeps its #defines
// (-dD), then the block reader keeps every definition in names, each with the header that made
// it. Without a preprocessor the file's own text is read, and strNote says so.
SCHeaderRead ReadHeaderFile(const std::string& strPath, CCNames& names,
                            const SCHeaderOptions& options = {});

// The same for text that is the preprocessor's output already; false when stopped.
// pDefinitions, where given, counts the definitions read that are not the compiler's own.
bool ReadPreprocessed(std::string_view strText, CCNames& names, std::stop_token stop = {},
                      std::size_t* pDefinitions = nullptr);
