#pragma once

#include "Console.h"
#include "ConsoleWindow.h"
#include "InfoDlg.h"
#include "TemplateDialog.h"
#include "Templates.h"

#include <QIcon>
#include <QTextBlock>

#include <string>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class CConsoleEdit;
class CConsoleKeeper;
class CCNamesKeeper;
class CFindBar;
class CResultPanel;

// The main window. It adapts its widgets to the window operations of the console logic, which
// owns the view state and does the work; the handlers here only forward to it. Its zoom is
// kept in the hive and applies to the Info window too.
class CCalculatorDlg : public CTemplateDialog, public IConsoleWindow
{
public:
    explicit CCalculatorDlg(QWidget* pParent = nullptr);

    // Initialises the window and runs it until it ends.
    int DoModal();
    // Loads the settings and the zoom and writes the banner; before the window is first shown.
    bool OnInitDialog();

    // Ends the window as Cancel does, after whatever runs inside it (a menu, a drag, the Info
    // window): a signal asked the program to end.
    void EndSession();
    // Every way the window ends passes here; the console's text is kept on each of them.
    void done(int nResult) override;

    // IConsoleWindow, on the widgets.
    void ReadControls(CViewState& state) override;
    void WriteControls(const CViewState& state) override;
    SConsoleLines GetConsoleLines(int nPos) override;
    void ReplaceConsoleText(const std::string& strText) override;
    void GetConsoleSel(int& nStart, int& nEnd) override;
    void SetConsoleSel(int nStart, int nEnd) override;
    void ReplaceConsoleSel(const std::string& strText) override;
    std::string GetPanelLine(int nLine) override;
    void EnableControl(EConsoleControl control, bool bEnable) override;
    void FocusConsole() override;

    CConsole m_console; // the console logic, with the view state and the evaluator
    // Stands on the first '?' prompt, not yet evaluated; empty for none. Set before DoModal.
    std::string m_strStartExpression;

protected:
    // The key filter: Enter and F1 to F4, wherever the focus is, ahead of the dialog keys; but
    // in the find bar Enter and F2 to F4 are the bar's, never the console's.
    bool PreTranslateKeyPress(QObject* pWatched, const QKeyEvent& event) override;
    void OnZoom(int nPercent) override;
    void OnLayout() override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;

private:
    bool PersistSettings(bool bSave);
    void OnCastChange() { m_console.OnCastChange(); }
    void OnFocusConsole() { m_console.OnFocusConsole(); }
    void OnEditMode() { m_console.OnEditMode(); }
    void OnErase() { m_console.OnErase(); }
    void OnInfo();
    bool OnHelpInfo();
    void OnClose();

    // Model positions against the document's blocks: a block's text maps one character to one
    // byte, and the break after it is CR LF, so no more than a block is converted. A block
    // holding a break of its own (U+2028, pasted) makes the whole text the map.
    int ToModelPosition(int nWidgetPos) const;
    int ToWidgetPosition(int nModelPos) const;
    QTextBlock BlockAtModelPos(int nModelPos) const;
    void NoteInnerBreaks(int nFrom, int nAdded);
    // Ctrl+F, and the keys typed in the find bar; true when taken.
    bool FindKeyPress(QObject* pWatched, const QKeyEvent& event);
    // F5: the caret's '?' line read as C, with the names kept, and replaced by its translation.
    bool OnTranslateLine();
    // Enter on a '?' line; after a syntax error, whether the line reads as C.
    bool OnEnter();

    QIcon m_hIcon;
    CResultPanel* m_pPanel = nullptr;
    CFindBar* m_pFindBar = nullptr;
    CConsoleEdit* m_pConsole = nullptr;
    QCheckBox* m_pUnsigned = nullptr;
    QCheckBox* m_pEndPos = nullptr;
    QButtonGroup* m_pCastGroup = nullptr;
    QButtonGroup* m_pOutputGroup = nullptr;
    QButtonGroup* m_pEditGroup = nullptr;
    std::string m_strVersion;
    bool m_bSettingsRead = false; // the load at start could read the hive (or found no code)
    CInfoDlg m_infoDlg;
    CConsoleKeeper* m_pKeeper = nullptr;
    CCNamesKeeper* m_pNames = nullptr;
    bool m_bInnerBreaks = false; // some block holds a break; set by an edit, cleared by a reset
};
