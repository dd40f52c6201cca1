// Editing and Enter in the real window's console (offscreen), on a console that holds one
// unbroken line of a megabyte or megabytes of ordinary work: each key must cost in proportion
// to the line it edits, and no more than a layout of it. Pastes of many lines and of one long
// line, with the longest turn of the event loop meanwhile. Then the largest kept transcript:
// a start that restores it, and a save of it as the window makes one.
#include "CalculatorDlg.h"
#include "ConsoleEdit.h"
#include "ConsoleKeeper.h"
#include "ConsoleStore.h"
#include "ConsoleText.h"
#include "LargestTranscript.h"
#include "Templates.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>

namespace
{

// The console after start-up plus strText typed at its prompt, the caret at the end.
class CWindow
{
public:
    explicit CWindow(const std::string& strText)
    {
        m_dlg.OnInitDialog();
        m_dlg.show();
        (void)QTest::qWaitForWindowExposed(&m_dlg);
        // A kept transcript comes in after the first paint.
        for (QObject* pChild : m_dlg.children())
            if (auto* pKeeper = dynamic_cast<CConsoleKeeper*>(pChild))
                (void)QTest::qWaitFor([pKeeper] { return pKeeper->IsRestored(); });
        Console()->insertPlainText(
            QString::fromLatin1(strText.data(), static_cast<qsizetype>(strText.size())));
        QApplication::processEvents();
    }

    CConsoleEdit* Console() { return static_cast<CConsoleEdit*>(m_dlg.GetDlgItem(kIdConsole)); }

    // A key and the painting it causes.
    void Key(Qt::Key key)
    {
        QTest::keyClick(Console(), key);
        QApplication::processEvents();
    }

private:
    CCalculatorDlg m_dlg;
};

// "1+1+...+1", nBytes long; the same line each time, as a user's paste would be.
std::string UnbrokenSum(std::size_t nBytes)
{
    std::string strSum = "1";
    while (strSum.size() + 2 <= nBytes)
        strSum += "+1";
    return strSum;
}

// Lines of work as Enter leaves them: an expression, its result, the next prompt; about 20
// bytes a line.
std::string OrdinaryWork(std::size_t nBytes)
{
    std::string strWork;
    for (int i = 0; strWork.size() < nBytes; ++i)
        strWork += std::to_string(100000 + i) + "*3+$FF-#101+sqr(16)\n" +
                   std::to_string(300254 + 3 * i) + "\n?";
    return strWork;
}

// nLines lines of work, pairs of an expression and its result, then a '?' line to evaluate.
std::string WorkLines(int nLines)
{
    std::string strWork;
    for (int i = 0; i < nLines / 2; ++i)
        strWork += std::to_string(100000 + i) + "*3+$FF-#101+sqr(16)\n" +
                   std::to_string(300254 + 3 * i) + "\n?";
    return strWork + "1+1";
}

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string strLine; std::getline(status, strLine);)
        if (strLine.rfind("VmRSS:", 0) == 0) return std::stol(strLine.substr(6));
    return 0;
}

