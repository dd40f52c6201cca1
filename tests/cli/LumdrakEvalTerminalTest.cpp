// Types real keys into lumdrak-eval on a pseudo-terminal, as a person at a terminal would,
// and checks what it prints and what it keeps in its history file.
#include "HistoryFile.h"
#include "TemporaryFolder.h"

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
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace
{

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

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

// Keys to type, then the text the terminal must show before the next step.
struct SStep
{
    std::string strKeys;
    std::string strShown;
};

// A line printed below the typed one, and the next prompt.
std::string Result(const char* szLine) { return std::string("\r\n") + szLine + "\r\n?"; }

// lumdrak-eval on the slave side of a pseudo-terminal of 80 x 24, with a home of its own.
class LumdrakEvalTerminal : public ::testing::Test
{
protected:
    void TearDown() override { EndSession(); }

    // Runs the steps in one session, which must then end with status 0. With bHistory the
    // history lives under the home's "state" folder, else LUMDRAK_EVAL_HISTORY turns it off.
    void RunSession(const std::vector<SStep>& steps, bool bHistory,
                    std::vector<std::string> args = {})
    {
        std::vector<char*> argv = {const_cast<char*>(LUMDRAK_EVAL_PATH)};
        for (std::string& strArg : args)
            argv.push_back(strArg.data());
        argv.push_back(nullptr);
        winsize size{24, 80, 0, 0};
        m_strOutput.clear();
        m_nSeen = 0;
        m_pid = forkpty(&m_nMaster, nullptr, nullptr, &size);
        if (m_pid == 0)
        {
            for (const char* szName :
                 {"XDG_STATE_HOME", "LUMDRAK_EVAL_HISTORY", "EDITRC", "LC_ALL"})
                unsetenv(szName);
            setenv("HOME", m_home.c_str(), 1);
            setenv("TERM", "xterm", 1);
            setenv("LANG", "C.UTF-8", 1);
            setenv(bHistory ? "XDG_STATE_HOME" : "LUMDRAK_EVAL_HISTORY",
                   bHistory ? (m_home / "state").c_str() : "", 1);
            if (!m_strLibraryPath.empty()) setenv("LD_LIBRARY_PATH", m_strLibraryPath.c_str(), 1);
            execv(LUMDRAK_EVAL_PATH, argv.data());
            _exit(127);
        }
        ASSERT_GT(m_pid, 0);
        ASSERT_TRUE(WaitFor("?")) << testing::PrintToString(m_strOutput);
        for (const SStep& step : steps)
        {
            // Keys typed before the program reads them one by one would be taken by the
            // terminal as a plain line, as they would be from a person typing ahead.
            const auto deadline = Clock::now() + kPatience;
            termios modes{};
            while (m_bLineEditor && tcgetattr(m_nMaster, &modes) == 0 &&
                   (modes.c_lflag & ICANON) != 0 && Clock::now() < deadline)
                ReadSome(Clock::now() + std::chrono::milliseconds(1));
            ASSERT_TRUE(!m_bLineEditor || (modes.c_lflag & ICANON) == 0)
                << "the program never read keys one by one";
            for (std::string_view strKeys = step.strKeys; !strKeys.empty();)
            {
                const ssize_t nWritten = write(m_nMaster, strKeys.data(), strKeys.size());
                ASSERT_GT(nWritten, 0);
                strKeys.remove_prefix(static_cast<std::size_t>(nWritten));
            }
            ASSERT_TRUE(step.strShown.empty() || WaitFor(step.strShown))
                << "typed " << testing::PrintToString(step.strKeys) << ", waited for "
                << testing::PrintToString(step.strShown) << ", saw "
                << testing::PrintToString(m_strOutput.substr(m_nSeen));
        }
        const auto deadline = Clock::now() + kPatience;
        while (ReadSome(deadline)) // until the program closes the terminal
        {
        }
        int nStatus = -1;
        while (waitpid(m_pid, &nStatus, WNOHANG) == 0 && Clock::now() < deadline)
            usleep(1000);
        EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0)
            << nStatus << testing::PrintToString(m_strOutput.substr(m_nSeen));
        EndSession();
    }

    // Waits until strText shows in the output after what earlier waits found.
    bool WaitFor(std::string_view strText)
    {
        const auto deadline = Clock::now() + kPatience;
        std::size_t nAt = 0;
        while ((nAt = m_strOutput.find(strText, m_nSeen)) == std::string::npos)
            if (!ReadSome(deadline)) return false;
        m_nSeen = nAt + strText.size();
        return true;
    }

    // Reads what the terminal shows; false at the deadline or once the program has ended.
    bool ReadSome(Clock::time_point deadline)
    {
        for (;;)
        {
            const auto nLeft =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd output{m_nMaster, POLLIN, 0};
            const int nReady =
                nLeft.count() > 0 ? poll(&output, 1, static_cast<int>(nLeft.count())) : 0;
            if (nReady < 0 && errno == EINTR) continue;
            char buffer[4096];
            const ssize_t nRead = nReady > 0 ? read(m_nMaster, buffer, sizeof buffer) : 0;
            if (nRead <= 0) return false;
            m_strOutput.append(buffer, static_cast<std::size_t>(nRead));
            return true;
        }
    }

    void EndSession()
    {
        if (m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0)
        {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_nMaster >= 0) close(m_nMaster);
        m_pid = -1;
        m_nMaster = -1;
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

    CTemporaryFolder m_temporary{"lumdrak-terminal"};
    fs::path m_home = m_temporary.Path();
    std::string m_strLibraryPath; // put first on the program's library path when not empty
    bool m_bLineEditor = true;    // false: the terminal edits whole lines, the program reads them
    pid_t m_pid = -1;
    int m_nMaster = -1;
    std::string m_strOutput;
    std::size_t m_nSeen = 0;
};

// Each step's result tells the keys' work from their failure: without the search, "7*" would
// give 49; without the completion, "sq16)" would be a syntax error.
TEST_F(LumdrakEvalTerminal, KeysEditRecallSearchAndComplete)
{
    RunSession(
        {
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
            {std::string("?2*-3") + kEnter, Result("   ^^\r\nSyntax not allowed.")}, // under -
            {std::string(":m") + kEnter, Result("m = 5")},
            {std::string("m*r+1") + kEnter, Result("26")},
            {std::string(kCtrlR) + "7*" + kEnd + "+1" + kEnter, Result("43")}, // End ends it
            {std::string(":help") + kEnter, "Ctrl+R"},
            {"", ":o bin|hex|dez|f64|f32"},
            {"", "quit\r\n?"},
            {kCtrlD, ""},
        },
        false);
    EXPECT_TRUE(fs::is_empty(m_home)) << "an empty LUMDRAK_EVAL_HISTORY keeps no file";
}

// A mode chosen on a terminal holds for the lines after it, as the option would from the start.
TEST_F(LumdrakEvalTerminal, ModeCommandsChangeTheFollowingLines)
{
    RunSession({{std::string(":o hex") + kEnter, Result("output hex, no cast")},
                {std::string("255") + kEnter, Result("$FF")},
                {std::string(":c 8") + kEnter, Result("output hex, cast 8 bits signed")},
                {std::string("200") + kEnter, Result("$C8")},
                {std::string(":o oct") + kEnter, Result(":o takes bin, hex, dez, f64 or f32")},
                {std::string(":u") + kEnter, Result("output hex, cast 8 bits unsigned")},
                {std::string(":o dez") + kEnter, Result("output dez, cast 8 bits unsigned")},
                {std::string("r+56") + kEnter, Result("0")},
                {std::string(":") + kTab, "o  c  u  i  m  help  q"},
                {std::string("c") + kTab + kTab, "none  32  16  8"},
                {std::string("1") + kTab + kEnter, Result("output dez, cast 16 bits unsigned")},
                {kCtrlD, ""}},
               false);
}

// :i reads a header (its path completed from the home folder) for the lines after it, which
// are read as C from then on.
TEST_F(LumdrakEvalTerminal, IncludeReadsAHeaderForTheFollowingLines)
{
    std::ofstream(m_home / "uart.h") << "#define UART0_BASE 0x40000000\n"
                                        "#define UART0_CR (UART0_BASE + 0x30)\n";
    RunSession({{std::string("UART0_CR") + kEnter, Result("^^\r\nSyntax not allowed.")},
                {std::string(":i ~/ua") + kTab + kEnter,
                 Result("Read ~/uart.h: 2 C names. Lines are read as C from now on.")},
                {std::string("UART0_CR | 1") + kEnter, Result("1073741873")},
                {kCtrlD, ""}},
               false);
}

// With -C a marker stands under the character as typed, not as converted.
TEST_F(LumdrakEvalTerminal, CLiteralsAreConvertedAndMarkersStayUnderTheTypedText)
{
    RunSession(
        {{std::string("0xFF & (1 << 4)") + kEnter, Result("16")},
         {std::string("0b1010|1") + kEnter, Result("11")},
         {std::string("0x_ff+]") + kEnter, Result("      ^^\r\nSyntax not allowed.")},
         {std::string("EBADF") + kEnter, Result("C's value is unknown: EBADF is not defined.")},
         {std::string("#define TWO 2") + kEnter, Result("2")},
         {std::string("TWO << 3") + kEnter, Result("16")},
         {kCtrlD, ""}},
        false, {"-C"});
}

TEST_F(LumdrakEvalTerminal, HistorySurvivesARestart)
{
    RunSession({{std::string("1+2") + kEnter, Result("3")},
                {std::string(kUp) + kBackspace + "3" + kEnter, Result("4")},
                {std::string(":q") + kEnter, ""}},
               true);
    EXPECT_EQ(StoredHistory(), (std::vector<std::string>{"1+2", "1+3", ":q"}));
    RunSession({{std::string(kCtrlR) + "+3" + kEnter, Result("4")},
                {std::string(kUp) + kUp + kUp + kUp + kEnter, Result("3")}, // 1+3 :q 1+3 1+2
                {kCtrlD, ""}},
               true);
    EXPECT_EQ(StoredHistory(), (std::vector<std::string>{"1+2", "1+3", ":q", "1+3", "1+2"}));
}

// Without libedit a terminal still gets its session: the program says why the line is not
// edited, then the terminal edits whole lines and the program prompts and evaluates them.
TEST_F(LumdrakEvalTerminal, WithoutLibeditTheTerminalEditsWholeLines)
{
    m_strLibraryPath = FAKE_LIBEDIT_DIR;
    m_bLineEditor = false;
    RunSession({{std::string("1+2") + kEnter, "1+2\r\n3\r\n?"},
                {std::string("12") + kBackspace + "+r" + kEnter, "4\r\n?"},
                {kCtrlD, "\r\n"}},
               true);
    EXPECT_EQ(m_strOutput.find("fake libedit loaded\r\nlumdrak-eval: no line editing: "), 0u)
        << testing::PrintToString(m_strOutput);
    EXPECT_TRUE(fs::is_empty(m_home)) << "only the line editor keeps a history";
}

} // namespace
