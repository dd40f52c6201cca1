#include "CalculatorDlg.h"

#include "Accessibility.h"
#include "Banner.h"
#include "BitRuler.h"
#include "CNamesKeeper.h"
#include "ConsoleEdit.h"
#include "ConsoleKeeper.h"
#include "ConsoleText.h"
#include "FindBar.h"
#include "HelpText.h"
#include "Paste.h"
#include "ResultPanel.h"
#include "Settings.h"
#include "Zoom.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDrag>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextDocument>

#include <algorithm>
#include <cstdint>
#include <ctime>

namespace
{

struct CCommand
{
    EControlId m_nId;
    void (CCalculatorDlg::*m_pfnHandler)();
};

// Radio exchange towards the controls: a value that matches no button unchecks them all.
void SetRadio(QButtonGroup& group, int nIndex)
{
    if (QAbstractButton* pButton = group.button(nIndex))
    {
        pButton->setChecked(true);
        return;
    }
    group.setExclusive(false);
    for (QAbstractButton* pButton : group.buttons())
        pButton->setChecked(false);
    group.setExclusive(true);
}

// The keys the console logic filters, as its virtual-key codes; None for the others.
EVirtualKey VirtualKeyOf(int nQtKey)
{
    switch (nQtKey)
    {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return EVirtualKey::Enter;
    case Qt::Key_F2:
        return EVirtualKey::F2;
    case Qt::Key_F3:
        return EVirtualKey::F3;
    case Qt::Key_F4:
        return EVirtualKey::F4;
    default:
        return EVirtualKey::None;
    }
}

bool IsEnter(const QKeyEvent& event)
{
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

} // namespace

CCalculatorDlg::CCalculatorDlg(QWidget* pParent)
    : CTemplateDialog(kCalculatorTemplate, pParent), m_console(*this)
{
    // No maximise button: the layout has one size per zoom step.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    MakeAccessible(m_controls);
    OnLayout();
    m_pPanel = m_controls.Item<CResultPanel>(kIdPanel);
    m_pConsole = m_controls.Item<CConsoleEdit>(kIdConsole);
    m_pFindBar = m_controls.Item<CFindBar>(kIdFindBar);
    m_pFindBar->SetConsole(m_pConsole);
    m_pUnsigned = m_controls.Item<QCheckBox>(kIdUnsigned);
    m_pEndPos = m_controls.Item<QCheckBox>(kIdEndPos);
    m_pCastGroup = m_controls.RadioGroup(kIdCastNone);
    m_pOutputGroup = m_controls.RadioGroup(kIdOutputBin);
    m_pEditGroup = m_controls.RadioGroup(kIdScroll);
    // The panel's bits enter new lines as Enter does, and its decimal line shows r.
    m_pPanel->m_fnEnterLine = [this](const std::string& strLine)
    { return m_console.EnterLine(strLine).bEntered; };
    m_pPanel->m_fnLastResult = [this] { return m_console.LastResult(); };

    // The click handlers; a button's mnemonic clicks it too.
    static constexpr CCommand kCommands[] = {
        {kIdCastNone, &CCalculatorDlg::OnCastChange},
        {kIdCast32, &CCalculatorDlg::OnCastChange},
        {kIdCast16, &CCalculatorDlg::OnCastChange},
        {kIdCast8, &CCalculatorDlg::OnCastChange},
        {kIdUnsigned, &CCalculatorDlg::OnCastChange},
        {kIdOutputBin, &CCalculatorDlg::OnFocusConsole},
        {kIdOutputHex, &CCalculatorDlg::OnFocusConsole},
        {kIdOutputDez, &CCalculatorDlg::OnFocusConsole},
        {kIdEndPos, &CCalculatorDlg::OnFocusConsole},
        {kIdScroll, &CCalculatorDlg::OnEditMode},
        {kIdOverwrite, &CCalculatorDlg::OnEditMode},
        {kIdErase, &CCalculatorDlg::OnErase},
        {kIdInfo, &CCalculatorDlg::OnInfo},
    };
    for (const CCommand& command : kCommands)
        connect(m_controls.Item<QAbstractButton>(command.m_nId), &QAbstractButton::clicked, this,
                [this, pfnHandler = command.m_pfnHandler] { (this->*pfnHandler)(); });

    connect(m_pConsole->document(), &QTextDocument::contentsChange, this,
            [this](int nFrom, int /*nRemoved*/, int nAdded) { NoteInnerBreaks(nFrom, nAdded); });
    m_pKeeper = new CConsoleKeeper(this);
    m_pNames = new CCNamesKeeper(this);
    m_pConsole->m_fnCastType = [this] { return m_console.CastType(); };
    // A block pasted at the empty last prompt is entered line by line, as Enter enters.
    CConsolePaste& paste = m_pConsole->Paste();
    paste.m_fnAtEmptyPrompt = [this] { return m_console.AtEmptyLastPrompt(); };
    paste.m_fnEnterBlockLine = [this](const SBlockLine& line)
    { m_console.EnterPastedLine(line.strText, line.bEnter, line.strExpression); };
    // The last result as a literal in the output mode's base, wherever the focus is.
    new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), this,
                  [this] { m_pPanel->CopyLiteral(m_pOutputGroup->checkedId()); });

    m_hIcon = QIcon(QStringLiteral(":/lumdrak.png"));
    // The Info window is owned by this one, so it stays above it and centred on it.
    m_infoDlg.setParent(this, m_infoDlg.windowFlags());
    m_infoDlg.m_fnOnZoom = [this](int nPercent) { OnZoom(nPercent); };
}

