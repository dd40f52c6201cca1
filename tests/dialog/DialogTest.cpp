// The dialog manager on a template of its own, offscreen: what a template makes, the dialog
// units, and the dialog keyboard (tab order, arrow-key groups, mnemonics, zoom keys).
#include "DialogTemplate.h"
#include "DialogUnits.h"
#include "OffscreenApplication.h"
#include "TemplateDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace
{

constexpr EControlId kOne{1}, kTwo{2}, kBox{3}, kHidden{4}, kFrame{5}, kLeft{6}, kRight{7},
    kText{9}, kOwn{10};
constexpr int kOwnType = 7;

constexpr CControlTemplate kControls[] = {
    {kOne, EControlClass::RadioButton, "&One", {5, 5, 40, 10}, kVisible | kGroup | kTabStop},
    {kTwo, EControlClass::RadioButton, "&Two", {50, 5, 40, 10}, kVisible | kTabStop},
    {kBox, EControlClass::CheckBox, "&Box", {95, 5, 40, 10}, kVisible | kTabStop},
    {kHidden, EControlClass::PushButton, "&Hidden", {140, 5, 10, 10}, 0},
    {kFrame, EControlClass::GroupBox, "Frame", {5, 20, 100, 30}, kVisible},
    {kLeft, EControlClass::RadioButton, "&Left", {10, 30, 40, 10}, kVisible | kGroup | kTabStop},
    {kRight, EControlClass::RadioButton, "Ri&ght", {55, 30, 40, 10}, kVisible | kTabStop},
    {EControlId::None, EControlClass::Label, "&&Amp", {110, 30, 30, 10}, kVisible | kGroup},
    {kText, EControlClass::TextView, "", {5, 55, 100, 40}, kVisible | kTabStop},
    {kOwn, EControlClass::Custom, "", {110, 55, 40, 10}, kVisible, kOwnType},
};

std::vector<int> g_arrCustomTypes; // what the template's factory was asked for

QWidget* NewOwnControl(QWidget& parent, const CControlTemplate& row)
{
    g_arrCustomTypes.push_back(row.m_nCustomType);
    auto* pLabel = new QLabel(QStringLiteral("own"), &parent);
    pLabel->setFocusPolicy(Qt::NoFocus);
    return pLabel;
}

constexpr CDialogTemplate kTemplate = {"Test",    "DejaVu Sans Mono", 8, 160, 100,
                                       kControls, NewOwnControl};

class CTestDialog : public CTemplateDialog
{
public:
    CTestDialog() : CTemplateDialog(kTemplate, nullptr) {}
    int m_nLayouts = 0;
    std::vector<int> m_arrZooms;

protected:
    void OnLayout() override { ++m_nLayouts; }
    void OnZoom(int nPercent) override
    {
        m_arrZooms.push_back(nPercent);
        CTemplateDialog::OnZoom(nPercent);
    }
};

class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_arrCustomTypes.clear();
        m_pDlg = std::make_unique<CTestDialog>();
        m_pDlg->show();
        m_pDlg->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    }
    QWidget* Item(EControlId nId) const { return m_pDlg->GetDlgItem(nId); }
    bool Checked(EControlId nId) const
    {
        return static_cast<QAbstractButton*>(Item(nId))->isChecked();
    }
    static void Keys(const char* pszKeys)
    {
        const QKeySequence keys(QString::fromLatin1(pszKeys));
        for (int nKey = 0; nKey < keys.count(); ++nKey)
            QTest::keyClick(QApplication::focusWidget(), keys[nKey].key(),
                            keys[nKey].keyboardModifiers());
    }
    std::unique_ptr<CTestDialog> m_pDlg;
};

TEST(DialogUnits, MapEachCoordinateWithRoundingAndZoomInSteps)
{
    const struct
    {
        QRect rectUnits;
        CDialogBaseUnits base;
        QRect rectPixels;
    } rows[] = {
        {{0, 0, 292, 199}, {8, 16}, {0, 0, 584, 398}},
        {{15, 58, 33, 10}, {7, 12}, {26, 87, 58, 15}},   // 26.25, 87, 57.75, 15
        {{7, 16, 260, 29}, {7, 12}, {12, 24, 455, 44}},  // 12.25, 24, 455, 43.5 rounds up
        {{10, 183, 40, 10}, {6, 13}, {15, 297, 60, 16}}, // 15, 297.375, 60, 16.25
    };
    for (const auto& row : rows)
        EXPECT_EQ(MapDialogRect(row.rectUnits, row.base), row.rectPixels);
    const std::tuple<int, int, int> steps[] = {
        // from, steps, to
        {100, 1, 125},  {200, 1, 200}, {100, -1, 100},
        {150, -2, 100}, {175, 0, 175}, {130, 1, 100}, // no step: 100
    };
    for (const auto& [nFrom, nDelta, nTo] : steps)
        EXPECT_EQ(ZoomStep(nFrom, nDelta), nTo) << nFrom << " " << nDelta;
}

