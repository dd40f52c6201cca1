// Writes CBlocks.txt as C for the build's C compiler: each block becomes a function holding its
// lines as C (definitions, enumerations, declarations, #if) and, after each line that yields a
// value, the compiler's value of what the line's "//=>" names, so that the reader's outcome of
// every line is held against the compiler's.
//
//   make_compiled_blocks CBlocks.txt CompiledBlocks.c
//
// In CBlocks.txt a block starts with "== name". A line ends with "//=> " and what it yields:
// a C expression (its value), "=" (the line is an expression: its own value), "-" (no value),
// "?" (unknown here), "!" (not C). A line without "//=>" yields no value. Lines marked "=", "?"
// or "!" are not given to the compiler.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

struct SLine
{
    std::string strText; // as the reader is given it
    std::string strExpected;
};

struct SBlock
{
    std::string strName;
    std::vector<SLine> arrLines;
};

std::string Trim(const std::string& str)
{
    const std::size_t nFirst = str.find_first_not_of(" \t");
    if (nFirst == std::string::npos) return {};
    return str.substr(nFirst, str.find_last_not_of(" \t") - nFirst + 1);
}

std::string Quoted(const std::string& str)
{
    std::string strOut = "\"";
    for (const char ch : str)
    {
        if (ch == '"' || ch == '\\') strOut += '\\';
        if (ch == '\n')
        {
            strOut += "\\n";
            continue;
        }
        if (ch == '\t')
        {
            strOut += "\\t";
            continue;
        }
        strOut += ch;
    }
    return strOut + "\"";
}

int Braces(const std::string& str)
{
    int nBalance = 0;
    for (const char ch : str)
        nBalance += ch == '{' ? 1 : ch == '}' ? -1 : 0;
    return nBalance;
}

