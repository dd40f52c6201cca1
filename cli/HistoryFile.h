#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The interactive lines kept between sessions: the last kMaxEntries lines, oldest first, in
// one file of the user's state folder. The file starts with a header line and holds one line
// per entry, with '\' and control bytes escaped. A file without that form is someone else's:
// it is read as no history and never written, and so is a file that cannot be read. A file
// (or, while there is none, its folder) that belongs to another user is read but never
// replaced, so that a root session cannot take a user's history from them. Every
// added line is merged into the file as it stands at that moment, under a lock, and the
// result replaces the file at once, so sessions running side by side keep each other's lines.
class CHistoryFile
{
public:
    static constexpr std::size_t kMaxEntries = 1000;
    // Longer lines are evaluated but not kept.
    static constexpr std::size_t kMaxLineLength = 4096;
    static constexpr std::string_view kHeader = "# lumdrak-eval history 1";

    // The file named by the environment: LUMDRAK_EVAL_HISTORY when it is set (empty turns the
    // history off), else $XDG_STATE_HOME/lumdrak/eval_history, else
    // $HOME/.local/state/lumdrak/eval_history. Empty when there is none.
    static std::string PathFromEnvironment();

    // An empty path keeps the history in memory only.
    explicit CHistoryFile(std::string strPath) : m_strPath(std::move(strPath)) {}

    // Reads the file; an absent file is an empty history.
    void Load();

    // Adds a line unless it is empty, too long or the same as the last one; then writes it to
    // the file. False when the line was not added.
    bool Add(std::string_view strLine);

    const std::vector<std::string>& Entries() const { return m_entries; }
    bool IsWritable() const { return m_bWritable; }

    // The file's text for these entries, and the entries of a file's text; false when the
    // text is not in this form.
    static std::string Encode(const std::vector<std::string>& entries);
    static bool Decode(std::string_view strText, std::vector<std::string>& entries);

private:
    bool Write(std::string_view strLine);

    std::string m_strPath;
    bool m_bWritable = true; // false once the file turned out to be foreign or unreadable
    std::vector<std::string> m_entries;
};
