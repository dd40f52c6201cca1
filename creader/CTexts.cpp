#include "CTexts.h"

namespace
{

struct SFaultText
{
    EFault eFault;
    std::string_view strReason; // {t}: the type; {b}: its width in bits
};

constexpr SFaultText kFaultTexts[] = {
    {EFault::Overflow, "it overflows {t}"},
    {EFault::NegativeShifted, "it shifts a negative value left"},
    {EFault::ShiftOverflow, "the result does not fit in {t}"},
    {EFault::NegativeCount, "the shift count is negative"},
    {EFault::CountTooLarge, "the shift count is not below the {b} bits of {t}"},
    {EFault::DivisionByZero, "it divides by zero"},
    {EFault::OutOfRange, "{t} cannot hold the value"},
};

struct SCastName
{
    ECastType eCast;
    std::string_view strName;
    std::string_view strOptions; // lumdrak-eval's
};

constexpr SCastName kCastNames[] = {
    {ECastType::None, "Force Cast None", "-c none"},       {ECastType::Signed32, "32Bit", "-c 32"},
    {ECastType::Unsigned32, "32Bit UNSIGNED", "-c 32 -u"}, {ECastType::Signed16, "16Bit", "-c 16"},
    {ECastType::Unsigned16, "16Bit UNSIGNED", "-c 16 -u"}, {ECastType::Signed8, "8Bit", "-c 8"},
    {ECastType::Unsigned8, "8Bit UNSIGNED", "-c 8 -u"},
};

} // namespace

std::string UndefinedText(std::string_view strOperation, EFault eFault, const SCTypeInfo& type)
{
    std::string strReason;
    for (const SFaultText& text : kFaultTexts)
        if (text.eFault == eFault) strReason = text.strReason;
    for (std::size_t n; (n = strReason.find("{t}")) != std::string::npos;)
        strReason.replace(n, 3, type.strName);
    if (const std::size_t n = strReason.find("{b}"); n != std::string::npos)
        strReason.replace(n, 3, std::to_string(type.nBits));
    return "C leaves " + std::string(strOperation) + " undefined: " + strReason + ".";
}

std::string CannotHoldText(const SCValue& value)
{
    return "a double cannot hold " + DecimalText(value) + " exactly";
}

std::string CannotWrapText(std::string_view strOperation)
{
    return "a double cannot wrap " + std::string(strOperation) + " around 64 bits";
}

std::string CheckText(const SCReading& reading, const SCCheck& check, bool bOptions)
{
    if (check.eAgreement == EAgreement::Undefined) return reading.strFault;
    std::string strText = "C: " + DecimalText(reading.value);
    if (!IsFloating(reading.value.eType)) strText += " = " + HexText(reading.value);
    strText += " (" + std::string(TypeInfo(reading.value.eType).strName) + ")";
    if (!reading.strDoubleLimit.empty()) strText += "; " + reading.strDoubleLimit;
    strText += ". ";
    if (check.eAgreement == EAgreement::SyntaxError)
        return strText + "The calculator cannot read its translation.";
    for (const SCastName& cast : kCastNames)
        if (cast.eCast == check.eSameCast)
        {
            strText += cast.strName;
            if (bOptions) strText += " (" + std::string(cast.strOptions) + ")";
            return strText + " gives the same.";
        }
    return strText + "No choice of Force Cast gives the same.";
}

std::string PasteNoticeText(std::string strFirst, int nFirstLine, int nLines, int nDiffering)
{
    if (nDiffering == 0) return {};
    if (nLines > 1) strFirst.insert(0, "Line " + std::to_string(nFirstLine) + ": ");
    if (nDiffering > 1)
    {
        strFirst += ' ';
        strFirst += std::to_string(nDiffering - 1);
        strFirst += nDiffering == 2 ? " more line differs." : " more lines differ.";
    }
    return strFirst;
}
