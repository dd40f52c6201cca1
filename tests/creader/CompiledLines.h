#pragma once

// The rows of CLines.def as the C compiler computed them.
#ifdef __cplusplus
extern "C"
{
#endif

    struct SCompiledLine
    {
        const char* pszPasted;
        const char* pszType;      // C's name of the expression's type
        unsigned long long nBits; // an integer's value, modulo 2^64
        double dValue;            // a floating value (and an integer's, rounded)
        int bRefused;             // known to differ under the cast matching its type
    };

    extern const struct SCompiledLine kCompiledLines[];
    extern const int kCompiledLineCount;

#ifdef __cplusplus
}
#endif
