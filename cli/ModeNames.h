#pragma once

#include "ViewState.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

// The words the -c and -o options and the terminal's :c and :o commands take, in the order of
// the modes' codes, so that both read them alike.
inline constexpr std::string_view kCastNames[] = {"none", "32", "16", "8"};
inline constexpr std::string_view kOutputNames[] = {"bin", "hex", "dez", "f64", "f32"};

std::optional<ECastMode> CastModeNamed(std::string_view strName);
std::optional<EOutputMode> OutputModeNamed(std::string_view strName);

// The names as a sentence lists them, for a wrong value: "none, 32, 16 or 8".
std::string ListOfNames(std::span<const std::string_view> names);

// What is in force, in one line: "output hex, cast 8 bits unsigned", "output dez, no cast".
std::string ModesText(ECastMode eCastMode, int bUnsigned, EOutputMode eOutputMode);
