#include "CalculatorDlg.h"

#include "Accessibility.h"
#include "Banner.h"
#include "BitRuler.h"
#include "ConsoleEdit.h"
#include "ConsoleKeeper.h"
#include "ConsoleText.h"
#include "FindBar.h"
#include "HelpText.h"
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
    { return m_console.EnterLine(strLine); };
    m_pPanel->m_fnLastResult = [this] { return m_console.m_evaluator.m_dLastResult; };

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

    connect(m_pConsole->document(), &QTextDocument::contentsChanged, this,
            [this] { m_bConsoleTextCurrent = false; });
    m_pKeeper = new CConsoleKeeper(this);
    m_pConsole->m_fnCastType = [this] { return m_console.m_evaluator.m_nCastType; };
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
    m_console.m_evaluator.Seed(static_cast<std::uint32_t>(std::time(nullptr)));
    m_strVersion = kVersionText;
    m_console.Start(kBannerText, m_strVersion);
    m_pKeeper->Start(m_pConsole);
    return false;
}

void CCalculatorDlg::ReadControls(CViewState& state)
{
    state.m_strPanel = m_pPanel->Text();
    state.m_bUnsigned = m_pUnsigned->isChecked() ? 1 : 0;
    state.m_nCastMode = m_pCastGroup->checkedId();
    state.m_nOutputMode = m_pOutputGroup->checkedId();
    state.m_nEditMode = m_pEditGroup->checkedId();
    state.m_bEndPos = m_pEndPos->isChecked() ? 1 : 0;
    RefreshConsoleText();
    state.m_strConsole = m_strConsoleModelText;
}

void CCalculatorDlg::WriteControls(const CViewState& state)
{
    m_pPanel->SetText(state.m_strPanel);
    m_pUnsigned->setChecked(state.m_bUnsigned != 0);
    SetRadio(*m_pCastGroup, state.m_nCastMode);
    SetRadio(*m_pOutputGroup, state.m_nOutputMode);
    SetRadio(*m_pEditGroup, state.m_nEditMode);
    m_pEndPos->setChecked(state.m_bEndPos != 0);
    // Setting the text would drop the undo history, the caret and the scroll position, so an
    // unchanged console is left alone.
    RefreshConsoleText();
    if (m_strConsoleModelText != state.m_strConsole)
        m_pConsole->setPlainText(ToWidgetText(state.m_strConsole));
}

void CCalculatorDlg::RefreshConsoleText()
{
    if (m_bConsoleTextCurrent) return;
    m_strConsoleWidgetText = m_pConsole->document()->toRawText();
    m_strConsoleModelText = ToModelText(m_strConsoleWidgetText);
    m_bConsoleTextCurrent = true;
}

void CCalculatorDlg::GetConsoleSel(int& nStart, int& nEnd)
{
    RefreshConsoleText();
    const QString& strText = m_strConsoleWidgetText;
    const QTextCursor cursor = m_pConsole->textCursor();
    nStart = ToModelPos(strText, cursor.selectionStart());
    nEnd = ToModelPos(strText, cursor.selectionEnd());
}

void CCalculatorDlg::SetConsoleSel(int nStart, int nEnd)
{
    RefreshConsoleText();
    const QString& strText = m_strConsoleWidgetText;
    QTextCursor cursor = m_pConsole->textCursor();
    cursor.setPosition(ToWidgetPos(strText, nStart));
    cursor.setPosition(nEnd < 0 ? static_cast<int>(strText.size()) : ToWidgetPos(strText, nEnd),
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
    if (const EVirtualKey eKey = VirtualKeyOf(event.key()); eKey != EVirtualKey::None)
    {
        if (m_console.PreTranslateKeyDown(eKey)) return true;
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
        m_pFindBar->InsertText(ToWidgetText(m_console.m_strLastResult));
        return true;
    case EVirtualKey::F3:
        m_pFindBar->InsertText(ToWidgetText(m_console.m_strLastExpression));
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

bool CCalculatorDlg::PersistSettings(bool bSave) { return ::PersistSettings(m_console, bSave); }

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
