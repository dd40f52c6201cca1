#pragma once

#include "CNames.h"
#include "CNamesStore.h"

#include <QAction>
#include <QObject>
#include <QStringList>

#include <future>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

class CConsoleEdit;

// The C names the console's pastes and headers teach (CCNames), kept between runs
// (CCNamesStore): read from the hive at start and loaded on a thread of their own, saved
// whenever a paste or a header changed them; they change on the window's thread only. Adds "Read C
// header…" and "Forget C names" to the console's menu; a header, chosen there or dropped on the
// console, is read on a thread of its own into names of its own, which join these once no paste is
// reading them, and a notice beside the caret says what it gave or why it could not be read.
class CCNamesKeeper : public QObject
{
public:
    explicit CCNamesKeeper(QObject* pParent);
    ~CCNamesKeeper() override;
    CCNamesKeeper(const CCNamesKeeper&) = delete;
    CCNamesKeeper& operator=(const CCNamesKeeper&) = delete;

    // Reads the hive and starts the load; adds the menu's items and wires the paste.
    void Start(CConsoleEdit* pConsole);

    // The names, once loaded: the first call may wait for the load, on any thread. A paste's
    // thread reads them while the window's holds every input; only the window's changes them.
    CCNames& Names();

    // Reads the headers at arrPaths, one after the other, off the window's thread.
    void ReadHeaders(const QStringList& arrPaths);

    // "Forget C names": the names and their stored value go.
    void Forget();

private:
    void OnChooseHeader();
    void ReadNextHeader();
    void OnHeaderRead(std::uint64_t nRead);
    void Adopt();
    void Save(const std::string& strSaved);

    CConsoleEdit* m_pConsole = nullptr;
    std::unique_ptr<CCNames> m_pNames; // made by the load
    std::unique_ptr<CCNamesStore> m_pStore;
    std::shared_future<void> m_loaded;
    std::jthread m_loading;
    QAction m_readAction;
    QAction m_forgetAction;
    QStringList m_arrHeaders; // waiting to be read
    // The header being read, into names of its own, and what it gave.
    struct SHeader;
    std::shared_ptr<SHeader> m_pHeader;
    std::uint64_t m_nRead = 0; // counts header reads, so that one stopped says nothing
    std::vector<std::shared_ptr<SHeader>> m_arrAdopting; // read, waiting for a paste to end
    std::jthread m_reading; // last: stopped and joined before the members it uses go
};
