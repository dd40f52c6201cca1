#pragma once

#include <QSocketNotifier>

#include <csignal>
#include <functional>
#include <iterator>
#include <memory>

// SIGTERM, SIGHUP and SIGINT, as a logout, a closed terminal or Ctrl+C in it send them, turned
// into a call on the event loop, so that the window can end the way it ends when closed. The
// handler only writes a byte to a pipe, and it lasts for one signal: a second one, should the
// program not end, ends it at once. A signal the program was started with ignored (nohup)
// stays ignored. One object at a time; it puts the previous handling back.
class CTerminationSignals
{
public:
    explicit CTerminationSignals(std::function<void()> fnOnSignal);
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
    std::unique_ptr<QSocketNotifier> m_pNotifier;
};
