// libFuzzer target: any bytes as an expression under any of the eight cast types, or under a
// cast type beyond them, which the public member can hold and which means no cast.
#include "ExpressionEvaluator.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace
{

constexpr int kOddCastTypes[] = {
    -1, -2, 8, 9, 15, 27, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};

// The value range of each cast type once Apply has narrowed the final result.
bool InCastRange(double dValue, ECastType eCast)
{
    switch (static_cast<int>(eCast))
    {
    case 2:
        return dValue >= -2147483648.0 && dValue <= 2147483647.0;
    case 3:
        return dValue >= 0.0 && dValue <= 4294967295.0;
    case 4:
        return dValue >= -32768.0 && dValue <= 32767.0;
    case 5:
        return dValue >= 0.0 && dValue <= 65535.0;
    case 6:
        return dValue >= -128.0 && dValue <= 127.0;
    case 7:
        return dValue >= 0.0 && dValue <= 255.0;
    default:
        return true;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0) return 0;
    CExpressionEvaluator evaluator;
    evaluator.m_nCastType =
        static_cast<ECastType>(pData[0] < 0xF8 ? pData[0] & 7 : kOddCastTypes[pData[0] - 0xF8]);
    evaluator.m_dMemory = 3.5;
    evaluator.m_dLastResult = -1e300;
    const std::string strText(reinterpret_cast<const char*>(pData + 1), nSize - 1);

    const double dValue = evaluator.Evaluate(&strText);
    const int nError = evaluator.m_nErrorPos;
    // Blanks after the last token are reported one past the end, never further.
    if (nError < 0 || static_cast<std::size_t>(nError) > strText.size() + 1) std::abort();
    const bool bCast = IsCast(evaluator.m_nCastType);
    if (nError == 0 && bCast &&
        (!InCastRange(dValue, evaluator.m_nCastType) || dValue != std::trunc(dValue)))
        std::abort();

    // The same text gives the same answer, unless it draws random numbers ("rand(" in any case);
    // an odd cast type gives the answer of no cast.
    if (pData[0] >= 0xF8) evaluator.m_nCastType = ECastType::None;
    const double dAgain = evaluator.Evaluate(&strText);
    if (evaluator.m_nErrorPos != nError) std::abort();
    std::string strLower = strText;
    for (char& c : strLower)
        c = static_cast<char>((c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c);
    const bool bSame = dAgain == dValue || (std::isnan(dAgain) && std::isnan(dValue));
    if (nError == 0 && !bSame && strLower.find("rand(") == std::string::npos) std::abort();
    return 0;
}
