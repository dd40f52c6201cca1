// The parsers of outside bytes (a paste, the C reader, the kept console, the history file)
// on inputs doubled in size. Each doubling may cost about 2.5 times the thread's CPU time at
// most: linear work costs 2 times, quadratic work 4. The bytes they allocate stay within a
// fixed multiple of the input, and what they keep afterwards does not grow with it.
#include "HistoryFile.h"
#include "Paste.h"
#include "Transcript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include <malloc.h>
#include <time.h>

namespace
{

// Every allocation of this program is counted, in the bytes malloc gives it.
std::size_t g_nLiveBytes = 0;
std::size_t g_nPeakBytes = 0;

} // namespace

// Not inlined, so that the compiler does not take malloc's blocks for new's.
[[gnu::noinline]] void* operator new(std::size_t nBytes)
{
    void* pBlock = std::malloc(nBytes);
    if (!pBlock) throw std::bad_alloc();
    g_nLiveBytes += malloc_usable_size(pBlock);
    g_nPeakBytes = std::max(g_nPeakBytes, g_nLiveBytes);
    return pBlock;
}

[[gnu::noinline]] void operator delete(void* pBlock) noexcept
{
    g_nLiveBytes -= malloc_usable_size(pBlock);
    std::free(pBlock);
}

void* operator new[](std::size_t nBytes) { return operator new(nBytes); }
void operator delete[](void* pData) noexcept { operator delete(pData); }
void operator delete(void* pData, std::size_t) noexcept { operator delete(pData); }
void operator delete[](void* pData, std::size_t) noexcept { operator delete(pData); }

