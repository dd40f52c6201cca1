#pragma once

#include <QRect>
#include <QWidget>

#include <span>
#include <utility>
#include <vector>

class QButtonGroup;
class QDialog;

// Control ids of the two windows; the statics have none.
enum : int
{
    kNoId = -1,
    kIdPanel = 1000,
    kIdUnsigned = 1006,
    kIdConsole = 1008,
    kIdCastNone = 1009,
    kIdCast32 = 1010,
    kIdCast16 = 1011,
    kIdCast8 = 1012,
    kIdForceCast = 1015,
    kIdOutputBin = 1016,
    kIdOutputDez = 1017,
    kIdOutputHex = 1019,
    kIdErase = 1021,
    kIdInfo = 1023,
    kIdClose = 1024,
    kIdHelpText = 1028,
    kIdScroll = 1035,
    kIdOverwrite = 1036,
    kIdEndPos = 1037,
};

enum class EControlClass
{
    RadioButton,
    CheckBox,
    PushButton,
    GroupBox,
    Label,
    ResultPanel, // read-only, right-aligned, shows capitals
    Ruler,       // bit positions over the result panel
    Console,     // the editable console: wraps, vertical scroll bar
    TextView,    // read-only, no wrapping, vertical scroll bar
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
    int m_nId;
    EControlClass m_eClass;
    const char* m_pszCaption; // '&' marks the Alt mnemonic
    QRect m_rectUnits;        // dialog units
    unsigned m_nStyle;
};

struct CDialogTemplate
{
    const char* m_pszCaption;
    const char* m_pszFont; // the face exactly; DialogFont says what stands in where it is missing
    int m_nPointSize;
    int m_nWidth; // dialog units, client area
    int m_nHeight;
    std::span<const CControlTemplate> m_controls; // template order is the tab order
};

extern const CDialogTemplate kCalculatorTemplate;
extern const CDialogTemplate kInfoTemplate;

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

    QWidget* Item(int nId) const;
    template <class T> T* Item(int nId) const { return dynamic_cast<T*>(Item(nId)); }
    QWidget* ItemOfClass(EControlClass eClass) const;
    // The group of radio buttons that starts at nFirstId.
    QButtonGroup* RadioGroup(int nFirstId) const;
    // The next (or previous) enabled, visible tab stop after pFrom in template order, going
    // round; every tab stop counts, a radio button too, checked or not.
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
    std::vector<std::pair<int, QButtonGroup*>> m_arrGroups;
};
