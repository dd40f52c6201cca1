// Types real keys into lumdrak-eval on a pseudo-terminal, as a person at a terminal would,
// and checks what it prints and what it keeps in its history file.
#include "HistoryFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace
{

namespace fs = std::filesystem;

// What the keys send on a terminal in its usual modes.
constexpr char kEnter[] = "\r";
constexpr char kLeft[] = "\033[D";
constexpr char kUp[] = "\033[A";
constexpr char kEnd[] = "\033[F";
constexpr char kBackspace[] = "\x7F";
constexpr char kTab[] = "\t";
constexpr char kCtrlC[] = "\x03";
constexpr char kCtrlD[] = "\x04";
constexpr char kCtrlR[] = "\x12";

// A loaded machine and the sanitizers slow everything; a wait ends as soon as the text shows.
constexpr auto kPatience = std::chrono::seconds(30);

// lumdrak-eval on the slave side of a pseudo-terminal of 80 x 24, with a home of its own.
class CTerminal
{
public:
    CTerminal(const fs::path& home, const std::vector<std::pair<const char*, const char*>>& env,
              std::vector<std::string> args = {})
    {
        std::vector<char*> argv = {const_cast<char*>(LUMDRAK_EVAL_PATH)};
        for (std::string& strArg : args)
            argv.push_back(strArg.data());
        argv.push_back(nullptr);
        winsize size{};
        size.ws_row = 24;
        size.ws_col = 80;
        m_pid = forkpty(&m_nMaster, nullptr, nullptr, &size);
        if (m_pid == 0)
        {
            for (const char* szName :
                 {"XDG_STATE_HOME", "LUMDRAK_EVAL_HISTORY", "EDITRC", "LC_ALL"})
                unsetenv(szName);
            setenv("HOME", home.c_str(), 1);
            setenv("TERM", "xterm", 1);
            setenv("LANG", "C.UTF-8", 1);
            for (const auto& [szName, szValue] : env)
                setenv(szName, szValue, 1);
            execv(LUMDRAK_EVAL_PATH, argv.data());
            _exit(127);
        }
    }

    ~CTerminal()
    {
        if (m_pid > 0)
        {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_nMaster >= 0)
            close(m_nMaster);
    }

    CTerminal(const CTerminal&) = delete;
    CTerminal& operator=(const CTerminal&) = delete;

    bool IsRunning() const { return m_pid > 0 && m_nMaster >= 0; }

    void Type(std::string_view strKeys)
    {
        while (!strKeys.empty())
        {
            const ssize_t nWritten = write(m_nMaster, strKeys.data(), strKeys.size());
            if (nWritten <= 0)
                return;
            strKeys.remove_prefix(static_cast<std::size_t>(nWritten));
        }
    }

    // Waits until strText shows in the output after what earlier waits found.
    bool WaitFor(std::string_view strText)
    {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        for (;;)
        {
            const std::size_t nAt = m_strOutput.find(strText, m_nSeen);
            if (nAt != std::string::npos)
            {
                m_nSeen = nAt + strText.size();
                return true;
            }
            if (!ReadSome(deadline))
                return false;
        }
    }

    // Waits until the program reads keys one by one. Keys typed before that are taken by the
    // terminal as a plain line (and echoed by it), as they would be from a person typing
    // ahead while the program starts or works.
    bool WaitForEditing()
    {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        for (;;)
        {
            termios modes{};
            if (tcgetattr(m_nMaster, &modes) != 0)
                return false;
            if ((modes.c_lflag & ICANON) == 0)
                return true;
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            ReadSome(std::chrono::steady_clock::now() + std::chrono::milliseconds(1));
        }
    }

    // The exit status once the program has ended, -1 when it does not.
    int WaitForExit()
    {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (ReadSome(deadline))
        {
        }
        int nStatus = 0;
        while (waitpid(m_pid, &nStatus, WNOHANG) == 0)
        {
            if (std::chrono::steady_clock::now() > deadline)
                return -1;
            usleep(1000);
        }
        m_pid = -1;
        return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    }

    // What was printed since the last text found, for failure messages.
    std::string Unseen() const { return m_strOutput.substr(m_nSeen); }

private:
    bool ReadSome(std::chrono::steady_clock::time_point deadline)
    {
        for (;;)
        {
            const auto nLeft = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (nLeft.count() <= 0)
                return false;
            pollfd output{m_nMaster, POLLIN, 0};
            const int nReady = poll(&output, 1, static_cast<int>(nLeft.count()));
            if (nReady < 0 && errno == EINTR)
                continue;
            if (nReady <= 0)
                return false;
            char buffer[4096];
            const ssize_t nRead = read(m_nMaster, buffer, sizeof buffer);
            if (nRead <= 0)
                return false; // the program has ended and closed the terminal
            m_strOutput.append(buffer, static_cast<std::size_t>(nRead));
            return true;
        }
    }

    pid_t m_pid = -1;
    int m_nMaster = -1;
    std::string m_strOutput;
    std::size_t m_nSeen = 0;
};

// Keys to type, then the text the terminal must show before the next step.
struct SStep
{
    std::string strKeys;
    std::string strShown;
};

// A line printed below the typed one, and the next prompt.
std::string Result(const char* szLine) { return std::string("\r\n") + szLine + "\r\n?"; }

class LumdrakEvalTerminal : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string strTemplate = (fs::temp_directory_path() / "lumdrak-terminal-XXXXXX").string();
        ASSERT_NE(mkdtemp(strTemplate.data()), nullptr);
        m_home = strTemplate;
    }

    void TearDown() override
    {
        std::error_code error;
        fs::remove_all(m_home, error);
    }

    // Runs the steps in one session, which must then end with status 0.
    void RunSession(const std::vector<SStep>& steps,
                    const std::vector<std::pair<const char*, const char*>>& env,
                    const std::vector<std::string>& args = {})
    {
        CTerminal terminal(m_home, env, args);
        ASSERT_TRUE(terminal.IsRunning());
        ASSERT_TRUE(terminal.WaitFor("?")) << testing::PrintToString(terminal.Unseen());
        for (const SStep& step : steps)
        {
            ASSERT_TRUE(terminal.WaitForEditing());
            terminal.Type(step.strKeys);
            if (step.strShown.empty())
                continue;
            ASSERT_TRUE(terminal.WaitFor(step.strShown))
                << "typed " << testing::PrintToString(step.strKeys) << ", waited for "
                << testing::PrintToString(step.strShown) << ", saw "
                << testing::PrintToString(terminal.Unseen());
        }
        EXPECT_EQ(terminal.WaitForExit(), 0) << testing::PrintToString(terminal.Unseen());
    }

    std::vector<std::string> StoredHistory() const
    {
        std::ifstream file(m_home / "state/lumdrak/eval_history", std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        std::vector<std::string> entries;
        EXPECT_TRUE(CHistoryFile::Decode(text.str(), entries)) << text.str();
        return entries;
    }

    fs::path m_home;
};

