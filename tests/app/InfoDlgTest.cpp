#include "WindowTest.h"

#include <QPushButton>

#include <vector>

namespace
{

// The help text as separate lines, checked against rows written out here once more.
std::vector<std::string> Lines(const std::string& strText)
{
    std::vector<std::string> arrLines;
    std::size_t nBegin = 0;
    for (std::size_t nEnd; (nEnd = strText.find("\r\n", nBegin)) != std::string::npos;
         nBegin = nEnd + 2)
        arrLines.push_back(strText.substr(nBegin, nEnd - nBegin));
    arrLines.push_back(strText.substr(nBegin));
    return arrLines;
}

struct CHelpLine
{
    std::size_t nLine; // 1-based, as the help text is counted
    std::string strText;
};

const CHelpLine kHelpLines[] = {
    {1, ""},
    {2, " \t\t\tLumdrak Info"},
    {3, " \t\t\t" + std::string(16, '=')},
    {7, " usage: \t?(function|token)[(prefix)value][token] ..."},
    {13, " ?#1001^#11116"},
    {33, " rand(0)\tpseudorandom integer (rang 0 to 32767)"},
    {41, " + - * / % <\tadd, subtract, multiply, divide, modulo, power"},
    {44, " ^ | & >> << ~\txor, or, and, shift right, shift left, not"},
    {60, " ALT+i\t\thelp & info screen"},
    {62, " " + std::string(44, '=')},
    {63, ""},
    {64, "Version 1.3"},
    {65, ""}, // after the final line break
};

struct CInfoKey
{
    const char* pszName;
    QKeyCombination key;
};

class CInfoTest : public CWindowTest, public ::testing::WithParamInterface<CInfoKey>
{
};

TEST_P(CInfoTest, ShowsTheHelpTextAndTheVersionOnceWithTheFocusOnClose)
{
    for (int nShowing = 1; nShowing <= 2; ++nShowing)
    {
        const bool bSeen = WithModal(
            [&] { Key(GetParam().key.key(), GetParam().key.keyboardModifiers()); },
            [&](QWidget& info)
            {
                EXPECT_EQ(info.windowTitle(), QStringLiteral("Info"));
                EXPECT_EQ(QApplication::focusWidget(), info.findChild<QPushButton*>());
                auto* pText = info.findChild<QPlainTextEdit*>();
                ASSERT_NE(pText, nullptr);
                EXPECT_TRUE(pText->isReadOnly());
                const std::vector<std::string> arrLines =
                    Lines(ToModelText(pText->document()->toRawText()));
                ASSERT_EQ(arrLines.size(), 65u) << "showing " << nShowing;
                for (const CHelpLine& row : kHelpLines)
                    EXPECT_EQ(arrLines[row.nLine - 1], row.strText) << "line " << row.nLine;
                for (const std::string& strLine : arrLines)
                    EXPECT_TRUE(strLine.empty() || strLine[0] == ' ' || strLine == "Version 1.3");
            });
        EXPECT_TRUE(bSeen) << "showing " << nShowing;
    }
    EXPECT_TRUE(m_pDlg->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Console());
}

INSTANTIATE_TEST_SUITE_P(Keys, CInfoTest,
                         ::testing::Values(CInfoKey{"F1", QKeyCombination(Qt::Key_F1)},
                                           CInfoKey{"AltI",
                                                    QKeyCombination(Qt::AltModifier, Qt::Key_I)}),
                         CRowName());

} // namespace
