// The termination signals on their own: the first one's call runs on the event loop, and a
// later one ends the program only once that call has returned, or after a second at the
// latest. Each row runs in a child process of its own, which the signals may end.
#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace
{

struct SRow
{
    const char* pszName;
    int nLaterSignal;  // raised during the call, as a signal that came meanwhile; 0 for none
    int nCallMs;       // how long the call takes after that
    bool bCallReturns; // the call got to its end
    int nEndSignal;    // what ends the child; 0 for a normal exit
};

// Runs the row in a child: a signal starts the call, which writes 'c' to the pipe when done.
void RunChild(const SRow& row, int nPipe)
{
    int nArgc = 1;
    char szName[] = "termination_signals_test";
    char* arrArgv[] = {szName, nullptr};
    QCoreApplication application(nArgc, arrArgv);
    const CTerminationSignals termination(
        [&]
        {
            if (row.nLaterSignal) raise(row.nLaterSignal);
            std::this_thread::sleep_for(std::chrono::milliseconds(row.nCallMs));
            [[maybe_unused]] const ssize_t n = write(nPipe, "c", 1);
            QCoreApplication::exit(0);
        });
    raise(SIGTERM);
    QCoreApplication::exec();
    _exit(0);
}

TEST(TerminationSignals, ALaterSignalWaitsForTheFirstOnesCallAtMostASecond)
{
    const SRow rows[] = {
        {"one signal", 0, 0, true, 0},
        {"the same again", SIGTERM, 50, true, SIGTERM},
        {"another one", SIGINT, 50, true, SIGINT},
        {"a call that cannot finish", SIGHUP, 5000, false, SIGHUP},
    };
    for (const SRow& row : rows)
    {
        int arrPipe[2];
        ASSERT_EQ(pipe(arrPipe), 0);
        const auto start = std::chrono::steady_clock::now();
        const pid_t nChild = fork();
        ASSERT_GE(nChild, 0);
        if (nChild == 0)
        {
            close(arrPipe[0]);
            RunChild(row, arrPipe[1]);
        }
        close(arrPipe[1]);
        int nStatus = 0;
        ASSERT_EQ(waitpid(nChild, &nStatus, 0), nChild);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        char chDone = 0;
        const bool bCallReturned = read(arrPipe[0], &chDone, 1) == 1;
        close(arrPipe[0]);
        EXPECT_EQ(bCallReturned, row.bCallReturns) << row.pszName;
        if (row.nEndSignal)
            EXPECT_TRUE(WIFSIGNALED(nStatus) && WTERMSIG(nStatus) == row.nEndSignal)
                << row.pszName << ": status " << nStatus;
        else
            EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << row.pszName;
        const auto latest = std::chrono::seconds(CTerminationSignals::kLatestEndSeconds);
        EXPECT_LT(elapsed, latest + std::chrono::milliseconds(900)) << row.pszName;
    }
}

} // namespace