void TypeInLongLine(benchmark::State& state)
{
    CWindow window(UnbrokenSum(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state)
    {
        window.Key(Qt::Key_1);
        window.Key(Qt::Key_Backspace);
    }
    state.SetLabel("a key and its Backspace");
}
BENCHMARK(TypeInLongLine)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Overwrite mode replaces the previous result, so every Enter sees the same console.
void EnterOnLongLine(benchmark::State& state)
{
    CWindow window(UnbrokenSum(static_cast<std::size_t>(state.range(0))));
    window.Key(Qt::Key_Return);
    for (auto _ : state)
    {
        window.Key(Qt::Key_Up);
        window.Key(Qt::Key_Up);
        window.Key(Qt::Key_Return);
    }
}
BENCHMARK(EnterOnLongLine)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Enter at the prompt below the work already done, in Overwrite mode at the last line: each
// Enter adds two lines. It costs the same whether the console holds nothing or 100,000 lines.
void EnterBelowWork(benchmark::State& state)
{
    CWindow window(WorkLines(static_cast<int>(state.range(0))));
    for (auto _ : state)
        window.Key(Qt::Key_Return);
    state.counters["lines"] = static_cast<double>(window.Console()->document()->blockCount());
}
BENCHMARK(EnterBelowWork)->Arg(0)->Arg(100'000)->Iterations(2000)->Unit(benchmark::kMillisecond);

// The first Enter after a paste: the line is the console's last, so the result is written at
// the very end of the text, into the line's own paragraph.
void EnterAfterPaste(benchmark::State& state)
{
    const std::string strSum = UnbrokenSum(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
    {
        state.PauseTiming();
        auto pWindow = std::make_unique<CWindow>(strSum);
        state.ResumeTiming();
        pWindow->Key(Qt::Key_Return);
        state.PauseTiming();
        pWindow.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(EnterAfterPaste)->Arg(1'000'000)->Iterations(5)->Unit(benchmark::kMillisecond);

void PasteOrdinaryWork(benchmark::State& state)
{
    const std::string strWork = OrdinaryWork(static_cast<std::size_t>(state.range(0)));
    const QString strPaste =
        QString::fromLatin1(strWork.data(), static_cast<qsizetype>(strWork.size()));
    // Memory a console byte costs, from the first paste only: later ones reuse freed memory.
    double dBytesPerByte = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        auto pWindow = std::make_unique<CWindow>("");
        const long nBefore = ResidentKiB();
        state.ResumeTiming();
        pWindow->Console()->insertPlainText(strPaste);
        QApplication::processEvents();
        state.PauseTiming();
        if (dBytesPerByte == 0)
            dBytesPerByte =
                (ResidentKiB() - nBefore) * 1024.0 / static_cast<double>(strWork.size());
        pWindow->Key(Qt::Key_Return);
        pWindow.reset();
        state.ResumeTiming();
    }
    state.counters["rss_per_byte"] = dBytesPerByte;
}
BENCHMARK(PasteOrdinaryWork)->Arg(5'000'000)->Iterations(3)->Unit(benchmark::kMillisecond);

// Ctrl+V of strPasted, as the clipboard holds it, until the paste is in: the time, and the
// longest turn of the event loop meanwhile, which is what a key or a signal may wait for.
void RunPaste(benchmark::State& state, const std::string& strPasted)
{
    QApplication::clipboard()->setText(
        QString::fromLatin1(strPasted.data(), static_cast<qsizetype>(strPasted.size())));
    qint64 nLongestTurnNs = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        auto pWindow = std::make_unique<CWindow>("");
        state.ResumeTiming();
        QElapsedTimer turn;
        turn.start();
        QTest::keyClick(pWindow->Console(), Qt::Key_V, Qt::ControlModifier);
        while (pWindow->Console()->Paste().IsRunning())
        {
            nLongestTurnNs = std::max(nLongestTurnNs, turn.nsecsElapsed());
            turn.restart();
            QApplication::processEvents();
        }
        nLongestTurnNs = std::max(nLongestTurnNs, turn.nsecsElapsed());
        QApplication::processEvents(); // its painting
        state.PauseTiming();
        pWindow.reset();
        state.ResumeTiming();
    }
    state.counters["longest_turn_ms"] = static_cast<double>(nLongestTurnNs) / 1e6;
}

// Lines of C that leave a comment open, as a header's tail does: 18 bytes a line.
void PasteCLines(benchmark::State& state)
{
    std::string strLines;
    for (long nLine = 0; nLine < state.range(0); ++nLine)
        strLines += "0x10 /* see below\n";
    RunPaste(state, strLines);
}
BENCHMARK(PasteCLines)->Arg(40'000)->Arg(1'000'000)->Iterations(3)->Unit(benchmark::kMillisecond);

// One line goes in whole, however long: its layout is one turn.
void PasteOneLine(benchmark::State& state)
{
    RunPaste(state, UnbrokenSum(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(PasteOneLine)
    ->Arg(1'000'000)
    ->Arg(20'000'000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// A start with the largest transcript kept: the window shown and painted, then the hive read
// and the transcript put above the start-up text. startup.sh measures the whole program.
void StartWithLargestTranscript(benchmark::State& state)
{
    CConsoleStore().Save(TranscriptOf(LargestTranscript()));
    for (auto _ : state)
    {
        CWindow window("");
        state.PauseTiming();
        if (!window.Console()->toPlainText().startsWith(QStringLiteral("?#")))
            state.SkipWithError("the transcript was not restored");
        state.ResumeTiming();
    }
}
BENCHMARK(StartWithLargestTranscript)->Iterations(5)->Unit(benchmark::kMillisecond);

// The same start with nothing kept, for comparison.
void StartWithNothingKept(benchmark::State& state)
{
    CConsoleStore().SetKept(false);
    for (auto _ : state)
        CWindow window("");
    CConsoleStore().SetKept(true);
}
BENCHMARK(StartWithNothingKept)->Iterations(5)->Unit(benchmark::kMillisecond);

// What the window does when its save timer fires or it ends: the console's text converted
// and stored, one transaction. Each iteration follows an edit, so each one writes.
void SaveLargestTranscript(benchmark::State& state)
{
    CWindow window(LargestTranscript());
    CConsoleStore store;
    QPlainTextEdit* pConsole = window.Console();
    for (auto _ : state)
    {
        state.PauseTiming();
        pConsole->insertPlainText(QStringLiteral("1"));
        state.ResumeTiming();
        if (!store.Save(TranscriptOf(ToModelText(pConsole->document()->toRawText()))))
            state.SkipWithError("the save failed");
    }
}
BENCHMARK(SaveLargestTranscript)->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir configDir; // the windows must not touch the user's settings
    qputenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
