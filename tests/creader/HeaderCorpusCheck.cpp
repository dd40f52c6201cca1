// The block reader against the C compiler on the headers installed here.
//
//  (a) Pasted one at a time: every constant line of the headers ("#define NAME body" and
//      "NAME = value," of an enumeration), each read alone, and each compiled alone with the
//      names the reader knows without a header. Where the compiler computes a value, the reader
//      must give the same value and type (or say C leaves it undefined) and its translation may
//      differ from it under a cast only where the check says so: no silent difference, no
//      wrong note, no refusal of a line that needs nothing else.
//  (b) Read with the header: each header through the preprocessor, then each macro it defines
//      by name, against the compiler's value of the name with the header included. At most 1 %
//      refused or failed, every struct-size case unknown, no silent difference.
//
//   creader_corpus_check [--small] [--show] [ROOT]   (ROOT: /usr/include; the C compiler is the
//                                                     build's)
//
// --small reads two headers only, as the test does; --show lists every line that counts
// against the reader.
#include "CBlockReader.h"
#include "CCheck.h"
#include "CHeaderFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

namespace fs = std::filesystem;

bool g_bShow = false;

// After the prelude, which includes <stdio.h> for printf.
constexpr char kTypes[] =
    "#define T(e) _Generic((e), char: \"char\", signed char: \"signed_char\", unsigned char: "
    "\"unsigned_char\", short: \"short\", unsigned short: \"unsigned_short\", int: \"int\", "
    "unsigned int: \"unsigned_int\", long: \"long\", unsigned long: \"unsigned_long\", "
    "long long: \"long_long\", unsigned long long: \"unsigned_long_long\", float: \"float\", "
    "double: \"double\")\n"
    "#define B(e) _Generic((e), float: 0ull, double: 0ull, default: (unsigned long long)(e))\n";

// What the reader's names hold without a header, as C: for lines pasted alone.
constexpr char kBuiltIn[] =
    "#include <stdint.h>\n#include <stddef.h>\n#include <limits.h>\n#include <stdbool.h>\n"
    "#include <uchar.h>\n#include <linux/types.h>\n#include <linux/ioctl.h>\n"
    "typedef __s8 s8;\ntypedef __u8 u8;\ntypedef __s16 s16;\ntypedef __u16 u16;\n"
    "typedef __s32 s32;\ntypedef __u32 u32;\ntypedef __s64 s64;\ntypedef __u64 u64;\n";

struct SCompiled
{
    bool bComputed = false;
    std::string strType;
    unsigned long long nBits = 0;
    double dValue = 0.0;
};

std::string ReadAll(const std::string& strPath)
{
    std::ifstream file(strPath);
    std::stringstream stream;
    stream << file.rdbuf();
    return stream.str();
}

bool Run(const std::string& strCommand) { return std::system(strCommand.c_str()) == 0; }

