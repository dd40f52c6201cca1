#include "ConsoleKeeper.h"

#include "ConsoleEdit.h"
#include "ConsoleText.h"

#include <QGuiApplication>
#include <QTextDocument>

CConsoleKeeper::CConsoleKeeper(QObject* pParent)
    : QObject(pParent), m_keepAction(QStringLiteral("Keep console between runs"), this)
{
    m_keepAction.setCheckable(true);
    connect(&m_keepAction, &QAction::toggled, this, &CConsoleKeeper::OnKeepToggled);
    m_saveTimer.setSingleShot(true);
    connect(&m_saveTimer, &QTimer::timeout, this, &CConsoleKeeper::Save);
    // A logout may end the program without closing the window.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &CConsoleKeeper::Save);
#ifndef QT_NO_SESSIONMANAGER
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { Save(); });
#endif
    m_clock.start();
}

std::string CConsoleKeeper::Load()
{
    m_pStore = std::make_unique<CConsoleStore>();
    const QSignalBlocker blocker(m_keepAction);
    m_keepAction.setChecked(CConsoleStore::IsKept());
    return m_pStore->Restored();
}

void CConsoleKeeper::Watch(CConsoleEdit* pConsole)
{
    m_pConsole = pConsole;
    m_nLineCount = pConsole->document()->blockCount();
    m_bUnsaved = false;
    connect(pConsole->document(), &QTextDocument::contentsChanged, this,
            &CConsoleKeeper::OnContentsChange);
    pConsole->AddContextAction(&m_keepAction);
}

void CConsoleKeeper::OnContentsChange()
{
    m_bUnsaved = true;
    const int nLineCount = m_pConsole->document()->blockCount();
    const bool bLinesChanged = nLineCount != m_nLineCount;
    m_nLineCount = nLineCount;
    if (!m_keepAction.isChecked() || !m_pStore->CanSave()) return;
    m_saveTimer.start(static_cast<int>(m_schedule.OnEdit(m_clock.elapsed(), bLinesChanged)));
}

void CConsoleKeeper::Save()
{
    m_saveTimer.stop();
    if (!m_bUnsaved || !m_pConsole || !m_keepAction.isChecked()) return;
    // A hive that failed waits for the next pause too, rather than being tried at every key.
    m_schedule.OnSaved();
    if (m_pStore->Save(ToModelText(m_pConsole->document()->toRawText())))
        m_bUnsaved = false;
    else if (!CConsoleStore::IsKept())
    {
        // Turned off by another running copy.
        const QSignalBlocker blocker(m_keepAction);
        m_keepAction.setChecked(false);
    }
}

void CConsoleKeeper::OnKeepToggled(bool bKeep)
{
    if (!m_pStore) return;
    m_pStore->SetKept(bKeep);
    if (!bKeep)
    {
        m_saveTimer.stop();
        return;
    }
    // What the console holds now is kept from here on.
    m_bUnsaved = true;
    Save();
}
