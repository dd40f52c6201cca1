#include "Accessibility.h"

#include "BitRuler.h"
#include "DialogTemplate.h"
#include "ResultPanel.h"

#include <QAccessibleWidget>
#include <QLabel>

namespace
{

struct CControlName
{
    EControlClass m_eClass;
    const char* m_pszName;
};

constexpr CControlName kNames[] = {
    {EControlClass::Console, "Console"},
    {EControlClass::ResultPanel, "Result"},
    {EControlClass::Ruler, "Bit positions 63 to 0"},
    {EControlClass::TextView, "Help text"},
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
        if (QWidget* pControl = controls.ItemOfClass(name.m_eClass))
            pControl->setAccessibleName(QString::fromLatin1(name.m_pszName));
    // The label beside the panel names the panel's lines.
    auto* pLabel = dynamic_cast<QLabel*>(controls.ItemOfClass(EControlClass::Label));
    QWidget* pPanel = controls.ItemOfClass(EControlClass::ResultPanel);
    if (pLabel && pPanel)
    {
        pLabel->setAccessibleName(CResultPanel::LineNames().join(QStringLiteral(", ")));
        pLabel->setBuddy(pPanel);
    }
}