// Each expression's value as the compiler computes it, where it is a constant of arithmetic
// type: a static object is initialized with it. Cases the compiler refuses are taken out, and
// the rest compiled again.
std::vector<SCompiled> CompileChunk(const std::string& strPrelude,
                                    const std::vector<std::string>& arrDefinitions,
                                    const std::vector<std::string>& arrNames,
                                    const std::vector<std::string>& arrExpressions,
                                    const std::string& strDir)
{
    const std::size_t nCount = arrExpressions.size();
    std::vector<SCompiled> arrCompiled(nCount);
    std::vector<bool> arrOut(nCount);
    const std::string strSource = strDir + "/corpus.c";
    const std::string strCompiler = LUMDRAK_C_COMPILER;
    // An error can hide the ones after it: each pass takes out what it finds.
    for (int nPass = 0; nPass < 40; ++nPass)
    {
        // Each case's lines are numbered from a #line of its own, which maps an error back to
        // its case whatever line breaks its text holds: kStride lines for each, past the
        // prelude's own lines (whose notes errors may name). Each case is a function of its
        // own, since the compiler names an undeclared identifier once in each.
        constexpr int kStride = 10;
        constexpr int kFirst = 1000000;
        std::ofstream source(strSource);
        source << strPrelude << kTypes;
        for (std::size_t i = 0; i < nCount; ++i)
        {
            if (arrOut[i]) continue;
            const std::string& strName = arrNames[i];
            const bool bPush = !arrDefinitions[i].empty();
            source << "#line " << kFirst + static_cast<int>(i) * kStride << "\n";
            if (bPush)
                source << "#pragma push_macro(\"" << strName << "\")\n"
                       << arrDefinitions[i] << "\n";
            source << "static void f" << i << "(void) { static const __typeof__("
                   << arrExpressions[i] << ") v = (" << arrExpressions[i] << ");\n"
                   << "printf(\"%zu %s %llu %a\\n\", (size_t)" << i
                   << ", T(v), B(v), (double)(v)); }\n";
            if (bPush) source << "#pragma pop_macro(\"" << strName << "\")\n";
        }
        source << "int main(void) {\n";
        for (std::size_t i = 0; i < nCount; ++i)
            if (!arrOut[i]) source << "f" << i << "();\n";
        source << "return 0; }\n";
        source.close();
        const bool bBuilt = Run(strCompiler + " -std=gnu17 -D_GNU_SOURCE -w -O0 -o " + strDir +
                                "/corpus " + strSource + " 2>" + strDir + "/errors.txt");
        if (bBuilt)
        {
            if (!Run(strDir + "/corpus >" + strDir + "/values.txt")) break;
            std::istringstream lines(ReadAll(strDir + "/values.txt"));
            for (std::string strLine; std::getline(lines, strLine);)
            {
                std::istringstream fields(strLine);
                std::size_t nIndex = 0;
                std::string strDouble;
                SCompiled compiled;
                fields >> nIndex >> compiled.strType >> compiled.nBits >> strDouble;
                std::replace(compiled.strType.begin(), compiled.strType.end(), '_', ' ');
                compiled.dValue = std::strtod(strDouble.c_str(), nullptr);
                compiled.bComputed = true;
                if (nIndex < nCount) arrCompiled[nIndex] = compiled;
            }
            break;
        }
        // Take out what the compiler refuses: the case an error falls in, or a note of an
        // error in a header names (warnings are off: every note belongs to an error).
        std::istringstream errors(ReadAll(strDir + "/errors.txt"));
        bool bAny = false;
        const std::string strMark = "corpus.c:";
        for (std::string strError; std::getline(errors, strError);)
        {
            const std::size_t nAt = strError.find(strMark);
            // A case that leaves a brace open makes the functions after it nested: theirs is
            // not their error.
            if (nAt == std::string::npos ||
                strError.find("invalid storage class for function") != std::string::npos)
                continue;
            const int nErrorLine = std::atoi(strError.c_str() + nAt + strMark.size());
            if (nErrorLine < kFirst) continue;
            const auto nIndex = static_cast<std::size_t>((nErrorLine - kFirst) / kStride);
            if (nIndex < nCount && !arrOut[nIndex])
            {
                arrOut[nIndex] = true;
                bAny = true;
            }
        }
        if (!bAny) break; // the prelude itself fails: nothing computes
    }
    return arrCompiled;
}

