// lumdrak-search on a private session bus of the test's own, started by the bus through a
// service file as a desktop's bus starts it, with a hive of the test's own.
#include "RegistryString.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QVariantMap>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include <sys/stat.h>

namespace
{

constexpr const char* kBusName = "io.github.lumdrak.Lumdrak.SearchProvider";
constexpr const char* kGnomePath = "/io/github/lumdrak/Lumdrak/SearchProvider";
constexpr const char* kGnome = "org.gnome.Shell.SearchProvider2";
constexpr const char* kKRunner = "org.kde.krunner1";
constexpr int kCallTimeoutMs = 30000;

// Polls, without a fixed sleep, until fnDone holds or a generous bound passes.
bool WaitFor(const std::function<bool()>& fnDone)
{
    const QDeadlineTimer deadline(30000);
    while (!fnDone())
    {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    return true;
}

// Plasma's clipboard service as the runner sees it: it keeps what it is given.
class CFakeKlipper : public QDBusVirtualObject
{
public:
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() != QLatin1String("setClipboardContents")) return false;
        m_strClipboard = message.arguments().value(0).toString();
        return connection.send(message.createReply());
    }
    QString introspect(const QString&) const override
    {
        return QStringLiteral("<interface name=\"org.kde.klipper.klipper\"><method "
                              "name=\"setClipboardContents\"><arg type=\"s\" direction=\"in\"/>"
                              "</method></interface>");
    }
    QString m_strClipboard;
};

struct SMatch
{
    QString strId;
    QString strText;
    QVariantMap properties;
};

class CSearchServiceTest : public ::testing::Test
{
protected:
    void SetUp() override { StartBus(5000); }

    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(m_strConnection);
        m_bus.kill();
        m_bus.waitForFinished();
    }

    // A bus whose service file starts the built program with this idle time, and a fake
    // calculator that writes its arguments to a file.
    void StartBus(int nIdleMs)
    {
        if (std::string(DBUS_DAEMON_PATH).empty()) GTEST_SKIP() << "dbus-daemon is not installed";
        const std::string strRoot = m_folder.Path().string();
        std::filesystem::create_directories(strRoot + "/services");
        std::ofstream(strRoot + "/window")
            << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << strRoot << "/launched.tmp'\nmv '"
            << strRoot << "/launched.tmp' '" << strRoot << "/launched'\n";
        chmod((strRoot + "/window").c_str(), 0700);
        std::ofstream(strRoot + "/services/" + kBusName + ".service")
            << "[D-BUS Service]\nName=" << kBusName << "\nExec=" << LUMDRAK_SEARCH_PATH
            << " --idle-time " << nIdleMs << " --window " << strRoot << "/window\n";
        std::ofstream(strRoot + "/bus.conf")
            << "<busconfig><type>session</type><listen>unix:tmpdir=" << strRoot
            << "</listen><auth>EXTERNAL</auth><servicedir>" << strRoot
            << "/services</servicedir><policy context=\"default\"><allow send_destination=\"*\" "
               "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
               "</busconfig>\n";

        // The bus hands its environment to the services it starts: the hive is the test's.
        setenv("XDG_CONFIG_HOME", (strRoot + "/config").c_str(), 1);
        m_bus.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        m_bus.start(
            QStringLiteral(DBUS_DAEMON_PATH),
            {QStringLiteral("--config-file=%1/bus.conf").arg(QString::fromStdString(strRoot)),
             QStringLiteral("--print-address"), QStringLiteral("--nofork")});
        ASSERT_TRUE(WaitFor([this] { return m_bus.canReadLine(); })) << "the bus did not start";
        const QString strAddress = QString::fromUtf8(m_bus.readLine()).trimmed();
        QDBusConnection connection = QDBusConnection::connectToBus(strAddress, m_strConnection);
        ASSERT_TRUE(connection.isConnected()) << strAddress.toStdString();
    }

    QDBusConnection Bus() const { return QDBusConnection(m_strConnection); }

    static void StoreCode(const std::string& strCode)
    {
        CRegistryString("Software\\Lumdrak\\Save\\SaveKey", "", true, HKEY_CURRENT_USER)
            .SetValue(strCode);
    }

    QDBusMessage Call(const char* pszPath, const char* pszInterface, const char* pszMember,
                      const QVariantList& arguments = {}) const
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(kBusName), QString::fromLatin1(pszPath),
            QString::fromLatin1(pszInterface), QString::fromLatin1(pszMember));
        call.setArguments(arguments);
        const QDBusMessage reply = Bus().call(call, QDBus::Block, kCallTimeoutMs);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
            << pszMember << ": " << reply.errorMessage().toStdString();
        return reply;
    }

    QList<QVariantMap> Metas(const QStringList& ids) const
    {
        const QDBusMessage reply = Call(kGnomePath, kGnome, "GetResultMetas", {QVariant(ids)});
        QList<QVariantMap> metas;
        const QDBusArgument argument = reply.arguments().value(0).value<QDBusArgument>();
        argument.beginArray();
        while (!argument.atEnd())
        {
            QVariantMap meta;
            argument >> meta;
            metas.append(meta);
        }
        argument.endArray();
        return metas;
    }

    QList<SMatch> Matches(const QString& strQuery) const
    {
        const QDBusMessage reply = Call("/runner", kKRunner, "Match", {strQuery});
        EXPECT_EQ(reply.signature(), QStringLiteral("a(sssida{sv})"));
        QList<SMatch> matches;
        const QDBusArgument argument = reply.arguments().value(0).value<QDBusArgument>();
        argument.beginArray();
        while (!argument.atEnd())
        {
            SMatch match;
            QString strIcon;
            int nType = 0;
            double dRelevance = 0.0;
            argument.beginStructure();
            argument >> match.strId >> match.strText >> strIcon >> nType >> dRelevance >>
                match.properties;
            argument.endStructure();
            matches.append(match);
        }
        argument.endArray();
        return matches;
    }

    std::string Launched() const
    {
        std::ifstream file(m_folder.Path() / "launched");
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    CTemporaryFolder m_folder{"lumdrak-search"};
    QProcess m_bus;
    const QString m_strConnection = QStringLiteral("lumdrak-search-test");
};

