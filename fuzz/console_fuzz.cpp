// libFuzzer target: the console logic on the in-memory window. The bytes choose the modes a
// stored settings code or the controls can give, a console text, and a sequence of keys,
// clicks and caret moves; after each step the visible state must obey rules that hold
// whatever the text and the modes:
//   - the selection lies within the text;
//   - the panel is empty or three lines: binary digits of the cast's width, the same bits in
//     hexadecimal, and a decimal line within the range of the cast the controls show;
//   - Enter is consumed exactly on a '?' line; it never changes the text before the line's
//     end, in Scroll mode never the text after it, in Overwrite mode never the text beyond
//     the second line below; the new line is a result or a marker under the evaluated line,
//     and the caret ends on a '?' line;
//   - F2 and F3 change the text only at the selection; F4, the mode clicks and other keys
//     never change the text;
//   - a flipped panel bit or an inserted field is entered below everything there was, and a
//     flip shows exactly the flipped bits, unless (with no cast only) a double cannot hold
//     the integer, when nothing changes.
//
// Input layout: five bytes for the stored code's members, one for the random seed, one for
// the number of steps, three bytes per step, then the console text (typed before step 1).
#include "Banner.h"
#include "Console.h"
#include "FuzzCheck.h"
#include "MemoryWindow.h"
#include "PanelBits.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace
{

constexpr std::size_t kHeaderSize = 7;
constexpr std::size_t kStepSize = 3;
constexpr std::size_t kMaxSteps = 64;
// Enter can double the last expression each time F3 inserts it; beyond this the run stops.
constexpr std::size_t kMaxConsoleSize = 1 << 16;

// What a stored code's character or a radio read back can put into a member: the digits'
// values 0 to 9 ('A' and 'B' decode to 0 and 1 like the digits), -1 for a radio without a
// checked button, or an undecodable character that leaves the start value.
template <typename TMember> void LoadMember(TMember& member, std::uint8_t nByte, bool bRadio)
{
    const int nChoice = nByte % 12;
    if (nChoice < 10)
        member = static_cast<TMember>(nChoice);
    else if (nChoice == 10 && bRadio)
        member = static_cast<TMember>(-1);
}

// A selection position: inside the text, at its ends, or far outside it.
int Position(std::uint8_t nByte, std::size_t nLength)
{
    const auto nLen = static_cast<int>(nLength);
    switch (nByte)
    {
    case 0xF0:
        return -1;
    case 0xF1:
        return INT32_MIN;
    case 0xF2:
        return INT32_MAX;
    case 0xF3:
        return nLen + 1;
    case 0xF4:
        return nLen + 1000;
    case 0xF5:
        return nLen;
    case 0xF6:
        return nLen - 1;
    case 0xF7:
        return nLen - 2;
    default:
        return nByte % (nLen + 1);
    }
}

// Texts a user types over the selection.
constexpr std::array<std::string_view, 16> kTyped = {
    "?", "\r\n", "\r\n?", "1", "+", "(", ")", " ", "r", "m", "$", "#", "'", "\xE1", "\r", "\n"};

// The line that holds position nPos: it ends at the first CR at or after nPos (or the text's
// end) and begins after the last LF before that end.
struct Line
{
    std::size_t nBegin;
    std::size_t nEnd;
};

Line LineAt(const std::string& strText, std::size_t nPos)
{
    std::size_t nEnd = strText.find('\r', nPos);
    if (nEnd == std::string::npos) nEnd = strText.size();
    const std::size_t nLf = nEnd == 0 ? std::string::npos : strText.rfind('\n', nEnd - 1);
    return {nLf == std::string::npos ? 0 : nLf + 1, nEnd};
}

bool IsQuestionLine(const std::string& strText, const Line& line)
{
    return line.nBegin < line.nEnd && strText[line.nBegin] == '?';
}

// Line breaks are CR LF pairs only, as a real console stores them.
bool HasOnlyPairedBreaks(const std::string& strText)
{
    for (std::size_t i = 0; i < strText.size(); ++i)
    {
        if (strText[i] == '\r' && (i + 1 == strText.size() || strText[i + 1] != '\n')) return false;
        if (strText[i] == '\n' && (i == 0 || strText[i - 1] != '\r')) return false;
    }
    return true;
}

bool EndsWith(const std::string& strText, std::string_view strEnd)
{
    return strText.size() >= strEnd.size() &&
           strText.compare(strText.size() - strEnd.size(), strEnd.size(), strEnd) == 0;
}

bool Digits(std::string_view strText, std::string_view strAllowed)
{
    return !strText.empty() && strText.find_first_not_of(strAllowed) == std::string_view::npos;
}

// The panel as the window shows it, against the cast radio and the UNSIGNED box.
void CheckPanel(const CMemoryWindow& window)
{
    const std::string& strPanel = window.m_strPanelText;
    if (strPanel.empty()) return;
    const std::size_t nFirst = strPanel.find("\r\n");
    CHECK(nFirst != std::string::npos);
    const std::size_t nSecond = strPanel.find("\r\n", nFirst + 2);
    CHECK(nSecond != std::string::npos);
    const std::string_view strPanelView = strPanel;
    const std::string_view strBinary = strPanelView.substr(0, nFirst);
    const std::string_view strHex = strPanelView.substr(nFirst + 2, nSecond - nFirst - 2);
    const std::string_view strDecimal = strPanelView.substr(nSecond + 2);
    CHECK(strDecimal.find_first_of("\r\n") == std::string_view::npos);
    CHECK(!strDecimal.empty());

    static constexpr int kWidths[] = {64, 32, 16, 8};
    const int nRadio = window.m_nCastRadio;
    const bool bCast = nRadio >= 1 && nRadio <= 3;
    const std::size_t nWidth = static_cast<std::size_t>(kWidths[bCast ? nRadio : 0]);
    CHECK(strBinary.size() == nWidth && Digits(strBinary, "01"));
    CHECK(Digits(strHex, "0123456789ABCDEF") && strHex.size() <= nWidth / 4);
    CHECK(strHex == "0" || strHex[0] != '0');
    std::uint64_t nFromBinary = 0;
    std::uint64_t nFromHex = 0;
    std::from_chars(strBinary.data(), strBinary.data() + strBinary.size(), nFromBinary, 2);
    std::from_chars(strHex.data(), strHex.data() + strHex.size(), nFromHex, 16);
    CHECK(nFromBinary == nFromHex);

    if (!bCast) return;
    // Under a cast every result is a whole number in the range of the width shown.
    double dDecimal = 0;
    const auto result =
        std::from_chars(strDecimal.data(), strDecimal.data() + strDecimal.size(), dDecimal);
    CHECK(result.ec == std::errc() && result.ptr == strDecimal.data() + strDecimal.size());
    CHECK(dDecimal == std::trunc(dDecimal));
    const double dSpan = std::ldexp(1.0, static_cast<int>(nWidth));
    const double dLow = window.m_bUnsignedChecked ? 0.0 : -dSpan / 2;
    CHECK(dDecimal >= dLow && dDecimal < dLow + dSpan);
}

void CheckAlways(const CMemoryWindow& window)
{
    const auto nLength = static_cast<int>(window.m_strConsoleText.size());
    CHECK(0 <= window.m_nSelStart && window.m_nSelStart <= window.m_nSelEnd &&
          window.m_nSelEnd <= nLength);
    CheckPanel(window);
}

struct Snapshot
{
    std::string strText;
    int nSelStart;
    int nSelEnd;
    std::string strPanel;
};

Snapshot Take(const CMemoryWindow& window)
{
    return {window.m_strConsoleText, window.m_nSelStart, window.m_nSelEnd, window.m_strPanelText};
}

void CheckUnchanged(const Snapshot& before, const CMemoryWindow& window)
{
    CHECK(window.m_strConsoleText == before.strText);
    CHECK(window.m_nSelStart == before.nSelStart && window.m_nSelEnd == before.nSelEnd);
    CHECK(window.m_strPanelText == before.strPanel);
}

void PressEnter(CConsole& console, CMemoryWindow& window)
{
    const Snapshot before = Take(window);
    const std::string& strOld = before.strText;
    const Line line = LineAt(strOld, static_cast<std::size_t>(before.nSelStart));
    const bool bScroll = window.m_nEditRadio == 0 || line.nEnd == strOld.size();
    const bool bPaired = HasOnlyPairedBreaks(strOld);

    const bool bConsumed = console.PreTranslateKeyDown(EVirtualKey::Enter);
    CHECK(bConsumed == IsQuestionLine(strOld, line));
    if (!bConsumed)
    {
        CheckUnchanged(before, window);
        return;
    }

    const std::string& strNew = window.m_strConsoleText;
    const std::size_t b = line.nEnd;
    CHECK(strNew.compare(0, b, strOld, 0, b) == 0);
    CHECK(strNew.compare(b, 2, "\r\n") == 0);
    CHECK(window.m_nSelStart == window.m_nSelEnd);

    // The new line below is the result, or a marker whose second caret stands under a
    // character of the evaluated line or just behind it.
    const Line written = LineAt(strNew, b + 2);
    const std::string strWritten = strNew.substr(written.nBegin, written.nEnd - written.nBegin);
    if (strWritten == console.ViewState().m_strLastResult &&
        !console.ViewState().m_strLastResult.empty())
    {
        CHECK(strNew.compare(written.nEnd, 3, "\r\n?") == 0);
    }
    else
    {
        const std::size_t nCarets = strWritten.find_first_not_of(' ');
        CHECK(nCarets != std::string::npos && strWritten.compare(nCarets, 2, "^^") == 0);
        CHECK(nCarets + 2 == strWritten.size());
        CHECK(nCarets + 1 <= line.nEnd - line.nBegin);
        constexpr std::string_view kMessage = "\r\nSyntax not allowed.\r\n?";
        CHECK(strNew.compare(written.nEnd, kMessage.size(), kMessage) == 0);
        CHECK(console.ViewState().m_strLastExpression.empty() &&
              console.ViewState().m_dLastValue == 0.0);
    }

    if (bScroll)
    {
        // Everything after the evaluated line moves down unchanged; the caret follows the
        // new prompt.
        const std::string_view strTail = std::string_view(strOld).substr(b);
        CHECK(EndsWith(strNew, strTail));
        const std::size_t nCaret = strNew.size() - strTail.size();
        CHECK(static_cast<std::size_t>(window.m_nSelStart) == nCaret);
        CHECK(strNew.compare(nCaret - 3, 3, "\r\n?") == 0);
    }
    else
    {
        // Overwrite replaces at most the two lines below the evaluated one.
        std::size_t nSecondEnd = strOld.size();
        const std::size_t nFirstEnd = strOld.find('\r', b + 1);
        if (nFirstEnd != std::string::npos)
            nSecondEnd = std::min(strOld.find('\r', nFirstEnd + 1), strOld.size());
        CHECK(EndsWith(strNew, std::string_view(strOld).substr(nSecondEnd)));
    }

    if (bPaired)
    {
        // Ready for the next Enter: the caret stands at the end of a '?' line.
        const auto nCaret = static_cast<std::size_t>(window.m_nSelStart);
        CHECK(nCaret == strNew.size() || strNew[nCaret] == '\r');
        CHECK(IsQuestionLine(strNew, LineAt(strNew, nCaret)));
    }
}

// Inserts at the selection, as F2 and F3 do: the text around the selection stays.
void PressInsertKey(CConsole& console, CMemoryWindow& window, EVirtualKey eKey)
{
    const Snapshot before = Take(window);
    CHECK(!console.PreTranslateKeyDown(eKey));
    const std::string& strNew = window.m_strConsoleText;
    const auto nStart = static_cast<std::size_t>(before.nSelStart);
    const std::string_view strTail =
        std::string_view(before.strText).substr(static_cast<std::size_t>(before.nSelEnd));
    CHECK(strNew.compare(0, nStart, before.strText, 0, nStart) == 0);
    CHECK(EndsWith(strNew, strTail));
    CHECK(window.m_nSelStart == window.m_nSelEnd);
    CHECK(static_cast<std::size_t>(window.m_nSelStart) == strNew.size() - strTail.size());
    CHECK(window.m_strPanelText == before.strPanel);
}

// A click on a digit of the panel's binary line (bFlip), or Insert field over bits nBit to
// nOther, as the panel enters them.
void EnterPanelBits(CConsole& console, CMemoryWindow& window, bool bFlip, int nBit, int nOther)
{
    const Snapshot before = Take(window);
    const std::string strLine = LineOfText(before.strPanel, 0);
    const std::optional<CPanelBits> bits = CPanelBits::FromLine(strLine);
    if (!bits) return;
    nBit %= bits->Width();
    nOther %= bits->Width();
    // What the tooltips and the menu say agrees with the line.
    const std::size_t nColumn = static_cast<std::size_t>(bits->ColumnOfBit(nBit));
    CHECK(bits->BitText(nBit) == "bit " + std::to_string(nBit) + " = " + strLine[nColumn]);
    const std::uint64_t nField = bits->Field(nBit, nOther);
    CHECK(bits->FieldLiteral(nBit, nOther, true) == "0x" + HexDigits(nField));
    // A field whose top bit is set also reads as its two's complement.
    const int nFieldBits = std::abs(nBit - nOther) + 1;
    std::string strFieldEnd =
        " = $" + HexDigits(nField) + " = " + bits->FieldLiteral(nBit, nOther, false);
    if (nField >> (nFieldBits - 1) & 1)
        strFieldEnd +=
            " (signed -" +
            std::to_string(nFieldBits == 64 ? std::uint64_t{0} - nField
                                            : (std::uint64_t{1} << nFieldBits) - nField) +
            ")";
    CHECK(EndsWith(bits->FieldText(nOther, nBit), strFieldEnd));
    const double dShown = console.LastResult();
    const std::string strIeee = Ieee754Text(dShown);
    CHECK(strIeee.rfind("double " + DoubleBitsText(dShown) + ": sign ", 0) == 0);
    CHECK(strIeee.find("\nfloat " + FloatBitsText(dShown)) != std::string::npos);

    const CPanelEntry entry = bFlip ? bits->FlipEntry(nBit) : bits->FieldEntry(nBit, nOther);
    CHECK(entry.m_strExpression.empty() != entry.m_strReason.empty());
    if (entry.m_strExpression.empty())
    {
        CHECK(bits->Width() == 64);
        CheckUnchanged(before, window);
        return;
    }
    CHECK(console.EnterLine(entry.m_strExpression).bEntered);
    const std::string& strNew = window.m_strConsoleText;
    CHECK(strNew.compare(0, before.strText.size(), before.strText) == 0);
    // After at most a line break and a '?', the expression and its result.
    const std::string_view strAdded = std::string_view(strNew).substr(before.strText.size());
    CHECK(strAdded.find(entry.m_strExpression + "\r\n") <= 3);
    if (!bFlip) return;
    std::string strFlipped = strLine;
    char& chDigit = strFlipped[nColumn];
    chDigit = chDigit == '0' ? '1' : '0';
    CHECK(LineOfText(window.m_strPanelText, 0) == strFlipped);
}

void Step(CConsole& console, CMemoryWindow& window, const std::uint8_t* pStep)
{
    const std::uint8_t nArg1 = pStep[1];
    const std::uint8_t nArg2 = pStep[2];
    const std::size_t nLength = window.m_strConsoleText.size();
    const Snapshot before = Take(window);
    switch (pStep[0] % 16)
    {
    case 0:
        PressEnter(console, window);
        break;
    case 1:
        PressInsertKey(console, window, EVirtualKey::F2);
        break;
    case 2:
        PressInsertKey(console, window, EVirtualKey::F3);
        break;
    case 3:
        CHECK(!console.PreTranslateKeyDown(EVirtualKey::F4));
        CheckUnchanged(before, window);
        break;
    case 4:
        // A click on a cast control; the controls may hold anything a stored code gives.
        window.m_nCastRadio = nArg1 % 11 - 1;
        window.m_bUnsignedChecked = nArg2 % 10;
        console.OnCastChange();
        CHECK(window.m_strConsoleText == before.strText);
        CHECK(window.m_nSelStart == before.nSelStart && window.m_nSelEnd == before.nSelEnd);
        CHECK(!window.m_strPanelText.empty());
        break;
    case 5:
        if (window.m_bUnsignedEnabled)
        {
            window.m_bUnsignedChecked = !window.m_bUnsignedChecked;
            console.OnCastChange();
        }
        CHECK(window.m_strConsoleText == before.strText);
        break;
    case 6:
        window.m_nOutputRadio = nArg1 % 11 - 1;
        console.OnFocusConsole();
        CheckUnchanged(before, window);
        break;
    case 7:
        window.m_nEditRadio = nArg1 % 11 - 1;
        console.OnEditMode();
        CheckUnchanged(before, window);
        break;
    case 8:
        if (window.m_bEndPosEnabled) window.m_bEndPosChecked = nArg1 % 10;
        console.OnFocusConsole();
        CheckUnchanged(before, window);
        break;
    case 9:
        console.OnErase();
        CHECK(window.m_strConsoleText.empty());
        CHECK(window.m_strPanelText == before.strPanel);
        break;
    case 10:
        window.SetConsoleSel(Position(nArg1, nLength), Position(nArg2, nLength));
        break;
    case 11:
        window.SetConsoleText(window.m_strConsoleText, Position(nArg1, nLength));
        break;
    case 13:
        EnterPanelBits(console, window, nArg2 % 2 == 0, nArg1, nArg2 / 2);
        break;
    case 12:
    {
        const auto eKey = static_cast<EVirtualKey>(nArg1);
        const bool bCommand = eKey == EVirtualKey::Enter || eKey == EVirtualKey::F2 ||
                              eKey == EVirtualKey::F3 || eKey == EVirtualKey::F4;
        const bool bConsumed = console.PreTranslateKeyDown(bCommand ? EVirtualKey::None : eKey);
        CHECK(!bConsumed);
        CheckUnchanged(before, window);
        break;
    }
    default:
        window.ReplaceConsoleSel(std::string(kTyped[nArg1 % kTyped.size()]));
        break;
    }
    CheckAlways(window);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize < kHeaderSize) return 0;
    CMemoryWindow window;
    CConsole console(window);

    // Start-up as the window runs it, with the stored code decoded into the five members.
    console.UpdateData(false);
    SConsoleModes modes;
    LoadMember(modes.bUnsigned, pData[0], false);
    LoadMember(modes.bEndPos, pData[1], false);
    LoadMember(modes.eCastMode, pData[2], true);
    LoadMember(modes.eOutputMode, pData[3], true);
    LoadMember(modes.eEditMode, pData[4], true);
    console.SetModes(modes);
    console.Seed(pData[5]);
    console.Start(kBannerText, kVersionText);
    CheckAlways(window);

    std::size_t nSteps = std::min<std::size_t>(pData[6], kMaxSteps);
    nSteps = std::min(nSteps, (nSize - kHeaderSize) / kStepSize);
    const std::uint8_t* pSteps = pData + kHeaderSize;
    const std::uint8_t* pText = pSteps + nSteps * kStepSize;
    window.SetConsoleText(std::string(reinterpret_cast<const char*>(pText),
                                      static_cast<std::size_t>(pData + nSize - pText)));
    CheckAlways(window);

    for (std::size_t i = 0; i < nSteps; ++i)
    {
        Step(console, window, pSteps + i * kStepSize);
        if (window.m_strConsoleText.size() > kMaxConsoleSize) break;
    }
    return 0;
}
