#pragma once

#include <string>
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

} // namespace lumdrak