namespace
{

// Every run is repeated and the cheapest counts: what other processes cost this thread (caches,
// migrations) only ever adds.
constexpr int kRuns = 3;
// The smallest input is doubled until one run costs this much, far above the clock's grain.
constexpr double kMinSeconds = 0.02;
constexpr std::size_t kFirstBytes = std::size_t{16} << 10;
constexpr std::size_t kMaxBytes = std::size_t{8} << 20;
constexpr double kMaxGrowth = 2.5;
// Bytes allocated at once for each byte of input (a paste's clean text and output; the C
// reader's line as given, its logical line and that line's clean text, its tokens up to their
// bound, and the line's entry), and bytes kept afterwards.
constexpr double kMaxBytesPerByte = 6.0;
constexpr std::size_t kMaxKeptBytes = std::size_t{256} << 10;
constexpr std::size_t kMemoryBytes = std::size_t{4} << 20;

double ThreadSeconds()
{
    timespec now = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The unit repeated to nBytes bytes, the last one cut.
std::string Repeated(std::string_view strUnit, std::size_t nBytes)
{
    std::string strText;
    strText.reserve(nBytes);
    while (strText.size() < nBytes)
        strText.append(strUnit, 0, std::min(strUnit.size(), nBytes - strText.size()));
    return strText;
}

// The names live on from one call to the next, as the window's and lumdrak-eval's do; each
// paste has a reader of its own.
CCNames& Names()
{
    static CCNames names;
    return names;
}

void Paste(const std::string& strText) { CPasteReader(Names()).Convert(strText, ECastType::None); }

// One line read as C, with positions, as lumdrak-eval reads an expression.
void ReadC(const std::string& strText)
{
    CPasteReader reader(Names());
    std::vector<SPastedLine> arrLines;
    const SPasteOptions options{ECastType::None, true, true};
    reader.ReadLine(strText, options, arrLines);
    reader.Finish(options, arrLines);
}

void KeepConsole(const std::string& strText) { TranscriptOf(strText); }

void DecodeHistory(const std::string& strText)
{
    std::vector<std::string> entries;
    CHistoryFile::Decode(strText, entries);
}

struct SParser
{
    const char* pName;
    std::string_view strHead; // the input starts with this once
    std::string_view strUnit; // and repeats this
    void (*pfnParse)(const std::string&);
};

void PrintTo(const SParser& parser, std::ostream* pOut) { *pOut << parser.pName; }

const std::string kHistoryHead = std::string(CHistoryFile::kHeader) + "\n";

const SParser kParsers[] = {
    {"PasteOfLinesWithOpenComments", "", "0x10 /* see below\n", Paste},
    {"PasteOfShellLines", "", "cp src/*.c build/\n", Paste},
    {"PasteOfOneLineOfOpenComments", "", "/*x", Paste},
    {"PasteOfOneLongSum", "1", " + 1", Paste},
    {"PasteOfCLines", "", "#define A ((1u << 3) | 0x7) /* c */ // d\r\n", Paste},
    {"PasteOfQuotesLeftOpen", "", "'a 0x1 'b\n", Paste},
    {"CReaderOfOpenComments", "", "/*x", ReadC},
    {"CReaderOfOneLongSum", "1", " + 1", ReadC},
    {"CReaderOfBlanks", "1", "  \t", ReadC},
    {"KeptConsoleOfLines", "", "?1+2\r\n3\r\n", KeepConsole},
    {"KeptConsoleOfLoneBreaks", "", "?1\n\r", KeepConsole},
    {"KeptConsoleOfOneLongLine", "?", "1+", KeepConsole},
    {"HistoryOfLines", kHistoryHead, "1+2\n", DecodeHistory},
    {"HistoryOfEscapedBytes", kHistoryHead, "\\x01\\\\a\n", DecodeHistory},
};

class GrowthTest : public ::testing::TestWithParam<SParser>
{
protected:
    // malloc hands large blocks to the kernel and back, by a threshold that moves with what was
    // freed before, so a size could cost fresh pages in one row and none in the next: a step in
    // the kernel's work that is not the parser's. With every block on the heap and none given
    // back, the cheapest run of each size reuses pages already there. (The sanitizers'
    // allocator ignores this; its own threshold does not move.)
    static void SetUpTestSuite()
    {
        mallopt(M_MMAP_MAX, 0);
        mallopt(M_TRIM_THRESHOLD, INT_MAX);
    }

    static std::string Input(std::size_t nBytes)
    {
        return std::string(GetParam().strHead) + Repeated(GetParam().strUnit, nBytes);
    }

    double Seconds(std::size_t nBytes, int nRuns = kRuns) const
    {
        const SParser& parser = GetParam();
        const std::string strInput = Input(nBytes);
        double dSeconds = HUGE_VAL;
        for (int nRun = 0; nRun < nRuns; ++nRun)
        {
            const double dStart = ThreadSeconds();
            parser.pfnParse(strInput);
            dSeconds = std::min(dSeconds, ThreadSeconds() - dStart);
        }
        return dSeconds;
    }
};

TEST_P(GrowthTest, DoublingTheInputCostsAboutTwiceTheTime)
{
    GetParam().pfnParse(Input(1)); // what a first call makes once does not stop the search early
    std::size_t nBytes = kFirstBytes;
    while (Seconds(nBytes, 1) < kMinSeconds && nBytes < kMaxBytes)
        nBytes *= 2;
    const double dFirst = Seconds(nBytes);
    // Over three doublings, so that one step across a cache's size does not decide alone: quadratic
    // work still grows 64 times over them.
    const std::size_t nLastBytes = nBytes * 8;
    const double dLast = Seconds(nLastBytes);
    const double dGrowth = std::cbrt(dLast / dFirst);
    RecordProperty("Bytes", std::to_string(nBytes));
    RecordProperty("GrowthPerDoubling", std::to_string(dGrowth));
    EXPECT_LE(dGrowth, kMaxGrowth)
        << nBytes << " bytes: " << dFirst << " s, " << nLastBytes << " bytes: " << dLast << " s";
}

TEST_P(GrowthTest, AllocatesAFixedMultipleOfTheInputAndKeepsNothingOfIt)
{
    const std::string strInput = Input(kMemoryBytes);
    GetParam().pfnParse(Input(1)); // the parser's own objects are made
    const std::size_t nLiveBefore = g_nLiveBytes;
    g_nPeakBytes = nLiveBefore;
    GetParam().pfnParse(strInput);
    const double dPerByte =
        static_cast<double>(g_nPeakBytes - nLiveBefore) / static_cast<double>(strInput.size());
    RecordProperty("BytesPerByte", std::to_string(dPerByte));
    EXPECT_LE(dPerByte, kMaxBytesPerByte);
    EXPECT_LE(static_cast<std::ptrdiff_t>(g_nLiveBytes - nLiveBefore),
              static_cast<std::ptrdiff_t>(kMaxKeptBytes));
}

INSTANTIATE_TEST_SUITE_P(Parsers, GrowthTest, ::testing::ValuesIn(kParsers),
                         [](const auto& row) { return std::string(row.param.pName); });

} // namespace
