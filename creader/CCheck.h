#pragma once

#include "CReader.h"
#include "ExpressionEvaluator.h"

#include <optional>
#include <string>
#include <string_view>

// A C reading held against the calculator: its translation evaluated by the engine under a
// cast type, and compared with C's value.
enum class EAgreement : std::uint8_t
{
    Same,
    Differs,
    Undefined,   // C leaves the expression undefined
    SyntaxError, // the engine rejects the translation (nCheckErrorPos says where)
};

struct SCCheck
{
    EAgreement eAgreement = EAgreement::Same;
    std::optional<ECastType> eSameCast; // a cast under which the engine gives C's value
    int nErrorPos = 0;                  // the engine's 1-based position in the translation
};

SCCheck CheckReading(const SCReading& reading, ECastType eCast, CExpressionEvaluator& evaluator);

// One line for a check that is not Same: "C: 2147495936 = 0x80003000 (unsigned int). 32Bit
// UNSIGNED gives the same." With bOptions, lumdrak-eval's options follow the cast's name.
std::string CheckText(const SCReading& reading, const SCCheck& check, bool bOptions);

// A paste into the console: each line that is a C constant expression becomes its
// translation, every other line is converted as ConvertCLiterals converts it, and the line
// breaks stay. The notice is empty when every C line gives C's value under the cast type.
struct SPasteConversion
{
    std::string strText;
    std::string strNotice;
};

class CPasteConverter
{
public:
    SPasteConversion Convert(std::string_view strPasted, ECastType eCast);

private:
    CCReader m_reader;
    SCleanText m_clean;
    SCReading m_reading;
    CExpressionEvaluator m_evaluator;
};