int CCalculatorDlg::DoModal()
{
    OnInitDialog();
    return exec();
}

bool CCalculatorDlg::OnInitDialog()
{
    m_console.UpdateData(false);
    setWindowIcon(m_hIcon);
    m_console.SetStartDefaults();
    m_bSettingsRead = PersistSettings(false);
    SetZoom(LoadZoom(Zoom()));
    m_infoDlg.SetZoom(Zoom());
    m_console.Seed(static_cast<std::uint32_t>(std::time(nullptr)));
    m_strVersion = kVersionText;
    m_console.Start(kBannerText, m_strVersion);
    // Typed behind the prompt, where the caret stands, as if by the user.
    if (!m_strStartExpression.empty()) ReplaceConsoleSel(m_strStartExpression);
    m_pKeeper->Start(m_pConsole);
    m_pNames->Start(m_pConsole);
    return false;
}

void CCalculatorDlg::ReadControls(CViewState& state)
{
    state.m_strPanel = m_pPanel->Text();
    state.m_bUnsigned = m_pUnsigned->isChecked() ? 1 : 0;
    state.m_nCastMode = static_cast<ECastMode>(m_pCastGroup->checkedId());
    state.m_nOutputMode = static_cast<EOutputMode>(m_pOutputGroup->checkedId());
    state.m_nEditMode = static_cast<EEditMode>(m_pEditGroup->checkedId());
    state.m_bEndPos = m_pEndPos->isChecked() ? 1 : 0;
}

void CCalculatorDlg::WriteControls(const CViewState& state)
{
    m_pPanel->SetText(state.m_strPanel);
    m_pUnsigned->setChecked(state.m_bUnsigned != 0);
    SetRadio(*m_pCastGroup, static_cast<int>(state.m_nCastMode));
    SetRadio(*m_pOutputGroup, static_cast<int>(state.m_nOutputMode));
    SetRadio(*m_pEditGroup, static_cast<int>(state.m_nEditMode));
    m_pEndPos->setChecked(state.m_bEndPos != 0);
}

void CCalculatorDlg::ReplaceConsoleText(const std::string& strText)
{
    m_pConsole->setPlainText(ToWidgetText(strText));
    m_bInnerBreaks = false;
}

