#pragma once

#include "TextControl.h"

#include <string>

// The three-line result panel: read-only and right-aligned, showing letters in capitals while
// keeping the text exactly as it was set, which is what the console logic reads back. Its
// accessible description names the lines: binary, hexadecimal, decimal.
class CResultPanel : public CTextControl
{
public:
    explicit CResultPanel(QWidget* pParent);

    void SetText(const std::string& strText);
    const std::string& Text() const { return m_strText; }
    // Line nLine (from 0) without its CR LF; empty when there is no such line.
    std::string Line(int nLine) const;
    // What the three lines show: "Binary", "Hexadecimal", "Decimal".
    static QStringList LineNames();

    // Puts line nLine as a literal (ResultLiteral) on the clipboard and, where the system has
    // one, the selection that the middle button pastes; nothing when the line is empty.
    void CopyLiteral(int nLine) const;

protected:
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    std::string m_strText; // CR LF between lines
};
