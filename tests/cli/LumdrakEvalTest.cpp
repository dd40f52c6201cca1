// Runs the built lumdrak-eval as a shell would and checks what it prints and its exit status.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

struct SRun
{
    int nStatus = -1;
    std::string strOut;
    std::string strErr;
};

std::string Quoted(const std::string& strArg)
{
    std::string strQuoted = "'";
    for (const char ch : strArg)
        strQuoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return strQuoted + "'";
}

std::string ReadFile(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Standard input, output and error are files, so no pipe can fill up and block. A library
// path, when given, is searched first for the program's libraries.
SRun RunEval(const std::vector<std::string>& args, const std::string& strInput = "",
             const std::string& strLibraryPath = "")
{
    const std::string strFiles = testing::TempDir() + "lumdrak-eval-" + std::to_string(getpid());
    std::ofstream(strFiles + ".in", std::ios::binary) << strInput;
    std::string strCommand = Quoted(LUMDRAK_EVAL_PATH);
    if (!strLibraryPath.empty())
        strCommand = "LD_LIBRARY_PATH=" + Quoted(strLibraryPath) + " " + strCommand;
    for (const std::string& strArg : args)
        strCommand += " " + Quoted(strArg);
    strCommand += " <" + strFiles + ".in >" + strFiles + ".out 2>" + strFiles + ".err";
    const int nWait = std::system(strCommand.c_str());
    SRun run{WIFEXITED(nWait) ? WEXITSTATUS(nWait) : -1, ReadFile(strFiles + ".out"),
             ReadFile(strFiles + ".err")};
    for (const char* pszFile : {".in", ".out", ".err"})
        std::filesystem::remove(strFiles + pszFile);
    return run;
}

struct SCase
{
    std::vector<std::string> args;
    std::string strInput;
    int nStatus;
    std::string strOut;
    std::string strErr; // "*" accepts anything that is not empty
};

TEST(LumdrakEval, PrintsWhatTheConsoleWrites)
{
    const std::string strUsage =
        "usage: lumdrak-eval [-c none|32|16|8] [-u] [-o bin|hex|dez|f64|f32] [-C] [-i FILE] [-L]\n"
        "                    [--raw] [EXPRESSION ...]\n";
    const SCase cases[] = {
        {{"1+2"}, "", 0, "3\n", ""},
        {{"sqr(20)+10", "r*0+r"}, "", 0, "14.472135955\n14.472135955\n", ""},
        {{"-3", "-pi"}, "", 0, "-3\n-3.14159265358\n", ""},
        {{"-o", "bin", "10"}, "", 0, "#" + std::string(60, '0') + "1010\n", ""},
        {{"-o", "hex", "-1"}, "", 0, "$FFFFFFFFFFFFFFFF\n", ""},
        {{"-c", "8", "300", "200"}, "", 0, "44\n-56\n", ""},
        {{"-c", "8", "-u", "-o", "hex", "200"}, "", 0, "$C8\n", ""},
        // the IEEE-754 bits of r, under the cast
        {{"-o", "f64", "0.1", "(-1)/(1/0)", "1/0"},
         "",
         0,
         "0x3FB999999999999A\n0x8000000000000000\n0x7FF0000000000000\n",
         ""},
        {{"-o", "f32", "0.1", "1e300"}, "", 0, "0x3DCCCCCD\n0x7F800000\n", ""},
        {{"-c", "8", "-o", "f64", "300"}, "", 0, "0x4046000000000000\n", ""},
        {{"-o", "f64", "1", "(1"}, "", 1, "0x3FF0000000000000\n", "?(1\n^^\nSyntax not allowed.\n"},
        {{"-o", "f64", "--raw", "0.1"}, "", 0, "0.1\n", ""},
        {{"-o", "f16"}, "", 2, "", "lumdrak-eval: -o takes bin, hex, dez, f64 or f32\n" + strUsage},
        {{"-u", "-1.5"}, "", 0, "-1.5\n", ""},
        {{"1/0", "0/0", "-1/0"}, "", 0, "inf\nnan\n-inf\n", ""},
        {{"?7"}, "", 0, "7\n", ""},
        {{"--", "-c"}, "", 0, "0\n", ""},
        {{},
         ":m\n:o hex\n:q\n255\n",
         1,
         "255\n", // commands only at a terminal
         "?:m\n^^\nSyntax not allowed.\n?:o hex\n^^\nSyntax not allowed.\n"
         "?:q\n^^\nSyntax not allowed.\n"},
        // odd bytes and long lines neither crash nor hang
        {{"--raw"},
         std::string("1+\0"
                     "2\n",
                     5) +
             std::string(100000, '(') + "\n\xFF\xE1\xE1\n1" + std::string(200000, '0') + "\n",
         1,
         "error 3\nerror 2001\nerror 1\ninf\n",
         ""},
        {{"2*-3"}, "", 1, "", "?2*-3\n  ^^\nSyntax not allowed.\n"},
        {{"1", "(1 x)", "2"}, "", 1, "1\n2\n", "?(1 x)\n   ^^\nSyntax not allowed.\n"},
        {{}, "?1+2\n\n$ff\r\n2*r\n", 0, "3\n255\n510\n", ""},
        {{}, "1+*\n(2\n", 1, "", "?1+*\n  ^^\nSyntax not allowed.\n?(2\n^^\nSyntax not allowed.\n"},
        {{}, "", 0, "", ""},
        {{"--raw", "1/3", "1e300", "1/0", "0/0", "(1", "0.1+0.2"},
         "",
         1,
         "0.3333333333333333\n1e+300\ninf\nnan\nerror 1\n0.30000000000000004\n",
         ""},
        {{"--raw", "-c", "16", "70000"}, "", 0, "4464\n", ""},
        // C literals, converted only when asked; positions are those of the text as given
        {{"-C", "0xFF & (1 << 4)", "0b1010|1", "0xFFFF'FFFFu", "$0b1"},
         "",
         0,
         "16\n11\n4294967295\n177\n",
         ""},
        {{"--c-literals", "-o", "hex"}, "0x10\n0B1_1\n", 0, "$10\n$3\n", ""},
        // a '?' line is the calculator's own: read as typed, C or not
        {{"-C", "--raw", "?2*-3", "?0b1010", "2*-3", "?1 << 31"},
         "",
         1,
         "error 3\n0\n-6\n-2147483648\n",
         ""},
        {{"0b1010|1"}, "", 0, "1\n", ""},
        {{"0xFF & 16"}, "", 1, "", "?0xFF & 16\n ^^\nSyntax not allowed.\n"},
        {{"-C", "0xFF + 1 ]"}, "", 1, "", "?0xFF + 1 ]\n         ^^\nSyntax not allowed.\n"},
        {{"-C", "--raw", "0x_ff+]", "0b11*["}, "", 1, "error 7\nerror 6\n", ""},
        // C read as C: its value, or nothing and status 3 where the cast cannot give it
        {{"-C", "0xF0 | 0x0F & 0x3", "2*-3", "'A' + 1", "0777"}, "", 0, "243\n-6\n66\n511\n", ""},
        {{"-C", "-c", "32", "-u", "0xC0DE0042 >> 16"}, "", 0, "49374\n", ""},
        {{"-C", "#define CFG (1u << 31) | (0x3 << 12)", "2"},
         "",
         3,
         "2\n",
         "?#define CFG (1u << 31) | (0x3 << 12): C: 2147495936 = 0x80003000 (unsigned int). "
         "32Bit UNSIGNED (-c 32 -u) gives the same.\n"},
        {{"-C", "-c", "32", "-u", "#define CFG (1u << 31) | (0x3 << 12)"},
         "",
         0,
         "2147495936\n",
         ""},
        {{"-C", "--raw"},
         "1 << 32\n(1\n",
         1,
         "differs\nerror 1\n",
         "?1 << 32: C leaves 1 << 32 undefined: the shift count is not below the 32 bits of "
         "int.\n"},
        {{"-C", "-c", "8", "static const uint8_t k = 300; // 44"}, "", 0, "44\n", ""},
        {{"-C", "--raw", "#define RLIMIT_NICE 13 /* max nice prio", "0x1'f3a /* x */ + 1"},
         "",
         0,
         "13\n7995\n",
         ""},
        // results as literals for code
        {{"-L", "-o", "hex", "-c", "32", "-1", "255"}, "", 0, "0xFFFFFFFF\n0xFF\n", ""},
        {{"-L", "-o", "bin", "-c", "8", "5"}, "", 0, "0b00000101\n", ""},
        {{"--literal", "--raw", "7/2"}, "", 0, "3.5\n", ""},
        {{"--version"}, "", 0, "lumdrak-eval (Lumdrak) " LUMDRAK_VERSION "\n", ""},
        {{"--", "-h"}, "", 1, "", "?-h\n ^^\nSyntax not allowed.\n"},
        {{"-c", "7", "1"}, "", 2, "", "lumdrak-eval: -c takes none, 32, 16 or 8\n" + strUsage},
        {{"-o"}, "", 2, "", "lumdrak-eval: -o takes bin, hex, dez, f64 or f32\n" + strUsage},
        {{"--bogus"}, "", 2, "", "lumdrak-eval: unknown option '--bogus'\n" + strUsage},
    };
    for (const SCase& c : cases)
    {
        std::string strCall;
        for (const std::string& strArg : c.args)
            strCall += strArg + " ";
        SCOPED_TRACE(strCall + "<<< " + c.strInput.substr(0, 40));
        const SRun run = RunEval(c.args, c.strInput);
        EXPECT_EQ(run.nStatus, c.nStatus);
        EXPECT_EQ(run.strOut, c.strOut);
        EXPECT_EQ(run.strErr, c.strErr);
    }
}

// -0 keeps its sign bit, and a NaN shows the bits that this machine's arithmetic gives it, as
// the window's tooltip shows them: neither is made a plain 0 or a NaN of our own.
TEST(LumdrakEval, F64AndF32ShowNegativeZeroAndTheNaNArithmeticGave)
{
    volatile double dZero = 0.0; // computed at run time, as the engine computes
    const double dNaN = dZero / dZero;
    const double dRootNaN = std::sqrt(-1.0 - dZero);
    char szExpected[200];
    std::snprintf(szExpected, sizeof szExpected,
                  "0x8000000000000000\n0x%016llX\n0x%016llX\n0x80000000\n0x%08X\n0x%08X\n",
                  static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(dNaN)),
                  static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(dRootNaN)),
                  std::bit_cast<std::uint32_t>(static_cast<float>(dNaN)),
                  std::bit_cast<std::uint32_t>(static_cast<float>(dRootNaN)));
    std::string strOut;
    for (const char* pszBits : {"f64", "f32"})
        strOut += RunEval({"-o", pszBits, "1/(-1/0)", "0/0", "sqr(-1)"}).strOut;
    EXPECT_EQ(strOut, szExpected);
}

