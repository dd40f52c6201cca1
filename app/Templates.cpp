#include "Templates.h"

#include "BitRuler.h"
#include "ConsoleEdit.h"
#include "FindBar.h"
#include "ResultPanel.h"

namespace
{

constexpr int Custom(ECustomControl eKind) { return static_cast<int>(eKind); }

// clang-format off
constexpr CControlTemplate kCalculatorControls[] = {
    {kIdCastNone,
     EControlClass::RadioButton,
     "&None",
     {15, 58, 33, 10},
     kVisible | kGroup | kTabStop},
    {kIdCast32, EControlClass::RadioButton, "&32Bit", {50, 58, 32, 10}, kVisible | kTabStop},
    {kIdCast16, EControlClass::RadioButton, "&16Bit", {90, 58, 32, 10}, kVisible | kTabStop},
    {kIdCast8, EControlClass::RadioButton, "&8Bit", {123, 58, 28, 10}, kVisible | kTabStop},
    {kIdUnsigned, EControlClass::CheckBox, "&UNSIGNED", {160, 58, 54, 10}, kVisible | kTabStop},
    {kIdOutputBin,
     EControlClass::RadioButton,
     "&BIN",
     {230, 53, 30, 10},
     kVisible | kGroup | kTabStop},
    {kIdOutputHex, EControlClass::RadioButton, "&HEX", {230, 63, 31, 10}, kVisible | kTabStop},
    {kIdOutputDez, EControlClass::RadioButton, "&DEZ", {260, 53, 25, 10}, kVisible | kTabStop},
    {kIdErase, EControlClass::PushButton, "&erase", {260, 66, 9, 6}, 0},
    {kIdPanel, EControlClass::Custom, "", {7, 16, 260, 29}, kVisible,
     Custom(ECustomControl::ResultPanel)},
    {EControlId::None, EControlClass::Custom, "", {10, 8, 255, 7}, kVisible,
     Custom(ECustomControl::Ruler)},
    {EControlId::None, EControlClass::Label, "BIN\nHEX\nDEZ", {273, 18, 12, 27}, kVisible | kGroup},
    {kIdInfo, EControlClass::PushButton, "&Info", {276, 66, 7, 7}, 0},
    {kIdForceCast, EControlClass::GroupBox, "Force Cast", {7, 48, 213, 25}, kVisible},
    {kIdScroll, EControlClass::RadioButton, "Scroll", {10, 183, 40, 10}, kVisible | kGroup},
    {kIdOverwrite, EControlClass::RadioButton, "Overwrite", {50, 183, 52, 10}, kVisible},
    {kIdEndPos, EControlClass::CheckBox, "EndPos", {105, 183, 50, 10}, kVisible | kTabStop},
    {kIdConsole, EControlClass::Custom, "", {7, 80, 278, 100}, kVisible | kTabStop,
     Custom(ECustomControl::Console)},
    // Over the console's bottom rows, which the console gives up while the bar is shown.
    {kIdFindBar, EControlClass::Custom, "", {7, 166, 278, 14}, kTabStop,
     Custom(ECustomControl::FindBar)},
};
// clang-format on

constexpr CControlTemplate kInfoControls[] = {
    {kIdClose, EControlClass::PushButton, "&Close", {238, 235, 40, 13}, kVisible | kTabStop},
    {kIdHelpText, EControlClass::TextView, "", {7, 7, 271, 219}, kVisible | kTabStop},
};

QWidget* NewCalculatorControl(QWidget& parent, const CControlTemplate& row)
{
    switch (static_cast<ECustomControl>(row.m_nCustomType))
    {
    case ECustomControl::ResultPanel:
        return new CResultPanel(&parent);
    case ECustomControl::Ruler:
    {
        auto* pRuler = new CBitRuler(&parent);
        pRuler->setFocusPolicy(Qt::NoFocus); // a picture
        return pRuler;
    }
    case ECustomControl::Console:
        return new CConsoleEdit(&parent);
    case ECustomControl::FindBar:
        return new CFindBar(&parent);
    }
    return nullptr;
}

} // namespace

// clang-format off
const CDialogTemplate kCalculatorTemplate = {
    "Lumdrak", "DejaVu Sans Mono", 8, 292, 199, kCalculatorControls, NewCalculatorControl};
// clang-format on
const CDialogTemplate kInfoTemplate = {"Info", "DejaVu Sans Mono", 8, 285, 255, kInfoControls};

QWidget* ItemOfKind(const CDialogControls& controls, ECustomControl eKind)
{
    return controls.ItemOfClass(EControlClass::Custom, Custom(eKind));
}
