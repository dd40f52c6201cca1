// Time from starting lumdrak-eval on a pseudo-terminal to its first prompt, with no history
// and with a full one of 1,000 lines: the median of RUNS starts each (50 by default), both
// kinds alternating. A program that prints "?" and nothing else gives the floor.
//
//   eval_prompt LUMDRAK_EVAL FLOOR [RUNS]
#include "HistoryFile.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

namespace fs = std::filesystem;

// Milliseconds until '?' shows, or a negative number when it does not within 5 s.
double TimeToPrompt(const char* szProgram, const std::string& strHistory)
{
    const auto start = std::chrono::steady_clock::now();
    int nMaster = -1;
    const pid_t pid = forkpty(&nMaster, nullptr, nullptr, nullptr);
    if (pid == 0)
    {
        setenv("LUMDRAK_EVAL_HISTORY", strHistory.c_str(), 1);
        execl(szProgram, szProgram, static_cast<char*>(nullptr));
        _exit(127);
    }
    double dMilliseconds = -1;
    for (std::string strOutput; pid > 0;)
    {
        pollfd output{nMaster, POLLIN, 0};
        char buffer[256];
        ssize_t nRead = 0;
        if (poll(&output, 1, 5000) <= 0 || (nRead = read(nMaster, buffer, sizeof buffer)) <= 0)
            break;
        strOutput.append(buffer, static_cast<std::size_t>(nRead));
        if (strOutput.find('?') != std::string::npos)
        {
            dMilliseconds =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
            break;
        }
    }
    if (pid > 0)
    {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    close(nMaster);
    return dMilliseconds;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: eval_prompt LUMDRAK_EVAL FLOOR [RUNS]\n");
        return 2;
    }
    const int nRuns = argc > 3 ? std::max(1, std::atoi(argv[3])) : 50;

    const fs::path folder = fs::temp_directory_path() / ("eval-prompt-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string strEmpty = (folder / "empty").string();
    const std::string strFull = (folder / "full").string();
    std::vector<std::string> entries;
    for (int i = 0; i < static_cast<int>(CHistoryFile::kMaxEntries); ++i)
        entries.push_back(std::to_string(i) + "*sqr(" + std::to_string(i * 7) + ")+$FF-(1<10)");
    std::ofstream(strFull, std::ios::binary) << CHistoryFile::Encode(entries);

    std::vector<double> empty, full, floor;
    for (int i = 0; i < nRuns; ++i)
    {
        empty.push_back(TimeToPrompt(argv[1], strEmpty));
        full.push_back(TimeToPrompt(argv[1], strFull));
        floor.push_back(TimeToPrompt(argv[2], strEmpty));
    }
    fs::remove_all(folder);
    if (std::min({*std::min_element(empty.begin(), empty.end()),
                  *std::min_element(full.begin(), full.end()),
                  *std::min_element(floor.begin(), floor.end())}) < 0)
    {
        std::fprintf(stderr, "eval_prompt: a start showed no prompt\n");
        return 1;
    }
    std::printf("lumdrak-eval on a terminal, to the first prompt, median of %d runs\n", nRuns);
    std::printf("  no history                   %8.2f ms\n", Median(empty));
    std::printf("  1,000 lines of history       %8.2f ms\n", Median(full));
    std::printf("  a program that prints '?'    %8.2f ms\n", Median(floor));
    std::printf("  goal (under 5 ms)            %s\n",
                std::max(Median(empty), Median(full)) < 5.0 ? "met" : "NOT met");
    return 0;
}
