// lumdrak's arguments: what is decided before a window exists, and the built program run with
// no display at all.
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <initializer_list>

namespace
{

QStringList Arguments(std::initializer_list<const char*> args)
{
    QStringList list{QStringLiteral("lumdrak")};
    for (const char* pszArg : args)
        list.append(QString::fromUtf8(pszArg));
    return list;
}

struct SRow
{
    std::initializer_list<const char*> args;
    int nExitCode;
    const char* pszOutStart;  // what standard output begins with
    const char* pszErrorPart; // "" or a part of the one error line
};

TEST(CommandLineTest, DecidesBeforeTheWindow)
{
    const SRow rows[] = {
        {{}, -1, "", ""},
        {{"-platform", "offscreen"}, -1, "", ""},
        {{"--platform", "offscreen", "-reverse"}, -1, "", ""},
        {{"-style=Fusion", "-stylesheet", "a.qss", "-qwindowgeometry", "300x200+0+0"}, -1, "", ""},
        {{"-session", "1234", "-display", ":1", "-name", "calc", "-nograb"}, -1, "", ""},
        {{"--help"}, 0, "usage: lumdrak [-e EXPRESSION] [Qt option ...]\n", ""},
        {{"-h"}, 0, "usage: lumdrak [-e EXPRESSION] [Qt option ...]\n", ""},
        {{"--expression", "1\n2"}, 2, "", "--expression takes one line"},
        {{"-e"}, 2, "", "'-e'"},
        {{"-platform", "offscreen", "--help"}, 0, "usage: lumdrak", ""},
        {{"--version"}, 0, "lumdrak (Lumdrak) " LUMDRAK_VERSION "\n", ""},
        {{"-version"}, 0, "lumdrak (Lumdrak) " LUMDRAK_VERSION "\n", ""},
        {{"--bogus"}, 2, "", "'bogus'"},
        {{"-x"}, 2, "", "'x'"},
        {{"--help", "--bogus"}, 2, "", "'bogus'"},
        {{"-platform"}, 2, "", "platform"},
        {{"notes.txt"}, 2, "", "unexpected argument 'notes.txt'"},
        {{"--", "-3"}, 2, "", "unexpected argument '-3'"},
    };
    for (const SRow& row : rows)
    {
        const QStringList arguments = Arguments(row.args);
        const std::string strCall = arguments.join(QLatin1Char(' ')).toStdString();
        const SCommandLine result = ParseCommandLine(arguments);
        EXPECT_EQ(result.m_nExitCode, row.nExitCode) << strCall;
        EXPECT_EQ(result.m_strOut.toStdString().rfind(row.pszOutStart, 0), 0U) << strCall;
        EXPECT_EQ(result.m_strOut.isEmpty(), row.nExitCode != 0) << strCall;
        // Exactly one error line, naming the program and the row's part, with exit code 2.
        const QString strError = row.nExitCode != 2
                                     ? QString()
                                     : QStringLiteral("lumdrak: [^\n]*%1[^\n]*\n")
                                           .arg(QRegularExpression::escape(row.pszErrorPart));
        EXPECT_TRUE(QRegularExpression(QRegularExpression::anchoredPattern(strError))
                        .match(result.m_strError)
                        .hasMatch())
            << strCall << ": " << result.m_strError.toStdString();
    }
}

// The expression for the first prompt is taken as it is, whatever it begins with.
TEST(CommandLineTest, TakesOneExpressionForTheFirstPrompt)
{
    const struct
    {
        std::initializer_list<const char*> args;
        const char* pszExpression;
    } rows[] = {
        {{}, ""},
        {{"--expression", "$ff<<4"}, "$ff<<4"},
        {{"-e", "-3", "-platform", "offscreen"}, "-3"},
        {{"--expression=1 + 2"}, "1 + 2"},
        {{"-expression", "'\xc3\xa9'"}, "'\xc3\xa9'"},
    };
    for (const auto& row : rows)
    {
        const SCommandLine result = ParseCommandLine(Arguments(row.args));
        EXPECT_EQ(result.m_nExitCode, -1);
        EXPECT_EQ(result.m_strExpression, QString::fromUtf8(row.pszExpression));
    }
}

// QApplication would abort without a display; these must not get that far.
TEST(CommandLineTest, TheProgramAnswersWithoutADisplay)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* pszName : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(pszName));
    const struct
    {
        const char* pszArg;
        int nExitCode;
        const char* pszOutStart;
        const char* pszError;
    } rows[] = {
        {"--help", 0, "usage: lumdrak [-e EXPRESSION] [Qt option ...]\n", ""},
        {"--version", 0, "lumdrak (Lumdrak) " LUMDRAK_VERSION "\n", ""},
        {"--bogus", 2, "", "lumdrak: Unknown option 'bogus'. See lumdrak --help.\n"},
    };
    for (const auto& row : rows)
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(LUMDRAK_PATH), {QString::fromLatin1(row.pszArg)});
        ASSERT_TRUE(process.waitForFinished(30000)) << row.pszArg;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << row.pszArg;
        EXPECT_EQ(process.exitCode(), row.nExitCode) << row.pszArg;
        EXPECT_TRUE(process.readAllStandardOutput().startsWith(row.pszOutStart)) << row.pszArg;
        EXPECT_EQ(process.readAllStandardError().toStdString(), row.pszError) << row.pszArg;
    }
}

} // namespace
