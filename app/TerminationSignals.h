#pragma once

#include <QSocketNotifier>

#include <chrono>
#include <csignal>
#include <functional>
#include <iterator>
#include <memory>

// SIGTERM, SIGHUP and SIGINT, as a logout, a closed terminal or Ctrl+C in it send them, turned
// into a call on the event loop, so that the window can end the way it ends when closed (and
// saves what it keeps). The handler only writes a byte to a pipe. A later signal, as a burst
// from a session manager or a double Ctrl+C sends, ends the program, but lets that save finish
// first: it waits until the call has returned, and at most latestEnd (a second), after which it
// ends the program whatever the call is doing. A signal the program was started with ignored
// (nohup) stays ignored. One object at a time; it puts the previous handling back.
class CTerminationSignals
{
public:
    static constexpr std::chrono::milliseconds kLatestEnd{1000};

    explicit CTerminationSignals(std::function<void()> fnOnSignal,
                                 std::chrono::milliseconds latestEnd = kLatestEnd);
    ~CTerminationSignals();
    CTerminationSignals(const CTerminationSignals&) = delete;
    CTerminationSignals& operator=(const CTerminationSignals&) = delete;

private:
    static constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

    void OnReadable();

    std::function<void()> m_fnOnSignal;
    int m_arrPipe[2] = {-1, -1};
    struct sigaction m_arrPrevious[std::size(kSignals)] = {}; // as kSignals lists them
    bool m_arrInstalled[std::size(kSignals)] = {};
    struct sigaction m_previousAlarm = {};
    std::unique_ptr<QSocketNotifier> m_pNotifier;
};
