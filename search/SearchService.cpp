#include "SearchService.h"

#include "SearchAnswer.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QProcess>
#include <QVariantMap>

#include <optional>
#include <string>
#include <string_view>

// KRunner's match and action, as org.kde.krunner1 sends them: (sssida{sv}) and (sss).
struct SRemoteMatch
{
    QString strId;
    QString strText;
    QString strIconName;
    int nType = 0;
    double dRelevance = 0.0;
    QVariantMap properties;
};
struct SRemoteAction
{
    QString strId;
    QString strText;
    QString strIconName;
};
Q_DECLARE_METATYPE(SRemoteMatch)
Q_DECLARE_METATYPE(SRemoteAction)

QDBusArgument& operator<<(QDBusArgument& argument, const SRemoteMatch& match)
{
    argument.beginStructure();
    argument << match.strId << match.strText << match.strIconName << match.nType << match.dRelevance
             << match.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, SRemoteMatch& match)
{
    argument.beginStructure();
    argument >> match.strId >> match.strText >> match.strIconName >> match.nType >>
        match.dRelevance >> match.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const SRemoteAction& action)
{
    argument.beginStructure();
    argument << action.strId << action.strText << action.strIconName;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, SRemoteAction& action)
{
    argument.beginStructure();
    argument >> action.strId >> action.strText >> action.strIconName;
    argument.endStructure();
    return argument;
}

namespace
{

constexpr const char* kGnomeInterface = "org.gnome.Shell.SearchProvider2";
constexpr const char* kKRunnerInterface = "org.kde.krunner1";
constexpr const char* kIconName = "io.github.lumdrak.Lumdrak";
// The result copies itself when activated, so its icon says so, as other calculators' do.
constexpr const char* kCopyIconName = "edit-copy-symbolic";
constexpr const char* kOpenActionId = "open";
// KRunner's QueryMatch type: an exact match (KF5), the highest category relevance (KF6).
constexpr int kExactMatch = 100;

// The console's code page holds the first 256 code points; a query beyond them is not one.
std::optional<std::string> ToCodePage(const QString& strText)
{
    std::string strBytes;
    strBytes.reserve(static_cast<std::size_t>(strText.size()));
    for (const QChar ch : strText)
    {
        if (ch.unicode() > 0xFF) return std::nullopt;
        strBytes += static_cast<char>(ch.unicode());
    }
    return strBytes;
}

QString FromCodePage(const std::string& strBytes)
{
    return QString::fromLatin1(strBytes.data(), static_cast<qsizetype>(strBytes.size()));
}

// The answer under the settings code stored now.
std::optional<SSearchAnswer> Answer(const QString& strQuery)
{
    if (static_cast<std::size_t>(strQuery.size()) > kMaxQueryBytes) return std::nullopt;
    const std::optional<std::string> strBytes = ToCodePage(strQuery);
    if (!strBytes) return std::nullopt;
    return AnswerQuery(*strBytes, ReadSettingsCode());
}

// GNOME splits the query at blanks into terms.
QString QueryOfTerms(const QStringList& terms) { return terms.join(QLatin1Char(' ')); }

} // namespace

CSearchService::CSearchService(QDBusConnection connection, QString strWindowProgram,
                               std::chrono::milliseconds idleTime)
    : m_connection(std::move(connection)), m_strWindowProgram(std::move(strWindowProgram))
{
    qDBusRegisterMetaType<QList<QVariantMap>>();
    qDBusRegisterMetaType<SRemoteMatch>();
    qDBusRegisterMetaType<QList<SRemoteMatch>>();
    qDBusRegisterMetaType<SRemoteAction>();
    qDBusRegisterMetaType<QList<SRemoteAction>>();
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(idleTime);
    QObject::connect(&m_idleTimer, &QTimer::timeout, QCoreApplication::instance(),
                     &QCoreApplication::quit);
    m_idleTimer.start();
}

bool CSearchService::Register()
{
    return m_connection.registerVirtualObject(QString::fromLatin1(kGnomePath), this) &&
           m_connection.registerVirtualObject(QString::fromLatin1(kKRunnerPath), this) &&
           m_connection.registerService(QString::fromLatin1(kBusName));
}

