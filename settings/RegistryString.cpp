#include "RegistryString.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace
{

// Closes the key an operation opened on every way out of it.
class CKeyCloser
{
public:
    explicit CKeyCloser(HKEY& hKey) : m_hKey(hKey) {}
    ~CKeyCloser()
    {
        RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
    CKeyCloser(const CKeyCloser&) = delete;
    CKeyCloser& operator=(const CKeyCloser&) = delete;

private:
    HKEY& m_hKey;
};

} // namespace

CRegistryString::CRegistryString(std::string strPath, std::string strDefault, bool bNoCache,
                                 HKEY hRootKey, ERegistryAccess eAccess)
    : m_hRootKey(hRootKey), m_strDefault(std::move(strDefault)), m_bNoCache(bNoCache),
      m_bReadOnly(eAccess == ERegistryAccess::ReadOnly)
{
    strPath.erase(0, strPath.find_first_not_of('\\'));
    const std::size_t nLast = strPath.rfind('\\');
    if (nLast == std::string::npos)
        m_strValueName = strPath;
    else
    {
        // A run of backslashes before the value name belongs to neither part.
        m_strKeyPath = strPath.substr(0, nLast);
        m_strKeyPath.erase(m_strKeyPath.find_last_not_of('\\') + 1);
        m_strValueName = strPath.substr(nLast + 1);
    }
    ReadValue();
}

std::string CRegistryString::GetValue()
{
    if (m_bValid && !m_bNoCache) return m_strValue;
    return ReadValue();
}

CRegistryString& CRegistryString::SetValue(std::string strValue)
{
    if (m_bNoCache || std::strcmp(strValue.c_str(), m_strValue.c_str()) != 0)
    {
        m_strValue = std::move(strValue);
        WriteValue();
    }
    return *this;
}

std::string CRegistryString::ReadValue()
{
    const LONG nOpen = RegOpenKeyExA(m_hRootKey, m_strKeyPath.c_str(),
                                     m_bReadOnly ? kRegOptionReadOnly : 0, KEY_READ, &m_hKey);
    m_bReadError = nOpen != ERROR_SUCCESS && nOpen != ERROR_FILE_NOT_FOUND;
    if (nOpen != ERROR_SUCCESS) return m_strDefault;
    CKeyCloser closer(m_hKey);

    // The first call's result is not needed: for a missing value the size stays 0 and the
    // second call fails.
    DWORD nType = REG_NONE;
    DWORD nSize = 0;
    RegQueryValueExA(m_hKey, m_strValueName.c_str(), nullptr, &nType, nullptr, &nSize);
    std::vector<BYTE> data(nSize);
    const LONG nQuery =
        RegQueryValueExA(m_hKey, m_strValueName.c_str(), nullptr, &nType, data.data(), &nSize);
    m_bReadError = nQuery != ERROR_SUCCESS && nQuery != ERROR_FILE_NOT_FOUND;
    if (nQuery != ERROR_SUCCESS) return m_strDefault;

    // Any type is taken as text up to its first NUL.
    const auto itEnd = data.begin() + std::min<std::size_t>(nSize, data.size());
    m_strValue.assign(data.begin(), std::find(data.begin(), itEnd, BYTE{0}));
    m_bValid = true;
    return m_strValue;
}

void CRegistryString::WriteValue()
{
    m_bWriteError = true;
    // The byte count with its NUL must fit the registry's 32-bit size.
    if (m_bReadOnly || m_strValue.size() >= std::numeric_limits<DWORD>::max()) return;
    char szClass[] = "";
    if (RegCreateKeyExA(m_hRootKey, m_strKeyPath.c_str(), 0, szClass, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &m_hKey, nullptr) != ERROR_SUCCESS)
        return;
    CKeyCloser closer(m_hKey);

    const DWORD nBytes = static_cast<DWORD>(m_strValue.size() + 1);
    if (RegSetValueExA(m_hKey, m_strValueName.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(m_strValue.c_str()), nBytes) == ERROR_SUCCESS)
    {
        m_bValid = true;
        m_bWriteError = false;
    }
}

bool CRegistryString::DeleteValue()
{
    if (m_bReadOnly) return false;
    m_strValue.clear();
    m_bValid = false;
    const LONG nOpen = RegOpenKeyExA(m_hRootKey, m_strKeyPath.c_str(), 0, KEY_SET_VALUE, &m_hKey);
    if (nOpen != ERROR_SUCCESS) return nOpen == ERROR_FILE_NOT_FOUND;
    CKeyCloser closer(m_hKey);
    const LONG nDelete = RegDeleteValueA(m_hKey, m_strValueName.c_str());
    return nDelete == ERROR_SUCCESS || nDelete == ERROR_FILE_NOT_FOUND;
}
