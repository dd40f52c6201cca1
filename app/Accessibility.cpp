#include "Accessibility.h"

#include "BitRuler.h"
#include "FindBar.h"
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
    {ECustomControl::FindBar, "Find"},
};

// The ruler is a picture of numbers, not a container of other things; the find bar groups its
// field, its count and its buttons.
QAccessibleInterface* OwnInterface(const QString&, QObject* pObject)
{
    if (auto* pRuler = dynamic_cast<CBitRuler*>(pObject))
        return new QAccessibleWidget(pRuler, QAccessible::Graphic);
    if (auto* pFindBar = dynamic_cast<CFindBar*>(pObject))
        return new QAccessibleWidget(pFindBar, QAccessible::Grouping);
    return nullptr;
}

} // namespace

void MakeAccessible(const CDialogControls& controls)
{
    static const bool bFactoryInstalled = []
    {
        QAccessible::installFactory(OwnInterface);
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
