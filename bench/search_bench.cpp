// A launcher's query answered, as lumdrak-search answers each call: the settings code read
// from the hive (read-only), the query read as a paste and entered under it. Each must take
// well under 2 ms; the queries that get no answer, mostly words, the least.
#include "SearchAnswer.h"
#include "Settings.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace
{

const char* const kQueries[] = {
    "$ff<<4",           "0xFF & ~0x3", "#define CFG (1u << 31) | (0x3 << 12)",
    "0xC0DE0042 >> 16", "sqr(20)+10",  "1e300",
    "firefox",          "pi day",      "2**3",
};

void BM_AnswerQuery(benchmark::State& state)
{
    const char* pszQuery = kQueries[state.range(0)];
    state.SetLabel(pszQuery);
    for (auto _ : state)
        benchmark::DoNotOptimize(AnswerQuery(pszQuery, "BB121"));
}
BENCHMARK(BM_AnswerQuery)->DenseRange(0, std::size(kQueries) - 1)->Unit(benchmark::kMicrosecond);

// A call's whole work: the stored code read as the service reads it, then the answer.
void BM_AnswerWithStoredCode(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(AnswerQuery("0xC0DE0042 >> 16", ReadSettingsCode()));
}
BENCHMARK(BM_AnswerWithStoredCode)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    // A hive of its own holding a code, so that the read finds one as a user's would.
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("lumdrak-search-bench-" + std::to_string(getpid()));
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    SSettings state;
    state.m_bUnsigned = 1;
    state.m_bEndPos = 1;
    state.m_nCastMode = 1;
    state.m_nOutputMode = 2;
    state.m_nEditMode = 1;
    PersistSettings(state, true);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove_all(folder);
    return 0;
}
