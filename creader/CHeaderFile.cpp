#include "CHeaderFile.h"

#include "CBlockReader.h"
#include "CTexts.h"
#include "FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{

using lumdrak::CFileDescriptor;

// What a preprocessor run gave: its output, its first error line, whether it ran at all.
struct SRun
{
    bool bStarted = false;
    bool bSucceeded = false;
    bool bCut = false;   // the output passed the bound and was cut at a line's end
    bool bAsked = false; // asked to stop: the preprocessor was ended
    std::string strOut;
    std::string strError;
};

bool ReadFile(const std::string& strPath, std::size_t nMaxBytes, std::string& strText,
              std::string& strError)
{
    const CFileDescriptor file(open(strPath.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status = {};
    if (!file.IsOpen() || fstat(file.Get(), &status) != 0)
    {
        strError = TextCannotRead(strPath, std::strerror(errno));
        return false;
    }
    if (S_ISDIR(status.st_mode))
    {
        strError = TextCannotRead(strPath, std::strerror(EISDIR));
        return false;
    }
    char buffer[1 << 16];
    for (;;)
    {
        const ssize_t nRead = read(file.Get(), buffer, sizeof buffer);
        if (nRead < 0 && errno == EINTR) continue;
        if (nRead < 0)
        {
            strError = TextCannotRead(strPath, std::strerror(errno));
            return false;
        }
        if (nRead == 0 || strText.size() >= nMaxBytes) return true;
        strText.append(buffer, static_cast<std::size_t>(nRead));
    }
}

// Runs arrCommand with the header's path after it, collecting standard output (at most
// nMaxBytes) and the first line of standard error.
SRun Run(const std::vector<std::string>& arrCommand, const std::string& strPath,
         std::size_t nMaxBytes, const std::stop_token& stop)
{
    SRun run;
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (pipe2(out, O_CLOEXEC) != 0) return run;
    CFileDescriptor outRead(out[0]);
    CFileDescriptor outWrite(out[1]);
    if (pipe2(err, O_CLOEXEC) != 0) return run;
    CFileDescriptor errRead(err[0]);
    CFileDescriptor errWrite(err[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outWrite.Get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errWrite.Get(), STDERR_FILENO);
    std::vector<std::string> arrArgs = arrCommand;
    // A path that begins with '-' would read as an option.
    arrArgs.push_back(strPath.empty() || strPath[0] != '-' ? strPath : "./" + strPath);
    std::vector<char*> arrArgv;
    for (std::string& strArg : arrArgs)
        arrArgv.push_back(strArg.data());
    arrArgv.push_back(nullptr);
    pid_t nPid = 0;
    const int nSpawned =
        posix_spawnp(&nPid, arrArgv[0], &actions, nullptr, arrArgv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    outWrite.Close();
    errWrite.Close();
    if (nSpawned != 0) return run;
    run.bStarted = true;

    pollfd fds[2] = {{outRead.Get(), POLLIN, 0}, {errRead.Get(), POLLIN, 0}};
    char buffer[1 << 16];
    bool bStopped = false;
    // Whether it was asked to stop is looked at this often while the preprocessor is quiet.
    const int nWaitMs = stop.stop_possible() ? 50 : -1;
    while ((fds[0].fd >= 0 || fds[1].fd >= 0) && !bStopped)
    {
        if (stop.stop_requested())
        {
            run.bAsked = bStopped = true;
            break;
        }
        const int nReady = poll(fds, 2, nWaitMs);
        if (nReady < 0)
        {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i)
        {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            const ssize_t nRead = read(fds[i].fd, buffer, sizeof buffer);
            if (nRead < 0 && errno == EINTR) continue;
            if (nRead <= 0)
            {
                fds[i].fd = -1;
                continue;
            }
            std::string& strTo = i == 0 ? run.strOut : run.strError;
            if (i == 1 && strTo.size() > 4096) continue; // its first lines are enough
            strTo.append(buffer, static_cast<std::size_t>(nRead));
            if (i == 0 && strTo.size() > nMaxBytes)
            {
                run.bCut = true;
                bStopped = true;
            }
        }
    }
    if (bStopped) kill(nPid, SIGKILL);
    int nStatus = 0;
    while (waitpid(nPid, &nStatus, 0) < 0 && errno == EINTR)
    {
    }
    run.bSucceeded = !bStopped && WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0;
    if (run.bCut) run.strOut.erase(run.strOut.rfind('\n', nMaxBytes) + 1);
    const std::size_t nLineEnd = run.strError.find('\n');
    if (nLineEnd != std::string::npos) run.strError.erase(nLineEnd);
    return run;
}

std::string CommandText(const std::vector<std::string>& arrCommand)
{
    std::string strText;
    for (const std::string& strPart : arrCommand)
        strText += (strText.empty() ? "" : " ") + strPart;
    return strText;
}

} // namespace

SCHeaderRead ReadHeaderFile(const std::string& strPath, CCNames& names,
                            const SCHeaderOptions& options)
{
    SCHeaderRead result;
    std::string strText;
    if (!ReadFile(strPath, options.nMaxBytes, strText, result.strError)) return result;
    result.bRead = true;
    for (const std::vector<std::string>& arrCommand : options.arrCommands)
    {
        if (arrCommand.empty()) continue;
        const SRun run = Run(arrCommand, strPath, options.nMaxBytes, options.stop);
        if (!run.bStarted) continue; // not on the PATH: the next one
        if (run.bAsked) return SCHeaderRead{};
        result.bPreprocessed = true;
        if (!run.bSucceeded && !run.strError.empty())
            result.strNote = TextPreprocessorFailed(CommandText(arrCommand), run.strError);
        if (run.bCut) result.strNote = TextTooLarge(strPath, options.nMaxBytes);
        if (!ReadPreprocessed(run.strOut, names, options.stop, &result.nDefinitions))
            return SCHeaderRead{};
        return result;
    }
    result.strNote = TextNoPreprocessor(strPath);
    CCBlockReader reader(names, ECReadMode::Header, CCBlockReader::OriginOf(strPath));
    std::vector<SCLine> arrIgnored;
    const std::uint64_t nBefore = names.Changes();
    reader.ReadText(strText, arrIgnored);
    result.nDefinitions = static_cast<std::size_t>(names.Changes() - nBefore);
    return result;
}

bool ReadPreprocessed(std::string_view strText, CCNames& names, std::stop_token stop,
                      std::size_t* pDefinitions)
{
    CCBlockReader reader(names, ECReadMode::Preprocessed);
    std::vector<SCLine> arrIgnored;
    constexpr int kLinesBetweenLooks = 4096;
    int nLines = 0;
    std::string strFile;
    bool bLeftFile = false;
    bool bCounting = false;
    for (std::size_t nStart = 0; nStart < strText.size(); ++nLines)
    {
        if (nLines % kLinesBetweenLooks == 0 && stop.stop_requested()) return false;
        const std::size_t nEnd = std::min(strText.find('\n', nStart), strText.size());
        const std::uint64_t nBefore = names.Changes();
        reader.ReadLine(strText.substr(nStart, nEnd - nStart), arrIgnored);
        nStart = nEnd + 1;
        // The output names the file first, then gives the compiler's own definitions (and the
        // header it always includes first), then comes back to the file: from there on every
        // definition is the file's or from a header it includes.
        if (nLines == 0)
            strFile = reader.Origin();
        else if (reader.Origin() != strFile)
            bLeftFile = true;
        else if (bLeftFile)
            bCounting = true;
        if (bCounting && pDefinitions != nullptr)
            *pDefinitions += static_cast<std::size_t>(names.Changes() - nBefore);
    }
    reader.Finish(arrIgnored);
    return true;
}
