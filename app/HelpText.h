#pragma once

// The Info window's help text: 62 lines, each followed by CR LF, the last a rule of 44 '='.
extern const char kHelpText[];
