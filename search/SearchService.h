#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QString>
#include <QTimer>

#include <chrono>

class QDBusMessage;

// The launchers' D-Bus interfaces over AnswerQuery: GNOME Shell's
// org.gnome.Shell.SearchProvider2 at kGnomePath and KRunner's org.kde.krunner1 at kKRunnerPath.
// Every query reads the settings code afresh (never writing the hive); nothing else is kept
// between calls, so a result id is the query itself. The program quits when no call came for
// the idle time; the bus starts it again for the next one.
class CSearchService : public QDBusVirtualObject
{
public:
    static constexpr const char* kBusName = "io.github.lumdrak.Lumdrak.SearchProvider";
    static constexpr const char* kGnomePath = "/io/github/lumdrak/Lumdrak/SearchProvider";
    static constexpr const char* kKRunnerPath = "/runner";

    // strWindowProgram is started, with "--expression" and the query, for "Open in Lumdrak".
    CSearchService(QDBusConnection connection, QString strWindowProgram,
                   std::chrono::milliseconds idleTime);

    // Takes the bus name and exports both objects; false when either cannot be had.
    bool Register();

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;
    QString introspect(const QString& strPath) const override;

private:
    // One method each: the call's arguments, checked against its signature, in; the reply out.
    QDBusMessage GetInitialResultSet(const QDBusMessage& call);
    QDBusMessage GetSubsearchResultSet(const QDBusMessage& call);
    QDBusMessage GetResultMetas(const QDBusMessage& call);
    QDBusMessage ActivateResult(const QDBusMessage& call);
    QDBusMessage LaunchSearch(const QDBusMessage& call);
    QDBusMessage Match(const QDBusMessage& call);
    QDBusMessage Actions(const QDBusMessage& call);
    QDBusMessage Run(const QDBusMessage& call);
    QDBusMessage Teardown(const QDBusMessage& call);

    // Starts the window, with the query's expression on its first prompt if it has an answer.
    void LaunchWindow(const QString& strQuery);

    QDBusConnection m_connection;
    QString m_strWindowProgram;
    QTimer m_idleTimer;
};
