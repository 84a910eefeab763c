#include "discovery/EmptySearchProbe.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QFile>
#include <QMap>
#include <QVariantMap>

namespace Netrove {

// Who asks polkit: this program's connection to the system bus.
struct PolkitSubject
{
    QString kind;
    QVariantMap details;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PolkitSubject& subject)
{
    argument.beginStructure();
    argument << subject.kind << subject.details;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PolkitSubject& subject)
{
    argument.beginStructure();
    argument >> subject.kind >> subject.details;
    argument.endStructure();
    return argument;
}

} // namespace Netrove

Q_DECLARE_METATYPE(Netrove::PolkitSubject)

namespace Netrove {

namespace {

const QString kFirewalld = QStringLiteral("org.fedoraproject.FirewallD1");
const QString kFirewalldPath = QStringLiteral("/org/fedoraproject/FirewallD1");
const QString kZoneInterface = QStringLiteral("org.fedoraproject.FirewallD1.zone");
constexpr int kAnswerMs = 1000;
constexpr qint64 kLongestSettings = 64 * 1024;

QVariant Call(QDBusConnection& bus, QDBusMessage call)
{
    // An installed firewalld that is not running must not be started by the question.
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kAnswerMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first();
}

QVariant AskFirewalld(QDBusConnection& bus, const QString& interface, const QString& method,
                      const QVariantList& arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kFirewalld, kFirewalldPath, interface, method);
    call.setArguments(arguments);
    return Call(bus, call);
}

// Whether polkit lets this program take the action without asking for a password.
bool Allowed(QDBusConnection& bus, const QString& action)
{
    static const bool registered = [] {
        qDBusRegisterMetaType<PolkitSubject>();
        qDBusRegisterMetaType<QMap<QString, QString>>();
        return true;
    }();
    Q_UNUSED(registered);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.PolicyKit1"), QStringLiteral("/org/freedesktop/PolicyKit1/Authority"),
        QStringLiteral("org.freedesktop.PolicyKit1.Authority"), QStringLiteral("CheckAuthorization"));
    const PolkitSubject self{QStringLiteral("system-bus-name"),
                             {{QStringLiteral("name"), bus.baseService()}}};
    // Flags 0: no password dialog, only the answer.
    call << QVariant::fromValue(self) << action << QVariant::fromValue(QMap<QString, QString>()) << quint32(0)
         << QString();
    const QVariant result = Call(bus, call);
    if (!result.canConvert<QDBusArgument>())
        return false;
    const QDBusArgument answer = result.value<QDBusArgument>();
    bool authorized = false;
    bool challenge = false;
    QMap<QString, QString> details;
    answer.beginStructure();
    answer >> authorized >> challenge >> details;
    answer.endStructure();
    return authorized;
}

// The runtime settings of the zone an adapter is in (the default zone when none is given it).
std::optional<FirewalldZone> ZoneOf(QDBusConnection& bus, const QString& adapter)
{
    QString zone =
        AskFirewalld(bus, kZoneInterface, QStringLiteral("getZoneOfInterface"), {adapter}).toString();
    if (zone.isEmpty())
        zone = AskFirewalld(bus, kFirewalld, QStringLiteral("getDefaultZone"), {}).toString();
    const QVariant settings = AskFirewalld(bus, kZoneInterface, QStringLiteral("getZoneSettings2"), {zone});
    if (zone.isEmpty() || !settings.canConvert<QDBusArgument>())
        return std::nullopt;
    const QVariantMap values = qdbus_cast<QVariantMap>(settings.value<QDBusArgument>());
    FirewalldZone found;
    found.target = values.value(QStringLiteral("target")).toString();
    found.services = values.value(QStringLiteral("services")).toStringList();
    // Ports come as (port, protocol) pairs.
    const QDBusArgument ports = values.value(QStringLiteral("ports")).value<QDBusArgument>();
    if (ports.currentType() == QDBusArgument::ArrayType) {
        ports.beginArray();
        while (!ports.atEnd()) {
            QString port;
            QString protocol;
            ports.beginStructure();
            ports >> port >> protocol;
            ports.endStructure();
            found.ports.append(port + QLatin1Char('/') + protocol);
        }
        ports.endArray();
    }
    return found;
}

void AskFirewalld(QDBusConnection& bus, EmptySearchFindings& findings)
{
    // A name without an owner: firewalld is not running.
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(kFirewalld).value())
        return;
    findings.firewalldRunning = true;
    if (!Allowed(bus, QStringLiteral("org.fedoraproject.FirewallD1.info")) ||
        !Allowed(bus, QStringLiteral("org.fedoraproject.FirewallD1.config.info")))
        return;
    std::vector<FirewalldZone> zones;
    for (const QString& adapter : ConnectedAdapterNames(findings.addresses)) {
        const std::optional<FirewalldZone> zone = ZoneOf(bus, adapter);
        if (!zone)
            return;
        zones.push_back(*zone);
    }
    findings.firewalldZones = std::move(zones);
}

} // namespace

EmptySearchFindings ProbeEmptySearch()
{
    EmptySearchFindings findings;
    findings.addresses = SystemInterfaceAddresses();
    QFile ufw(QStringLiteral("/etc/ufw/ufw.conf"));
    if (ufw.open(QIODevice::ReadOnly))
        findings.ufwSettings = ufw.read(kLongestSettings);
    // A connection of its own, closed again: the question is rare, and nothing else here uses the bus.
    const QString name = QStringLiteral("netrove-empty-search");
    {
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SystemBus, name);
        AskFirewalld(bus, findings);
    }
    QDBusConnection::disconnectFromBus(name);
    return findings;
}

} // namespace Netrove