// The same, a few thousand cases at a time (a compiler slows down on a file of many errors),
// then the cases left out once more in smaller parts: a case's error can take its neighbours
// with it.
std::vector<SCompiled> Compile(const std::string& strPrelude,
                               const std::vector<std::string>& arrDefinitions,
                               const std::vector<std::string>& arrNames,
                               const std::vector<std::string>& arrExpressions,
                               const std::string& strDir)
{
    std::vector<SCompiled> arrCompiled(arrExpressions.size());
    std::vector<std::size_t> arrLeft(arrExpressions.size());
    for (std::size_t i = 0; i < arrLeft.size(); ++i)
        arrLeft[i] = i;
    for (const std::size_t nChunk : {std::size_t{2000}, std::size_t{200}, std::size_t{10}})
    {
        std::vector<std::size_t> arrStill;
        for (std::size_t nFirst = 0; nFirst < arrLeft.size(); nFirst += nChunk)
        {
            const std::size_t nEnd = std::min(arrLeft.size(), nFirst + nChunk);
            const auto slice = [&](const std::vector<std::string>& arr)
            {
                std::vector<std::string> arrSlice;
                for (std::size_t n = nFirst; n < nEnd; ++n)
                    arrSlice.push_back(arr[arrLeft[n]]);
                return arrSlice;
            };
            const std::vector<SCompiled> arrChunk = CompileChunk(
                strPrelude, slice(arrDefinitions), slice(arrNames), slice(arrExpressions), strDir);
            for (std::size_t n = nFirst; n < nEnd; ++n)
            {
                arrCompiled[arrLeft[n]] = arrChunk[n - nFirst];
                if (!arrChunk[n - nFirst].bComputed) arrStill.push_back(arrLeft[n]);
            }
        }
        arrLeft = std::move(arrStill);
    }
    return arrCompiled;
}

bool SameAs(const SCValue& value, const SCompiled& compiled)
{
    if (std::string(TypeInfo(value.eType).strName) != compiled.strType) return false;
    if (IsFloating(value.eType))
        return value.dValue == compiled.dValue ||
               (std::isnan(value.dValue) && std::isnan(compiled.dValue));
    return value.nBits == compiled.nBits;
}

bool EngineSame(double dEngine, const SCValue& value, const SCompiled& compiled)
{
    if (IsFloating(value.eType))
        return dEngine == compiled.dValue || (std::isnan(dEngine) && std::isnan(compiled.dValue));
    SCValue exact = value;
    exact.nBits = compiled.nBits;
    return exact.IsExactInDouble() && dEngine == exact.ToDouble();
}

// C text without its comments, an open one running to the end: for the compiler.
std::string WithoutComments(const std::string& strText)
{
    std::string strOut;
    char chQuote = 0;
    for (std::size_t i = 0; i < strText.size(); ++i)
    {
        const char ch = strText[i];
        if (chQuote)
        {
            strOut += ch;
            if (ch == '\\' && i + 1 < strText.size())
                strOut += strText[++i];
            else if (ch == chQuote)
                chQuote = 0;
            continue;
        }
        if (ch == '/' && i + 1 < strText.size() && strText[i + 1] == '/') break;
        if (ch == '/' && i + 1 < strText.size() && strText[i + 1] == '*')
        {
            const std::size_t nEnd = strText.find("*/", i + 2);
            if (nEnd == std::string::npos) break;
            strOut += ' ';
            i = nEnd + 1;
            continue;
        }
        if (ch == '"' || ch == '\'') chQuote = ch;
        strOut += ch;
    }
    return strOut;
}

struct STally
{
    int nCases = 0;
    int nComputed = 0;    // the compiler computes the value
    int nSame = 0;        // the reader gives it
    int nUndefined = 0;   // the reader says C leaves it undefined
    int nStructSize = 0;  // unknown: a struct's size or layout
    int nRefused = 0;     // computed by the compiler, not given by the reader
    int nDiffers = 0;     // a value unlike the compiler's
    int nSilent = 0;      // a translation that differs under a cast the check calls the same
    int nReadRefused = 0; // the reader gives a value the compiler refuses
    std::map<std::string, int> reasons;
};

// A reason with its names taken out, so that reasons of one kind are counted together.
std::string Shape(const std::string& strReason)
{
    static const std::regex name(R"(\b[A-Za-z_]\w*\b(?= is not defined| refers| takes| is a |:))");
    static const std::regex replacing(R"(replacing [A-Za-z_]\w*)");
    return std::regex_replace(std::regex_replace(strReason, name, "NAME"), replacing,
                              "replacing NAME");
}

bool IsStructSize(const std::string& strReason)
{
    return strReason.find("the size of") != std::string::npos ||
           strReason.find("the layout of") != std::string::npos;
}

