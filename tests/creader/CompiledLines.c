// CLines.def compiled by the C compiler: its values are C's, on the machine that builds.
#include "CompiledLines.h"

#include <stdint.h>

typedef unsigned char u8;
typedef short s16;

// One type a line, as Debian 12's and 13's formatters would each lay _Generic out otherwise.
// clang-format off
#define TYPE_OF(e)                                                                                 \
    _Generic((e),                                                                                  \
        char: "char",                                                                              \
        signed char: "signed char",                                                                \
        unsigned char: "unsigned char",                                                            \
        short: "short",                                                                            \
        unsigned short: "unsigned short",                                                          \
        int: "int",                                                                                \
        unsigned int: "unsigned int",                                                              \
        long: "long",                                                                              \
        unsigned long: "unsigned long",                                                            \
        long long: "long long",                                                                    \
        unsigned long long: "unsigned long long",                                                  \
        float: "float",                                                                            \
        double: "double")
#define BITS_OF(e) _Generic((e), float : 0ull, double : 0ull, default : (unsigned long long)(e))
// clang-format on
#define ROW(text, e, refused) {text, TYPE_OF(e), BITS_OF(e), (double)(e), refused},
#define LINE(before, e, after) ROW(before #e after, e, 0)
#define LINE_AS(text, e) ROW(text, e, 0)
#define LINE_REFUSED(before, e, after) ROW(before #e after, e, 1)

const struct SCompiledLine kCompiledLines[] = {
#include "CLines.def"
};

const int kCompiledLineCount = (int)(sizeof kCompiledLines / sizeof kCompiledLines[0]);
