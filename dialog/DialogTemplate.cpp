#include "DialogTemplate.h"

#include "DevicePixels.h"
#include "DialogUnits.h"
#include "TextControl.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

namespace
{

// A frame with its caption set into the top edge, the line passing through the caption's
// middle; the platform style would put the caption above the frame, over the controls.
class CGroupBox : public QGroupBox
{
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const CDeviceGrid grid(painter);
        const int nLine = static_cast<int>(grid.Ratio());
        const QRectF rectFrame = QRectF(rect()).adjusted(0, metrics.height() / 2, -1, -1);
        grid.FillFrame(painter, rectFrame.translated(1, 1), nLine,
                       palette().color(QPalette::Light));
        grid.FillFrame(painter, rectFrame, nLine, palette().color(QPalette::Mid));
        const int nPad = metrics.averageCharWidth() / 2;
        const QRect rectCaption(metrics.averageCharWidth(), 0,
                                metrics.horizontalAdvance(title()) + 2 * nPad, metrics.height());
        painter.fillRect(rectCaption, palette().window());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rectCaption, Qt::AlignCenter | Qt::TextShowMnemonic, title());
    }
};

QWidget* NewControl(QWidget& parent, const CControlTemplate& row, NewCustomControl pfnNewCustom)
{
    const QString strCaption = QString::fromLatin1(row.m_pszCaption);
    switch (row.m_eClass)
    {
    case EControlClass::RadioButton:
        return new QRadioButton(strCaption, &parent);
    case EControlClass::CheckBox:
        return new QCheckBox(strCaption, &parent);
    case EControlClass::PushButton:
    {
        auto* pButton = new QPushButton(strCaption, &parent);
        // A hidden button must never become the target of Enter.
        pButton->setAutoDefault((row.m_nStyle & kVisible) != 0);
        return pButton;
    }
    case EControlClass::GroupBox:
        return new CGroupBox(strCaption, &parent);
    case EControlClass::Label:
    {
        auto* pLabel = new QLabel(strCaption, &parent);
        pLabel->setTextFormat(Qt::PlainText);
        pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return pLabel;
    }
    case EControlClass::Custom:
        return pfnNewCustom ? pfnNewCustom(parent, row) : nullptr;
    case EControlClass::TextView:
    {
        auto* pText = new CTextControl(&parent);
        pText->setReadOnly(true);
        pText->setLineWrapMode(QPlainTextEdit::NoWrap);
        pText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        pText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        pText->setTabChangesFocus(true);
        return pText;
    }
    }
    return nullptr;
}

Qt::FocusPolicy FocusPolicyOf(const CControlTemplate& row, const QWidget& control)
{
    switch (row.m_eClass)
    {
    case EControlClass::GroupBox:
    case EControlClass::Label:
        return Qt::NoFocus;
    case EControlClass::Custom:
        if (control.focusPolicy() == Qt::NoFocus) return Qt::NoFocus;
        return (row.m_nStyle & kTabStop) ? Qt::StrongFocus : Qt::ClickFocus;
    case EControlClass::PushButton:
        return (row.m_nStyle & kTabStop) ? Qt::StrongFocus : Qt::NoFocus;
    default:
        return (row.m_nStyle & kTabStop) ? Qt::StrongFocus : Qt::ClickFocus;
    }
}

} // namespace

void CDialogControls::Create(QDialog& dialog, const CDialogTemplate& dlgTemplate)
{
    m_pDialog = &dialog;
    m_pTemplate = &dlgTemplate;
    dialog.setWindowTitle(QString::fromLatin1(dlgTemplate.m_pszCaption));
    const std::span<const CControlTemplate> rows = dlgTemplate.m_controls;
    m_arrItems.assign(rows.size(), CItem{nullptr, nullptr});

    // The group box whose rectangle holds a control's rectangle, by index; -1 for none.
    const auto containerOf = [rows](std::size_t nRow)
    {
        for (std::size_t nBox = 0; nBox < rows.size(); ++nBox)
            if (nBox != nRow && rows[nBox].m_eClass == EControlClass::GroupBox &&
                rows[nBox].m_rectUnits.contains(rows[nRow].m_rectUnits))
                return static_cast<std::ptrdiff_t>(nBox);
        return std::ptrdiff_t{-1};
    };
    const auto create = [&](std::size_t nRow, QWidget& parent)
    {
        const CControlTemplate& row = rows[nRow];
        QWidget* pControl = NewControl(parent, row, dlgTemplate.m_pfnNewCustom);
        Q_ASSERT(pControl); // a custom control needs its template's NewCustomControl
        pControl->setFocusPolicy(FocusPolicyOf(row, *pControl));
        pControl->setHidden((row.m_nStyle & kVisible) == 0);
        m_arrItems[nRow] = {&row, pControl};
    };

    QButtonGroup* pGroup = nullptr;
    for (std::size_t nRow = 0; nRow < rows.size(); ++nRow)
    {
        const CControlTemplate& row = rows[nRow];
        if (row.m_nStyle & kGroup) pGroup = nullptr;
        QWidget* pParent = &dialog;
        if (const std::ptrdiff_t nBox = containerOf(nRow); nBox >= 0)
        {
            const auto nBoxRow = static_cast<std::size_t>(nBox);
            if (!m_arrItems[nBoxRow].m_pControl) create(nBoxRow, dialog);
            pParent = m_arrItems[nBoxRow].m_pControl;
        }
        if (!m_arrItems[nRow].m_pControl) create(nRow, *pParent);
        if (auto* pRadio = qobject_cast<QRadioButton*>(m_arrItems[nRow].m_pControl))
        {
            if (!pGroup)
            {
                pGroup = new QButtonGroup(&dialog);
                m_arrGroups.emplace_back(row.m_nId, pGroup);
            }
            pGroup->addButton(pRadio, static_cast<int>(pGroup->buttons().size()));
        }
    }
    Layout(100);
}

