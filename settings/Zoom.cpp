#include "Zoom.h"

#include "RegistryString.h"

#include <charconv>
#include <string>

namespace
{

constexpr const char* kZoomPath = "Software\\Lumdrak\\Zoom";

} // namespace

int LoadZoom(int nDefault)
{
    const std::string strValue =
        CRegistryString(kZoomPath, "", false, HKEY_CURRENT_USER).GetValue();
    int nPercent = 0;
    const char* pszEnd = strValue.data() + strValue.size();
    const auto [pszStop, error] = std::from_chars(strValue.data(), pszEnd, nPercent);
    return error == std::errc() && pszStop == pszEnd ? nPercent : nDefault;
}

void SaveZoom(int nPercent)
{
    CRegistryString(kZoomPath, "", false, HKEY_CURRENT_USER).SetValue(std::to_string(nPercent));
}
