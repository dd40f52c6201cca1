#pragma once

#include <QRect>
#include <QWidget>

#include <span>
#include <utility>
#include <vector>

class QButtonGroup;
class QDialog;

// A control's id, as a window numbers its controls; the statics have none.
enum class EControlId : int
{
    None = -1,
};

enum class EControlClass
{
    RadioButton,
    CheckBox,
    PushButton,
    GroupBox,
    Label,
    TextView, // read-only, no wrapping, vertical scroll bar
    Custom,   // a control of the window's own, made by its template's NewCustomControl
};

// Style bits of a control.
enum : unsigned
{
    kVisible = 1,
    kGroup = 2,   // starts a group; a group's radio buttons are exclusive
    kTabStop = 4, // reached with Tab; otherwise only a click gives it the focus
};

struct CControlTemplate
{
    EControlId m_nId;
    EControlClass m_eClass;
    const char* m_pszCaption; // '&' marks the Alt mnemonic
    QRect m_rectUnits;        // dialog units
    unsigned m_nStyle;
    int m_nCustomType = 0; // which of the window's own controls, for EControlClass::Custom
};

// Makes a control of EControlClass::Custom for row; one whose focus policy is Qt::NoFocus
// never takes the focus, others take it as the template's style says.
using NewCustomControl = QWidget* (*)(QWidget& parent, const CControlTemplate& row);

struct CDialogTemplate
{
    const char* m_pszCaption;
    const char* m_pszFont; // the face exactly; DialogFont says what stands in where it is missing
    int m_nPointSize;
    int m_nWidth; // dialog units, client area
    int m_nHeight;
    std::span<const CControlTemplate> m_controls; // template order is the tab order
    NewCustomControl m_pfnNewCustom = nullptr;
};

// The controls a template made on a dialog, found by id as the dialog manager finds them.
class CDialogControls
{
public:
    // Sets the dialog's caption and creates the controls in template order, which is the tab
    // order and the order in which accessibility lists them; controls inside a group box's
    // rectangle become its children, the group box taking the place of its first control.
    // Each group's radio buttons form one exclusive QButtonGroup whose ids count from 0 in
    // template order. Then lays the dialog out at 100 %.
    void Create(QDialog& dialog, const CDialogTemplate& dlgTemplate);
    // Sets the font at the zoom given, the dialog's fixed size and every control's rectangle.
    void Layout(int nZoomPercent);
    int Zoom() const { return m_nZoomPercent; }

    QWidget* Item(EControlId nId) const;
    template <class T> T* Item(EControlId nId) const { return dynamic_cast<T*>(Item(nId)); }
    // The first control of the class (and, for Custom, of the custom type) in template order.
    QWidget* ItemOfClass(EControlClass eClass, int nCustomType = 0) const;
    // The group of radio buttons that starts at nFirstId.
    QButtonGroup* RadioGroup(EControlId nFirstId) const;
    // The next (or previous) enabled, visible tab stop after pFrom (a control, or a part of
    // one) in template order, going round; every tab stop counts, a radio button too, checked
    // or not.
    QWidget* NextTabItem(const QWidget* pFrom, bool bPrevious) const;
    // The next (or previous) control of pFrom's group in template order, going round within
    // the group: enabled, visible and able to take the focus; null when pFrom is no control
    // or the only one. A group runs from a control that starts one to the next that does.
    QWidget* NextGroupItem(const QWidget* pFrom, bool bPrevious) const;
    // The enabled control whose caption marks chKey as its mnemonic, in any case; a hidden
    // control answers too. Null when there is none.
    QWidget* MnemonicItem(QChar chKey) const;

private:
    struct CItem
    {
        const CControlTemplate* m_pRow;
        QWidget* m_pControl;
    };
    std::ptrdiff_t IndexOf(const QWidget* pControl) const;

    QDialog* m_pDialog = nullptr;
    const CDialogTemplate* m_pTemplate = nullptr;
    int m_nZoomPercent = 100;
    std::vector<CItem> m_arrItems; // template order
    std::vector<std::pair<EControlId, QButtonGroup*>> m_arrGroups;
};
