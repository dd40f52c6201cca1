#include "Files.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumdrak
{

namespace
{

bool IsAbsolute(const char* pszPath) { return pszPath && pszPath[0] == '/'; }

} // namespace

std::string HomeFolder()
{
    const char* pszHome = std::getenv("HOME");
    if (IsAbsolute(pszHome)) return pszHome;
    const passwd* pEntry = getpwuid(getuid());
    return pEntry && IsAbsolute(pEntry->pw_dir) ? pEntry->pw_dir : "";
}

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

bool ReadRegularFile(int nFd, std::string& strText, off_t nMaxSize)
{
    struct stat status = {};
    if (fstat(nFd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > nMaxSize)
        return false;
    strText.clear();
    char buffer[16384];
    for (;;)
    {
        const ssize_t nRead = read(nFd, buffer, sizeof buffer);
        if (nRead == 0) return true;
        if (nRead < 0)
        {
            if (errno == EINTR) continue;
            return false;
        }
        strText.append(buffer, static_cast<std::size_t>(nRead));
        if (static_cast<off_t>(strText.size()) > nMaxSize) return false;
    }
}

bool WriteAll(int nFd, std::string_view strText)
{
    while (!strText.empty())
    {
        const ssize_t nWritten = write(nFd, strText.data(), strText.size());
        if (nWritten < 0)
        {
            if (errno == EINTR) continue;
            return false;
        }
        strText.remove_prefix(static_cast<std::size_t>(nWritten));
    }
    return true;
}

CTemporaryFile::CTemporaryFile(const std::string& strBeside) : m_strPath(strBeside + ".XXXXXX")
{
    m_nFd = mkostemp(m_strPath.data(), O_CLOEXEC);
    if (m_nFd < 0)
        m_strPath.clear();
    else if (fchmod(m_nFd, 0600) != 0)
        Close();
}

CTemporaryFile::~CTemporaryFile()
{
    Close();
    if (!m_strPath.empty()) unlink(m_strPath.c_str());
}

bool CTemporaryFile::RenameTo(const std::string& strPath)
{
    Close();
    if (m_strPath.empty() || rename(m_strPath.c_str(), strPath.c_str()) != 0) return false;
    m_strPath.clear();
    return true;
}

void CTemporaryFile::Close()
{
    if (m_nFd >= 0) close(m_nFd);
    m_nFd = -1;
}

} // namespace lumdrak
