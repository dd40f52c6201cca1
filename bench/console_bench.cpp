// Enter on a '?' line of a large console: the cost should grow linearly with the text,
// since each Enter copies the text once each way and replaces one range.
#include "Console.h"
#include "MemoryWindow.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{

// nLines lines of earlier work, pairs of "?expression" and its result, about 19 bytes each.
std::string MakeConsole(int nLines)
{
    std::string strText;
    for (int i = 0; i < nLines / 2; ++i)
    {
        const std::string strNumber = std::to_string(100000 + i);
        strText += '?';
        strText += strNumber;
        strText += "*3+$FF-#101+sqr(16)-4\r\n";
        strText += std::to_string((100000 + i) * 3 + 255 - 5) + "\r\n";
    }
    return strText;
}

void RunEnter(benchmark::State& state, EEditMode eEditMode)
{
    const int nLines = static_cast<int>(state.range(0));
    CMemoryWindow window;
    CConsole console(window);
    console.SetModes({.eEditMode = eEditMode});
    console.Start("", "");
    window.SetConsoleText(MakeConsole(nLines));
    // The caret on a '?' line in the middle of the console.
    const int nMiddle = static_cast<int>(window.m_strConsoleText.find(
                            "\r\n?", window.m_strConsoleText.size() / 2)) +
                        3;

    for (auto _ : state)
    {
        window.SetConsoleSel(nMiddle, nMiddle);
        if (!console.ProcessEnter().bEntered) state.SkipWithError("the caret is not on a '?' line");
    }
    state.SetComplexityN(static_cast<std::int64_t>(window.m_strConsoleText.size()));
    state.counters["console_bytes"] = static_cast<double>(window.m_strConsoleText.size());
}

// Overwrite keeps the console's size; Scroll lets it grow by two lines per Enter.
void BM_EnterOverwrite(benchmark::State& state) { RunEnter(state, EEditMode::Overwrite); }
void BM_EnterScroll(benchmark::State& state) { RunEnter(state, EEditMode::Scroll); }

BENCHMARK(BM_EnterOverwrite)
    ->Arg(5000)
    ->Arg(20000)
    ->Arg(80000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_EnterScroll)
    ->Arg(20000)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