bool CSearchService::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    struct SMethod
    {
        const char* pszInterface;
        const char* pszMember;
        const char* pszSignature; // of the arguments
        QDBusMessage (CSearchService::*pfnHandle)(const QDBusMessage& call);
    };
    static constexpr SMethod kMethods[] = {
        {kGnomeInterface, "GetInitialResultSet", "as", &CSearchService::GetInitialResultSet},
        {kGnomeInterface, "GetSubsearchResultSet", "asas", &CSearchService::GetSubsearchResultSet},
        {kGnomeInterface, "GetResultMetas", "as", &CSearchService::GetResultMetas},
        {kGnomeInterface, "ActivateResult", "sasu", &CSearchService::ActivateResult},
        {kGnomeInterface, "LaunchSearch", "asu", &CSearchService::LaunchSearch},
        {kKRunnerInterface, "Match", "s", &CSearchService::Match},
        {kKRunnerInterface, "Actions", "", &CSearchService::Actions},
        {kKRunnerInterface, "Run", "ss", &CSearchService::Run},
        {kKRunnerInterface, "Teardown", "", &CSearchService::Teardown},
    };
    const bool bGnomePath = message.path() == QLatin1String(kGnomePath);
    for (const SMethod& method : kMethods)
    {
        // Each interface lives at its own path; a call that names none finds it by member.
        if ((std::string_view(method.pszInterface) == kGnomeInterface) != bGnomePath ||
            (!message.interface().isEmpty() &&
             message.interface() != QLatin1String(method.pszInterface)) ||
            message.member() != QLatin1String(method.pszMember))
            continue;
        m_idleTimer.start();
        if (message.signature() != QLatin1String(method.pszSignature))
            return connection.send(message.createErrorReply(
                QDBusError::InvalidArgs,
                QStringLiteral("%1 takes (%2)").arg(method.pszMember, method.pszSignature)));
        return connection.send((this->*method.pfnHandle)(message));
    }
    return false;
}

QString CSearchService::introspect(const QString& strPath) const
{
    if (strPath == QLatin1String(kGnomePath))
        return QStringLiteral(R"xml(<interface name="org.gnome.Shell.SearchProvider2">
  <method name="GetInitialResultSet">
    <arg type="as" name="terms" direction="in"/>
    <arg type="as" name="results" direction="out"/>
  </method>
  <method name="GetSubsearchResultSet">
    <arg type="as" name="previous_results" direction="in"/>
    <arg type="as" name="terms" direction="in"/>
    <arg type="as" name="results" direction="out"/>
  </method>
  <method name="GetResultMetas">
    <arg type="as" name="identifiers" direction="in"/>
    <arg type="aa{sv}" name="metas" direction="out"/>
  </method>
  <method name="ActivateResult">
    <arg type="s" name="identifier" direction="in"/>
    <arg type="as" name="terms" direction="in"/>
    <arg type="u" name="timestamp" direction="in"/>
  </method>
  <method name="LaunchSearch">
    <arg type="as" name="terms" direction="in"/>
    <arg type="u" name="timestamp" direction="in"/>
  </method>
</interface>
)xml");
    if (strPath == QLatin1String(kKRunnerPath))
        return QStringLiteral(R"xml(<interface name="org.kde.krunner1">
  <method name="Teardown"/>
  <method name="Actions">
    <arg type="a(sss)" name="matches" direction="out"/>
  </method>
  <method name="Run">
    <arg type="s" name="matchId" direction="in"/>
    <arg type="s" name="actionId" direction="in"/>
  </method>
  <method name="Match">
    <arg type="s" name="query" direction="in"/>
    <arg type="a(sssida{sv})" name="matches" direction="out"/>
  </method>
</interface>
)xml");
    return {};
}

QDBusMessage CSearchService::GetInitialResultSet(const QDBusMessage& call)
{
    const QString strQuery = QueryOfTerms(call.arguments().at(0).toStringList());
    return call.createReply(QVariant(Answer(strQuery) ? QStringList{strQuery} : QStringList()));
}

