#pragma once

#include "CastType.h"

#include <QByteArray>
#include <QObject>
#include <QTextCursor>
#include <QTimer>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

class QEvent;
class QPlainTextEdit;
class CCNames;
class CPasteNotice;
struct SBlockLine;
struct SPasteRead;

// How a paste goes in. A portion costs a turn of the event loop some tens of milliseconds at
// most; a line goes in whole, however long. Tests slow a paste down at either step.
struct SPastePace
{
    int nPortionLines = 4096;
    std::size_t nPortionBytes = std::size_t{1} << 20;
    // Runs on the converting thread before the conversion, which waits for it; it returns at
    // the latest when its token asks it to stop.
    std::function<void(std::stop_token)> fnBeforeConversion;
    // Asked before each portion goes in; false holds the portion, and it is asked again a
    // little later.
    std::function<bool()> fnMayInsert;
    // A block's lines entered in a portion: each is an Enter.
    int nBlockLines = 256;
};

// A paste into the console, step by step, with the window answering throughout:
//  1. the pasted text, as the clipboard gave it, is read as C on a thread of its own
//     (CPasteReader) under the cast of the moment it was pasted, with the names kept; what it
//     defines is taught to them once it is read whole, so that a paste stopped meanwhile
//     teaches nothing;
//  2. the converted text replaces the selection it was pasted over, a portion of lines per
//     turn of the event loop, all of it one undo step; a block of two or more lines pasted at
//     the console's empty last prompt is entered instead, its lines as they are, each value
//     followed by a '?' line that is entered as Enter does, a portion of lines per turn, and
//     one Ctrl+Z takes the whole block back (r and the panel keep its last value, as they do
//     when an Enter is taken back);
//  3. the caret goes behind it and the notice of its C lines appears.
// While a paste runs, the window takes no input: keys typed meanwhile (and an input method's
// text) are held and typed after it, in order (a Ctrl+Z then takes the whole paste back, a
// Ctrl+V pastes again); Escape takes the paste back; clicks, the wheel and drops do nothing.
// "Pasting..." shows beside the caret when it takes more than a moment. One paste at a time.
class CConsolePaste : public QObject
{
public:
    explicit CConsolePaste(QPlainTextEdit* pEdit);
    ~CConsolePaste() override;
    CConsolePaste(const CConsolePaste&) = delete;
    CConsolePaste& operator=(const CConsolePaste&) = delete;

    // strPasted (UTF-8) under eCast, in place of the selection of at.
    void Start(QByteArray strPasted, ECastType eCast, const QTextCursor& at);
    // Escape: takes back what of the paste is in, then types the keys held meanwhile.
    void Cancel();
    // The window ends: the conversion stops and nothing more goes in; held keys are dropped.
    // What is in stays, and IsPartlyIn() with it.
    void Stop();

    bool IsRunning() const { return m_eStep != EStep::None; }
    // The console holds part of the paste, not all of it: from the first portion until the
    // last, or for good once the paste was stopped in between.
    bool IsPartlyIn() const { return m_bPartlyIn; }

    // Shows strText beside the caret until the next input, as a paste's notice does.
    void ShowNotice(const QString& strText);
    // The thread of a paste that was stopped or taken back may still be reading the names of
    // m_fnNames: it ends here. Called before they change; a paste must not be running.
    void WaitForReader();

    SPastePace m_pace;
    // Called before the first portion of a paste that takes more than one, or whose one
    // portion is longer than m_pace.nPortionBytes.
    std::function<void()> m_fnBeforeInsert;
    // The names a paste reads, on its thread; nothing changes them while a paste runs, and a
    // paste only reads them. Without them a paste knows the built-in names alone.
    std::function<const CCNames&()> m_fnNames;
    // What a whole paste defined, before it goes in; for the names kept.
    std::function<void(const CCNames&)> m_fnLearned;
    // Whether a paste of two or more lines is entered as a block rather than inserted.
    std::function<bool()> m_fnAtEmptyPrompt;
    // Enters one line of a block (CConsole::EnterPastedLine).
    std::function<void(const SBlockLine&)> m_fnEnterBlockLine;
    // A paste is over, in or not.
    std::function<void()> m_fnDone;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    enum class EStep
    {
        None,
        Converting,
        Inserting,
    };

    void OnConverted(std::uint64_t nPaste, SPasteRead& read);
    void InsertPortion();
    void EnterPortion();
    void Finish();
    void Leave(); // no more input held, no "Pasting..."
    void TypeHeldInput();

    QPlainTextEdit* m_pEdit;
    CPasteNotice* m_pNotice;  // what the paste's C lines give, after it
    CPasteNotice* m_pPasting; // while it runs
    QTimer m_portionTimer;
    QTimer m_pastingTimer;
    EStep m_eStep = EStep::None;
    bool m_bPartlyIn = false;
    std::uint64_t m_nPaste = 0; // counts pastes; a conversion's result is for its own paste only
    QTextCursor m_cursor;       // the selection pasted over, then the end of what is in
    std::string m_strText;      // the converted paste
    std::vector<SBlockLine> m_arrBlock; // or the block's lines
    bool m_bBlock = false;              // entered as a block
    std::string m_strNotice;
    std::size_t m_nInserted = 0; // bytes of m_strText, or lines of m_arrBlock, in the console
    std::deque<std::unique_ptr<QEvent>> m_arrHeldInput; // key presses and input method text
    std::jthread m_converting; // last: stopped and joined before the members it may use go
};
