#include "DialogTemplate.h"

#include "BitRuler.h"
#include "ConsoleEdit.h"
#include "DialogUnits.h"
#include "ResultPanel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace
{

constexpr CControlTemplate kCalculatorControls[] = {
    {kIdCastNone,
     EControlClass::RadioButton,
     "&None",
     {15, 58, 33, 10},
     kVisible | kGroup | kTabStop},
    {kIdCast32, EControlClass::RadioButton, "&32Bit", {50, 58, 32, 10}, kVisible | kTabStop},
    {kIdCast16, EControlClass::RadioButton, "&16Bit", {90, 58, 32, 10}, kVisible | kTabStop},
    {kIdCast8, EControlClass::RadioButton, "&8Bit", {123, 58, 28, 10}, kVisible | kTabStop},
    {kIdUnsigned, EControlClass::CheckBox, "&UNSIGNED", {160, 58, 54, 10}, kVisible | kTabStop},
    {kIdOutputBin,
     EControlClass::RadioButton,
     "&BIN",
     {230, 53, 30, 10},
     kVisible | kGroup | kTabStop},
    {kIdOutputHex, EControlClass::RadioButton, "&HEX", {230, 63, 31, 10}, kVisible | kTabStop},
    {kIdOutputDez, EControlClass::RadioButton, "&DEZ", {260, 53, 25, 10}, kVisible | kTabStop},
    {kIdErase, EControlClass::PushButton, "&erase", {260, 66, 9, 6}, 0},
    {kIdPanel, EControlClass::ResultPanel, "", {7, 16, 260, 29}, kVisible},
    {kNoId, EControlClass::Ruler, "", {10, 8, 255, 7}, kVisible},
    {kNoId, EControlClass::Label, "BIN\nHEX\nDEZ", {273, 18, 12, 27}, kVisible | kGroup},
    {kIdInfo, EControlClass::PushButton, "&Info", {276, 66, 7, 7}, 0},
    {kIdForceCast, EControlClass::GroupBox, "Force Cast", {7, 48, 213, 25}, kVisible},
    {kIdScroll, EControlClass::RadioButton, "Scroll", {10, 183, 40, 10}, kVisible | kGroup},
    {kIdOverwrite, EControlClass::RadioButton, "Overwrite", {50, 183, 52, 10}, kVisible},
    {kIdEndPos, EControlClass::CheckBox, "EndPos", {105, 183, 50, 10}, kVisible | kTabStop},
    {kIdConsole, EControlClass::Console, "", {7, 80, 278, 100}, kVisible | kTabStop},
};

constexpr CControlTemplate kInfoControls[] = {
    {kIdClose, EControlClass::PushButton, "&Close", {238, 235, 40, 13}, kVisible | kTabStop},
    {kIdHelpText, EControlClass::TextView, "", {7, 7, 271, 219}, kVisible | kTabStop},
};

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
        const QRect rectFrame = rect().adjusted(0, metrics.height() / 2, -2, -2);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(rectFrame);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawRect(rectFrame.translated(1, 1));
        const int nPad = metrics.averageCharWidth() / 2;
        const QRect rectCaption(metrics.averageCharWidth(), 0,
                                metrics.horizontalAdvance(title()) + 2 * nPad, metrics.height());
        painter.fillRect(rectCaption, palette().window());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rectCaption, Qt::AlignCenter | Qt::TextShowMnemonic, title());
    }
};

// Tabs every eight characters of the fixed-pitch font, as the help text's columns expect.
void SetTabsEveryEight(QPlainTextEdit& edit)
{
    edit.setTabStopDistance(8 * QFontMetricsF(edit.font()).horizontalAdvance(QLatin1Char(' ')));
}

QWidget* NewControl(QDialog& dialog, const CControlTemplate& row)
{
    const QString strCaption = QString::fromLatin1(row.m_pszCaption);
    switch (row.m_eClass)
    {
    case EControlClass::RadioButton:
        return new QRadioButton(strCaption, &dialog);
    case EControlClass::CheckBox:
        return new QCheckBox(strCaption, &dialog);
    case EControlClass::PushButton:
    {
        auto* pButton = new QPushButton(strCaption, &dialog);
        // A hidden button must never become the target of Enter.
        pButton->setAutoDefault((row.m_nStyle & kVisible) != 0);
        return pButton;
    }
    case EControlClass::GroupBox:
        return new CGroupBox(strCaption, &dialog);
    case EControlClass::Label:
    {
        auto* pLabel = new QLabel(strCaption, &dialog);
        pLabel->setTextFormat(Qt::PlainText);
        pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return pLabel;
    }
    case EControlClass::ResultPanel:
        return new CResultPanel(&dialog);
    case EControlClass::Ruler:
        return new CBitRuler(&dialog);
    case EControlClass::Console:
    {
        auto* pConsole = new CConsoleEdit(&dialog);
        SetTabsEveryEight(*pConsole);
        return pConsole;
    }
    case EControlClass::TextView:
    {
        auto* pText = new QPlainTextEdit(&dialog);
        pText->setReadOnly(true);
        pText->setLineWrapMode(QPlainTextEdit::NoWrap);
        pText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        pText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        pText->setTabChangesFocus(true);
        SetTabsEveryEight(*pText);
        return pText;
    }
    }
    return nullptr;
}

