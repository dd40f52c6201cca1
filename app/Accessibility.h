#pragma once

class CDialogControls;

// Gives the controls that have no caption an accessible name (the console "Console", the
// panel "Result", the ruler "Bit positions 63 to 0" as an image, the find bar "Find" as a
// group, the help text "Help text"), and ties the panel's line label to the panel. Controls
// with a caption are named by it.
void MakeAccessible(const CDialogControls& controls);
