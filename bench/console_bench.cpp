// Enter on a '?' line of a large console: the console logic is handed the caret's line and
// the two below it, so an Enter costs the same in an empty console and in one of 100,000
// lines.
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

// Overwrite keeps the console's size; Scroll at the last line lets it grow by two lines per
// Enter, as work at the prompt does.
void BM_EnterOverwrite(benchmark::State& state) { RunEnter(state, EEditMode::Overwrite); }

void BM_EnterScrollAtTheEnd(benchmark::State& state)
{
    CMemoryWindow window;
    CConsole console(window);
    console.SetModes({.eEditMode = EEditMode::Scroll});
    console.Start("", "");
    window.SetConsoleText(MakeConsole(static_cast<int>(state.range(0))) + "?1+1");
    for (auto _ : state)
        if (!console.ProcessEnter().bEntered) state.SkipWithError("the caret is not on a '?' line");
    state.counters["console_bytes"] = static_cast<double>(window.m_strConsoleText.size());
}

BENCHMARK(BM_EnterOverwrite)
    ->Arg(2)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_EnterScrollAtTheEnd)
    ->Arg(0)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(5000)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