void Count(STally& tally, const std::string& strText, const SCLine& line, const SCompiled& compiled,
           CExpressionEvaluator& engine, CExpressionEvaluator& checker)
{
    ++tally.nCases;
    const bool bValue = line.eKind == ECLineKind::Value;
    if (!compiled.bComputed)
    {
        if (bValue && line.reading.bDefined && std::getenv("CORPUS_SHOW_READ"))
            std::printf("read, but the compiler refuses: %s\n", strText.c_str());
        tally.nReadRefused += bValue && line.reading.bDefined ? 1 : 0;
        return;
    }
    ++tally.nComputed;
    if (bValue && !line.reading.bDefined)
    {
        ++tally.nUndefined;
        return;
    }
    if (!bValue)
    {
        const std::string strReason = line.eKind == ECLineKind::Unknown ? line.strUnknown
                                      : line.eKind == ECLineKind::NotC  ? "not C"
                                                                        : "no value";
        if (IsStructSize(strReason))
        {
            ++tally.nStructSize;
            return;
        }
        ++tally.nRefused;
        ++tally.reasons[Shape(strReason)];
        if (g_bShow) std::printf("refused: %s: %s\n", strText.c_str(), strReason.c_str());
        return;
    }
    if (!SameAs(line.reading.value, compiled))
    {
        ++tally.nDiffers;
        std::printf("differs: %s: C %s %llu, reader %s %s\n", strText.c_str(),
                    compiled.strType.c_str(), compiled.nBits,
                    std::string(TypeInfo(line.reading.value.eType).strName).c_str(),
                    DecimalText(line.reading.value).c_str());
        return;
    }
    ++tally.nSame;
    for (const ECastType eCast : kDistinctCasts)
    {
        const int nCast = static_cast<int>(eCast);
        engine.m_nCastType = eCast;
        const double dEngine = engine.Evaluate(&line.reading.strTranslation);
        const SCCheck check = CheckReading(line.reading, eCast, checker);
        if (check.eAgreement == EAgreement::Same &&
            !(engine.m_nErrorPos == 0 && EngineSame(dEngine, line.reading.value, compiled)))
        {
            ++tally.nSilent;
            std::printf("silent: %s as %s under cast %d\n", strText.c_str(),
                        line.reading.strTranslation.c_str(), nCast);
        }
    }
}

void Report(const char* pszTitle, const STally& tally)
{
    const int nBase = tally.nComputed - tally.nStructSize;
    std::printf("%s: %d cases, %d computed by the compiler: %d the same, %d undefined in C, %d "
                "struct sizes unknown, %d refused or failed (%.2f %%), %d values unlike the "
                "compiler's, %d silent differences; %d read that the compiler refuses\n",
                pszTitle, tally.nCases, tally.nComputed, tally.nSame, tally.nUndefined,
                tally.nStructSize, tally.nRefused, nBase > 0 ? 100.0 * tally.nRefused / nBase : 0.0,
                tally.nDiffers, tally.nSilent, tally.nReadRefused);
    std::vector<std::pair<int, std::string>> arrReasons;
    for (const auto& [strReason, nCount] : tally.reasons)
        arrReasons.emplace_back(nCount, strReason);
    std::sort(arrReasons.rbegin(), arrReasons.rend());
    for (std::size_t i = 0; i < arrReasons.size() && i < 12; ++i)
        std::printf("  %5d  %s\n", arrReasons[i].first, arrReasons[i].second.c_str());
}

// The C headers under strRoot, without C++'s and without those only other headers include.
std::vector<std::string> Headers(const std::string& strRoot)
{
    std::vector<std::string> arrHeaders;
    // C++'s, and bundles of copies of other projects' headers.
    const std::set<std::string> skipped = {"c++",      "bits",      "qt6",   "qt5",    "gtest",
                                           "gmock",    "benchmark", "boost", "gnu",    "libcob",
                                           "finclude", "gdb",       "node",  "unicode"};
    const auto isSkipped = [&](const std::string& strName)
    {
        for (const char* pszPrefix : {"llvm", "clang", "python"})
            if (strName.rfind(pszPrefix, 0) == 0) return true;
        return skipped.count(strName) > 0 || strName.find("c++") != std::string::npos;
    };
    std::error_code error;
    for (fs::recursive_directory_iterator it(strRoot, error), end; it != end; it.increment(error))
    {
        if (error) break;
        const std::string strName = it->path().filename().string();
        if (it->is_directory() && isSkipped(strName))
        {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file() && it->path().extension() == ".h")
            arrHeaders.push_back(it->path().string());
    }
    std::sort(arrHeaders.begin(), arrHeaders.end());
    return arrHeaders;
}