// Read as C, the lines are one text: what a line defines serves the lines after it, a value
// that needs what nothing defined is unknown (status 4), and with --raw every line gets one
// line of output.
TEST(LumdrakEval, ReadsCLinesAsOneText)
{
    const SCase cases[] = {
        {{"-C", "--raw"},
         "#define UART0_BASE 0x40000000\n#define UART0_CR (UART0_BASE + 0x30)\n"
         "#define UART_EN (1u << 0)\nUART0_CR | UART_EN\n",
         0,
         "1073741824\n1073741872\n1\n1073741873\n",
         ""},
        {{"-C", "--raw"},
         "enum {\n  A,\n  B = 5, /* a comment\n  over lines */\n  C\n};\n\nC * 2\n"
         "#define F(x) ((x) << 1)\nF(C)\n",
         0,
         "-\n0\n-\n5\n6\n-\n-\n12\n-\n12\n",
         ""},
        {{"-C", "EBADF"}, "", 4, "", "?EBADF: C's value is unknown: EBADF is not defined.\n"},
        {{"-C", "--raw", "A", "#define A 2", "A * 3"},
         "",
         4,
         "unknown\n2\n6\n",
         "?A: C's value is unknown: A is not defined.\n"},
        {{"-C", "2<10", "4|2&1"}, "", 0, "1\n4\n", ""},
        {{"-C", "#define RLIMIT_NICE 13 /* max nice prio allowed to raise to"}, "", 0, "13\n", ""},
        {{"-C", "--raw", "sizeof(struct v4l2_tuner)", "1 << 32"},
         "",
         4,
         "unknown\ndiffers\n",
         "?sizeof(struct v4l2_tuner): C's value is unknown: the size of struct v4l2_tuner is not "
         "known.\n?1 << 32: C leaves 1 << 32 undefined: the shift count is not below the 32 bits "
         "of int.\n"},
        {{"--include"}, "", 2, "", "*"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.args.empty() ? c.strInput : c.args.back());
        const SRun run = RunEval(c.args, c.strInput);
        EXPECT_EQ(run.nStatus, c.nStatus);
        EXPECT_EQ(run.strOut, c.strOut);
        if (c.strErr == "*")
            EXPECT_NE(run.strErr, "");
        else
            EXPECT_EQ(run.strErr, c.strErr);
    }
}