void CCalculatorDlg::NoteInnerBreaks(int nFrom, int nAdded)
{
    if (m_bInnerBreaks || nAdded <= 0) return;
    // A change that reaches the end counts the document's closing break, no cursor position.
    QTextCursor cursor(m_pConsole->document());
    const int nLast = m_pConsole->document()->characterCount() - 1;
    cursor.setPosition(std::min(nFrom, nLast));
    cursor.setPosition(std::min(nFrom + nAdded, nLast), QTextCursor::KeepAnchor);
    // Between blocks the selection holds U+2029; anything else that breaks a line is inside one.
    const QString strAdded = cursor.selectedText();
    const auto IsInnerBreak = [](QChar ch)
    { return ch == u'\r' || ch == u'\n' || ch == QChar::LineSeparator; };
    m_bInnerBreaks = std::any_of(strAdded.begin(), strAdded.end(), IsInnerBreak);
}

namespace
{

// Where a block's text starts in the model: each break before it is two bytes, not one.
int ModelStart(const QTextBlock& block) { return block.position() + block.blockNumber(); }

// The model's length: the text less the document's closing break, each break two bytes.
int ModelLength(const QTextDocument& document)
{
    return document.characterCount() - 1 + document.blockCount() - 1;
}

} // namespace

QTextBlock CCalculatorDlg::BlockAtModelPos(int nModelPos) const
{
    const QTextDocument& document = *m_pConsole->document();
    // The last block whose text starts at or before the position.
    int nLow = 0;
    int nHigh = document.blockCount() - 1;
    while (nLow < nHigh)
    {
        const int nMiddle = nLow + (nHigh - nLow + 1) / 2;
        if (ModelStart(document.findBlockByNumber(nMiddle)) <= nModelPos)
            nLow = nMiddle;
        else
            nHigh = nMiddle - 1;
    }
    return document.findBlockByNumber(nLow);
}

int CCalculatorDlg::ToModelPosition(int nWidgetPos) const
{
    const QTextDocument& document = *m_pConsole->document();
    if (m_bInnerBreaks) return ToModelPos(document.toRawText(), nWidgetPos);
    const int nPos = std::clamp(nWidgetPos, 0, document.characterCount() - 1);
    return nPos + document.findBlock(nPos).blockNumber();
}

int CCalculatorDlg::ToWidgetPosition(int nModelPos) const
{
    const QTextDocument& document = *m_pConsole->document();
    if (m_bInnerBreaks) return ToWidgetPos(document.toRawText(), nModelPos);
    const QTextBlock block = BlockAtModelPos(nModelPos);
    // A position inside a CR LF is the start of its break.
    const int nOffset = std::clamp(nModelPos - ModelStart(block), 0, block.length() - 1);
    return std::min(block.position() + nOffset, document.characterCount() - 1);
}

SConsoleLines CCalculatorDlg::GetConsoleLines(int nPos)
{
    const QTextDocument& document = *m_pConsole->document();
    if (m_bInnerBreaks) return CaretLines(ToModelText(document.toRawText()), nPos);
    const int nLength = ModelLength(document);
    const int nCaret = nPos < 0 ? nLength : std::min(nPos, nLength);
    QTextBlock block = BlockAtModelPos(nCaret);
    // The LF of a block's break belongs to the line the next CR ends: the next block's.
    if (nCaret > ModelStart(block) + block.length() - 1 && block.next().isValid())
        block = block.next();
    SConsoleLines lines;
    lines.nBegin = ModelStart(block);
    lines.nLength = nLength;
    for (int nLine = 0; nLine < 3 && block.isValid(); ++nLine, block = block.next())
    {
        if (nLine > 0) lines.strText += "\r\n";
        lines.strText += ToModelText(block.text());
    }
    return lines;
}

