#pragma once

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
