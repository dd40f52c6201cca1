#pragma once

// The console's opening lines: the product line and the help hint, then the version line.
inline constexpr char kBannerText[] =
    "Lumdrak  the programmer's console calculator\r\nF1 for HELP\r\n";
inline constexpr char kVersionText[] = "Version 1.3\r\n";