struct SQueryRow
{
    const char* pszQuery;
    const char* pszTitle;       // nullptr: no answer
    const char* pszDescription; // what the description begins with
};

// "BB021" is a first run's code (no cast), "BB121" 32 bits unsigned.
const struct
{
    const char* pszCode;
    SQueryRow rows[6];
} kTables[] = {
    {"BB021",
     {{"$ff<<4", "4080", "$FF0 \u00B7 #111111110000"},
      {"0xC0DE0042 >> 16", "49374", "$C0DE \u00B7 #1100000011011110"},
      {"-1", "-1", "$FFFFFFFFFFFFFFFF \u00B7 #1111"},
      {"firefox", nullptr, ""},
      {"face", nullptr, ""},
      {"2**3", nullptr, ""}}},
    {"BB121",
     {{"$ff<<4", "4080", "$FF0 \u00B7 #111111110000"},
      {"0xC0DE0042 >> 16", "49374", "$C0DE \u00B7 #1100000011011110"},
      {"-1", "4294967295", "$FFFFFFFF \u00B7 #11111111111111111111111111111111 \u00B7 C: -1"},
      {"pi day", nullptr, ""},
      {"\u20AC 5", nullptr, ""},
      {"(1", nullptr, ""}}},
};

TEST_F(CSearchServiceTest, GnomeShellGetsOneResultForAnExpressionUnderTheSavedCode)
{
    for (const auto& table : kTables)
    {
        StoreCode(table.pszCode);
        for (const SQueryRow& row : table.rows)
        {
            SCOPED_TRACE(std::string(row.pszQuery) + " under " + table.pszCode);
            const QString strQuery = QString::fromUtf8(row.pszQuery);
            const QStringList terms = strQuery.split(QLatin1Char(' '));
            const QStringList expected = row.pszTitle ? QStringList{strQuery} : QStringList();
            EXPECT_EQ(Call(kGnomePath, kGnome, "GetInitialResultSet", {QVariant(terms)})
                          .arguments()
                          .value(0)
                          .toStringList(),
                      expected);
            EXPECT_EQ(Call(kGnomePath, kGnome, "GetSubsearchResultSet",
                           {QVariant(QStringList{QStringLiteral("x")}), QVariant(terms)})
                          .arguments()
                          .value(0)
                          .toStringList(),
                      expected);
            const QList<QVariantMap> metas = Metas({strQuery});
            ASSERT_EQ(metas.size(), row.pszTitle ? 1 : 0);
            if (!row.pszTitle) continue;
            EXPECT_EQ(metas[0].value(QStringLiteral("id")).toString(), strQuery);
            EXPECT_EQ(metas[0].value(QStringLiteral("name")).toString().toStdString(),
                      row.pszTitle);
            EXPECT_EQ(metas[0].value(QStringLiteral("clipboardText")).toString().toStdString(),
                      row.pszTitle);
            EXPECT_TRUE(metas[0]
                            .value(QStringLiteral("description"))
                            .toString()
                            .startsWith(QString::fromUtf8(row.pszDescription)))
                << metas[0].value(QStringLiteral("description")).toString().toStdString();
        }
    }
}

