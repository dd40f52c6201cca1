#pragma once

#include <QLabel>

// A short note beside the caret, in the tooltip's colours, over a text control's viewport: it
// takes no focus and no clicks. One that hides at input is gone at the next key, click or
// change of focus; another stays until hidden. Screen readers are told of it as an alert.
class CPasteNotice : public QLabel
{
public:
    CPasteNotice(QWidget* pViewport, bool bHideAtInput);

    // Shows strText below the caret's rectangle (in the viewport's coordinates), or above it
    // where it would not fit below: then right of nAboveTextEnd, where the text of the line
    // above ends, where it fits there, so that it hides none of that text.
    void Show(const QString& strText, const QRect& caret, int nAboveTextEnd = 0);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void hideEvent(QHideEvent* pEvent) override;

private:
    bool m_bHideAtInput;
};
