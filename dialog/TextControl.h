#pragma once

#include <QPlainTextEdit>

// The edit controls of the windows: the console, the result panel and the help text. Tabs
// stand every eight characters of the window's font, whatever its size. The one-pixel frame
// is drawn on whole device pixels, where Qt's style loses parts of it at fractional scales.
// A read-only control takes Enter and does nothing with it, so Enter never reaches the window.
class CTextControl : public QPlainTextEdit
{
public:
    explicit CTextControl(QWidget* pParent);

protected:
    bool event(QEvent* pEvent) override;
    void changeEvent(QEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    void SetTabsEveryEight();
};
