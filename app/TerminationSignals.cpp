#include "TerminationSignals.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

namespace
{

static_assert(std::atomic<int>::is_always_lock_free, "the handlers need lock-free atomics");

// The pipe's write end, for the handler; -1 while no object watches.
std::atomic<int> g_nWriteFd{-1};
std::atomic<int> g_nSignals{0};       // termination signals received
std::atomic<int> g_nPendingSignal{0}; // a later one, held until the first one's call is done
std::atomic<bool> g_bCallDone{false}; // the first signal's call has returned
std::atomic<long> g_nLatestEndMs{0};  // how long a later signal waits for that call

// Ends the program as nSignal's default action does. Async-signal-safe.
void EndBy(int nSignal)
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(nSignal, &action, nullptr);
    raise(nSignal); // delivered when the handler that raised it returns, if it is this signal
}

extern "C" void OnLatestEnd(int)
{
    if (const int nSignal = g_nPendingSignal.load()) EndBy(nSignal);
}

extern "C" void OnTerminationSignal(int nSignal)
{
    const int nSavedErrno = errno;
    if (g_nSignals.fetch_add(1) == 0)
    {
        const char chSignal = 1;
        // A full pipe already holds a byte that wakes the loop; nothing more is needed.
        [[maybe_unused]] const ssize_t nWritten = write(g_nWriteFd.load(), &chSignal, 1);
    }
    else if (g_bCallDone.load())
    {
        EndBy(nSignal);
    }
    else
    {
        int nNone = 0;
        if (g_nPendingSignal.compare_exchange_strong(nNone, nSignal))
        {
            const long nMs = std::max(g_nLatestEndMs.load(), 1L);
            itimerval timer = {};
            timer.it_value.tv_sec = nMs / 1000;
            timer.it_value.tv_usec = nMs % 1000 * 1000;
            setitimer(ITIMER_REAL, &timer, nullptr);
        }
    }
    errno = nSavedErrno;
}

} // namespace

CTerminationSignals::CTerminationSignals(std::function<void()> fnOnSignal,
                                         std::chrono::milliseconds latestEnd)
    : m_fnOnSignal(std::move(fnOnSignal))
{
    if (pipe2(m_arrPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    g_nWriteFd = m_arrPipe[1];
    g_nSignals = 0;
    g_nPendingSignal = 0;
    g_bCallDone = false;
    g_nLatestEndMs = static_cast<long>(latestEnd.count());
    m_pNotifier = std::make_unique<QSocketNotifier>(m_arrPipe[0], QSocketNotifier::Read);
    QObject::connect(m_pNotifier.get(), &QSocketNotifier::activated, m_pNotifier.get(),
                     [this] { OnReadable(); });

    struct sigaction action = {};
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    action.sa_handler = OnLatestEnd;
    sigaction(SIGALRM, &action, &m_previousAlarm);
    action.sa_handler = OnTerminationSignal;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
    {
        if (sigaction(kSignals[i], nullptr, &m_arrPrevious[i]) != 0 ||
            m_arrPrevious[i].sa_handler == SIG_IGN)
            continue;
        m_arrInstalled[i] = sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

CTerminationSignals::~CTerminationSignals()
{
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        if (m_arrInstalled[i]) sigaction(kSignals[i], &m_arrPrevious[i], nullptr);
    const itimerval none = {};
    setitimer(ITIMER_REAL, &none, nullptr);
    sigaction(SIGALRM, &m_previousAlarm, nullptr);
    g_nWriteFd = -1;
    m_pNotifier.reset();
    for (const int nFd : m_arrPipe)
        if (nFd >= 0) close(nFd);
}

void CTerminationSignals::OnReadable()
{
    char buffer[16];
    while (read(m_arrPipe[0], buffer, sizeof buffer) > 0)
    {
    }
    if (g_bCallDone) return;
    if (m_fnOnSignal) m_fnOnSignal();
    // What the call saved is in: a signal that came meanwhile ends the program now.
    g_bCallDone = true;
    if (const int nSignal = g_nPendingSignal.load()) EndBy(nSignal);
}
