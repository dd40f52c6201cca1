#include "ConsolePaste.h"

#include "Paste.h"
#include "PasteNotice.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QWindow>

#include <algorithm>
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

// Two lines or more: a break before the text's last character (one ending it makes no line).
bool HoldsLines(const QByteArray& strPasted)
{
    const qsizetype nBreak = strPasted.indexOf('\n');
    return nBreak >= 0 && nBreak + 1 < strPasted.size();
}

} // namespace

// What a paste's thread gives the window: its text, or its block's lines, and what it defined.
struct SPasteRead
{
    SPasteConversion conversion;
    SPasteBlock block;
    std::unique_ptr<CCNames> pLearned;
};

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
    m_bBlock =
        m_fnEnterBlockLine && m_fnAtEmptyPrompt && HoldsLines(strPasted) && m_fnAtEmptyPrompt();
    qApp->installEventFilter(this);
    m_pastingTimer.start();
    // The thread of the previous paste, if it was stopped, ends here.
    m_converting = std::jthread(
        [this, nPaste, strPasted = std::move(strPasted), eCast, bBlock = m_bBlock,
         fnNames = m_fnNames, fnBefore = m_pace.fnBeforeConversion](std::stop_token stop)
        {
            if (fnBefore) fnBefore(stop);
            // The names kept are read, never changed: what the paste defines stays over them.
            auto pRead = std::make_shared<SPasteRead>();
            pRead->pLearned = fnNames ? CCNames::Over(fnNames()) : std::make_unique<CCNames>();
            CPasteReader reader(*pRead->pLearned);
            const std::string_view strText(strPasted.constData(),
                                           static_cast<std::size_t>(strPasted.size()));
            const auto fnGoOn = [&stop] { return !stop.stop_requested(); };
            if (bBlock)
                pRead->block = reader.ReadBlock(strText, eCast, fnGoOn);
            else
                pRead->conversion = reader.Convert(strText, eCast, fnGoOn);
            if (!pRead->block.bWhole || !pRead->conversion.bWhole) return;
            QMetaObject::invokeMethod(
                this, [this, nPaste, pRead] { OnConverted(nPaste, *pRead); }, Qt::QueuedConnection);
        });
}

void CConsolePaste::OnConverted(std::uint64_t nPaste, SPasteRead& read)
{
    if (nPaste != m_nPaste || m_eStep != EStep::Converting) return; // stopped or taken back
    m_converting.join();                                            // it has nothing left to do
    m_eStep = EStep::Inserting;
    if (m_fnLearned && read.pLearned->Count() > 0) m_fnLearned(*read.pLearned);
    m_nInserted = 0;
    if (m_bBlock)
    {
        m_arrBlock = std::move(read.block.arrLines);
        m_strNotice = std::move(read.block.strNotice);
        if (m_arrBlock.size() > static_cast<std::size_t>(m_pace.nBlockLines) && m_fnBeforeInsert)
            m_fnBeforeInsert();
        EnterPortion();
        return;
    }
    m_strText = std::move(read.conversion.strText);
    m_strNotice = std::move(read.conversion.strNotice);
    // One very long line is one portion, but one that holds the window for a while.
    const bool bLong =
        m_strText.size() > m_pace.nPortionBytes ||
        PortionEnd(m_strText, 0, m_pace.nPortionLines, m_pace.nPortionBytes) < m_strText.size();
    if (bLong && m_fnBeforeInsert) m_fnBeforeInsert();
    InsertPortion();
}

void CConsolePaste::InsertPortion()
{
    if (m_bBlock)
    {
        EnterPortion();
        return;
    }
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

// A block's lines are entered as Enter enters them, each its own edit inside the portion's:
// the portions join one edit block, which one Ctrl+Z takes back.
void CConsolePaste::EnterPortion()
{
    if (m_pace.fnMayInsert && !m_pace.fnMayInsert())
    {
        m_portionTimer.start(kHeldPortionMs);
        return;
    }
    // Ctrl+Z puts the caret back where the paste found it.
    QTextCursor edit(m_cursor);
    if (m_nInserted == 0)
        edit.beginEditBlock();
    else
        edit.joinPreviousEditBlock();
    m_bPartlyIn = true;
    // An Enter costs as much as kTextLinesPerEnter lines that go in as text only; a run of such
    // lines goes in as one insertion, as a paste's text does, so that a block of mostly
    // comments goes in at a paste's pace.
    const auto IsTextOnly = [](const SBlockLine& line)
    { return !line.bEnter && !line.strText.starts_with('?'); };
    constexpr std::size_t kTextLinesPerEnter = 16;
    std::size_t nBudget =
        static_cast<std::size_t>(std::max(1, m_pace.nBlockLines)) * kTextLinesPerEnter;
    while (m_nInserted < m_arrBlock.size() && nBudget > 0)
    {
        if (!IsTextOnly(m_arrBlock[m_nInserted]))
        {
            m_fnEnterBlockLine(m_arrBlock[m_nInserted++]);
            nBudget -= std::min(nBudget, kTextLinesPerEnter);
            continue;
        }
        SBlockLine run{std::move(m_arrBlock[m_nInserted++].strText), false, {}};
        --nBudget;
        while (m_nInserted < m_arrBlock.size() && nBudget > 0 &&
               run.strText.size() < m_pace.nPortionBytes && IsTextOnly(m_arrBlock[m_nInserted]))
        {
            run.strText += "\r\n";
            run.strText += m_arrBlock[m_nInserted++].strText;
            --nBudget;
        }
        m_fnEnterBlockLine(run);
    }
    edit.endEditBlock();
    if (m_nInserted < m_arrBlock.size())
        m_portionTimer.start(0);
    else
        Finish();
}

void CConsolePaste::Finish()
{
    m_bPartlyIn = false;
    Leave();
    // A block's last Enter left the caret on its last prompt.
    if (!m_bBlock) m_pEdit->setTextCursor(m_cursor);
    m_pEdit->ensureCursorVisible();
    if (!m_strNotice.empty()) ShowNotice(FromUtf8(m_strNotice));
    // No buffer of a paste is kept for the next one.
    std::string().swap(m_strText);
    std::string().swap(m_strNotice);
    std::vector<SBlockLine>().swap(m_arrBlock);
    if (m_fnDone) m_fnDone();
    TypeHeldInput();
}

void CConsolePaste::ShowNotice(const QString& strText)
{
    QTextCursor lineAbove = m_pEdit->textCursor();
    lineAbove.movePosition(QTextCursor::StartOfBlock);
    const bool bAbove = lineAbove.movePosition(QTextCursor::PreviousCharacter);
    m_pNotice->Show(strText, m_pEdit->cursorRect(),
                    bAbove ? m_pEdit->cursorRect(lineAbove).right() : 0);
}

void CConsolePaste::WaitForReader()
{
    if (IsRunning() || !m_converting.joinable()) return;
    m_converting.request_stop();
    m_converting.join();
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
    std::vector<SBlockLine>().swap(m_arrBlock);
    if (m_fnDone) m_fnDone();
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
