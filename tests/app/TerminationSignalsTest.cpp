// The termination signals on their own: the first one's call runs on the event loop, and a
// later one ends the program only once that call has returned, or once the limit is over. Each
// row runs in a child process of its own, which the signals may end.
#include "TerminationSignals.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

namespace
{

// A limit short enough for a test; the outcome does not depend on it.
constexpr std::chrono::milliseconds kTestLatestEnd{50};

struct SRow
{
    const char* pszName;
    int nLaterSignal; // raised during the call, as a signal that came meanwhile; 0 for none
    bool bCallHangs;  // the call never gets to its end
    int nEndSignal;   // what ends the child; 0 for a normal exit
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
            while (row.bCallHangs)
                pause();
            [[maybe_unused]] const ssize_t n = write(nPipe, "c", 1);
            QCoreApplication::exit(0);
        },
        kTestLatestEnd);
    raise(SIGTERM);
    QCoreApplication::exec();
    _exit(0);
}

TEST(TerminationSignals, ALaterSignalWaitsForTheFirstOnesCallUntilTheLimit)
{
    const SRow rows[] = {
        {"one signal", 0, false, 0},
        {"the same again", SIGTERM, false, SIGTERM},
        {"another one", SIGINT, false, SIGINT},
        {"a call that cannot finish", SIGHUP, true, SIGHUP},
    };
    for (const SRow& row : rows)
    {
        int arrPipe[2];
        ASSERT_EQ(pipe(arrPipe), 0);
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
        char chDone = 0;
        const bool bCallReturned = read(arrPipe[0], &chDone, 1) == 1;
        close(arrPipe[0]);
        EXPECT_EQ(bCallReturned, !row.bCallHangs) << row.pszName;
        if (row.nEndSignal)
            EXPECT_TRUE(WIFSIGNALED(nStatus) && WTERMSIG(nStatus) == row.nEndSignal)
                << row.pszName << ": status " << nStatus;
        else
            EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << row.pszName;
    }
}

} // namespace