QDBusMessage CSearchService::GetSubsearchResultSet(const QDBusMessage& call)
{
    // A longer query is another expression: the earlier results say nothing of its answer.
    const QString strQuery = QueryOfTerms(call.arguments().at(1).toStringList());
    return call.createReply(QVariant(Answer(strQuery) ? QStringList{strQuery} : QStringList()));
}

QDBusMessage CSearchService::GetResultMetas(const QDBusMessage& call)
{
    QList<QVariantMap> metas;
    for (const QString& strId : call.arguments().at(0).toStringList())
    {
        const std::optional<SSearchAnswer> answer = Answer(strId);
        if (!answer) continue;
        const QString strTitle = FromCodePage(answer->strTitle);
        // The shell copies clipboardText when the result is activated.
        metas.append(QVariantMap{
            {QStringLiteral("id"), strId},
            {QStringLiteral("name"), strTitle},
            {QStringLiteral("description"), FromCodePage(answer->strDescription)},
            {QStringLiteral("gicon"), QString::fromLatin1(kCopyIconName)},
            {QStringLiteral("clipboardText"), strTitle},
        });
    }
    return call.createReply(QVariant::fromValue(metas));
}

QDBusMessage CSearchService::ActivateResult(const QDBusMessage& call)
{
    // The shell itself puts the result's clipboardText on the clipboard: a program with no
    // window cannot own the clipboard on Wayland.
    return call.createReply();
}

QDBusMessage CSearchService::LaunchSearch(const QDBusMessage& call)
{
    LaunchWindow(QueryOfTerms(call.arguments().at(0).toStringList()));
    return call.createReply();
}

QDBusMessage CSearchService::Match(const QDBusMessage& call)
{
    const QString strQuery = call.arguments().at(0).toString();
    QList<SRemoteMatch> matches;
    if (const std::optional<SSearchAnswer> answer = Answer(strQuery))
        matches.append(
            {strQuery,
             FromCodePage(answer->strTitle),
             QString::fromLatin1(kIconName),
             kExactMatch,
             1.0,
             {{QStringLiteral("subtext"), FromCodePage(answer->strDescription)},
              {QStringLiteral("actions"), QStringList{QString::fromLatin1(kOpenActionId)}}}});
    return call.createReply(QVariant::fromValue(matches));
}

QDBusMessage CSearchService::Actions(const QDBusMessage& call)
{
    const QList<SRemoteAction> actions{{QString::fromLatin1(kOpenActionId),
                                        QStringLiteral("Open in Lumdrak"),
                                        QString::fromLatin1(kIconName)}};
    return call.createReply(QVariant::fromValue(actions));
}

QDBusMessage CSearchService::Run(const QDBusMessage& call)
{
    const QString strQuery = call.arguments().at(0).toString();
    const QString strAction = call.arguments().at(1).toString();
    if (strAction == QLatin1String(kOpenActionId))
    {
        LaunchWindow(strQuery);
    }
    else if (strAction.isEmpty())
    {
        // KRunner leaves the result to the runner, which has no window to own the clipboard
        // by: Plasma's clipboard service takes the text instead.
        if (const std::optional<SSearchAnswer> answer = Answer(strQuery))
        {
            QDBusMessage copy = QDBusMessage::createMethodCall(
                QStringLiteral("org.kde.klipper"), QStringLiteral("/klipper"),
                QStringLiteral("org.kde.klipper.klipper"), QStringLiteral("setClipboardContents"));
            copy << FromCodePage(answer->strTitle);
            m_connection.call(copy, QDBus::NoBlock);
        }
    }
    return call.createReply();
}

QDBusMessage CSearchService::Teardown(const QDBusMessage& call) { return call.createReply(); }

void CSearchService::LaunchWindow(const QString& strQuery)
{
    QStringList arguments;
    if (const std::optional<SSearchAnswer> answer = Answer(strQuery))
        arguments.append(QStringLiteral("--expression=") + FromCodePage(answer->strExpression));
    QProcess::startDetached(m_strWindowProgram, arguments);
}
