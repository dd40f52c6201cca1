#include "ModeNames.h"

#include <algorithm>

namespace
{

// The index of strName among names, or -1.
int IndexOf(std::string_view strName, std::span<const std::string_view> names)
{
    const auto it = std::find(names.begin(), names.end(), strName);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

// names[nIndex], or "?" for a code no name has.
std::string_view NameOf(int nIndex, std::span<const std::string_view> names)
{
    return nIndex >= 0 && static_cast<std::size_t>(nIndex) < names.size()
               ? names[static_cast<std::size_t>(nIndex)]
               : "?";
}

} // namespace

std::optional<ECastMode> CastModeNamed(std::string_view strName)
{
    const int nIndex = IndexOf(strName, kCastNames);
    if (nIndex < 0) return std::nullopt;
    return static_cast<ECastMode>(nIndex);
}

std::optional<EOutputMode> OutputModeNamed(std::string_view strName)
{
    const int nIndex = IndexOf(strName, kOutputNames);
    if (nIndex < 0) return std::nullopt;
    return static_cast<EOutputMode>(nIndex);
}

std::string ListOfNames(std::span<const std::string_view> names)
{
    std::string strList;
    for (std::size_t i = 0; i < names.size(); ++i)
    {
        if (i > 0) strList += i + 1 == names.size() ? " or " : ", ";
        strList += names[i];
    }
    return strList;
}

std::string ModesText(ECastMode eCastMode, int bUnsigned, EOutputMode eOutputMode)
{
    std::string strText = "output ";
    strText += NameOf(static_cast<int>(eOutputMode), kOutputNames);
    if (eCastMode == ECastMode::None)
    {
        // As the window's UNSIGNED box, the sign is kept but only read under a cast.
        strText += ", no cast";
        if (bUnsigned != 0) strText += " (unsigned once a cast is chosen)";
        return strText;
    }
    strText += ", cast ";
    strText += NameOf(static_cast<int>(eCastMode), kCastNames);
    strText += bUnsigned != 0 ? " bits unsigned" : " bits signed";
    return strText;
}
