// Random C constant expressions, as headers write them, read by the C reader and compiled by
// the C compiler: the reader's value and type must be the compiler's, what it calls undefined
// must be what the compiler's UndefinedBehaviorSanitizer reports, no translation may differ
// from C's value under a cast while the check calls it the same, and under the cast matching
// an int or unsigned int expression at most one in ten may be refused.
//
//   creader_random_check [--count N] [--seed S]   (the C compiler is the build's)
#include "CTexts.h"
#include "Paste.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

class CGenerator
{
public:
    explicit CGenerator(unsigned nSeed) : m_random(nSeed) {}

    // The expression's text; with bVolatile every literal is read from a volatile object, so
    // that the compiler computes it when the program runs, under the sanitizer.
    void Generate(std::string& strText, std::string& strVolatile)
    {
        strText.clear();
        strVolatile.clear();
        Expression(3, strText, strVolatile);
    }

private:
    int Pick(int nCount) { return std::uniform_int_distribution<int>(0, nCount - 1)(m_random); }
    bool Chance(int nPercent) { return Pick(100) < nPercent; }

    void Emit(const std::string& strPart, std::string& strText, std::string& strVolatile)
    {
        strText += strPart;
        strVolatile += strPart;
    }

    void Literal(std::string& strText, std::string& strVolatile)
    {
        static const char* kHex[] = {"0xFF",       "0xF0",       "0x3",    "0xFFFF",
                                     "0x80000000", "0xFFFFFFFF", "0x1F3A", "0xC0DE0042",
                                     "0x7F",       "0x0F",       "0x1000", "0xAA55"};
        static const char* kSuffix[] = {"", "", "", "", "u", "U", "ul", "L"};
        static const char* kOther[] = {"'A'",  "'\\n'",  "'0'", "1ULL",  "0x100000000",
                                       "0777", "0b1010", "1.5", "0.25f", "2e3"};
        std::string strLiteral;
        const int nKind = Pick(100);
        if (nKind < 45)
            strLiteral = std::to_string(Pick(nKind < 25 ? 32 : 1000));
        else if (nKind < 85)
            strLiteral = kHex[Pick(12)];
        else
            strLiteral = kOther[Pick(Chance(30) ? 10 : 7)]; // floating ones rarely
        if (nKind < 85) strLiteral += kSuffix[Pick(8)];
        strText += strLiteral;
        strVolatile += "(*(volatile __typeof__(" + strLiteral + ")*)&(__typeof__(" + strLiteral +
                       ")){" + strLiteral + "})";
    }

    void Expression(int nDepth, std::string& strText, std::string& strVolatile)
    {
        const int nKind = nDepth <= 0 ? 0 : Pick(100);
        if (nKind < 30)
        {
            Literal(strText, strVolatile);
        }
        else if (nKind < 40)
        {
            static const char* kUnary[] = {"-", "~", "-", "~", "+"};
            Emit(kUnary[Pick(5)], strText, strVolatile);
            Expression(nDepth - 1, strText, strVolatile);
        }
        else if (nKind < 50)
        {
            static const char* kCasts[] = {"(uint8_t)",  "(int16_t)",  "(unsigned)", "(int)",
                                           "(uint32_t)", "(uint16_t)", "(char)",     "(long)"};
            Emit(kCasts[Pick(8)], strText, strVolatile);
            Emit("(", strText, strVolatile);
            Expression(nDepth - 1, strText, strVolatile);
            Emit(")", strText, strVolatile);
        }
        else
        {
            static const char* kBinary[] = {" | ", " & ", " ^ ", " << ", " >> ", " + ",  " - ",
                                            " * ", " / ", " % ", " | ",  " & ",  " << ", " >> "};
            const bool bParens = Chance(50);
            if (bParens) Emit("(", strText, strVolatile);
            Expression(nDepth - 1, strText, strVolatile);
            const std::string strOp = kBinary[Pick(14)];
            Emit(strOp, strText, strVolatile);
            if (strOp == " << " || strOp == " >> ")
            {
                const std::string strCount = std::to_string(Pick(32));
                strText += strCount;
                strVolatile += "(*(volatile int*)&(int){" + strCount + "})";
            }
            else
                Expression(nDepth - 1, strText, strVolatile);
            if (bParens) Emit(")", strText, strVolatile);
        }
    }