void CDialogControls::Layout(int nZoomPercent)
{
    m_nZoomPercent = nZoomPercent;
    m_pDialog->setFont(DialogFont(m_pTemplate->m_pszFont, m_pTemplate->m_nPointSize, nZoomPercent));
    const CDialogBaseUnits base = BaseUnitsOf(m_pDialog->font());
    m_pDialog->setFixedSize(
        MapDialogRect(QRect(0, 0, m_pTemplate->m_nWidth, m_pTemplate->m_nHeight), base).size());
    for (const CItem& item : m_arrItems)
    {
        QRect rect = MapDialogRect(item.m_pRow->m_rectUnits, base);
        // A group box's controls are placed as the dialog would place them.
        if (QWidget* pParent = item.m_pControl->parentWidget(); pParent != m_pDialog)
            for (const CItem& box : m_arrItems)
                if (box.m_pControl == pParent)
                    rect.translate(-MapDialogRect(box.m_pRow->m_rectUnits, base).topLeft());
        item.m_pControl->setGeometry(rect);
    }
}

QWidget* CDialogControls::Item(EControlId nId) const
{
    for (const CItem& item : m_arrItems)
        if (item.m_pRow->m_nId == nId) return item.m_pControl;
    return nullptr;
}

QWidget* CDialogControls::ItemOfClass(EControlClass eClass, int nCustomType) const
{
    for (const CItem& item : m_arrItems)
        if (item.m_pRow->m_eClass == eClass &&
            (eClass != EControlClass::Custom || item.m_pRow->m_nCustomType == nCustomType))
            return item.m_pControl;
    return nullptr;
}

QButtonGroup* CDialogControls::RadioGroup(EControlId nFirstId) const
{
    for (const auto& [nId, pGroup] : m_arrGroups)
        if (nId == nFirstId) return pGroup;
    return nullptr;
}

std::ptrdiff_t CDialogControls::IndexOf(const QWidget* pControl) const
{
    // A part of a control (the field of a bar) counts as the control; a button in a group box
    // is a control of its own, found before its box.
    for (const QWidget* pWidget = pControl; pWidget && pWidget != m_pDialog;
         pWidget = pWidget->parentWidget())
        for (std::size_t i = 0; i < m_arrItems.size(); ++i)
            if (m_arrItems[i].m_pControl == pWidget) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

QWidget* CDialogControls::NextTabItem(const QWidget* pFrom, bool bPrevious) const
{
    const auto nCount = std::ssize(m_arrItems);
    std::ptrdiff_t nFrom = IndexOf(pFrom);
    // From outside the controls, Tab starts at the first one and Shift+Tab at the last.
    if (nFrom < 0) nFrom = bPrevious ? 0 : nCount - 1;
    for (std::ptrdiff_t nStep = 1; nStep <= nCount; ++nStep)
    {
        const std::ptrdiff_t nIndex =
            ((nFrom + (bPrevious ? -nStep : nStep)) % nCount + nCount) % nCount;
        const CItem& item = m_arrItems[static_cast<std::size_t>(nIndex)];
        if ((item.m_pRow->m_nStyle & kTabStop) && item.m_pControl->isVisible() &&
            item.m_pControl->isEnabled())
            return item.m_pControl;
    }
    return nullptr;
}

QWidget* CDialogControls::NextGroupItem(const QWidget* pFrom, bool bPrevious) const
{
    const std::ptrdiff_t nFrom = IndexOf(pFrom);
    if (nFrom < 0) return nullptr;
    const auto startsGroup = [this](std::ptrdiff_t i)
    { return i == 0 || (m_arrItems[static_cast<std::size_t>(i)].m_pRow->m_nStyle & kGroup); };
    std::ptrdiff_t nFirst = nFrom;
    while (!startsGroup(nFirst))
        --nFirst;
    std::ptrdiff_t nEnd = nFrom + 1;
    while (nEnd < std::ssize(m_arrItems) && !startsGroup(nEnd))
        ++nEnd;
    const std::ptrdiff_t nCount = nEnd - nFirst;
    for (std::ptrdiff_t nStep = 1; nStep < nCount; ++nStep)
    {
        const std::ptrdiff_t nIndex =
            nFirst + ((nFrom - nFirst + (bPrevious ? -nStep : nStep)) % nCount + nCount) % nCount;
        QWidget* pControl = m_arrItems[static_cast<std::size_t>(nIndex)].m_pControl;
        if (pControl->isVisible() && pControl->isEnabled() &&
            pControl->focusPolicy() != Qt::NoFocus)
            return pControl;
    }
    return nullptr;
}

QWidget* CDialogControls::MnemonicItem(QChar chKey) const
{
    for (const CItem& item : m_arrItems)
    {
        // "&&" stands for an ampersand; the first single '&' marks the next character.
        const QString strCaption = QString::fromLatin1(item.m_pRow->m_pszCaption);
        for (qsizetype i = strCaption.indexOf(u'&'); i >= 0 && i + 1 < strCaption.size();
             i = strCaption.indexOf(u'&', i + 2))
        {
            if (strCaption[i + 1] == u'&') continue;
            if (strCaption[i + 1].toUpper() == chKey.toUpper() && item.m_pControl->isEnabled())
                return item.m_pControl;
            break;
        }
    }
    return nullptr;
}
