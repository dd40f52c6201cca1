#pragma once

// The blocks of CBlocks.txt with the C compiler's value of each line (CompiledBlocks.c, which
// make_compiled_blocks writes at build time).
#ifdef __cplusplus
extern "C"
{
#endif

    struct SCompiledBlockLine
    {
        int nKind;           // as ECLineKind orders them: 0 a value, 1 none, 2 unknown, 3 not C
        const char* pszType; // a value's type as C names it
        unsigned long long nBits; // an integer's value, modulo 2^64
        double dValue;            // a floating value (and an integer's, rounded)
    };

    struct SCompiledBlock
    {
        const char* pszName;
        const char* pszText; // the lines as pasted, joined by '\n'
        int nLines;
        void (*pfnFill)(struct SCompiledBlockLine* pLines); // the compiler's outcomes
    };

    extern const struct SCompiledBlock kCompiledBlocks[];
    extern const int kCompiledBlockCount;

#ifdef __cplusplus
}
#endif
