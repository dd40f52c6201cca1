// lumdrak-search: the calculator's answers in the desktop's launchers. The session bus starts
// it when GNOME Shell's search or KRunner asks (see CSearchService); it quits when idle.
#include "Banner.h"
#include "SearchService.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>

#include <chrono>
#include <cstdio>

namespace
{

constexpr int kExitOk = 0;
constexpr int kExitNoBus = 1;
constexpr int kExitUsage = 2;

constexpr char kHelp[] =
    "usage: lumdrak-search [--idle-time MSEC] [--window PROGRAM]\n"
    "Answers calculator expressions in GNOME Shell's search and in KRunner, on the session bus\n"
    "as io.github.lumdrak.Lumdrak.SearchProvider. The bus starts it; it is not run by hand.\n"
    "\n"
    "  --idle-time MSEC  quit after that long without a call (60000)\n"
    "  --window PROGRAM  the calculator to open with a result's expression (" LUMDRAK_WINDOW_PATH
    ")\n"
    "  -h, --help        print this help and exit\n"
    "  --version         print the version and exit\n";

} // namespace

int main(int argc, char* argv[])
{
    const QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption idleTime(QStringLiteral("idle-time"), QString(),
                                      QStringLiteral("msec"), QStringLiteral("60000"));
    const QCommandLineOption window(QStringLiteral("window"), QString(), QStringLiteral("program"),
                                    QStringLiteral(LUMDRAK_WINDOW_PATH));
    parser.addOptions({help, version, idleTime, window});
    bool bIdleTime = false;
    QString strError;
    if (!parser.parse(QCoreApplication::arguments()))
        strError = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        strError =
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first());
    const int nIdleMs = parser.value(idleTime).toInt(&bIdleTime);
    if (strError.isEmpty() && (!bIdleTime || nIdleMs <= 0))
        strError = QStringLiteral("--idle-time takes a number of milliseconds");
    if (!strError.isEmpty())
    {
        std::fprintf(stderr, "lumdrak-search: %s\n%s", strError.toLocal8Bit().constData(), kHelp);
        return kExitUsage;
    }
    if (parser.isSet(help))
    {
        std::fputs(kHelp, stdout);
        return kExitOk;
    }
    if (parser.isSet(version))
    {
        std::printf("lumdrak-search (Lumdrak) %s\n", kVersionNumber);
        return kExitOk;
    }

    CSearchService service(QDBusConnection::sessionBus(), parser.value(window),
                           std::chrono::milliseconds(nIdleMs));
    if (!service.Register())
    {
        std::fprintf(stderr, "lumdrak-search: cannot serve %s on the session bus\n",
                     CSearchService::kBusName);
        return kExitNoBus;
    }
    return QCoreApplication::exec();
}
