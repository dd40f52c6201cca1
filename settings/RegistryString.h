#pragma once

#include "Registry.h"

#include <string>

// Whether a CRegistryString may change anything: a read-only one never writes, creates or
// deletes, nor lets a read change the hive (kRegOptionReadOnly).
enum class ERegistryAccess : bool
{
    ReadWrite,
    ReadOnly,
};

// One text value in the registry, addressed by a root key and a backslash-separated path whose
// last part is the value name ("Software\Lumdrak\Save\SaveKey"). Keeps a copy of the text;
// a read that fails yields the default text. Failures are silent. Opens no key between calls.
class CRegistryString
{
public:
    // Splits the path and reads the stored value once; IsValid() then tells whether it could.
    CRegistryString(std::string strPath, std::string strDefault, bool bNoCache, HKEY hRootKey,
                    ERegistryAccess eAccess = ERegistryAccess::ReadWrite);
    CRegistryString(const CRegistryString&) = delete;
    CRegistryString& operator=(const CRegistryString&) = delete;

    // The text in memory once read (unless m_bNoCache), else a fresh read or the default.
    std::string GetValue();

    // Writes strValue if it differs from the text in memory (compared up to the first NUL, as
    // strcmp does) or m_bNoCache is set; otherwise does nothing. A read-only object's write
    // fails.
    CRegistryString& SetValue(std::string strValue);

    // Removes the stored value; the key stays. The object is unread again, so GetValue reads
    // and yields the default. True when the value is gone afterwards, missing before included;
    // a read-only object removes nothing and returns false.
    bool DeleteValue();

    // The text in memory: what the last successful read found or the last SetValue that went
    // on to write was given, whether or not that write succeeded.
    const std::string& Text() const { return m_strValue; }
    const std::string& KeyPath() const { return m_strKeyPath; }
    const std::string& ValueName() const { return m_strValueName; }
    bool IsValid() const { return m_bValid; }

    // True when the last read of the registry failed for a reason other than a missing key or
    // value: an unreadable or foreign hive, an I/O error, a value that changed size while it
    // was read. The stored value may then exist, so a caller must not take the default for
    // "nothing stored" and write over it. False after a read that succeeded or found the key
    // or value missing; untouched by writes and by a GetValue answered from memory.
    bool HasReadError() const { return m_bReadError; }

    // True when the last write that SetValue went on to make failed; the stored value is then
    // as it was. False before any write.
    bool HasWriteError() const { return m_bWriteError; }

private:
    std::string ReadValue();
    void WriteValue();

    HKEY m_hRootKey;
    HKEY m_hKey = nullptr; // open only during one ReadValue or WriteValue
    std::string m_strValueName;
    std::string m_strKeyPath;
    std::string m_strValue;     // "" until a read succeeds or SetValue goes on to write
    std::string m_strDefault;   // returned by a read that fails
    bool m_bValid = false;      // a read or write has succeeded; never cleared
    bool m_bNoCache;            // always read in GetValue, always write in SetValue
    bool m_bReadOnly;           // ERegistryAccess::ReadOnly
    bool m_bReadError = false;  // the last read failed, and not because the value is missing
    bool m_bWriteError = false; // the last write failed
};