// Each step's result tells the keys' work from their failure: without the search, "7*" would
// give 49; without the completion, "sq16)" would be a syntax error.
TEST_F(LumdrakEvalTerminal, KeysEditRecallSearchAndComplete)
{
    const std::vector<SStep> steps = {
        {std::string("12+5") + kLeft + kLeft + kBackspace + kEnter, Result("6")}, // 1+5
        {std::string(kUp) + kBackspace + "9" + kEnter, Result("10")},             // 1+9
        {std::string("7*6") + kEnter, Result("42")},
        {std::string("1+1") + kEnter, Result("2")},
        {std::string(kCtrlR) + "7*" + kEnter, Result("42")},
        {std::string("sq") + kTab + "16)" + kEnter, Result("4")},
        {std::string("lo") + kTab + kTab, "log(  log10("},
        {std::string("10(100)") + kEnter, Result("2")},
        {"99+", "99+"}, // on screen before Ctrl+C, which would else discard it unread
        {kCtrlC, "^C\r\n?"},
        {std::string("2+3") + kEnter, Result("5")}, // not 99+2+3
        {std::string("1+*5") + kEnter, Result("  ^^\r\nSyntax not allowed.")},
        {std::string("?2*-3") + kEnter, Result("   ^^\r\nSyntax not allowed.")}, // under the -
        {std::string(":m") + kEnter, Result("m = 5")},
        {std::string("m*r+1") + kEnter, Result("26")},
        {std::string(kCtrlR) + "7*" + kEnd + "+1" + kEnter, Result("43")}, // End ends the search
        {std::string(":help") + kEnter, "Ctrl+R"},
        {"", ":q quits.\r\n?"},
        {kCtrlD, ""},
    };
    RunSession(steps, {{"LUMDRAK_EVAL_HISTORY", ""}});
    EXPECT_TRUE(fs::is_empty(m_home)) << "an empty LUMDRAK_EVAL_HISTORY keeps no file";
}

// With -C a marker stands under the character as typed, not as converted.
TEST_F(LumdrakEvalTerminal, CLiteralsAreConvertedAndMarkersStayUnderTheTypedText)
{
    const std::vector<SStep> steps = {
        {std::string("0xFF & (1 << 4)") + kEnter, Result("16")},
        {std::string("0b1010|1") + kEnter, Result("11")},
        {std::string("0x_ff+q") + kEnter, Result("      ^^\r\nSyntax not allowed.")},
        {kCtrlD, ""},
    };
    RunSession(steps, {{"LUMDRAK_EVAL_HISTORY", ""}}, {"-C"});
}

TEST_F(LumdrakEvalTerminal, HistorySurvivesARestart)
{
    const std::string strStateHome = (m_home / "state").string();
    const std::pair<const char*, const char*> state = {"XDG_STATE_HOME", strStateHome.c_str()};
    RunSession({{std::string("1+2") + kEnter, Result("3")},
                {std::string(kUp) + kBackspace + "3" + kEnter, Result("4")},
                {std::string(":q") + kEnter, ""}},
               {state});
    EXPECT_EQ(StoredHistory(), (std::vector<std::string>{"1+2", "1+3", ":q"}));
    struct stat status{};
    ASSERT_EQ(stat((m_home / "state/lumdrak/eval_history").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    RunSession({{std::string(kCtrlR) + "+3" + kEnter, Result("4")},
                {std::string(kUp) + kUp + kUp + kUp + kEnter, Result("3")}, // 1+3 :q 1+3 1+2
                {kCtrlD, ""}},
               {state});
    EXPECT_EQ(StoredHistory(), (std::vector<std::string>{"1+2", "1+3", ":q", "1+3", "1+2"}));
}

} // namespace