void CCalculatorDlg::GetConsoleSel(int& nStart, int& nEnd)
{
    const QTextCursor cursor = m_pConsole->textCursor();
    nStart = ToModelPosition(cursor.selectionStart());
    nEnd = ToModelPosition(cursor.selectionEnd());
}

void CCalculatorDlg::SetConsoleSel(int nStart, int nEnd)
{
    QTextCursor cursor = m_pConsole->textCursor();
    cursor.setPosition(ToWidgetPosition(nStart));
    cursor.setPosition(nEnd < 0 ? m_pConsole->document()->characterCount() - 1
                                : ToWidgetPosition(nEnd),
                       QTextCursor::KeepAnchor);
    m_pConsole->setTextCursor(cursor);
}

void CCalculatorDlg::ReplaceConsoleSel(const std::string& strText)
{
    m_pConsole->ReplaceSelection(ToWidgetText(strText));
}

std::string CCalculatorDlg::GetPanelLine(int nLine) { return m_pPanel->Line(nLine); }

void CCalculatorDlg::EnableControl(EConsoleControl control, bool bEnable)
{
    (control == EConsoleControl::Unsigned ? m_pUnsigned : m_pEndPos)->setEnabled(bEnable);
}

void CCalculatorDlg::FocusConsole() { m_pConsole->setFocus(); }

bool CCalculatorDlg::PreTranslateKeyPress(QObject* pWatched, const QKeyEvent& event)
{
    // Keys with Alt are the mnemonics' business.
    if (event.modifiers() & Qt::AltModifier) return false;
    if (FindKeyPress(pWatched, event)) return true;
    if (event.key() == Qt::Key_F1)
    {
        OnHelpInfo();
        return true;
    }
    if (event.key() == Qt::Key_F5) return OnTranslateLine();
    if (const EVirtualKey eKey = VirtualKeyOf(event.key()); eKey != EVirtualKey::None)
    {
        if (eKey == EVirtualKey::Enter ? OnEnter() : m_console.PreTranslateKeyDown(eKey))
            return true;
        // An Enter the console logic left types a line break in the console, whatever the
        // Shift and Ctrl state, the same line break as an unmodified one.
        if (eKey == EVirtualKey::Enter && pWatched == m_pConsole)
        {
            QTextCursor cursor = m_pConsole->textCursor();
            cursor.insertBlock();
            m_pConsole->setTextCursor(cursor);
            m_pConsole->ensureCursorVisible();
            return true;
        }
    }
    return false;
}

bool CCalculatorDlg::OnTranslateLine()
{
    const CCNames& names = m_pNames->Names();
    std::string strNotice;
    const bool bChanged = m_console.TranslateLine(
        [&](std::string_view strExpression) -> std::optional<std::string>
        {
            STypedC typed = TranslateTyped(strExpression, names, m_console.CastType());
            strNotice = std::move(typed.strNotice);
            if (!typed.bChanged) return std::nullopt;
            return std::move(typed.strText);
        });
    if (!strNotice.empty()) m_pConsole->Paste().ShowNotice(QString::fromStdString(strNotice));
    return bChanged;
}

bool CCalculatorDlg::OnEnter()
{
    const SEnterResult result = m_console.ProcessEnter();
    if (result.bEntered && result.nErrorPos != 0)
    {
        const std::string strNotice =
            AsCNotice(result.strExpression, m_pNames->Names(), m_console.CastType());
        if (!strNotice.empty()) m_pConsole->Paste().ShowNotice(QString::fromStdString(strNotice));
    }
    return result.bEntered;
}