// The prelude of kBuiltIn, with every macro its headers (and the compiler) define taken away
// again where the reader does not know it without a header: a line that needs one needs more
// than itself.
std::string BuiltInOnly(const std::string& strDir)
{
    const std::string strPrelude = std::string(kBuiltIn) + "#include <stdio.h>\n";
    std::ofstream(strDir + "/prelude.h") << strPrelude;
    if (!Run("cpp -dM -std=gnu17 -D_GNU_SOURCE " + strDir + "/prelude.h >" + strDir +
             "/prelude.txt 2>/dev/null"))
        return strPrelude;
    std::string strOut = strPrelude;
    const CCNames names;
    std::istringstream lines(ReadAll(strDir + "/prelude.txt"));
    for (std::string strLine; std::getline(lines, strLine);)
    {
        if (strLine.rfind("#define ", 0) != 0) continue;
        const std::string strName = strLine.substr(8, strLine.find_first_of(" (", 8) - 8);
        if (!names.FindMacro(strName)) strOut += "#undef " + strName + "\n";
    }
    return strOut;
}

// (a): every constant line of the headers, pasted alone.
void CheckPasted(const std::vector<std::string>& arrHeaders, const std::string& strDir,
                 STally& tally)
{
    static const std::regex define(R"(^\s*#\s*define\s+([A-Za-z_]\w*)(\s.*)?$)");
    static const std::regex enumerator(
        R"(^\s*([A-Za-z_]\w*)\s*=\s*([^,;{}]*[^,;{}\s])\s*,?\s*(/[/*].*)?$)");
    std::set<std::string> seen;
    std::vector<std::string> arrTexts, arrDefinitions, arrNames, arrExpressions;
    for (const std::string& strHeader : arrHeaders)
    {
        std::istringstream lines(ReadAll(strHeader));
        for (std::string strLine; std::getline(lines, strLine);)
        {
            std::smatch match;
            if (strLine.empty() || strLine.back() == '\\' || seen.count(strLine)) continue;
            if (std::regex_match(strLine, match, define))
            {
                const std::string strBody = WithoutComments(match[2].str());
                if (strBody.find_first_not_of(" \t") == std::string::npos) continue;
                seen.insert(strLine);
                arrTexts.push_back(strLine);
                arrNames.push_back(match[1].str());
                arrDefinitions.push_back(WithoutComments(strLine));
                arrExpressions.push_back(match[1].str());
            }
            else if (std::regex_match(strLine, match, enumerator))
            {
                seen.insert(strLine);
                arrTexts.push_back(strLine);
                arrNames.push_back(match[1].str());
                arrDefinitions.push_back("");
                arrExpressions.push_back(WithoutComments(match[2].str()));
            }
        }
    }
    const std::vector<SCompiled> arrCompiled =
        Compile(BuiltInOnly(strDir), arrDefinitions, arrNames, arrExpressions, strDir);
    CExpressionEvaluator engine;
    CExpressionEvaluator checker;
    for (std::size_t i = 0; i < arrTexts.size(); ++i)
    {
        CCNames names;
        CCBlockReader reader(names);
        std::vector<SCLine> arrLines;
        reader.ReadText(arrTexts[i], arrLines);
        if (arrLines.size() != 1)
        {
            std::printf("lines: %s gives %zu outcomes\n", arrTexts[i].c_str(), arrLines.size());
            continue;
        }
        Count(tally, arrTexts[i], arrLines[0], arrCompiled[i], engine, checker);
    }
}

