#include "ConsoleKeeper.h"

#include "ConsoleEdit.h"
#include "ConsoleText.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

namespace
{

// A window that is never painted (kept hidden, say) still restores, a little later.
constexpr int kLatestRestoreMs = 300;

} // namespace

CConsoleKeeper::CConsoleKeeper(QObject* pParent)
    : QObject(pParent), m_keepAction(QStringLiteral("Keep console between runs"), this)
{
    m_keepAction.setCheckable(true);
    m_keepAction.setChecked(true);
    m_keepAction.setEnabled(false); // until the restore has read the choice
    connect(&m_keepAction, &QAction::toggled, this, &CConsoleKeeper::OnKeepToggled);
    m_restoreTimer.setSingleShot(true);
    connect(&m_restoreTimer, &QTimer::timeout, this, &CConsoleKeeper::Restore);
    m_saveTimer.setSingleShot(true);
    connect(&m_saveTimer, &QTimer::timeout, this, &CConsoleKeeper::Save);
    // A logout may end the program without closing the window.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &CConsoleKeeper::Save);
#ifndef QT_NO_SESSIONMANAGER
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { Save(); });
#endif
    m_clock.start();
}

void CConsoleKeeper::Start(CConsoleEdit* pConsole)
{
    m_pConsole = pConsole;
    pConsole->AddContextAction(&m_keepAction);
    // A paste is not saved until it is whole, so a signal while a long one goes in keeps what
    // was there before it: that is saved first.
    pConsole->Paste().m_fnBeforeInsert = [this] { Save(); };
    connect(pConsole->document(), &QTextDocument::contentsChanged, this,
            &CConsoleKeeper::OnContentsChange);
    pConsole->viewport()->installEventFilter(this);
    m_restoreTimer.start(kLatestRestoreMs);
}

bool CConsoleKeeper::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    // Restored after this paint has reached the screen, not before it.
    if (pEvent->type() == QEvent::Paint && !m_pStore)
    {
        pWatched->removeEventFilter(this);
        m_restoreTimer.start(0);
    }
    return QObject::eventFilter(pWatched, pEvent);
}

void CConsoleKeeper::Restore()
{
    if (m_pStore) return;
    m_pConsole->viewport()->removeEventFilter(this);
    m_pStore = std::make_unique<CConsoleStore>();
    {
        const QSignalBlocker blocker(m_keepAction);
        m_keepAction.setChecked(m_pStore->WasKeptAtStart());
        m_keepAction.setEnabled(true);
    }
    // A value written by anything else is bounded like a saved one before it is shown.
    const std::string strTranscript = TranscriptOf(m_pStore->Restored());
    QTextDocument* pDocument = m_pConsole->document();
    if (!strTranscript.empty())
    {
        // Neither an edit to save nor one to take back: the undo history starts after it.
        m_bRestoring = true;
        pDocument->setUndoRedoEnabled(false);
        QTextCursor(pDocument).insertText(ToWidgetText(strTranscript) + QChar(u'\n'));
        pDocument->setUndoRedoEnabled(true);
        m_bRestoring = false;
        // The caret stays behind the new prompt, at the end, and the end is in view.
        m_pConsole->verticalScrollBar()->setValue(m_pConsole->verticalScrollBar()->maximum());
    }
    m_nLineCount = pDocument->blockCount();
    // Keys typed ahead of the restore are saved like any others.
    if (m_bUnsaved && m_keepAction.isChecked() && m_pStore->CanSave())
        m_saveTimer.start(static_cast<int>(m_schedule.OnEdit(m_clock.elapsed(), true)));
}

void CConsoleKeeper::OnContentsChange()
{
    if (m_bRestoring) return;
    m_bUnsaved = true;
    if (!m_pStore) return;
    const int nLineCount = m_pConsole->document()->blockCount();
    const bool bLinesChanged = nLineCount != m_nLineCount;
    m_nLineCount = nLineCount;
    if (!m_keepAction.isChecked() || !m_pStore->CanSave()) return;
    m_saveTimer.start(static_cast<int>(m_schedule.OnEdit(m_clock.elapsed(), bLinesChanged)));
}

void CConsoleKeeper::Save()
{
    m_saveTimer.stop();
    if (!m_bUnsaved || !m_pStore || !m_keepAction.isChecked()) return;
    // Its last portion is an edit too, which brings the next save.
    if (m_pConsole->Paste().IsPartlyIn()) return;
    // A hive that failed waits for the next pause too, rather than being tried at every key.
    m_schedule.OnSaved();
    if (m_pStore->Save(TranscriptOf(ToModelText(m_pConsole->document()->toRawText()))))
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
