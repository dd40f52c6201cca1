#include "Accessibility.h"

#include "BitRuler.h"
#include "ResultPanel.h"
#include "Templates.h"

#include <QAccessibleWidget>
#include <QLabel>

namespace
{

struct CControlName
{
    ECustomControl m_eKind;
    const char* m_pszName;
};

constexpr CControlName kNames[] = {
    {ECustomControl::Console, "Console"},
    {ECustomControl::ResultPanel, "Result"},
    {ECustomControl::Ruler, "Bit positions 63 to 0"},
};

// The ruler is a picture of numbers, not a container of other things.
QAccessibleInterface* RulerInterface(const QString&, QObject* pObject)
{
    if (auto* pRuler = dynamic_cast<CBitRuler*>(pObject))
        return new QAccessibleWidget(pRuler, QAccessible::Graphic);
    return nullptr;
}

} // namespace

void MakeAccessible(const CDialogControls& controls)
{
    static const bool bFactoryInstalled = []
    {
        QAccessible::installFactory(RulerInterface);
        return true;
    }();
    (void)bFactoryInstalled;

    for (const CControlName& name : kNames)
        if (QWidget* pControl = ItemOfKind(controls, name.m_eKind))
            pControl->setAccessibleName(QString::fromLatin1(name.m_pszName));
    if (QWidget* pHelp = controls.ItemOfClass(EControlClass::TextView))
        pHelp->setAccessibleName(QStringLiteral("Help text"));
    // The label beside the panel names the panel's lines.
    auto* pLabel = dynamic_cast<QLabel*>(controls.ItemOfClass(EControlClass::Label));
    QWidget* pPanel = ItemOfKind(controls, ECustomControl::ResultPanel);
    if (pLabel && pPanel)
    {
        pLabel->setAccessibleName(CResultPanel::LineNames().join(QStringLiteral(", ")));
        pLabel->setBuddy(pPanel);
    }
}
