#pragma once

// The console's opening lines: the product line and the help hint, then the version line.
inline constexpr char kBannerText[] =
    "Lumdrak  the programmer's console calculator\r\nF1 for HELP\r\n";
// LUMDRAK_VERSION is the CMake project's version: the banner, --version and the package agree.
inline constexpr char kVersionText[] = "Version " LUMDRAK_VERSION "\r\n";
inline constexpr char kVersionNumber[] = LUMDRAK_VERSION;
