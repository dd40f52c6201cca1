#pragma once

#include "ConsoleStore.h"
#include "Transcript.h"

#include <QAction>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

class CConsoleEdit;

// Keeps the console's text between runs: puts the kept transcript above the start-up text,
// saves the console a little after the edits pause (never while a key is handled) and
// whenever the window ends, and adds "Keep console between runs" to the console's menu.
// A console that holds part of a paste is never saved: what it held before the paste stays
// kept until the paste is whole.
class CConsoleKeeper : public QObject
{
public:
    explicit CConsoleKeeper(QObject* pParent);

    // Once the console holds its start-up text. The transcript is read and put above it as
    // soon as the window has first been painted: a large one would hold up the window's
    // appearance by tens of milliseconds. From then on the console's edits are saved.
    void Start(CConsoleEdit* pConsole);

    // The transcript is in (or there was none), and edits are watched.
    bool IsRestored() const { return m_pStore != nullptr; }

    // Saves the console now if it changed since the last save, unless it holds part of a paste.
    void Save();

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void Restore();
    void OnContentsChange();
    void OnKeepToggled(bool bKeep);

    std::unique_ptr<CConsoleStore> m_pStore; // from the restore on
    CConsoleEdit* m_pConsole = nullptr;
    QAction m_keepAction;
    QTimer m_restoreTimer; // the restore, at the first paint or at the latest after a while
    QTimer m_saveTimer;
    QElapsedTimer m_clock;
    CSaveSchedule m_schedule;
    int m_nLineCount = 0;    // the console's lines at the last edit
    bool m_bUnsaved = false; // the console changed since the last save that succeeded
    bool m_bRestoring = false;
};