// (b): each header through the preprocessor, then each macro it defines, by name.
void CheckWithHeaders(const std::vector<std::string>& arrHeaders, const std::string& strDir,
                      STally& tally)
{
    static const std::regex define(R"(^#define ([A-Za-z_]\w*) .*$)");
    CExpressionEvaluator engine;
    CExpressionEvaluator checker;
    for (const std::string& strHeader : arrHeaders)
    {
        const std::string strOut = strDir + "/header.i";
        if (!Run("cpp -dD -std=gnu17 -D_GNU_SOURCE -w " + strHeader + " >" + strOut +
                 " 2>/dev/null"))
            continue; // a header that needs others first
        const std::string strText = ReadAll(strOut);
        CCNames names;
        ReadPreprocessed(strText, names);
        // The object-like macros the header itself defines, last definition first kept.
        std::istringstream lines(strText);
        std::string strFile;
        std::vector<std::string> arrNames;
        std::set<std::string> seen;
        for (std::string strLine; std::getline(lines, strLine);)
        {
            if (strLine.rfind("# ", 0) == 0)
            {
                const std::size_t nQuote = strLine.find('"');
                strFile = strLine.substr(nQuote + 1, strLine.rfind('"') - nQuote - 1);
                continue;
            }
            std::smatch match;
            if (strFile == strHeader && std::regex_match(strLine, match, define) &&
                seen.insert(match[1].str()).second)
                arrNames.push_back(match[1].str());
        }
        if (arrNames.empty()) continue;
        const std::vector<std::string> arrNone(arrNames.size());
        const std::vector<SCompiled> arrCompiled =
            Compile("#include \"" + strHeader + "\"\n#include <stdio.h>\n", arrNone, arrNames,
                    arrNames, strDir);
        for (std::size_t i = 0; i < arrNames.size(); ++i)
        {
            CCBlockReader reader(names);
            std::vector<SCLine> arrLines;
            reader.ReadText(arrNames[i], arrLines);
            if (arrLines.size() == 1)
                Count(tally, strHeader + ": " + arrNames[i], arrLines[0], arrCompiled[i], engine,
                      checker);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::string strRoot = "/usr/include";
    bool bSmall = false;
    for (int i = 1; i < argc; ++i)
    {
        const std::string strArg = argv[i];
        if (strArg == "--small")
            bSmall = true;
        else if (strArg == "--show")
            g_bShow = true;
        else
            strRoot = strArg;
    }
    std::vector<std::string> arrHeaders;
    if (bSmall)
    {
        for (const char* pszHeader : {"/linux/input.h", "/asm-generic/errno-base.h"})
            if (fs::exists(strRoot + pszHeader)) arrHeaders.push_back(strRoot + pszHeader);
    }
    else
        arrHeaders = Headers(strRoot);
    if (arrHeaders.empty())
    {
        std::printf("no headers under %s\n", strRoot.c_str());
        return 0;
    }
    std::printf("%zu headers under %s\n", arrHeaders.size(), strRoot.c_str());
    const std::string strDir =
        fs::temp_directory_path().string() + "/creader-corpus-" + std::to_string(getpid());
    fs::create_directories(strDir);
    STally pasted;
    CheckPasted(arrHeaders, strDir, pasted);
    Report("pasted one at a time", pasted);
    std::fflush(stdout);
    if (std::getenv("CORPUS_PASTED_ONLY")) return 0;
    STally headers;
    CheckWithHeaders(arrHeaders, strDir, headers);
    Report("read with their headers", headers);
    if (!std::getenv("CORPUS_KEEP")) fs::remove_all(strDir);

    const int nBase = headers.nComputed - headers.nStructSize;
    const bool bOk = pasted.nDiffers == 0 && pasted.nSilent == 0 && pasted.nRefused == 0 &&
                     headers.nDiffers == 0 && headers.nSilent == 0 &&
                     headers.nRefused * 100 <= nBase;
    return bOk ? 0 : 1;
}
