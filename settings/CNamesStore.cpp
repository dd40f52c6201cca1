#include "CNamesStore.h"

namespace
{

constexpr const char* kNamesPath = "Software\\Lumdrak\\CNames";
constexpr char kEscape = '\x01';

std::string Escaped(std::string_view strBytes)
{
    std::string strText;
    strText.reserve(strBytes.size() + strBytes.size() / 16);
    for (const char ch : strBytes)
    {
        if (ch == '\0' || ch == kEscape)
        {
            strText += kEscape;
            strText += ch == kEscape ? kEscape : '\x02';
        }
        else
            strText += ch;
    }
    return strText;
}

// The bytes back; false where an escape is out of place.
bool Unescaped(std::string_view strText, std::string& strBytes)
{
    strBytes.clear();
    strBytes.reserve(strText.size());
    for (std::size_t i = 0; i < strText.size(); ++i)
    {
        if (strText[i] != kEscape)
        {
            strBytes += strText[i];
            continue;
        }
        if (++i == strText.size() || (strText[i] != kEscape && strText[i] != '\x02')) return false;
        strBytes += strText[i] == kEscape ? kEscape : '\0';
    }
    return true;
}

} // namespace

CCNamesStore::CCNamesStore() : m_value(kNamesPath, "", true, HKEY_CURRENT_USER)
{
    m_bReadable = !m_value.HasReadError();
    m_bStored = m_value.IsValid();
}

std::string CCNamesStore::Restored() const
{
    std::string strSaved;
    if (!m_bReadable || m_value.Text().size() > 2 * kMaxBytes ||
        !Unescaped(m_value.Text(), strSaved) || strSaved.size() > kMaxBytes)
        return {};
    return strSaved;
}

bool CCNamesStore::Save(std::string_view strSaved)
{
    if (!m_bReadable || strSaved.size() > kMaxBytes) return false;
    std::string strText = Escaped(strSaved);
    if (m_bStored && strText == m_value.Text()) return true;
    m_value.SetValue(std::move(strText));
    m_bStored = !m_value.HasWriteError();
    return m_bStored;
}

bool CCNamesStore::Forget()
{
    if (!m_bReadable) return false;
    m_bStored = false;
    return m_value.DeleteValue();
}
