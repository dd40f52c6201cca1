#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

// Files and folders of the user's own: where the XDG base directories put them, folders made
// private whatever the umask, and who owns what is there.
namespace lumdrak
{

enum class EXdgFolder
{
    Config, // $XDG_CONFIG_HOME, else ~/.config
    State,  // $XDG_STATE_HOME, else ~/.local/state
};

// The user's home folder: $HOME when that is absolute, else the user's entry in the password
// database; empty when there is none.
std::string HomeFolder();

// The folder, without a trailing slash. An XDG variable that is unset, empty or relative is
// ignored, as the XDG base directory rules ask; the home folder is $HOME when that is
// absolute, else the user's entry in the password database. Empty when there is no home
// folder either.
std::string XdgFolder(EXdgFolder folder);

// Creates strFolder and any missing parent with mode 0700, whatever the umask; true when it
// exists afterwards (an existing folder is left as it is).
bool MakePrivateFolder(const std::string& strFolder);

// Whether this process may make or replace the file strPath without taking it from its owner:
// the file, where it is there, belongs to the effective user; where it is not, the nearest
// folder above it that exists does, or is a shared folder with the sticky bit (/tmp). A root
// session with a user's XDG variables (sudo -E) must not leave root's files in the user's
// folders, which the user's own sessions could then never replace.
bool IsOursToWrite(const std::string& strPath);

// The folder part of strPath: everything before its last '/', "/" for a file at the root.
std::string FolderOf(const std::string& strPath);

// The whole text of an open regular file of at most nMaxSize bytes; false for anything else.
bool ReadRegularFile(int nFd, std::string& strText, off_t nMaxSize);

// Writes all of strText, going on after an interrupted write.
bool WriteAll(int nFd, std::string_view strText);

// A private file (mode 0600) made beside strBeside under a name of its own, so that a complete
// file can take strBeside's name at once and no reader ever sees half of one. Its own name is
// removed on every way out but RenameTo; a name given by link() stays.
class CTemporaryFile
{
public:
    explicit CTemporaryFile(const std::string& strBeside);
    ~CTemporaryFile();
    CTemporaryFile(const CTemporaryFile&) = delete;
    CTemporaryFile& operator=(const CTemporaryFile&) = delete;

    bool IsOpen() const { return m_nFd >= 0; }
    int Fd() const { return m_nFd; }
    const std::string& Path() const { return m_strPath; }
    void Close();
    // Closes the file and gives it strPath's name, in place of any file there.
    bool RenameTo(const std::string& strPath);

private:
    std::string m_strPath;
    int m_nFd = -1;
};

} // namespace lumdrak