    std::mt19937 m_random;
};

// Type names with '_' for their blanks, so that a line of values splits at blanks.
constexpr char kPrelude[] =
    "#include <stdint.h>\n#include <stdio.h>\n"
    "#define T(e) _Generic((e), char: \"char\", signed char: \"signed_char\", unsigned char: "
    "\"unsigned_char\","
    " short: \"short\", unsigned short: \"unsigned_short\", int: \"int\", unsigned int: "
    "\"unsigned_int\","
    " long: \"long\", unsigned long: \"unsigned_long\", long long: \"long_long\","
    " unsigned long long: \"unsigned_long_long\", float: \"float\", double: \"double\")\n"
    "#define B(e) _Generic((e), float: 0ull, double: 0ull, default: (unsigned long long)(e))\n";

bool Run(const std::string& strCommand) { return std::system(strCommand.c_str()) == 0; }

std::string ReadAll(const std::string& strPath)
{
    std::ifstream file(strPath);
    std::stringstream stream;
    stream << file.rdbuf();
    return stream.str();
}

bool SameAs(double dEngine, const std::string& strType, unsigned long long nBits, double dValue)
{
    if (strType == "float" || strType == "double")
        return dEngine == dValue || (std::isnan(dEngine) && std::isnan(dValue));
    SCValue value;
    for (int n = 0; n <= static_cast<int>(ECType::Double); ++n)
        if (TypeInfo(static_cast<ECType>(n)).strName == strType)
            value.eType = static_cast<ECType>(n);
    value.nBits = nBits;
    return value.IsExactInDouble() && dEngine == value.ToDouble();
}

