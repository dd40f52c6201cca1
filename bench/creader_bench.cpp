// A paste of a megabyte of C lines, as copied from headers, read as C and checked under a cast;
// and a megabyte of the calculator's own lines, which the reader gives up on and the literal
// conversion takes. Each must convert well under 100 ms.
#include "CLiterals.h"
#include "Paste.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace
{

constexpr std::size_t kMegabyte = 1 << 20;

// Defines, declarations, enumerators and comments: some agree with C under the cast, some do
// not (unsigned values under no cast), some are no constant expression.
std::string CLines()
{
    const char* kLines[] = {
        "#define CFG_MASK_%d (0x3u << 12) /* field */\n",
        "#define CFG_%d (1u << 31) | (0x3 << 12)\n",
        "static const uint8_t kTable%d = (uint8_t)(300 + 0x1F);\n",
        "    FLAG_%d = 1 << 7, // a flag\n",
        "#define REG_%d(x) ((x) << 4)\n",
        "#define PERIOD_%d (1000000 / 48000)\n",
        "#define SHIFTED_%d (0xC0DE0042 >> 16) & ~0xFFu\n",
    };
    std::string strText;
    char buffer[128];
    for (int i = 0; strText.size() < kMegabyte; ++i)
    {
        std::snprintf(buffer, sizeof buffer, kLines[i % 7], i);
        strText += buffer;
    }
    return strText;
}

std::string CalculatorLines()
{
    std::string strText;
    for (int i = 0; strText.size() < kMegabyte; ++i)
        strText += std::to_string(100000 + i) + "*3+$FF-#101+sqr(16)\n";
    return strText;
}

void RunConvert(benchmark::State& state, const std::string& strText, ECastType eCast)
{
    CPasteConverter converter;
    std::size_t nNotices = 0;
    for (auto _ : state)
    {
        const SPasteConversion conversion = converter.Convert(strText, eCast);
        nNotices += conversion.strNotice.empty() ? 0 : 1;
        benchmark::DoNotOptimize(conversion.strText.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * strText.size()));
    state.counters["pasted_bytes"] = static_cast<double>(strText.size());
}

void BM_PasteCLines(benchmark::State& state)
{
    static const std::string strText = CLines();
    RunConvert(state, strText, static_cast<ECastType>(state.range(0)));
}

void BM_PasteCalculatorLines(benchmark::State& state)
{
    static const std::string strText = CalculatorLines();
    RunConvert(state, strText, ECastType::None);
}

// The conversion that pastes had before, for scale.
void BM_LiteralConversionOnly(benchmark::State& state)
{
    static const std::string strText = CLines();
    for (auto _ : state)
        benchmark::DoNotOptimize(ConvertCLiterals(strText).data());
}

BENCHMARK(BM_PasteCLines)
    ->Arg(0)
    ->Arg(3)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_PasteCalculatorLines)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_LiteralConversionOnly)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
