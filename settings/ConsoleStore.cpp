#include "ConsoleStore.h"

namespace
{

constexpr const char* kTranscriptPath = "Software\\Lumdrak\\Console";
constexpr const char* kKeepPath = "Software\\Lumdrak\\KeepConsole";
constexpr const char* kOff = "0";
constexpr const char* kOn = "1";

} // namespace

CConsoleStore::CConsoleStore() : m_transcript(kTranscriptPath, "", true, HKEY_CURRENT_USER)
{
    CRegistryString keep(kKeepPath, "", false, HKEY_CURRENT_USER);
    m_bKeptAtStart = keep.GetValue() != kOff;
    m_bReadable = !keep.HasReadError() && !m_transcript.HasReadError();
    m_bStored = m_transcript.IsValid();
}

std::string CConsoleStore::Restored() const
{
    return m_bReadable && m_bKeptAtStart ? m_transcript.Text() : std::string();
}

bool CConsoleStore::IsKept()
{
    CRegistryString keep(kKeepPath, "", false, HKEY_CURRENT_USER);
    return keep.GetValue() != kOff && !keep.HasReadError();
}

bool CConsoleStore::Save(std::string_view strTranscript)
{
    // The choice is read each time: another running copy may have turned it off.
    if (!m_bReadable || !IsKept()) return false;
    if (m_bStored && strTranscript == m_transcript.Text()) return true;
    m_transcript.SetValue(std::string(strTranscript));
    m_bStored = !m_transcript.HasWriteError();
    return m_bStored;
}

void CConsoleStore::SetKept(bool bKeep)
{
    CRegistryString(kKeepPath, "", false, HKEY_CURRENT_USER).SetValue(bKeep ? kOn : kOff);
    if (bKeep) return;
    m_transcript.DeleteValue();
    m_bStored = false;
}
