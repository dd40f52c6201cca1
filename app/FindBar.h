#pragma once

#include "TextFind.h"

#include <QTextCursor>
#include <QWidget>

#include <vector>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// The console's find bar. It stands over the console's bottom rows while it is open, the
// console shortened above it, and is hidden otherwise, leaving the window as it always was.
//
// The text typed is found as it is typed, from where the console's caret stood; the match
// found is the console's selection, and every match in view is marked. Enter goes to the next
// match, Shift+Enter to the one before, going round at the ends; Escape closes the bar and puts
// the console's caret, selection and scroll position back as they were, the focus with them.
// Whoever goes into the console while the bar is open takes the place found there instead.
class CFindBar : public QWidget
{
public:
    explicit CFindBar(QWidget* pParent);

    // The console it finds in.
    void SetConsole(QPlainTextEdit* pConsole);

    bool IsOpen() const { return !isHidden(); }
    // Shows the bar with the focus in its field: the console's selection, where it lies on one
    // line, as the text to find; else the last one, selected.
    void Open();
    // Hides the bar and the marks; bRestore puts the console back as the search found it and
    // gives it the focus.
    void Close(bool bRestore);
    // Whether pObject is the bar or one of its parts.
    bool Owns(const QObject* pObject) const;
    // A key typed in the bar: Enter, Shift+Enter and Escape are the bar's; true when taken.
    bool KeyPress(const QKeyEvent& event);
    // The next match after the console's selection, or the one before it; a beep for none.
    void FindNext(bool bForward);
    // Text put into the field at its cursor (F2 and F3 in the bar).
    void InsertText(const QString& strText);
    // After every layout of the window: the console gives its bottom rows to the open bar.
    void FitConsole();

    QLineEdit* Field() const { return m_pField; }
    // "3 of 17", "17 matches", "no match", or nothing while the field is empty.
    QString Status() const;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    struct CPlace
    {
        int m_nAnchor = 0;
        int m_nPosition = 0;
        int m_nScroll = 0;
    };

    // The console's caret, selection and scroll position, and putting them back.
    CPlace ConsolePlace() const;
    void RestorePlace(const CPlace& place);
    // Finds the field's text anew, in the console's text as it is now.
    void Refind();
    // After a change of the console's text, once, when the events of the change are done.
    void RefindLater();
    // Typed: the first match from where the search began.
    void OnEdited();
    void Select(int nIndex);
    // The match the console's selection is, -1 for none.
    int CurrentMatch() const;
    void ShowStatus();
    // The marks on the matches that the console shows.
    void MarkVisible();

    QPlainTextEdit* m_pConsole = nullptr;
    QLineEdit* m_pField = nullptr;
    QLabel* m_pStatus = nullptr;
    CTextFind m_find;
    std::vector<int> m_arrMatches; // of the field's text, in the console's widget positions
    int m_nMatchLength = 0;
    bool m_bTextCurrent = false; // m_find holds the console's text as it is
    bool m_bRefindPending = false;
    CPlace m_origin;     // where the search began
    QRect m_rectConsole; // the console's rectangle as the layout made it, while the bar is open
};
