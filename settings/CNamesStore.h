#pragma once

#include "RegistryString.h"

#include <cstddef>
#include <string>
#include <string_view>

// The C names the window learned from pastes and headers, kept in HKEY_CURRENT_USER
// "Software\Lumdrak\CNames"; not part of the settings code. The names' saved form is any
// bytes: the value holds it as text without NUL, 0x01 escaping 0x00 (as 0x01 0x02) and itself
// (0x01 0x01). Reads the value once when constructed; if it cannot be read (not merely missing),
// nothing is restored and nothing is stored during this run, so that nothing the user had is
// written over. A saved form longer than kMaxBytes is neither restored nor stored.
class CCNamesStore
{
public:
    // The names bound their own saved form to 8 MiB and a short header.
    static constexpr std::size_t kMaxBytes = (std::size_t{8} << 20) + 4096;

    CCNamesStore();
    CCNamesStore(const CCNamesStore&) = delete;
    CCNamesStore& operator=(const CCNamesStore&) = delete;

    // The saved form as stored; "" when none is, or when what is stored is no escaped text this
    // store wrote or is too long.
    std::string Restored() const;

    bool CanSave() const { return m_bReadable; }

    // Stores a saved form unless this run cannot save or it is too long; writes nothing when it
    // equals what the hive holds as far as this run knows. True when the hive holds it after.
    bool Save(std::string_view strSaved);

    // Forget C names: the stored value goes. True when it is gone afterwards.
    bool Forget();

private:
    // Uncached, so that every save writes; its text in memory is what this run read or wrote.
    CRegistryString m_value;
    bool m_bReadable = false;
    bool m_bStored = false; // the hive holds m_value's text in memory
};
