// The names C text defines: kept across reads with their origin, saved and loaded, bounded, and
// read from headers through the system's preprocessor or, without one, from the file itself.
#include "CBlockReader.h"
#include "CHeaderFile.h"
#include "CTexts.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>
#include <vector>

namespace
{

std::vector<SCLine> ReadBlock(std::string_view strText, CCNames& names,
                              std::string strOrigin = std::string(kOriginPasted))
{
    CCBlockReader reader(names, ECReadMode::Paste, std::move(strOrigin));
    std::vector<SCLine> arrLines;
    reader.ReadText(strText, arrLines);
    return arrLines;
}

// The last line's value as "value (type)", or "unknown: why", or "-".
std::string Outcome(std::string_view strText, CCNames& names)
{
    const std::vector<SCLine> arrLines = ReadBlock(strText, names);
    if (arrLines.empty()) return "-";
    const SCLine& line = arrLines.back();
    if (line.eKind == ECLineKind::Unknown) return "unknown: " + line.strUnknown;
    if (line.eKind != ECLineKind::Value) return "-";
    return DecimalText(line.reading.value) + " (" +
           std::string(TypeInfo(line.reading.value.eType).strName) + ")";
}

void WriteFile(const std::filesystem::path& path, std::string_view strText)
{
    std::ofstream(path) << strText;
}

constexpr char kDefinitions[] = "#define BASE 0x4000u\n"
                                "#define REG(n) (BASE + (n) * 4)\n"
                                "#define SELF SELF\n"
                                "#define EMPTY\n"
                                "#undef INT_MAX\n"
                                "enum mode { M_OFF, M_ON = 7, M_AUTO };\n"
                                "enum { E_LATE = EBADF };\n"
                                "typedef unsigned short port_t;\n"
                                "typedef struct { int a; } pair_t;\n"
                                "static const signed char kLow = -3;\n"
                                "static const double kHalf = 0.5;\n"
                                "FREE = 12,\n";

constexpr const char* kUses[] = {
    "REG(2)",     "SELF",           "EMPTY 1",  "INT_MAX", "M_AUTO", "E_LATE", "sizeof(enum mode)",
    "(port_t)-1", "sizeof(pair_t)", "kLow * 2", "kHalf",   "FREE",   "INT_MIN"};

TEST(CNames, KeepsWhatAReadDefinedForLaterReadsWithItsOrigin)
{
    CCNames names;
    ReadBlock(kDefinitions, names);
    ReadBlock("#define LATER (REG(1) | M_ON)", names, "board.h");
    const std::vector<SCLine> arrLines = ReadBlock("LATER + kLow", names);
    ASSERT_EQ(arrLines.size(), 1u);
    EXPECT_EQ(DecimalText(arrLines[0].reading.value), "16388");
    ASSERT_EQ(arrLines[0].arrUsed.size(), 2u);
    EXPECT_EQ(TextNameOrigin(arrLines[0].arrUsed[0].strName, arrLines[0].arrUsed[0].strOrigin),
              "LATER: board.h");
    EXPECT_EQ(TextNameOrigin(arrLines[0].arrUsed[1].strName, arrLines[0].arrUsed[1].strOrigin),
              "kLow: pasted");
    EXPECT_EQ(Outcome("INT_MAX", names), "unknown: INT_MAX is not defined");
    // Forgetting takes back what was learned, an #undef of a built-in name too.
    names.Forget();
    EXPECT_EQ(names.Count(), 0u);
    EXPECT_EQ(Outcome("LATER", names), "unknown: LATER is not defined");
    EXPECT_EQ(Outcome("INT_MAX", names), "2147483647 (int)");
}

// Rows: a macro read once, so that its value is kept; a definition that changes what one of
// its names means; the macro's value after it.
TEST(CNames, ReadsAKeptValueAgainAfterANameItRestsOnChanges)
{
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"enum { E = 1 };\n#define A (E)", "#define E 2", "2 (int)"},
        {"#define A (INT_MAX)", "#undef INT_MAX", "unknown: INT_MAX is not defined"},
        {"#define A (INT_MAX)", "#define INT_MAX 5", "5 (int)"},
        {"#define A (sizeof(size_t))", "typedef char size_t;", "1 (unsigned long)"},
        {"#define A (B)\n#define B 3", "#define B 4", "4 (int)"},
        {"#define A (__builtin_constant_p(X))", "#define X 1", "1 (int)"},
        {"#define A (__builtin_constant_p(X))", "enum { X = 1 };", "1 (int)"},
        {"enum E { e = 1 };\nenum F { f = 0x100000000 };\n#define A (sizeof(enum E))",
         "#define E F", "8 (unsigned long)"},
        {"#define A (sizeof(long))", "#define long char", "1 (unsigned long)"},
    };
    for (const auto& [pszMacro, pszChange, pszAfter] : rows)
    {
        CCNames names;
        ReadBlock(std::string(pszMacro) + "\nA", names);
        ReadBlock(pszChange, names);
        EXPECT_EQ(Outcome("A", names), pszAfter) << pszMacro << " / " << pszChange;
    }
}

