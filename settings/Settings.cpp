#include "Settings.h"

#include "RegistryString.h"

#include <array>
#include <string>

namespace
{

constexpr const char* kSettingsPath = "Software\\Lumdrak\\Save\\SaveKey";
constexpr const char* kDefaultCode = "BB021";

using SettingsMember = int SSettings::*;

struct CCodePosition
{
    SettingsMember m_pMember;
    int m_nBase; // check boxes are saved from 'A', radio groups from '0'
};

// Index = position in the code.
constexpr std::array<CCodePosition, 5> kPositions = {{
    {&SSettings::m_bUnsigned, 'A'},
    {&SSettings::m_bEndPos, 'A'},
    {&SSettings::m_nCastMode, '0'},
    {&SSettings::m_nOutputMode, '0'},
    {&SSettings::m_nEditMode, '0'},
}};

} // namespace

bool PersistSettings(SSettings& settings, bool bSave)
{
    CRegistryString code(kSettingsPath, "", false, HKEY_CURRENT_USER);
    std::string strCode = code.GetValue();

    if (bSave)
    {
        // Characters beyond the fifth belong to no member and are kept.
        if (strCode.size() < kPositions.size()) strCode.resize(kPositions.size());
        for (std::size_t nPos = 0; nPos < kPositions.size(); ++nPos)
        {
            // Only the low byte counts, so -1 (no radio button checked) is saved as '/'.
            const unsigned nLowByte =
                static_cast<unsigned>(settings.*kPositions[nPos].m_pMember) & 0xFFu;
            strCode[nPos] = static_cast<char>((kPositions[nPos].m_nBase + nLowByte) & 0xFFu);
        }
        code.SetValue(strCode);
        return !code.HasReadError();
    }

    // A hive that is there but cannot be read may hold the user's code: the start decodes the
    // default as a first run does, but leaves the hive alone rather than store it over that.
    const bool bReadable = !code.HasReadError();
    // A non-empty text is never repaired here: what does not decode keeps the start value.
    if (strCode.empty())
    {
        strCode = kDefaultCode;
        if (bReadable) code.SetValue(strCode);
    }
    DecodeSettingsCode(strCode, settings);
    return bReadable;
}

std::string ReadSettingsCode()
{
    std::string strCode =
        CRegistryString(kSettingsPath, "", false, HKEY_CURRENT_USER, ERegistryAccess::ReadOnly)
            .GetValue();
    return strCode.empty() ? kDefaultCode : strCode;
}

void DecodeSettingsCode(std::string_view strCode, SSettings& settings)
{
    for (std::size_t nPos = 0; nPos < kPositions.size() && nPos < strCode.size(); ++nPos)
    {
        // The same rule at every position: 'A'/'B' are 0/1 and digits their value.
        const char chCode = strCode[nPos];
        int& nMember = settings.*kPositions[nPos].m_pMember;
        if (chCode == 'A' || chCode == 'B')
            nMember = chCode - 'A';
        else if (chCode >= '0' && chCode <= '9')
            nMember = chCode - '0';
    }
}
