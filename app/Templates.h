#pragma once

#include "DialogTemplate.h"

// The calculator's two windows as dialog templates, and their controls' ids.

inline constexpr EControlId kIdPanel{1000};
inline constexpr EControlId kIdUnsigned{1006};
inline constexpr EControlId kIdConsole{1008};
inline constexpr EControlId kIdCastNone{1009};
inline constexpr EControlId kIdCast32{1010};
inline constexpr EControlId kIdCast16{1011};
inline constexpr EControlId kIdCast8{1012};
inline constexpr EControlId kIdForceCast{1015};
inline constexpr EControlId kIdOutputBin{1016};
inline constexpr EControlId kIdOutputDez{1017};
inline constexpr EControlId kIdOutputHex{1019};
inline constexpr EControlId kIdErase{1021};
inline constexpr EControlId kIdInfo{1023};
inline constexpr EControlId kIdClose{1024};
inline constexpr EControlId kIdHelpText{1028};
inline constexpr EControlId kIdScroll{1035};
inline constexpr EControlId kIdOverwrite{1036};
inline constexpr EControlId kIdEndPos{1037};
inline constexpr EControlId kIdFindBar{1040};

// The calculator's own controls, EControlClass::Custom in its templates.
enum class ECustomControl : int
{
    ResultPanel = 1, // read-only, right-aligned, shows capitals
    Ruler,           // bit positions over the result panel
    Console,         // the editable console: wraps, vertical scroll bar
    FindBar,         // finds text in the console; hidden until Ctrl+F
};

extern const CDialogTemplate kCalculatorTemplate;
extern const CDialogTemplate kInfoTemplate;

// The first control of the calculator's own kind in the window.
QWidget* ItemOfKind(const CDialogControls& controls, ECustomControl eKind);
