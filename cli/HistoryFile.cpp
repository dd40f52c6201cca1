#include "HistoryFile.h"

#include "FileDescriptor.h"
#include "Files.h"
#include "Hex.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A file larger than this was not written by us: 1,000 lines of 4,096 bytes, all escaped.
constexpr off_t kMaxFileSize = 4 * static_cast<off_t>(CHistoryFile::kMaxEntries) *
                                   static_cast<off_t>(CHistoryFile::kMaxLineLength + 2) +
                               4096;

// A session that replaces the file while another waits for its lock sends the waiter round
// again, which only happens when the other one got on; this many rounds in a row means that
// something else is going on, and the line is not written.
constexpr int kLockRounds = 1000;

using lumdrak::CFileDescriptor;

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

void KeepLast(std::vector<std::string>& entries)
{
    if (entries.size() > CHistoryFile::kMaxEntries)
        entries.erase(entries.begin(),
                      entries.begin() +
                          static_cast<std::ptrdiff_t>(entries.size() - CHistoryFile::kMaxEntries));
}

} // namespace

std::string CHistoryFile::PathFromEnvironment()
{
    if (const char* pPath = std::getenv("LUMDRAK_EVAL_HISTORY")) return pPath;
    const std::string strState = lumdrak::XdgFolder(lumdrak::EXdgFolder::State);
    return strState.empty() ? std::string() : strState + "/lumdrak/eval_history";
}

void CHistoryFile::Load()
{
    m_entries.clear();
    if (m_strPath.empty()) return;

    // A link is followed to the file it names, which is then read and replaced in its place.
    struct stat status = {};
    if (lstat(m_strPath.c_str(), &status) == 0 && S_ISLNK(status.st_mode))
    {
        char resolved[PATH_MAX];
        if (realpath(m_strPath.c_str(), resolved) == nullptr)
        {
            m_bWritable = false; // a dangling link: not ours to replace
            return;
        }
        m_strPath = resolved;
    }

    if (!lumdrak::IsOursToWrite(m_strPath)) m_bWritable = false;
    const CFileDescriptor file(
        open(m_strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file.IsOpen())
    {
        if (errno != ENOENT) m_bWritable = false;
        return;
    }
    std::string strText;
    if (!lumdrak::ReadRegularFile(file.Get(), strText, kMaxFileSize) || !Decode(strText, m_entries))
    {
        m_entries.clear();
        m_bWritable = false;
    }
}

bool CHistoryFile::Add(std::string_view strLine)
{
    if (strLine.find_first_not_of(" \t\r\n") == std::string_view::npos ||
        strLine.size() > kMaxLineLength || strLine.find('\0') != std::string_view::npos ||
        (!m_entries.empty() && m_entries.back() == strLine))
        return false;
    m_entries.emplace_back(strLine);
    KeepLast(m_entries);
    if (!m_strPath.empty() && m_bWritable) Write(strLine);
    return true;
}

bool CHistoryFile::Write(std::string_view strLine)
{
    if (!lumdrak::IsOursToWrite(m_strPath))
    {
        m_bWritable = false; // read, but never taken from its owner
        return false;
    }
    if (!lumdrak::MakePrivateFolder(lumdrak::FolderOf(m_strPath))) return false;
    for (int nRound = 0; nRound < kLockRounds; ++nRound)
    {
        const CFileDescriptor file(
            open(m_strPath.c_str(),
                 O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600));
        if (!file.IsOpen()) return false;
        int nLocked;
        while ((nLocked = flock(file.Get(), LOCK_EX)) != 0 && errno == EINTR)
        {
        }
        struct stat locked = {};
        struct stat current = {};
        if (nLocked != 0 || fstat(file.Get(), &locked) != 0) return false;
        if (locked.st_uid != geteuid())
        {
            m_bWritable = false; // another user's file took the name meanwhile
            return false;
        }
        if (stat(m_strPath.c_str(), &current) != 0 || current.st_ino != locked.st_ino ||
            current.st_dev != locked.st_dev)
            continue; // another session replaced the file while this one waited

        std::string strText;
        std::vector<std::string> entries;
        if (!lumdrak::ReadRegularFile(file.Get(), strText, kMaxFileSize) ||
            !Decode(strText, entries))
        {
            m_bWritable = false;
            return false;
        }
        if (entries.empty() || entries.back() != strLine) entries.emplace_back(strLine);
        KeepLast(entries);

        // The new text goes to a file of its own that then takes the old one's name, so a
        // reader never sees half a file.
        lumdrak::CTemporaryFile temporary(m_strPath);
        return temporary.IsOpen() && lumdrak::WriteAll(temporary.Fd(), Encode(entries)) &&
               temporary.RenameTo(m_strPath);
    }
    return false;
}

std::string CHistoryFile::Encode(const std::vector<std::string>& entries)
{
    std::string strText(kHeader);
    strText += '\n';
    for (const std::string& strEntry : entries)
    {
        for (const char c : strEntry)
        {
            const auto b = static_cast<unsigned char>(c);
            if (c == '\\')
            {
                strText += "\\\\";
            }
            else if (IsControl(b))
            {
                strText += "\\x";
                strText += lumdrak::HexDigits(b, 2);
            }
            else
            {
                strText += c;
            }
        }
        strText += '\n';
    }
    return strText;
}

bool CHistoryFile::Decode(std::string_view strText, std::vector<std::string>& entries)
{
    entries.clear();
    if (strText.empty()) return true; // created, not yet written
    if (strText.substr(0, kHeader.size()) != kHeader || strText.size() == kHeader.size() ||
        strText[kHeader.size()] != '\n' || strText.back() != '\n')
        return false;
    strText.remove_prefix(kHeader.size() + 1);

    std::string strEntry;
    while (!strText.empty())
    {
        const std::size_t nEnd = strText.find('\n');
        const std::string_view strLine = strText.substr(0, nEnd);
        strText.remove_prefix(nEnd + 1);
        strEntry.clear();
        for (std::size_t i = 0; i < strLine.size(); ++i)
        {
            const char c = strLine[i];
            if (IsControl(static_cast<unsigned char>(c))) return false;
            if (c != '\\')
            {
                strEntry += c;
            }
            else if (i + 1 < strLine.size() && strLine[i + 1] == '\\')
            {
                strEntry += '\\';
                ++i;
            }
            else
            {
                const int nHigh = i + 3 < strLine.size() && strLine[i + 1] == 'x'
                                      ? lumdrak::HexDigitValue(strLine[i + 2])
                                      : -1;
                const int nLow = nHigh >= 0 ? lumdrak::HexDigitValue(strLine[i + 3]) : -1;
                if (nLow < 0 || (nHigh == 0 && nLow == 0)) return false;
                strEntry += static_cast<char>(nHigh * 16 + nLow);
                i += 3;
            }
        }
        if (!strEntry.empty()) // a blank line an editor left behind
            entries.push_back(strEntry);
        // Only the last entries are kept: a file of many short lines costs no more than them.
        if (entries.size() == 2 * CHistoryFile::kMaxEntries) KeepLast(entries);
    }
    KeepLast(entries);
    return true;
}