TEST_F(CSearchServiceTest, KRunnerMatchesTheSameQueriesWithAnOpenAction)
{
    for (const auto& table : kTables)
    {
        StoreCode(table.pszCode);
        for (const SQueryRow& row : table.rows)
        {
            SCOPED_TRACE(std::string(row.pszQuery) + " under " + table.pszCode);
            const QList<SMatch> matches = Matches(QString::fromUtf8(row.pszQuery));
            ASSERT_EQ(matches.size(), row.pszTitle ? 1 : 0);
            if (!row.pszTitle) continue;
            EXPECT_EQ(matches[0].strText.toStdString(), row.pszTitle);
            EXPECT_TRUE(matches[0]
                            .properties.value(QStringLiteral("subtext"))
                            .toString()
                            .startsWith(QString::fromUtf8(row.pszDescription)));
            EXPECT_EQ(matches[0].properties.value(QStringLiteral("actions")).toStringList(),
                      QStringList{QStringLiteral("open")});
        }
    }
    const QDBusMessage actions = Call("/runner", kKRunner, "Actions");
    EXPECT_EQ(actions.signature(), QStringLiteral("a(sss)"));
    const QDBusArgument argument = actions.arguments().value(0).value<QDBusArgument>();
    QStringList action(3);
    argument.beginArray();
    argument.beginStructure();
    argument >> action[0] >> action[1] >> action[2];
    argument.endStructure();
    EXPECT_TRUE(argument.atEnd()) << "one action";
    argument.endArray();
    EXPECT_EQ(action, (QStringList{QStringLiteral("open"), QStringLiteral("Open in Lumdrak"),
                                   QStringLiteral("io.github.lumdrak.Lumdrak")}));
}

// The shell copies a result's clipboardText itself; KRunner leaves it to the runner, which
// hands it to Plasma's clipboard service. Opening starts the calculator with the expression as
// the calculator reads it.
TEST_F(CSearchServiceTest, ActivationCopiesTheTitleAndOpeningStartsTheWindow)
{
    StoreCode("BB121");
    CFakeKlipper klipper;
    ASSERT_TRUE(Bus().registerVirtualObject(QStringLiteral("/klipper"), &klipper));
    ASSERT_TRUE(Bus().registerService(QStringLiteral("org.kde.klipper")));

    const QString strQuery = QStringLiteral("0xFF & ~0x3");
    Call(kGnomePath, kGnome, "ActivateResult",
         {strQuery, QVariant(strQuery.split(QLatin1Char(' '))), QVariant::fromValue(0u)});
    Call("/runner", kKRunner, "Run", {strQuery, QString()});
    EXPECT_TRUE(WaitFor([&klipper] { return !klipper.m_strClipboard.isEmpty(); }));
    EXPECT_EQ(klipper.m_strClipboard, QStringLiteral("252"));
    EXPECT_EQ(Launched(), "") << "activating a result opens nothing";

    Call("/runner", kKRunner, "Run", {strQuery, QStringLiteral("open")});
    EXPECT_TRUE(WaitFor([this] { return !Launched().empty(); }));
    EXPECT_EQ(Launched(), "--expression=$FF & (~$3)\n");
    std::filesystem::remove(m_folder.Path() / "launched");
    Call(kGnomePath, kGnome, "LaunchSearch",
         {QVariant(QStringList{QStringLiteral("$ff<<4")}), QVariant::fromValue(0u)});
    EXPECT_TRUE(WaitFor([this] { return !Launched().empty(); }));
    EXPECT_EQ(Launched(), "--expression=$ff<<4\n");
    Call("/runner", kKRunner, "Teardown");
}

// The hive is read, never written: a first run's answers leave no hive behind.
TEST_F(CSearchServiceTest, QuitsWhenIdleAndTheBusStartsItAgainWithoutWritingTheHive)
{
    TearDown();
    StartBus(1000);
    const QString strBusName = QString::fromLatin1(kBusName);
    EXPECT_EQ(Matches(QStringLiteral("1+2")).size(), 1);
    EXPECT_TRUE(WaitFor([&] { return !Bus().interface()->isServiceRegistered(strBusName); }))
        << "still running after its idle time";
    EXPECT_EQ(Matches(QStringLiteral("1+2")).size(), 1) << "started again";
    EXPECT_FALSE(std::filesystem::exists(m_folder.Path() / "config")) << "nothing written";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