Qt::FocusPolicy FocusPolicyOf(const CControlTemplate& row)
{
    switch (row.m_eClass)
    {
    case EControlClass::GroupBox:
    case EControlClass::Label:
    case EControlClass::Ruler:
        return Qt::NoFocus;
    case EControlClass::PushButton:
        return (row.m_nStyle & kTabStop) ? Qt::StrongFocus : Qt::NoFocus;
    default:
        return (row.m_nStyle & kTabStop) ? Qt::StrongFocus : Qt::ClickFocus;
    }
}

} // namespace

const CDialogTemplate kCalculatorTemplate = {"Lumdrak", "Courier", 8,
                                             292,       199,       kCalculatorControls};
const CDialogTemplate kInfoTemplate = {"Info", "Courier", 8, 285, 255, kInfoControls};

void CDialogControls::Create(QDialog& dialog, const CDialogTemplate& dlgTemplate)
{
    QFont font(QString::fromLatin1(dlgTemplate.m_pszFont), dlgTemplate.m_nPointSize);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    dialog.setFont(font);
    dialog.setWindowTitle(QString::fromLatin1(dlgTemplate.m_pszCaption));
    const CDialogBaseUnits base = BaseUnitsOf(dialog.font());
    dialog.setFixedSize(
        MapDialogRect(QRect(0, 0, dlgTemplate.m_nWidth, dlgTemplate.m_nHeight), base).size());

    QButtonGroup* pGroup = nullptr;
    for (const CControlTemplate& row : dlgTemplate.m_controls)
    {
        if (row.m_nStyle & kGroup) pGroup = nullptr;
        QWidget* pControl = NewControl(dialog, row);
        pControl->setGeometry(MapDialogRect(row.m_rectUnits, base));
        pControl->setFocusPolicy(FocusPolicyOf(row));
        pControl->setHidden((row.m_nStyle & kVisible) == 0);
        pControl->lower();
        if (auto* pRadio = qobject_cast<QRadioButton*>(pControl))
        {
            if (!pGroup)
            {
                pGroup = new QButtonGroup(&dialog);
                m_arrGroups.emplace_back(row.m_nId, pGroup);
            }
            pGroup->addButton(pRadio, static_cast<int>(pGroup->buttons().size()));
        }
        m_arrItems.push_back({row.m_nId, row.m_eClass, row.m_nStyle, pControl});
    }
}

QWidget* CDialogControls::Item(int nId) const
{
    for (const CItem& item : m_arrItems)
        if (item.m_nId == nId) return item.m_pControl;
    return nullptr;
}

QWidget* CDialogControls::ItemOfClass(EControlClass eClass) const
{
    for (const CItem& item : m_arrItems)
        if (item.m_eClass == eClass) return item.m_pControl;
    return nullptr;
}

QButtonGroup* CDialogControls::RadioGroup(int nFirstId) const
{
    for (const auto& [nId, pGroup] : m_arrGroups)
        if (nId == nFirstId) return pGroup;
    return nullptr;
}

std::vector<QWidget*> CDialogControls::Controls() const
{
    std::vector<QWidget*> arrControls;
    for (const CItem& item : m_arrItems)
        arrControls.push_back(item.m_pControl);
    return arrControls;
}

QWidget* CDialogControls::NextTabItem(const QWidget* pFrom, bool bPrevious) const
{
    const auto nCount = static_cast<std::ptrdiff_t>(m_arrItems.size());
    std::ptrdiff_t nFrom = nCount - 1;
    for (std::ptrdiff_t i = 0; i < nCount; ++i)
        if (m_arrItems[static_cast<std::size_t>(i)].m_pControl == pFrom) nFrom = i;
    if (bPrevious && nFrom == nCount - 1 && m_arrItems.back().m_pControl != pFrom) nFrom = 0;
    for (std::ptrdiff_t nStep = 1; nStep <= nCount; ++nStep)
    {
        const std::ptrdiff_t nIndex =
            ((nFrom + (bPrevious ? -nStep : nStep)) % nCount + nCount) % nCount;
        const CItem& item = m_arrItems[static_cast<std::size_t>(nIndex)];
        if ((item.m_nStyle & kTabStop) && item.m_pControl->isVisible() &&
            item.m_pControl->isEnabled())
            return item.m_pControl;
    }
    return nullptr;
}
