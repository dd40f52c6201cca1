#pragma once

#include <string>
#include <string_view>

// The five members of the main window's view state that persist, as numbers: check boxes 0
// or 1, radio groups the index of the checked button (-1 for none). A load leaves a member
// whose character does not decode as it was, and takes a digit as it is, whatever the range.
struct SSettings
{
    int m_bUnsigned = 0;
    int m_bEndPos = 0;
    int m_nCastMode = 0;
    int m_nOutputMode = 0;
    int m_nEditMode = 0;
};

// Loads (bSave false) or saves (bSave true) the five members as the five-character settings
// code in HKEY_CURRENT_USER "Software\Lumdrak\Save", value
// "SaveKey". Position 0 m_bUnsigned, 1 m_bEndPos, 2 m_nCastMode, 3 m_nOutputMode,
// 4 m_nEditMode. A load stores "BB021" when the value is missing or empty and decodes it;
// when the hive cannot be read it decodes "BB021" too but writes nothing; a save writes only
// when the code changed.
// Registry failures are silent. Returns false when the stored code could not be read (not
// merely missing): a window whose load failed must not save over a code it never saw.
bool PersistSettings(SSettings& settings, bool bSave);

// The stored settings code, read without changing anything: no folder or hive is made, no
// default stored, no mode changed, no journal rolled back. "BB021" when the code is missing or
// empty, or the hive cannot be read so. For readers beside a running window.
std::string ReadSettingsCode();

// Decodes a code into the five members as a load does: 'A' and 'B' are 0 and 1, a digit its
// value; any other character, and a position past the code's end, leaves its member as it is.
void DecodeSettingsCode(std::string_view strCode, SSettings& settings);
