#pragma once

#include "RegistryString.h"

#include <string>
#include <string_view>

// The console's transcript, kept in HKEY_CURRENT_USER "Software\Lumdrak", value "Console",
// and the user's choice to keep it, value "KeepConsole" ("0" off; on when missing). Neither
// is part of the settings code. Reads both once when constructed; if either cannot be read
// (not merely missing), nothing is restored and nothing is stored during this run, so that
// nothing the user had is written over. Each save is one write; failures are silent.
class CConsoleStore
{
public:
    CConsoleStore();
    CConsoleStore(const CConsoleStore&) = delete;
    CConsoleStore& operator=(const CConsoleStore&) = delete;

    // The transcript as stored, "" when none is kept. Anything may have written it: the caller
    // bounds it as a saved one is bounded before it is shown.
    std::string Restored() const;

    // Whether both values could be read at start.
    bool CanSave() const { return m_bReadable; }

    // The choice as stored now; off also when it cannot be read.
    static bool IsKept();
    // The choice as the start read it.
    bool WasKeptAtStart() const { return m_bKeptAtStart; }

    // Stores a transcript, already bounded as the caller keeps it, unless the choice is off or
    // this run cannot save; writes nothing when it equals what the hive holds as far as this
    // run knows. True when the hive holds it afterwards.
    bool Save(std::string_view strTranscript);

    // Stores the choice; turning it off also deletes the stored transcript at once.
    void SetKept(bool bKeep);

private:
    // Uncached, so that every save writes; its text in memory is what this run read or wrote.
    CRegistryString m_transcript;
    bool m_bStored = false; // the hive holds m_transcript's text in memory
    bool m_bReadable = false;
    bool m_bKeptAtStart = false;
};
