// A paste of a megabyte of C lines, as copied from headers, read as C and checked under a cast;
// and a megabyte of the calculator's own lines, which the reader gives up on and the literal
// conversion takes. Each must convert well under 100 ms.
//
// Blocks: 10,000 pasted #define lines read, resolved and checked (the goal: under 100 ms); a
// megabyte of the preprocessor's output of real headers read into names (under 150 ms, the
// preprocessor's own time apart); and a name looked up among few or 100,000 names kept.
#include "CBlockReader.h"
#include "CCheck.h"
#include "CHeaderFile.h"
#include "CLiterals.h"
#include "Paste.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <memory>
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
    std::size_t nNotices = 0;
    for (auto _ : state)
    {
        CCNames names;
        const SPasteConversion conversion = CPasteReader(names).Convert(strText, eCast);
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

// Defines as a board's or a driver's header writes them: addresses, chains of names, fields,
// ioctl numbers, function-like macros and their uses, and enumerations.
std::string DefineLines(int nLines)
{
    const char* kLines[] = {
        "#define REG_%d_BASE 0x%X\n",
        "#define REG_%d_CTRL (REG_%d_BASE + 0x30)\n",
        "#define REG_%d_EN (1u << (%d %% 32))\n",
        "#define REG_%d_FIELD(x) (((x) & 0xFu) << 4) /* a field */\n",
        "#define REG_%d_IOC _IOWR('V', %d %% 256, __u32)\n",
        "#define REG_%d_ALL (REG_%d_CTRL | REG_%d_EN | REG_%d_FIELD(3))\n",
        "#define REG_%d_COUNT (sizeof(uint64_t) * 8 - 1)\n",
        "#define REG_%d_MASK ~(REG_%d_EN - 1)\n",
    };
    std::string strText;
    char buffer[256];
    for (int i = 0; i < nLines; ++i)
    {
        const int nBase = i - i % 8;
        std::snprintf(buffer, sizeof buffer, kLines[i % 8], nBase,
                      i % 8 == 0 ? 0x40000000 + i : nBase, nBase, nBase, nBase);
        strText += buffer;
    }
    return strText;
}

// The block the window enters at its prompt: every line read, its names resolved, each value
// checked under a cast and its notice made.
void BM_PasteDefineBlock(benchmark::State& state)
{
    static const std::string strText = DefineLines(10000);
    std::size_t nValues = 0;
    for (auto _ : state)
    {
        CCNames names;
        const SPasteBlock block = CPasteReader(names).ReadBlock(strText, ECastType::Signed16);
        for (const SBlockLine& line : block.arrLines)
            nValues += line.bEnter ? 1 : 0;
        benchmark::DoNotOptimize(block.strNotice.data());
    }
    state.counters["values"] = static_cast<double>(nValues / state.iterations());
    state.counters["lines"] = 10000;
}

// The preprocessor's output (-dD) of real headers, a megabyte of it, or empty where there is no
// preprocessor or none of the headers.
std::string PreprocessedMegabyte()
{
    static const char kCommand[] =
        "printf '#include <linux/input.h>\\n#include <linux/videodev2.h>\\n"
        "#include <sys/socket.h>\\n#include <netinet/in.h>\\n#include <elf.h>\\n"
        "#include <termios.h>\\n#include <fcntl.h>\\n#include <signal.h>\\n' | "
        "cpp -dD -std=gnu17 -D_GNU_SOURCE -w 2>/dev/null";
    std::string strOnce;
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(kCommand, "r"), pclose);
    if (!pipe) return {};
    std::array<char, 65536> buffer{};
    for (std::size_t nRead; (nRead = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;)
        strOnce.append(buffer.data(), nRead);
    if (strOnce.empty()) return {};
    std::string strText;
    while (strText.size() < kMegabyte)
        strText += strOnce;
    return strText.substr(0, strText.rfind('\n', kMegabyte) + 1);
}

void BM_ReadPreprocessedHeader(benchmark::State& state)
{
    static const std::string strText = PreprocessedMegabyte();
    if (strText.empty())
    {
        state.SkipWithError("no C preprocessor or no such headers here");
        return;
    }
    std::size_t nNames = 0;
    for (auto _ : state)
    {
        CCNames names;
        ReadPreprocessed(strText, names);
        nNames = names.Count();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * strText.size()));
    state.counters["names"] = static_cast<double>(nNames);
}

// A line that uses two names, with few or very many names kept.
void BM_LookUpAmongNames(benchmark::State& state)
{
    CCNames names;
    const auto nNames = static_cast<std::size_t>(state.range(0));
    std::string strText;
    for (std::size_t n = 0; n < nNames; ++n)
        strText += "#define NAME_" + std::to_string(n) + " (" + std::to_string(n) + " << 2)\n";
    {
        CCBlockReader reader(names, ECReadMode::Header);
        std::vector<SCLine> arrIgnored;
        reader.ReadText(strText, arrIgnored);
    }
    const std::string strLine = "NAME_" + std::to_string(nNames / 2) + " | _IOR('E', 1, int)";
    CCBlockReader reader(names);
    std::vector<SCLine> arrLines;
    for (auto _ : state)
    {
        arrLines.clear();
        reader.ReadLine(strLine, arrLines);
        benchmark::DoNotOptimize(arrLines.data());
    }
    state.counters["names"] = static_cast<double>(names.Count());
}

BENCHMARK(BM_PasteDefineBlock)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ReadPreprocessedHeader)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_LookUpAmongNames)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

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