bool CCalculatorDlg::FindKeyPress(QObject* pWatched, const QKeyEvent& event)
{
    if (event.key() == Qt::Key_F && event.modifiers() == Qt::ControlModifier)
    {
        m_pFindBar->Open();
        return true;
    }
    if (!m_pFindBar->IsOpen()) return false;
    if (!m_pFindBar->Owns(pWatched))
    {
        // Escape closes the bar before it closes the window.
        if (event.key() != Qt::Key_Escape) return false;
        m_pFindBar->Close(false);
        return true;
    }
    // In the bar, F2 and F3 bring the last result and expression into the text to find.
    switch (VirtualKeyOf(event.key()))
    {
    case EVirtualKey::F2:
        m_pFindBar->InsertText(ToWidgetText(m_console.ViewState().m_strLastResult));
        return true;
    case EVirtualKey::F3:
        m_pFindBar->InsertText(ToWidgetText(m_console.ViewState().m_strLastExpression));
        return true;
    case EVirtualKey::F4: // r into m touches no text: as anywhere
        return false;
    default:
        return m_pFindBar->KeyPress(event);
    }
}

void CCalculatorDlg::OnZoom(int nPercent)
{
    SetZoom(nPercent);
    m_infoDlg.SetZoom(Zoom());
    SaveZoom(Zoom());
}

void CCalculatorDlg::OnLayout()
{
    // The ruler follows the panel's character pitch, which the zoom changes.
    auto* pRuler = static_cast<CBitRuler*>(ItemOfKind(m_controls, ECustomControl::Ruler));
    pRuler->SetPanel(m_controls.Item<CResultPanel>(kIdPanel), Zoom());
    // The console has its template's rectangle again; an open find bar takes its bottom rows.
    if (m_pFindBar) m_pFindBar->FitConsole();
}

void CCalculatorDlg::keyPressEvent(QKeyEvent* pEvent)
{
    // An Enter that no control took is the dialog's OK: the window ends without saving.
    if (IsEnter(*pEvent) && !(pEvent->modifiers() & Qt::AltModifier))
    {
        accept();
        return;
    }
    QDialog::keyPressEvent(pEvent);
}

void CCalculatorDlg::closeEvent(QCloseEvent* pEvent)
{
    OnClose();
    QDialog::closeEvent(pEvent);
}

void CCalculatorDlg::done(int nResult)
{
    // A paste not yet whole is dropped; the console is kept as it was before it.
    m_pConsole->Paste().Stop();
    m_pKeeper->Save();
    QDialog::done(nResult);
}

void CCalculatorDlg::EndSession()
{
    // Each of these runs an event loop of its own inside this window's, which would go on
    // until the user ended it: a context menu, a drag of console text, the Info window.
    while (QWidget* pPopup = QApplication::activePopupWidget())
        if (!pPopup->close()) break;
    QDrag::cancel();
    if (m_infoDlg.isVisible()) m_infoDlg.reject();
    reject();
}

void CCalculatorDlg::OnClose()
{
    m_console.UpdateData(true);
    // A code that could not be read at start is left as it is stored.
    if (m_bSettingsRead) PersistSettings(true);
}

bool CCalculatorDlg::PersistSettings(bool bSave)
{
    const SConsoleModes modes = m_console.Modes();
    SSettings settings{modes.bUnsigned, modes.bEndPos, static_cast<int>(modes.eCastMode),
                       static_cast<int>(modes.eOutputMode), static_cast<int>(modes.eEditMode)};
    const bool bRead = ::PersistSettings(settings, bSave);
    if (!bSave)
        m_console.SetModes({static_cast<ECastMode>(settings.m_nCastMode), settings.m_bUnsigned,
                            static_cast<EOutputMode>(settings.m_nOutputMode),
                            static_cast<EEditMode>(settings.m_nEditMode), settings.m_bEndPos});
    return bRead;
}

void CCalculatorDlg::OnInfo()
{
    m_infoDlg.m_strText = kHelpText;
    m_strVersion = kVersionText;
    m_infoDlg.m_strText += "\r\n" + m_strVersion;
    m_infoDlg.DoModal();
}

bool CCalculatorDlg::OnHelpInfo()
{
    OnInfo();
    return false;
}