// The name a "#define NAME" line defines, or empty.
std::string DefinedName(const std::string& str)
{
    std::istringstream stream(str);
    std::string strHash;
    stream >> strHash;
    if (strHash == "#") stream >> strHash, strHash = "#" + strHash;
    if (strHash != "#define") return {};
    std::string strName;
    for (char ch; stream.get(ch);)
    {
        if (std::isalnum(static_cast<unsigned char>(ch)) || ch == '_')
            strName += ch;
        else if (!strName.empty() || (ch != ' ' && ch != '\t'))
            break;
    }
    return strName;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: make_compiled_blocks CBlocks.txt CompiledBlocks.c\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    std::vector<SBlock> arrBlocks;
    for (std::string strLine; std::getline(in, strLine);)
    {
        if (strLine.rfind("== ", 0) == 0)
        {
            arrBlocks.push_back({strLine.substr(3), {}});
            continue;
        }
        if (arrBlocks.empty()) continue; // the file's own comments
        const std::size_t nMark = strLine.rfind("//=>");
        SLine line;
        line.strText = strLine.substr(0, nMark);
        if (nMark != std::string::npos)
        {
            line.strText = line.strText.substr(0, line.strText.find_last_not_of(" \t") + 1);
            line.strExpected = Trim(strLine.substr(nMark + 4));
        }
        arrBlocks.back().arrLines.push_back(line);
    }
    for (SBlock& block : arrBlocks)
        while (!block.arrLines.empty() && block.arrLines.back().strText.empty())
            block.arrLines.pop_back();

    std::ofstream out(argv[2]);
    out << "// Written by make_compiled_blocks from CBlocks.txt: do not edit.\n"
           "#include \"CompiledBlocks.h\"\n"
           "#include <limits.h>\n#include <stddef.h>\n#include <stdint.h>\n"
           "#include <uchar.h>\n#include <linux/types.h>\n#include <linux/ioctl.h>\n"
           "typedef __s8 s8;\ntypedef __u8 u8;\ntypedef __s16 s16;\ntypedef __u16 u16;\n"
           "typedef __s32 s32;\ntypedef __u32 u32;\ntypedef __s64 s64;\ntypedef __u64 u64;\n"
           "#define TYPE_OF(e) _Generic((e), char: \"char\", signed char: \"signed char\", "
           "unsigned char: \"unsigned char\", short: \"short\", unsigned short: \"unsigned "
           "short\", "
           "int: \"int\", unsigned int: \"unsigned int\", long: \"long\", "
           "unsigned long: \"unsigned long\", long long: \"long long\", "
           "unsigned long long: \"unsigned long long\", float: \"float\", double: \"double\")\n"
           "#define BITS_OF(e) _Generic((e), float: 0ull, double: 0ull, "
           "default: (unsigned long long)(e))\n"
           "#define VALUE(p, e) ((p)->nKind = 0, (p)->pszType = TYPE_OF(e), "
           "(p)->nBits = BITS_OF(e), (p)->dValue = (double)(e))\n\n";
    for (std::size_t nBlock = 0; nBlock < arrBlocks.size(); ++nBlock)
    {
        const SBlock& block = arrBlocks[nBlock];
        out << "static void Fill" << nBlock << "(struct SCompiledBlockLine* p)\n{\n";
        for (std::size_t n = 0; n < block.arrLines.size(); ++n)
        {
            const std::string& strExpected = block.arrLines[n].strExpected;
            const int nKind = strExpected.empty() || strExpected == "-" ? 1
                              : strExpected == "?"                      ? 2
                              : strExpected == "!"                      ? 3
                                                                        : 0;
            out << "    p[" << n << "].nKind = " << nKind << ";\n";
        }
        std::vector<std::string> arrDefined;
        std::vector<std::string> arrPending; // values to take once the braces close
        int nDepth = 0;
        for (std::size_t n = 0; n < block.arrLines.size(); ++n)
        {
            const SLine& line = block.arrLines[n];
            const std::string& strExpected = line.strExpected;
            const bool bValue = !strExpected.empty() && strExpected != "-" && strExpected != "?" &&
                                strExpected != "!";
            const bool bDirective = Trim(line.strText).rfind('#', 0) == 0;
            if (strExpected == "=" || ((strExpected == "?" || strExpected == "!") && !bDirective))
            {
                // On lines of its own: a // comment of the line ends with it.
                if (strExpected == "=")
                    arrPending.push_back("    VALUE(&p[" + std::to_string(n) + "],\n" +
                                         line.strText + "\n);\n");
            }
            else
            {
                out << line.strText << "\n";
                nDepth += Braces(line.strText);
                const std::string strName = DefinedName(line.strText);
                if (!strName.empty()) arrDefined.push_back(strName);
                if (bValue)
                    arrPending.push_back("    VALUE(&p[" + std::to_string(n) + "],\n" +
                                         strExpected + "\n);\n");
            }
            if (nDepth == 0)
            {
                for (const std::string& strValue : arrPending)
                    out << strValue;
                arrPending.clear();
            }
        }
        out << "}\n";
        for (const std::string& strName : arrDefined)
            out << "#undef " << strName << "\n";
        out << "\n";
    }
    out << "const struct SCompiledBlock kCompiledBlocks[] = {\n";
    for (std::size_t nBlock = 0; nBlock < arrBlocks.size(); ++nBlock)
    {
        std::string strText;
        for (std::size_t n = 0; n < arrBlocks[nBlock].arrLines.size(); ++n)
            strText += (n == 0 ? "" : "\n") + arrBlocks[nBlock].arrLines[n].strText;
        out << "    {" << Quoted(arrBlocks[nBlock].strName) << ", " << Quoted(strText) << ", "
            << arrBlocks[nBlock].arrLines.size() << ", Fill" << nBlock << "},\n";
    }
    out << "};\nconst int kCompiledBlockCount = " << arrBlocks.size() << ";\n";
    return out ? 0 : 1;
}
