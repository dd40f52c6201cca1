#pragma once

#include "Transcript.h"

#include <string>

// The largest transcript a run keeps: 10,000 lines of work, each of them 102 bytes, an
// expression in binary and its result in turn, just under the 1 MiB bound.
inline std::string LargestTranscript()
{
    std::string strText;
    for (std::size_t nLine = 0; nLine < kTranscriptMaxLines; ++nLine)
    {
        std::string strLine = nLine % 2 == 0 ? "?#" : "#";
        for (std::size_t nBit = 0; strLine.size() < 101; ++nBit)
            strLine += ((nLine >> (nBit % 13)) & 1) ? '1' : '0';
        strLine += nLine % 2 == 0 ? '+' : '0';
        strText.append(nLine ? "\r\n" : "").append(strLine);
    }
    return strText;
}
