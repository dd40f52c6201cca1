#pragma once

#include "ConsoleStore.h"
#include "Transcript.h"

#include <QAction>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <string>

class CConsoleEdit;

// Keeps the console's text between runs: gives the transcript to restore at start, saves it
// a little after the edits pause (never while a key is handled) and whenever the window ends,
// and adds "Keep console between runs" to the console's context menu.
class CConsoleKeeper : public QObject
{
public:
    explicit CConsoleKeeper(QObject* pParent);

    // Reads the hive: the transcript to put above the start-up text, "" when none.
    std::string Load();

    // From now on, edits of the console are saved; the text it holds now counts as saved.
    void Watch(CConsoleEdit* pConsole);

    // Saves the console now if it changed since the last save.
    void Save();

private:
    void OnContentsChange();
    void OnKeepToggled(bool bKeep);

    std::unique_ptr<CConsoleStore> m_pStore; // from Load on
    CConsoleEdit* m_pConsole = nullptr;
    QAction m_keepAction;
    QTimer m_saveTimer;
    QElapsedTimer m_clock;
    CSaveSchedule m_schedule;
    int m_nLineCount = 0;  // the console's lines at the last edit
    bool m_bUnsaved = false; // the console changed since the last save that succeeded
};
