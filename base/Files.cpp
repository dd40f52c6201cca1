#include "Files.h"

#include <cerrno>
#include <cstdlib>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumdrak
{

namespace
{

bool IsAbsolute(const char* pszPath) { return pszPath && pszPath[0] == '/'; }

std::string HomeFolder()
{
    const char* pszHome = std::getenv("HOME");
    if (IsAbsolute(pszHome)) return pszHome;
    const passwd* pEntry = getpwuid(getuid());
    return pEntry && IsAbsolute(pEntry->pw_dir) ? pEntry->pw_dir : "";
}

} // namespace

std::string XdgFolder(EXdgFolder folder)
{
    const bool bConfig = folder == EXdgFolder::Config;
    const char* pszXdg = std::getenv(bConfig ? "XDG_CONFIG_HOME" : "XDG_STATE_HOME");
    if (IsAbsolute(pszXdg)) return pszXdg;
    const std::string strHome = HomeFolder();
    if (strHome.empty()) return {};
    return strHome + (bConfig ? "/.config" : "/.local/state");
}

bool MakePrivateFolder(const std::string& strFolder)
{
    if (strFolder.empty()) return false;
    if (mkdir(strFolder.c_str(), 0700) == 0) return chmod(strFolder.c_str(), 0700) == 0;
    if (errno == EEXIST) return true;
    if (errno != ENOENT) return false;
    const std::string strParent = FolderOf(strFolder);
    if (strParent == strFolder || !MakePrivateFolder(strParent)) return false;
    if (mkdir(strFolder.c_str(), 0700) == 0) return chmod(strFolder.c_str(), 0700) == 0;
    return errno == EEXIST;
}

bool IsOursToWrite(const std::string& strPath)
{
    struct stat info;
    if (stat(strPath.c_str(), &info) == 0) return info.st_uid == geteuid();
    std::string strAt = strPath;
    while (errno == ENOENT && FolderOf(strAt) != strAt)
    {
        strAt = FolderOf(strAt);
        if (stat(strAt.c_str(), &info) == 0)
            return info.st_uid == geteuid() || (info.st_mode & S_ISVTX) != 0;
    }
    return false;
}

std::string FolderOf(const std::string& strPath)
{
    const std::size_t nSlash = strPath.find_last_of('/');
    if (nSlash == std::string::npos) return ".";
    return nSlash == 0 ? "/" : strPath.substr(0, nSlash);
}

} // namespace lumdrak
