#include "CTexts.h"

#include "CExpression.h"

namespace
{

std::string Quoted(std::string_view str)
{
    std::string strOut(1, '`');
    strOut += str;
    strOut += '`';
    return strOut;
}

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

std::string Plural(std::size_t n, std::string_view strOne, std::string_view strMany)
{
    return std::to_string(n) + " " + std::string(n == 1 ? strOne : strMany);
}

} // namespace

std::string TextFault(EFault eFault, std::string_view strOperation, ECType eType)
{
    const SCTypeInfo& type = TypeInfo(eType);
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

std::string TextTooManyTokens(std::size_t nTokens)
{
    return "Not read as C: more than " + std::to_string(nTokens) + " tokens.";
}

std::string TextTooDeep(std::size_t nLevels)
{
    return "Not read as C: nested more than " + std::to_string(nLevels) + " deep.";
}

std::string TextAsC(const SCValue& value)
{
    return "As C: " + DecimalText(value) + " (" + std::string(TypeInfo(value.eType).strName) +
           "). F5 translates the line.";
}

std::string TextTooManyOperations(std::size_t nOperations)
{
    return "Not read as C: more than " + std::to_string(nOperations) + " operations.";
}

std::string TextNotDefined(std::string_view strName)
{
    return std::string(strName) + " is not defined";
}

std::string TextRefersToItself(std::string_view strName)
{
    return std::string(strName) + " refers to itself";
}

std::string TextNeedsArguments(std::string_view strName)
{
    return std::string(strName) + " is a function-like macro, named without its arguments";
}

std::string TextArgumentCount(std::string_view strName, std::size_t nWanted, std::size_t nGiven)
{
    return std::string(strName) + " takes " + Plural(nWanted, "argument", "arguments") + ", not " +
           std::to_string(nGiven);
}

std::string TextArgumentsDoNotEnd(std::string_view strName)
{
    return "the arguments of " + std::string(strName) + " do not end";
}

std::string TextPasteFails(std::string_view strLeft, std::string_view strRight)
{
    return "pasting " + Quoted(strLeft) + " and " + Quoted(strRight) + " does not give one token";
}

std::string TextNestsTooDeep(std::size_t nLevels)
{
    return "macros nest deeper than " + std::to_string(nLevels) + " levels";
}

std::string TextGrowsTooLong(std::string_view strName, std::size_t nTokens)
{
    return "replacing " + std::string(strName) + " gives more than " + std::to_string(nTokens) +
           " tokens";
}

std::string TextBudgetSpent(std::string_view strName)
{
    return "the text's macros have made too many tokens: " + std::string(strName) +
           " is not replaced";
}

std::string TextSizeNotKnown(std::string_view strType)
{
    return "the size of " + std::string(strType) + " is not known";
}

std::string TextLayoutNotKnown(std::string_view strType)
{
    return "the layout of " + std::string(strType) + " is not known";
}

std::string TextEnumNotDefined(std::string_view strTag)
{
    return "enum " + std::string(strTag) + " is not defined";
}

std::string TextAddress() { return "an address is no number here"; }

std::string TextString() { return "a string is no number"; }

std::string TextNotComputed(std::string_view strWhat)
{
    return "values of " + std::string(strWhat) + " are not computed";
}

std::string TextOperator(std::string_view strOperator)
{
    return Quoted(strOperator) + " needs an object";
}

std::string TextLiteral(std::string_view strLiteral) { return Quoted(strLiteral) + " is not read"; }

std::string TextTypeName(std::string_view strName) { return std::string(strName) + " is a type"; }

std::string TextEnumOverflow() { return "its value overflows"; }

std::string TextGoesOnPastItsLine() { return "its value goes on past the end of its line"; }

std::string TextInEnumerator(std::string_view strName, std::string_view strReason)
{
    return std::string(strName) + ": " + std::string(strReason);
}

std::string TextNoExpression(std::string_view strMacro)
{
    return "replacing " + std::string(strMacro) + " gives no C expression";
}

std::string TextNameOrigin(std::string_view strName, std::string_view strOrigin)
{
    return std::string(strName) + ": " + std::string(strOrigin);
}

std::string TextUnknown(std::string_view strReason)
{
    return "C's value is unknown: " + std::string(strReason) + ".";
}

std::string_view TextConstruct(ECConstruct eConstruct)
{
    switch (eConstruct)
    {
    case ECConstruct::Comparison:
        return "a comparison";
    case ECConstruct::Logical:
        return "a logical operation";
    case ECConstruct::Negation:
        return "a logical negation";
    case ECConstruct::Choice:
        return "a choice (?:)";
    case ECConstruct::Size:
        return "a size";
    case ECConstruct::Name:
        return "a C name";
    default:
        return {};
    }
}

std::string TextAsTyped(bool bPower, double dTyped)
{
    std::string strText = "As typed";
    if (bPower) strText += ", `<` is a power";
    return strText + ": " + ShortestText(dTyped) + ".";
}

std::string TextReadAsC(std::string_view strText, std::string_view strConstruct,
                        const SCValue& value, bool bPower, double dTyped)
{
    std::string strOut = "Read as C: " + std::string(strText) + " is ";
    if (!strConstruct.empty()) strOut += std::string(strConstruct) + ", ";
    strOut += DecimalText(value) + " (" + std::string(TypeInfo(value.eType).strName) + "). ";
    return strOut + TextAsTyped(bPower, dTyped);
}

std::string TextHeaderRead(std::string_view strOrigin, std::size_t nNames)
{
    return "Read " + std::string(strOrigin) + ": " + Plural(nNames, "C name", "C names") + ".";
}

std::string TextNamesForgotten(std::size_t nNames)
{
    return "Forgotten: " + Plural(nNames, "C name", "C names") + ".";
}

std::string TextCannotRead(std::string_view strPath, std::string_view strReason)
{
    return "cannot read " + std::string(strPath) + ": " + std::string(strReason);
}

std::string TextNoPreprocessor(std::string_view strPath)
{
    return "no C preprocessor (cpp or cc) found: " + std::string(strPath) +
           " is read as it stands, without its #includes and the compiler's own macros";
}

std::string TextPreprocessorFailed(std::string_view strCommand, std::string_view strMessage)
{
    return std::string(strCommand) + " reports: " + std::string(strMessage);
}

std::string TextTooLarge(std::string_view strPath, std::size_t nBytes)
{
    return std::string(strPath) + " gives more than " + std::to_string(nBytes >> 20) +
           " MiB of C: only what comes before is read";
}
