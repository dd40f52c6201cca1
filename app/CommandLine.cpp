#include "CommandLine.h"

#include "Banner.h"

#include <QCommandLineParser>

namespace
{

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;

constexpr char kHelp[] =
    "usage: lumdrak [-e EXPRESSION] [Qt option ...]\n"
    "       lumdrak -h|--help\n"
    "       lumdrak --version\n"
    "Opens the programmer's console calculator: type an expression on a line that begins\n"
    "with '?' and press Enter. F1 in the window shows the help text.\n"
    "\n"
    "  -e, --expression EXPRESSION\n"
    "               put EXPRESSION on the first '?' prompt, ready for Enter\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "Qt's own options work too, such as -platform NAME, -style NAME or -reverse.\n"
    "See lumdrak(1) and lumdrak-eval(1).\n";

// The options QGuiApplication, QApplication and the xcb platform take out of argv; Qt
// accepts each with one or two dashes.
constexpr const char* kQtValueOptions[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin",      "qwindowgeometry",
    "geometry", "qwindowtitle",       "title",         "qwindowicon", "icon",
    "style",    "stylesheet",         "session",       "display",     "name",
    "visual",   "qmljsdebugger",
};
constexpr const char* kQtFlagOptions[] = {
    "reverse", "testability", "widgetcount", "nograb", "dograb", "qdevel", "qdebug",
};

// One line: Qt's messages end with a full stop, ours are made to.
QString Error(QString strMessage)
{
    strMessage.remove(QLatin1Char('\n'));
    if (!strMessage.endsWith(QLatin1Char('.'))) strMessage += QLatin1Char('.');
    return QStringLiteral("lumdrak: %1 See lumdrak --help.\n").arg(strMessage);
}

} // namespace

SCommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    // Qt's options are words after one dash: -platform is not -p -l -a ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption expression(
        QStringList{QStringLiteral("e"), QStringLiteral("expression")}, QString(),
        QStringLiteral("expression"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(expression);
    for (const char* pszName : kQtValueOptions)
        parser.addOption(
            QCommandLineOption(QString::fromLatin1(pszName), QString(), QStringLiteral("value")));
    for (const char* pszName : kQtFlagOptions)
        parser.addOption(QCommandLineOption(QString::fromLatin1(pszName)));

    SCommandLine result;
    if (!parser.parse(arguments))
    {
        result.m_nExitCode = kExitUsage;
        result.m_strError = Error(parser.errorText());
    }
    else if (!parser.positionalArguments().isEmpty())
    {
        result.m_nExitCode = kExitUsage;
        result.m_strError = Error(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    }
    else if (parser.value(expression).contains(QLatin1Char('\n')) ||
             parser.value(expression).contains(QLatin1Char('\r')))
    {
        result.m_nExitCode = kExitUsage;
        result.m_strError = Error(QStringLiteral("--expression takes one line"));
    }
    else if (parser.isSet(help))
    {
        result.m_nExitCode = kExitOk;
        result.m_strOut = QString::fromLatin1(kHelp);
    }
    else if (parser.isSet(version))
    {
        result.m_nExitCode = kExitOk;
        result.m_strOut =
            QStringLiteral("lumdrak (Lumdrak) %1\n").arg(QLatin1String(kVersionNumber));
    }
    else
    {
        result.m_strExpression = parser.value(expression);
    }
    return result;
}
