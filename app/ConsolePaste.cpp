#include "ConsolePaste.h"

#include "Paste.h"
#include "PasteNotice.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QWindow>

#include <string_view>

namespace
{

// A paste that is in by then never shows "Pasting...".
constexpr int kPastingAfterMs = 300;
// How often a portion that a test holds asks again.
constexpr int kHeldPortionMs = 10;

QString FromUtf8(std::string_view strText)
{
    return QString::fromUtf8(strText.data(), static_cast<qsizetype>(strText.size()));
}

} // namespace

CConsolePaste::CConsolePaste(QPlainTextEdit* pEdit)
    : m_pEdit(pEdit), m_pNotice(new CPasteNotice(pEdit->viewport(), true)),
      m_pPasting(new CPasteNotice(pEdit->viewport(), false))
{
    m_pPasting->setObjectName(QStringLiteral("pastingNotice"));
    m_portionTimer.setSingleShot(true);
    connect(&m_portionTimer, &QTimer::timeout, this, &CConsolePaste::InsertPortion);
    m_pastingTimer.setSingleShot(true);
    m_pastingTimer.setInterval(kPastingAfterMs);
    connect(&m_pastingTimer, &QTimer::timeout, this,
            [this]
            {
                m_pPasting->Show(QStringLiteral("Pasting\u2026 Escape cancels."),
                                 m_pEdit->cursorRect(m_cursor));
            });
}

CConsolePaste::~CConsolePaste() { Stop(); }

void CConsolePaste::Start(QByteArray strPasted, ECastType eCast, const QTextCursor& at)
{
    if (IsRunning()) return; // a key that pastes is held with the others meanwhile
    m_eStep = EStep::Converting;
    const std::uint64_t nPaste = ++m_nPaste;
    m_cursor = at;
    qApp->installEventFilter(this);
    m_pastingTimer.start();
    // The thread of the previous paste, if it was stopped, ends here.
    m_converting = std::jthread(
        [this, nPaste, strPasted = std::move(strPasted), eCast,
         fnBefore = m_pace.fnBeforeConversion](std::stop_token stop)
        {
            if (fnBefore) fnBefore(stop);
            CCNames names;
            auto pConversion = std::make_shared<SPasteConversion>(CPasteReader(names).Convert(
                std::string_view(strPasted.constData(), static_cast<std::size_t>(strPasted.size())),
                eCast, [&stop] { return !stop.stop_requested(); }));
            if (!pConversion->bWhole) return;
            QMetaObject::invokeMethod(
                this, [this, nPaste, pConversion] { OnConverted(nPaste, *pConversion); },
                Qt::QueuedConnection);
        });
}

void CConsolePaste::OnConverted(std::uint64_t nPaste, SPasteConversion& conversion)
{
    if (nPaste != m_nPaste || m_eStep != EStep::Converting) return; // stopped or taken back
    m_eStep = EStep::Inserting;
    m_strText = std::move(conversion.strText);
    m_strNotice = std::move(conversion.strNotice);
    m_nInserted = 0;
    // One very long line is one portion, but one that holds the window for a while.
    const bool bLong =
        m_strText.size() > m_pace.nPortionBytes ||
        PortionEnd(m_strText, 0, m_pace.nPortionLines, m_pace.nPortionBytes) < m_strText.size();
    if (bLong && m_fnBeforeInsert) m_fnBeforeInsert();
    InsertPortion();
}

void CConsolePaste::InsertPortion()
{
    if (m_pace.fnMayInsert && !m_pace.fnMayInsert())
    {
        m_portionTimer.start(kHeldPortionMs);
        return;
    }
    const std::size_t nEnd =
        PortionEnd(m_strText, m_nInserted, m_pace.nPortionLines, m_pace.nPortionBytes);
    // Each portion joins the first one's edit block: one Ctrl+Z takes them all back, and the
    // document is whole between them, for painting and for its signals.
    if (m_nInserted == 0)
        m_cursor.beginEditBlock();
    else
        m_cursor.joinPreviousEditBlock();
    m_bPartlyIn = true;
    m_cursor.insertText(
        FromUtf8(std::string_view(m_strText).substr(m_nInserted, nEnd - m_nInserted)));
    m_cursor.endEditBlock();
    m_nInserted = nEnd;
    if (m_nInserted < m_strText.size())
        m_portionTimer.start(0);
    else
        Finish();
}

void CConsolePaste::Finish()
{
    m_bPartlyIn = false;
    Leave();
    m_pEdit->setTextCursor(m_cursor);
    m_pEdit->ensureCursorVisible();
    if (!m_strNotice.empty()) m_pNotice->Show(FromUtf8(m_strNotice), m_pEdit->cursorRect());
    // No buffer of a paste is kept for the next one.
    std::string().swap(m_strText);
    std::string().swap(m_strNotice);
    TypeHeldInput();
}

void CConsolePaste::Cancel()
{
    if (!IsRunning()) return;
    m_converting.request_stop();
    if (m_bPartlyIn)
    {
        // Neither Ctrl+Z nor Ctrl+Y brings any of it back.
        m_pEdit->document()->undo(&m_cursor);
        m_pEdit->document()->clearUndoRedoStacks(QTextDocument::RedoStack);
        m_pEdit->setTextCursor(m_cursor);
        m_bPartlyIn = false;
    }
    Leave();
    std::string().swap(m_strText);
    TypeHeldInput();
}

void CConsolePaste::Stop()
{
    if (!IsRunning()) return;
    m_converting.request_stop();
    m_arrHeldInput.clear();
    Leave();
    std::string().swap(m_strText);
}

void CConsolePaste::Leave()
{
    m_eStep = EStep::None;
    ++m_nPaste; // a conversion still on its way is for no paste now
    qApp->removeEventFilter(this);
    m_portionTimer.stop();
    m_pastingTimer.stop();
    m_pPasting->hide();
}

void CConsolePaste::TypeHeldInput()
{
    // A key may start the next paste, which holds the input after it in turn.
    while (!IsRunning() && !m_arrHeldInput.empty())
    {
        const std::unique_ptr<QEvent> pInput = std::move(m_arrHeldInput.front());
        m_arrHeldInput.pop_front();
        QWidget* pWindow = m_pEdit->window();
        QApplication::sendEvent(pWindow->focusWidget() ? pWindow->focusWidget() : pWindow,
                                pInput.get());
    }
}

bool CConsolePaste::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    switch (pEvent->type())
    {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        break;
    default:
        return false;
    }
    // Input reaches the window before its widgets: a click there moves no focus either.
    const QWidget* pWindow = m_pEdit->window();
    const auto* pWidget = qobject_cast<const QWidget*>(pWatched);
    if (pWatched != pWindow->windowHandle() && (!pWidget || pWidget->window() != pWindow))
        return false;
    const auto* pKey =
        pEvent->type() == QEvent::KeyPress ? static_cast<const QKeyEvent*>(pEvent) : nullptr;
    if (pKey && pKey->key() == Qt::Key_Escape && pKey->modifiers() == Qt::NoModifier)
        Cancel();
    else if (pKey || pEvent->type() == QEvent::InputMethod)
        m_arrHeldInput.emplace_back(pEvent->clone());
    return true;
}