TEST(CNames, SavesAndLoadsEveryKindOfName)
{
    CCNames names;
    ReadBlock(kDefinitions, names);
    const std::string strSaved = names.Save();
    CCNames loaded;
    ASSERT_TRUE(loaded.Load(strSaved));
    EXPECT_EQ(loaded.Count(), names.Count());
    EXPECT_EQ(loaded.Bytes(), names.Bytes());
    EXPECT_EQ(loaded.Save(), strSaved);
    for (const char* pszUse : kUses)
        EXPECT_EQ(Outcome(pszUse, loaded), Outcome(pszUse, names)) << pszUse;
    EXPECT_EQ(Outcome("kHalf", loaded), "0.5 (double)");
}

// Rows: bytes that are not the saved form; loading them changes nothing.
TEST(CNames, RefusesBytesThatAreNotTheSavedForm)
{
    CCNames source;
    ReadBlock("#define A 1\nenum { B = 2 };\ntypedef int c_t;", source);
    const std::string strSaved = source.Save();
    std::string strBadKind = strSaved;
    strBadKind[strSaved.find('\n') + 1] = '\x7F';
    std::string strBadName = strSaved;
    strBadName[strBadName.find('A')] = '-';
    const std::string rows[] = {
        "",
        "lumdrak C names 2\n",
        strSaved.substr(0, strSaved.size() - 1),
        strSaved + std::string(1, '\0'),
        strBadKind,
        strBadName,
        std::string("lumdrak C names 1\n\x00\x01X\x06pasted\x05Y 1 2", 29),
        std::string("lumdrak C names 1\n\x02\x01X\x00\x07\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 30),
    };
    for (const std::string& strBytes : rows)
    {
        CCNames names;
        ReadBlock("#define KEPT 5", names);
        EXPECT_FALSE(names.Load(strBytes)) << strBytes.size();
        EXPECT_EQ(names.Count(), 1u);
        EXPECT_EQ(Outcome("KEPT", names), "5 (int)");
    }
}

TEST(CNames, DropsTheOldestNamesBeyondItsBounds)
{
    CCNames names;
    for (std::size_t n = 0; n < CCNames::kMaxNames + 10; ++n)
        names.DefineValue("N" + std::to_string(n), ECNameKind::Enumerator,
                          IntegerValue(ECType::Int, n), kOriginPasted);
    EXPECT_EQ(names.Count(), CCNames::kMaxNames);
    EXPECT_EQ(names.FindOrdinary("N9"), nullptr);
    ASSERT_NE(names.FindOrdinary("N10"), nullptr);
    // A name defined again is the newest.
    names.DefineValue("N10", ECNameKind::Enumerator, IntegerValue(ECType::Int, 1), kOriginPasted);
    names.DefineValue("LAST", ECNameKind::Enumerator, IntegerValue(ECType::Int, 1), kOriginPasted);
    EXPECT_NE(names.FindOrdinary("N10"), nullptr);
    EXPECT_EQ(names.FindOrdinary("N11"), nullptr);

    names.Forget();
    const std::string strBody(100000, '1');
    for (int n = 0; n < 100; ++n)
        ReadBlock("#define BIG" + std::to_string(n) + " " + strBody, names);
    EXPECT_LE(names.Bytes(), CCNames::kMaxBytes);
    EXPECT_GT(names.Bytes(), CCNames::kMaxBytes - 2 * strBody.size());
    EXPECT_EQ(names.FindMacro("BIG0"), nullptr);
    EXPECT_NE(names.FindMacro("BIG99"), nullptr);
    EXPECT_LE(names.Save().size(), CCNames::kMaxBytes + 32);

    // A declaration's later values are read from its macros after its first name is defined,
    // which is one name too many: the oldest goes once the declaration is read.
    names.Forget();
    std::string strBlock = "#define SEVEN (3 + 4)\n";
    for (std::size_t n = 1; n < CCNames::kMaxNames; ++n)
        strBlock += "#define N" + std::to_string(n) + " 1\n";
    strBlock += "static const int a = SEVEN, b = SEVEN * 2;\nb";
    EXPECT_EQ(Outcome(strBlock, names), "14 (int)");
    EXPECT_EQ(names.Count(), CCNames::kMaxNames);
    EXPECT_EQ(names.FindMacro("SEVEN"), nullptr);
    EXPECT_EQ(names.FindMacro("N1"), nullptr);
}

// A preprocessor's output holds lines of any length: a table's initializer on one line does
// not hide the definitions after it.
TEST(CNames, ReadsPreprocessedTextOfAnyLineLength)
{
    std::string strTable = "static const unsigned char table[] = {";
    for (int n = 0; n < 200000; ++n)
        strTable += std::to_string(n % 256) + ",";
    const std::string strText = "# 1 \"/usr/include/big.h\"\n" + strTable +
                                "};\n#define AFTER_TABLE 1\nenum { LATER = 1 + 2 };\n";
    CCNames names;
    ReadPreprocessed(strText, names);
    EXPECT_EQ(Outcome("LATER + AFTER_TABLE", names), "4 (int)");
    ASSERT_NE(names.FindOrdinary("LATER"), nullptr);
    EXPECT_EQ(names.FindOrdinary("LATER")->strOrigin, "big.h");
}

// Rows: a preprocessor's file name, and the origin a name from it shows.
TEST(CNames, NamesTheHeaderADefinitionCameFrom)
{
    const std::pair<const char*, const char*> rows[] = {
        {"/usr/include/linux/input.h", "linux/input.h"},
        {"/usr/include/x86_64-linux-gnu/sys/ioctl.h", "sys/ioctl.h"},
        {"/usr/lib/gcc/x86_64-linux-gnu/12/include/stddef.h", "stddef.h"},
        {"<built-in>", "the compiler"},
        {"board/uart.h", "board/uart.h"},
    };
    for (const auto& [pszPath, pszOrigin] : rows)
        EXPECT_EQ(CCBlockReader::OriginOf(pszPath), pszOrigin) << pszPath;
}

class CHeaderTest : public testing::Test
{
protected:
    CTemporaryFolder m_folder{"creader-header"};
};

TEST_F(CHeaderTest, ReadsAHeaderAsTheCompilerSeesIt)
{
    const std::filesystem::path header = m_folder.Path() / "board.h";
    WriteFile(m_folder.Path() / "regs.h", "#define REG_BASE 0x1000\n");
    WriteFile(header, "#include \"regs.h\"\n"
                      "#include <linux/input.h>\n"
                      "#ifdef __x86_64__\n#define WIDTH 64\n#else\n#define WIDTH 32\n#endif\n"
                      "#if defined(_GNU_SOURCE) && __STDC_VERSION__ == 201710L\n"
                      "#define GNU17 1\n#endif\n"
                      "enum { UART_A = REG_BASE + 4, UART_B };\n"
                      "#define UART_CTL _IOW('u', 1, __u32)\n");
    CCNames names;
    const SCHeaderRead read = ReadHeaderFile(header.string(), names);
    ASSERT_TRUE(read.bRead) << read.strError;
    ASSERT_TRUE(read.bPreprocessed) << "the build's machine has a C preprocessor";
    EXPECT_EQ(read.strNote, "");
    CCNames builtIn;
    EXPECT_EQ(Outcome("EVIOCGRAB", names), Outcome("_IOW('E', 0x90, int)", builtIn));
    EXPECT_EQ(Outcome("UART_CTL", names), Outcome("_IOW('u', 1, __u32)", builtIn));
    EXPECT_EQ(Outcome("WIDTH + GNU17 + UART_B", names), "4166 (int)");
    const std::vector<SCLine> arrLines = ReadBlock("REG_BASE + UART_A", names);
    ASSERT_EQ(arrLines.size(), 1u);
    ASSERT_EQ(arrLines[0].arrUsed.size(), 2u);
    EXPECT_EQ(arrLines[0].arrUsed[0].strOrigin,
              CCBlockReader::OriginOf((m_folder.Path() / "regs.h").string()));
    EXPECT_EQ(arrLines[0].arrUsed[1].strOrigin, CCBlockReader::OriginOf(header.string()));
}

TEST_F(CHeaderTest, ReadsTheFileItselfWithoutAPreprocessor)
{
    const std::filesystem::path header = m_folder.Path() / "plain.h";
    WriteFile(header, "#include <not/there.h>\n#ifndef PLAIN_H\n#define PLAIN_H\n"
                      "#define SIZE (4 * sizeof(__u16))\nenum { ONE = 1, TWO };\n#endif\n");
    SCHeaderOptions options;
    options.arrCommands = {{"lumdrak-no-such-preprocessor"}};
    CCNames names;
    const SCHeaderRead read = ReadHeaderFile(header.string(), names, options);
    EXPECT_TRUE(read.bRead);
    EXPECT_FALSE(read.bPreprocessed);
    EXPECT_EQ(read.strNote, TextNoPreprocessor(header.string()));
    EXPECT_EQ(Outcome("SIZE + TWO", names), "10 (unsigned long)");
}

TEST_F(CHeaderTest, SaysWhyAFileCannotBeRead)
{
    const std::filesystem::path missing = m_folder.Path() / "missing.h";
    const std::pair<std::string, std::string> rows[] = {
        {missing.string(), TextCannotRead(missing.string(), "No such file or directory")},
        {m_folder.Path().string(), TextCannotRead(m_folder.Path().string(), "Is a directory")},
    };
    for (const auto& [strPath, strError] : rows)
    {
        CCNames names;
        const SCHeaderRead read = ReadHeaderFile(strPath, names);
        EXPECT_FALSE(read.bRead) << strPath;
        EXPECT_EQ(read.strError, strError);
        EXPECT_EQ(names.Count(), 0u);
    }
}

} // namespace