// -i reads a header as the system's C compiler sees it, its #includes and #ifs followed.
TEST(LumdrakEval, ReadsHeadersForTheirNames)
{
    const std::string strFolder =
        testing::TempDir() + "lumdrak-eval-header-" + std::to_string(getpid());
    std::filesystem::create_directories(strFolder);
    const std::string strHeader = strFolder + "/board.h";
    std::ofstream(strFolder + "/regs.h") << "#define REG_BASE 0x1000\n";
    std::ofstream(strHeader) << "#include \"regs.h\"\n#include <linux/ioctl.h>\n"
                                "#ifdef __linux__\n#define REG_CTL (REG_BASE + 4)\n#endif\n"
                                "#define REG_IOC _IOW('r', 1, int)\n";
    const SRun builtIn = RunEval({"-C", "--raw", "_IOW('r', 1, int)"});
    const SRun run = RunEval({"-i", strHeader, "--raw", "REG_CTL", "REG_IOC"});
    EXPECT_EQ(run.nStatus, 0);
    EXPECT_EQ(run.strOut, "4100\n" + builtIn.strOut);
    EXPECT_EQ(run.strErr, "");
    const SRun missing = RunEval({"-C", "-i", strFolder + "/missing.h", "1"});
    EXPECT_EQ(missing.nStatus, 2);
    EXPECT_EQ(missing.strOut, "");
    EXPECT_EQ(missing.strErr,
              "lumdrak-eval: cannot read " + strFolder + "/missing.h: No such file or directory\n");
    std::filesystem::remove_all(strFolder);
}

