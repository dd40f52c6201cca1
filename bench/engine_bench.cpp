// One-shot evaluation throughput: every iteration scans and evaluates each expression of an
// everyday corpus from its text. With muparser installed, the same corpus in its syntax runs
// through a reused mu::Parser (SetExpr + Eval), and the ratio of the two rates is printed.
#include "ExpressionEvaluator.h"

#include <benchmark/benchmark.h>

#ifdef LUMDRAK_WITH_MUPARSER
#include <muParser.h>
#endif

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace
{

struct CorpusEntry
{
    const char* szLumdrak;
    const char* szMuparser; // the same computation in muparser's syntax
};

// Bitwise operators, hexadecimal, binary and character literals have no muparser form;
// their rows give muparser an arithmetic expression with the same number of operators.
const CorpusEntry kCorpus[] = {
    {"1+2*3-4", "1+2*3-4"},
    {"20+10-40", "20+10-40"},
    {"sqr(20)+10", "sqrt(20)+10"},
    {"(1+2)*(3+4)/5", "(1+2)*(3+4)/5"},
    {"2<10-1", "2^10-1"},
    {"sin(0.5)+cos(0.25)", "sin(0.5)+cos(0.25)"},
    {"$FF+#1010", "255+10"},
    {"log10(1000)*exp(1)", "log10(1000)*exp(1)"},
    {"3.5*(2.25-1.125)/0.5", "3.5*(2.25-1.125)/0.5"},
    {"$FFFF&$0F0F", "65535-61680"},
    {"1<<4|3", "16*1+3"},
    {"atan(1)*4", "atan(1)*4"},
    {"int(2.6)+int(7.2)", "rint(2.6)+rint(7.2)"},
    {"(((1+2)*3)+4)*5", "(((1+2)*3)+4)*5"},
    {"1,5*2", "1.5*2"},
    {"2*pi*10", "2*_pi*10"},
    {"'A'+'z'", "65+122"},
    {"1e3/8+0.125", "1e3/8+0.125"},
    {"sqr(3<2+4<2)", "sqrt(3^2+4^2)"},
    {"-5+(-3)*2", "-5+(-3)*2"},
    {"exp(log(10))", "exp(ln(10))"},
    {"tan(0.3)/asin(0.2)", "tan(0.3)/asin(0.2)"},
    {"100/7-3*2", "100/7-3*2"},
    {"~0-$FFFFFFFE", "4294967295-4294967294"},
};
constexpr std::size_t kCorpusSize = sizeof kCorpus / sizeof kCorpus[0];

std::vector<std::string> LumdrakTexts()
{
    std::vector<std::string> texts;
    for (const CorpusEntry& entry : kCorpus)
        texts.emplace_back(entry.szLumdrak);
    return texts;
}

void RunLumdrak(benchmark::State& state, ECastType eCast)
{
    const std::vector<std::string> texts = LumdrakTexts();
    CExpressionEvaluator evaluator;
    evaluator.m_nCastType = eCast;
    for (auto _ : state)
        for (const std::string& strText : texts)
        {
            benchmark::DoNotOptimize(evaluator.Evaluate(&strText));
            if (evaluator.m_nErrorPos != 0)
                state.SkipWithError(("syntax error in " + strText).c_str());
        }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kCorpusSize));
}

void BM_LumdrakOneShot(benchmark::State& state) { RunLumdrak(state, ECastType::None); }
void BM_LumdrakOneShotCast32(benchmark::State& state) { RunLumdrak(state, ECastType::Unsigned32); }
BENCHMARK(BM_LumdrakOneShot);
BENCHMARK(BM_LumdrakOneShotCast32);

#ifdef LUMDRAK_WITH_MUPARSER
void BM_MuparserOneShot(benchmark::State& state)
{
    mu::Parser parser;
    for (auto _ : state)
        for (const CorpusEntry& entry : kCorpus)
        {
            parser.SetExpr(entry.szMuparser);
            benchmark::DoNotOptimize(parser.Eval());
        }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kCorpusSize));
}
BENCHMARK(BM_MuparserOneShot);
#endif

// szHead, then szPiece nTimes, then szTail.
std::string Repeat(const char* szHead, const char* szPiece, std::size_t nTimes, const char* szTail)
{
    std::string strText = szHead;
    for (std::size_t i = 0; i < nTimes; ++i)
        strText += szPiece;
    strText += szTail;
    return strText;
}

// Megabyte inputs: a long sum, and nesting far beyond the limit, which must fail fast.
void BM_MegabyteSum(benchmark::State& state)
{
    const std::string strText = Repeat("1", "+1", 499999, "+");
    CExpressionEvaluator evaluator;
    for (auto _ : state)
        benchmark::DoNotOptimize(evaluator.Evaluate(&strText));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * strText.size()));
}
void BM_MegabyteNesting(benchmark::State& state)
{
    const std::string strText(1000000, '(');
    CExpressionEvaluator evaluator;
    for (auto _ : state)
        benchmark::DoNotOptimize(evaluator.Evaluate(&strText));
}
BENCHMARK(BM_MegabyteSum)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MegabyteNesting)->Unit(benchmark::kMillisecond);

// Keeps each run's time per expression so that main can print the ratio.
class CRatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.iterations > 0)
                m_nsPerExpression[run.benchmark_name()] =
                    run.GetAdjustedRealTime() / static_cast<double>(kCorpusSize);
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> m_nsPerExpression;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto ours = reporter.m_nsPerExpression.find("BM_LumdrakOneShot");
    const auto theirs = reporter.m_nsPerExpression.find("BM_MuparserOneShot");
    if (ours != reporter.m_nsPerExpression.end())
        std::printf("Lumdrak one-shot: %.1f ns per expression\n", ours->second);
    if (ours != reporter.m_nsPerExpression.end() && theirs != reporter.m_nsPerExpression.end())
        std::printf("muparser one-shot: %.1f ns per expression; Lumdrak is %.1fx faster\n",
                    theirs->second, theirs->second / ours->second);
    benchmark::Shutdown();
    return 0;
}
