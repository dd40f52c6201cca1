#pragma once

// The registry operations that CRegistryString needs. A Windows build takes them from the
// real registry; elsewhere they are provided by RegistryHive.cpp over an SQLite file per hive,
// with the same names, signatures and results, so CRegistryString compiles unchanged on both.

#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX // keep std::min and std::numeric_limits<>::max usable
#endif
#include <windows.h>

// Reads of the registry itself never write: the option that asks the hive for that is none.
inline constexpr DWORD kRegOptionReadOnly = 0;

#else

#include <cstdint>

class CRegistryKey; // an open key; defined by the hive implementation

using HKEY = CRegistryKey*;
using PHKEY = HKEY*;
using LONG = std::int32_t;
using DWORD = std::uint32_t;
using BYTE = unsigned char;
using REGSAM = DWORD;
using LPCSTR = const char*;
using LPSTR = char*;
using LPDWORD = DWORD*;
using LPBYTE = BYTE*;
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Only HKEY_CURRENT_USER is backed by a hive; it is a tag, never dereferenced or freed.
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001u});

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2; // missing key or value
inline constexpr LONG ERROR_ACCESS_DENIED = 5;  // no such access by this handle, or to this hive
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;           // buffer too small; size reports the need
inline constexpr LONG ERROR_BADDB = 1009;              // the hive file is not one of ours
inline constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016; // the hive cannot be opened, read or written

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
// RegOpenKeyExA's ulOptions: open the hive for reading alone. Such a read never changes the
// file, its folder or their modes, and leaves a journal that needs a rollback where it is (the
// hive then cannot be read), so that a reader can never disturb a running window.
inline constexpr DWORD kRegOptionReadOnly = 0x80000000u;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

// hKey is HKEY_CURRENT_USER or a key opened by these functions. A null value name addresses
// the key's unnamed value, like an empty one. Every failure returns a nonzero code and leaves
// the hive as it was.
LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData);
LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                     REGSAM samDesired, const LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                     PHKEY phkResult, LPDWORD lpdwDisposition);
LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                    DWORD cbData);
// Removes a value; ERROR_FILE_NOT_FOUND when there is none. The key needs KEY_SET_VALUE.
LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
LONG RegCloseKey(HKEY hKey);

#endif