TEST_F(DialogTest, ATemplateMakesItsControlsTheirGroupsAndTheirPlaces)
{
    EXPECT_EQ(m_pDlg->windowTitle(), QStringLiteral("Test"));
    EXPECT_EQ(g_arrCustomTypes, std::vector<int>{kOwnType});
    EXPECT_EQ(Item(kLeft)->parentWidget(), Item(kFrame)) << "inside the frame's rectangle";
    EXPECT_EQ(Item(kOne)->parentWidget(), m_pDlg.get());
    EXPECT_TRUE(Item(kHidden)->isHidden());
    EXPECT_EQ(Item(kOwn)->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(Item(kText)->focusPolicy(), Qt::StrongFocus);
    // Each group's radio buttons are one exclusive group, numbered in template order.
    for (const auto& [nFirst, nSecond] : {std::pair{kOne, kTwo}, std::pair{kLeft, kRight}})
    {
        QButtonGroup* pGroup = static_cast<QAbstractButton*>(Item(nFirst))->group();
        ASSERT_NE(pGroup, nullptr);
        EXPECT_EQ(pGroup->buttons().size(), 2);
        EXPECT_EQ(pGroup->id(static_cast<QAbstractButton*>(Item(nSecond))), 1);
        EXPECT_TRUE(pGroup->exclusive());
    }
    EXPECT_NE(static_cast<QAbstractButton*>(Item(kOne))->group(),
              static_cast<QAbstractButton*>(Item(kLeft))->group());

    const CDialogBaseUnits base = BaseUnitsOf(m_pDlg->font());
    EXPECT_EQ(m_pDlg->size(), MapDialogRect(QRect(0, 0, 160, 100), base).size());
    const QRect rectLeft(Item(kLeft)->mapTo(m_pDlg.get(), QPoint()), Item(kLeft)->size());
    EXPECT_EQ(rectLeft, MapDialogRect(QRect(10, 30, 40, 10), base)) << "placed as in the dialog";
}

TEST_F(DialogTest, TabVisitsTheEnabledTabStopsInTemplateOrderGoingRound)
{
    Item(kBox)->setEnabled(false);
    std::vector<QWidget*> arrVisited;
    Item(kOne)->setFocus();
    for (int i = 0; i < 6; ++i)
    {
        Keys("Tab");
        arrVisited.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(arrVisited, (std::vector<QWidget*>{Item(kTwo), Item(kLeft), Item(kRight), Item(kText),
                                                 Item(kOne), Item(kTwo)}));
    Keys("Shift+Tab");
    EXPECT_EQ(QApplication::focusWidget(), Item(kOne));
}

// Rows: where the focus starts, the keys, then what has the focus and which radios are checked.
TEST_F(DialogTest, ArrowsWalkTheGroupAndMnemonicsClickTheirControl)
{
    int nHiddenClicks = 0;
    QObject::connect(static_cast<QAbstractButton*>(Item(kHidden)), &QAbstractButton::clicked,
                     [&] { ++nHiddenClicks; });
    const struct
    {
        EControlId nFrom;
        const char* pszKeys;
        EControlId nFocus;
        bool bOne, bTwo, bBox;
    } rows[] = {
        {kOne, "Right", kTwo, false, true, false},  // a radio reached is clicked
        {kTwo, "Right", kBox, false, false, false}, // a check box only gets the focus
        {kBox, "Right", kOne, true, false, false},  // round, past the hidden button
        {kOne, "Left", kBox, false, false, false},
        {kText, "Alt+T", kTwo, false, true, false}, // any case, with or without Shift
        {kText, "Alt+Shift+B", kBox, false, false, true},
        {kText, "Alt+G", kRight, false, false, false}, // a mnemonic inside the caption
        {kText, "Alt+A", kText, false, false, false},  // "&&" is no mnemonic: a beep
        {kText, "Alt+H", kText, false, false, false},  // a hidden button answers, keeps no focus
    };
    for (const auto& row : rows)
    {
        QButtonGroup* pGroup = static_cast<QAbstractButton*>(Item(kOne))->group();
        pGroup->setExclusive(false); // an exclusive group keeps its checked button
        for (const EControlId nId : {kOne, kTwo, kBox})
            static_cast<QAbstractButton*>(Item(nId))->setChecked(false);
        pGroup->setExclusive(true);
        Item(row.nFrom)->setFocus();
        Keys(row.pszKeys);
        EXPECT_EQ(QApplication::focusWidget(), Item(row.nFocus)) << row.pszKeys;
        EXPECT_EQ(Checked(kOne), row.bOne) << row.pszKeys;
        EXPECT_EQ(Checked(kTwo), row.bTwo) << row.pszKeys;
        EXPECT_EQ(Checked(kBox), row.bBox) << row.pszKeys;
    }
    EXPECT_EQ(nHiddenClicks, 1);
}

TEST_F(DialogTest, ZoomKeysAskForStepsAndEachLayoutIsAnnounced)
{
    const int nLayouts = m_pDlg->m_nLayouts;
    Item(kText)->setFocus();
    Keys("Ctrl++, Ctrl++, Ctrl+-, Ctrl+0");
    EXPECT_EQ(m_pDlg->m_arrZooms, (std::vector<int>{125, 150, 125, 100}));
    EXPECT_EQ(m_pDlg->Zoom(), 100);
    EXPECT_EQ(m_pDlg->m_nLayouts, nLayouts + 4);
    m_pDlg->SetZoom(150);
    const CDialogBaseUnits base = BaseUnitsOf(m_pDlg->font());
    EXPECT_EQ(m_pDlg->size(), MapDialogRect(QRect(0, 0, 160, 100), base).size());
    EXPECT_GT(m_pDlg->font().pointSizeF(), 8.0);
}

} // namespace
