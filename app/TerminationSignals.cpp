#include "TerminationSignals.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace
{

// The pipe's write end, for the handler; -1 while no object watches.
volatile std::sig_atomic_t g_nWriteFd = -1;

extern "C" void OnTerminationSignal(int)
{
    const int nSavedErrno = errno;
    const char chSignal = 1;
    // A full pipe already holds a byte that wakes the loop; nothing more is needed.
    [[maybe_unused]] const ssize_t nWritten = write(g_nWriteFd, &chSignal, 1);
    errno = nSavedErrno;
}

} // namespace

CTerminationSignals::CTerminationSignals(std::function<void()> fnOnSignal)
    : m_fnOnSignal(std::move(fnOnSignal))
{
    if (pipe2(m_arrPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    g_nWriteFd = m_arrPipe[1];
    m_pNotifier = std::make_unique<QSocketNotifier>(m_arrPipe[0], QSocketNotifier::Read);
    QObject::connect(m_pNotifier.get(), &QSocketNotifier::activated, m_pNotifier.get(),
                     [this] { OnReadable(); });

    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
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
    if (m_fnOnSignal) m_fnOnSignal();
}