TEST(LumdrakEval, HelpDescribesTheOptions)
{
    for (const char* szHelp : {"--help", "-h"})
    {
        const SRun run = RunEval({"-c", "8", szHelp, "1+"});
        EXPECT_EQ(run.nStatus, 0) << szHelp;
        EXPECT_EQ(run.strErr, "") << szHelp;
        for (const char* szWord :
             {"usage:", "-c none|32|16|8", "-o f64|f32", "--c-literals", "--include FILE",
              "--literal", "--raw", "--version", "Exit status", "3 with -C", "4 with -C"})
            EXPECT_NE(run.strOut.find(szWord), std::string::npos) << szHelp << " " << szWord;
    }
}

// A script's call loads no line editor: a stand-in for libedit first on the library path,
// which says when it is loaded, leaves the output and the empty standard error as they are.
TEST(LumdrakEval, LoadsNoLineEditorForArgumentsOrAPipe)
{
    for (const SRun& run :
         {RunEval({"1+2"}, "", FAKE_LIBEDIT_DIR), RunEval({}, "1+2\n", FAKE_LIBEDIT_DIR)})
    {
        EXPECT_EQ(run.nStatus, 0);
        EXPECT_EQ(run.strOut, "3\n");
        EXPECT_EQ(run.strErr, "");
    }
}

} // namespace