// The text pasted alone: false where it is no C value.
bool ReadC(const std::string& strText, SCReading& reading)
{
    CCNames names;
    CPasteReader reader(names);
    std::vector<SPastedLine> arrLines;
    reader.ReadLine(strText, {}, arrLines);
    reader.Finish({}, arrLines);
    if (arrLines.empty() || arrLines.back().eEntry != EPasteEntry::Value) return false;
    reading = std::move(arrLines.back().reading);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int nCount = 2000;
    unsigned nSeed = 1;
    for (int i = 1; i + 1 < argc; i += 2)
    {
        if (std::string(argv[i]) == "--count") nCount = std::atoi(argv[i + 1]);
        if (std::string(argv[i]) == "--seed") nSeed = static_cast<unsigned>(std::atoi(argv[i + 1]));
    }
    const std::string strDir = std::filesystem::temp_directory_path().string() +
                               "/creader-random-" + std::to_string(getpid());
    std::filesystem::create_directories(strDir);

    CGenerator generator(nSeed);
    std::vector<std::string> arrTexts(static_cast<std::size_t>(nCount));
    std::vector<SCReading> arrReadings(static_cast<std::size_t>(nCount));
    std::ofstream values(strDir + "/values.c");
    std::ofstream sanitized(strDir + "/sanitized.c");
    std::ofstream notRead(strDir + "/notread.c");
    std::vector<int> arrNotRead;
    notRead << "#include <stdint.h>\n";
    values << kPrelude << "int main(void) {\n";
    sanitized << kPrelude;
    std::string strVolatile;
    int nNotRead = 0;
    for (int i = 0; i < nCount; ++i)
    {
        generator.Generate(arrTexts[i], strVolatile);
        // One function a line: the sanitizer's report names the line.
        sanitized << "void f" << i << "(void) {";
        if (!ReadC(arrTexts[i], arrReadings[i]))
        {
            ++nNotRead; // floating operands of bitwise operators, which C refuses too
            notRead << "void g" << i << "(void) { volatile double d = (double)(" << arrTexts[i]
                    << "); (void)d; }\n";
            arrNotRead.push_back(i);
        }
        else
            sanitized << " volatile double d = (double)(" << strVolatile << "); (void)d;";
        sanitized << " }\n";
        if (arrReadings[i].bDefined)
            values << "printf(\"%d %s %llu %a\\n\", " << i << ", T(" << arrTexts[i] << "), B("
                   << arrTexts[i] << "), (double)(" << arrTexts[i] << "));\n";
    }
    values << "return 0; }\n";
    // A division by zero traps once the sanitizer has reported it: the next function goes on.
    sanitized << "#include <setjmp.h>\n#include <signal.h>\nstatic sigjmp_buf g_env;\n"
                 "static void OnTrap(int n) { (void)n; siglongjmp(g_env, 1); }\n"
                 "int main(void) {\nsignal(SIGFPE, OnTrap);\n";
    for (int i = 0; i < nCount; ++i)
        sanitized << "if (!sigsetjmp(g_env, 1)) f" << i << "();\n";
    sanitized << "return 0; }\n";
    values.close();
    sanitized.close();
    notRead.close();

    const std::string strCompiler = LUMDRAK_C_COMPILER;
    if (!Run(strCompiler + " -std=gnu2x -w -O0 " + strDir + "/values.c -o " + strDir + "/values") ||
        !Run(strDir + "/values >" + strDir + "/values.txt") ||
        !Run(strCompiler + " -std=gnu2x -w -O0 -fsanitize=undefined,float-cast-overflow " + strDir +
             "/sanitized.c -o " + strDir + "/sanitized") ||
        // Every report, whatever the sanitizer options of the build running this check.
        !Run("UBSAN_OPTIONS=halt_on_error=0 " + strDir + "/sanitized 2>" + strDir +
             "/sanitized.txt"))
    {
        std::fprintf(stderr, "the C compiler or its programs failed (in %s)\n", strDir.c_str());
        return 1;
    }

    // What the reader does not read, the compiler must refuse too: one error line each.
    Run(strCompiler + " -std=gnu2x -fsyntax-only " + strDir + "/notread.c 2>" + strDir +
        "/notread.txt");
    std::map<int, bool> compilerErrors;
    std::istringstream errors(ReadAll(strDir + "/notread.txt"));
    for (std::string strError; std::getline(errors, strError);)
    {
        const std::size_t nColon = strError.find("notread.c:");
        if (nColon != std::string::npos && strError.find("error:") != std::string::npos)
            compilerErrors[std::atoi(strError.c_str() + nColon + 10) - 2] = true;
    }
    int nRefusedC = 0;
    for (std::size_t n = 0; n < arrNotRead.size(); ++n)
        if (!compilerErrors.count(static_cast<int>(n)))
        {
            ++nRefusedC;
            std::printf("not read, but C: %s\n",
                        arrTexts[static_cast<std::size_t>(arrNotRead[n])].c_str());
        }

    // The lines the sanitizer reported, one function each; the prelude takes 4 lines.
    std::map<int, bool> sanitizerFaults;
    std::istringstream reports(ReadAll(strDir + "/sanitized.txt"));
    for (std::string strReport; std::getline(reports, strReport);)
    {
        const std::size_t nColon = strReport.find("sanitized.c:");
        if (nColon != std::string::npos && strReport.find("runtime error") != std::string::npos)
            sanitizerFaults[std::atoi(strReport.c_str() + nColon + 12) - 5] = true;
    }

    int nDefined = 0, nUndefined = 0, nWrongValue = 0, nWrongFault = 0, nSilent = 0;
    int nMatched = 0, nRefused = 0;
    std::map<std::string, int> types;
    CExpressionEvaluator engine;
    CExpressionEvaluator checker;
    std::istringstream lines(ReadAll(strDir + "/values.txt"));
    std::vector<bool> arrSeen(static_cast<std::size_t>(nCount));
    for (std::string strLine; std::getline(lines, strLine);)
    {
        std::istringstream fields(strLine);
        int nIndex = 0;
        std::string strType;
        unsigned long long nBits = 0;
        std::string strDouble;
        fields >> nIndex >> strType;
        for (char& ch : strType)
            ch = ch == '_' ? ' ' : ch;
        fields >> nBits >> strDouble;
        const double dValue = std::strtod(strDouble.c_str(), nullptr);
        const SCReading& reading = arrReadings[static_cast<std::size_t>(nIndex)];
        const std::string& strText = arrTexts[static_cast<std::size_t>(nIndex)];
        arrSeen[static_cast<std::size_t>(nIndex)] = true;
        ++nDefined;
        ++types[strType];
        const bool bFloating = strType == "float" || strType == "double";
        if (std::string(TypeInfo(reading.value.eType).strName) != strType ||
            (bFloating ? reading.value.dValue != dValue : reading.value.nBits != nBits))
        {
            ++nWrongValue;
            std::printf("value: %s: C %s %llu %s, reader %s %s\n", strText.c_str(), strType.c_str(),
                        nBits, strDouble.c_str(), TypeInfo(reading.value.eType).strName.data(),
                        DecimalText(reading.value).c_str());
        }
        if (sanitizerFaults.count(nIndex))
        {
            ++nWrongFault;
            std::printf("fault: %s: the sanitizer reports what the reader reads as defined\n",
                        strText.c_str());
        }
        for (const ECastType eCast : kDistinctCasts)
        {
            const int nCast = static_cast<int>(eCast);
            engine.m_nCastType = eCast;
            const double dEngine = engine.Evaluate(&reading.strTranslation);
            const SCCheck check = CheckReading(reading, eCast, checker);
            const bool bSame = engine.m_nErrorPos == 0 && SameAs(dEngine, strType, nBits, dValue);
            if (check.eAgreement == EAgreement::Same && !bSame)
            {
                ++nSilent;
                std::printf("silent: %s as %s under cast %d\n", strText.c_str(),
                            reading.strTranslation.c_str(), nCast);
            }
        }
        if (strType == "int" || strType == "unsigned int")
        {
            ++nMatched;
            const SCCheck check = CheckReading(
                reading, strType == "int" ? ECastType::Signed32 : ECastType::Unsigned32, checker);
            if (check.eAgreement != EAgreement::Same)
            {
                ++nRefused;
                if (std::getenv("CREADER_SHOW_REFUSED"))
                    std::printf("refused: %s as %s: %s\n", strText.c_str(),
                                reading.strTranslation.c_str(),
                                CheckText(reading, check, false).c_str());
            }
        }
    }
    for (int i = 0; i < nCount; ++i)
    {
        const SCReading& reading = arrReadings[static_cast<std::size_t>(i)];
        if (!reading.bC || reading.bDefined) continue;
        ++nUndefined;
        if (!sanitizerFaults.count(i))
        {
            ++nWrongFault;
            std::printf("fault: %s: %s, but the sanitizer reports nothing\n", arrTexts[i].c_str(),
                        reading.strFault.c_str());
        }
    }
    std::filesystem::remove_all(strDir);

    std::printf("%d expressions (seed %u): %d not read as C, %d undefined, %d defined:", nCount,
                nSeed, nNotRead, nUndefined, nDefined);
    for (const auto& [strType, nTypeCount] : types)
        std::printf(" %s %d,", strType.c_str(), nTypeCount);
    std::printf("\nnot read but compiled: %d; value or type unlike the compiler's: %d; undefined "
                "unlike the sanitizer: %d; silent differences: %d\nrefused under the matching "
                "cast: %d of %d int and "
                "unsigned int expressions (%.1f %%)\n",
                nRefusedC, nWrongValue, nWrongFault, nSilent, nRefused, nMatched,
                nMatched ? 100.0 * nRefused / nMatched : 0.0);
    const bool bOk = nRefusedC == 0 && nWrongValue == 0 && nWrongFault == 0 && nSilent == 0 &&
                     nRefused * 10 <= nMatched;
    return bOk ? 0 : 1;
}
