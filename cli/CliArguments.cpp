#include "cli/CliArguments.h"

#include <algorithm>
#include <limits>

namespace Netrove {

namespace {

constexpr int kLongestWaitMs = 600000;

const QString kOverview = QStringLiteral(
    "usage: netrove-cli COMMAND [OPTIONS]\n"
    "\n"
    "Finds the IP cameras and recorders of the local network and sets their network settings, as\n"
    "Netrove's window does. It does not run while the window runs.\n"
    "\n"
    "commands:\n"
    "  search   list every device that answers a search\n"
    "  set      give one device new network settings and check that it comes back with them\n"
    "  open     print the web address a double-click on the device would open\n"
    "\n"
    "netrove-cli COMMAND --help tells more. Exit codes: 0 done, 1 failure, 2 refused arguments or\n"
    "settings (nothing sent), 3 \"Invalid Password!\", 4 \"Port Mapping Error\", 5 \"Router Connect\n"
    "Error!\", 6 no result in time, 7 the device did not come back with what it was sent, 8 no device\n"
    "with that MAC address answered.\n");

const QString kSearchHelp = QStringLiteral(
    "usage: netrove-cli search [--timeout MS] [--format table|csv|json] [--cameras|--recorders]\n"
    "                          [--ipv4|--ipv6] [--filter TEXT] [--shared-ip]\n"
    "\n"
    "Searches once and prints every device that answered within the time, in the order they\n"
    "answered: kind, model, alias, mode, MAC, IP address, subnet mask, gateway, protocol, web\n"
    "address, its service ports, whether it may be set, the adapter and local address it answered\n"
    "on, and the MACs of other devices that report the same IP address.\n"
    "\n"
    "  --timeout MS     how long to listen (default 3000, at most 600000)\n"
    "  --format FORMAT  table (default), csv (RFC 4180, with a title line) or json (one object per\n"
    "                   device in an array; keys in doc/netrove-cli.md)\n"
    "  --cameras        IP cameras only; --recorders: recorders only\n"
    "  --ipv4           IPv4 only; --ipv6: IPv6 only (cameras; recorders answer over IPv4 only)\n"
    "  --filter TEXT    only the devices the window's filter field shows for TEXT: every word of it\n"
    "                   part of a column, case aside (a MAC with colons, dashes or no separator)\n"
    "  --shared-ip      only the devices whose IP address another device reports too\n");

const QString kSetHelp = QStringLiteral(
    "usage: netrove-cli set MAC --password P\n"
    "                       (--auto | --static IP --mask M --gateway G | --dhcp | --pppoe)\n"
    "                       [--http N] [--dlx N] [--tcp N] [--udp N] [--upload N] [--multicast N]\n"
    "                       [--timeout MS] [--result-timeout MS]\n"
    "\n"
    "Searches for the device with this MAC address, sends it the setting request the Auto Setting\n"
    "or Manual Setting dialog would send, after the same checks, waits for its result and searches\n"
    "again: it ends with 0 only when the device answered with the address it was sent (with --dhcp\n"
    "or --pppoe: when it answered again at all).\n"
    "\n"
    "  --password P       the device's password (at most 19 characters, a recorder's 9)\n"
    "  --auto             the highest free address from .254 down to .241 of this computer's network\n"
    "                     on the device's adapter, its .1 as gateway, the mask the device reported,\n"
    "                     and a camera's six ports from 10000; prints what it proposed\n"
    "  --static IP --mask M --gateway G   a fixed address\n"
    "  --dhcp             the address from a DHCP server (the device's current addresses are sent)\n"
    "  --pppoe            keeps PPPoE, for a device that reports it (the window offers no more)\n"
    "  --http N ...       with --static, --dhcp or --pppoe: the ports the device's model has, as the\n"
    "                     Manual Setting dialog shows them (default: what the device reported). A\n"
    "                     model whose six ports move as a block takes --http only: 80, or 9995 to\n"
    "                     59997, the other five following it.\n"
    "  --timeout MS       how long the first search waits for the device (default 3000)\n"
    "  --result-timeout MS  how long to wait for the device's result (default 10000)\n"
    "\n"
    "Exit codes: 0 the device is at the address it was sent, 1 failure, 2 refused (the dialog's\n"
    "message; nothing sent), 3 \"Invalid Password!\", 4 \"Port Mapping Error\", 5 \"Router Connect\n"
    "Error!\", 6 no result in time, 7 the device did not come back with that address, 8 no device\n"
    "with that MAC address.\n");

const QString kOpenHelp = QStringLiteral(
    "usage: netrove-cli open MAC [--timeout MS]\n"
    "\n"
    "Searches and prints the web address a double-click on the device's row would open (for a\n"
    "camera found over IPv6, its IPv6 address); opens nothing. Exit codes: 0 printed, 1 the device\n"
    "has no address Netrove would open, 8 no device with that MAC address answered.\n");

// A whole decimal number within the limits, or nothing.
std::optional<int> Number(const QString& text, int lowest, int highest)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, 10);
    if (!ok || value < lowest || value > highest)
        return std::nullopt;
    return static_cast<int>(value);
}

// A typed address is not read as leniently as a device's.
std::optional<Ipv4Octets> Address(const QString& text)
{
    return ParseTypedAddress(text.toStdString());
}

class Reader
{
public:
    explicit Reader(const QStringList& arguments)
        : m_arguments(arguments)
    {}

    bool AtEnd() const { return m_next >= m_arguments.size(); }
    QString Take() { return m_arguments[m_next++]; }
    // The value of the option just taken.
    std::optional<QString> Value()
    {
        if (AtEnd())
            return std::nullopt;
        return Take();
    }

private:
    const QStringList& m_arguments;
    qsizetype m_next = 0;
};

CliParse Refuse(const QString& why)
{
    return {std::nullopt, why};
}

CliParse Help(const QString& topic)
{
    CliCommand command;
    command.kind = CliCommandKind::Help;
    command.helpTopic = topic;
    return {command, {}};
}

} // namespace

const std::array<QString, 6>& CliPortOptions()
{
    static const std::array<QString, 6> options{QStringLiteral("--http"),   QStringLiteral("--dlx"),
                                                QStringLiteral("--tcp"),    QStringLiteral("--udp"),
                                                QStringLiteral("--upload"), QStringLiteral("--multicast")};
    return options;
}

QString CliHelpText(const QString& topic)
{
    if (topic == QLatin1String("search"))
        return kSearchHelp;
    if (topic == QLatin1String("set"))
        return kSetHelp;
    if (topic == QLatin1String("open"))
        return kOpenHelp;
    return kOverview;
}

CliParse ParseCliArguments(const QStringList& arguments)
{
    Reader reader(arguments);
    if (reader.AtEnd())
        return Refuse(QStringLiteral("a command is missing (search, set or open; --help tells more)"));
    const QString name = reader.Take();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help"))
        return Help(reader.AtEnd() ? QString() : reader.Take());

    CliCommand command;
    if (name == QLatin1String("search"))
        command.kind = CliCommandKind::Search;
    else if (name == QLatin1String("set"))
        command.kind = CliCommandKind::Set;
    else if (name == QLatin1String("open"))
        command.kind = CliCommandKind::Open;
    else
        return Refuse(QStringLiteral("unknown command '%1' (search, set or open)").arg(name));

    const bool search = command.kind == CliCommandKind::Search;
    const bool set = command.kind == CliCommandKind::Set;
    bool onlyCameras = false;
    bool onlyRecorders = false;
    bool onlyIpv4 = false;
    bool onlyIpv6 = false;
    bool haveMask = false;
    bool haveGateway = false;
    bool haveIp = false;
    bool havePassword = false;

    while (!reader.AtEnd()) {
        const QString option = reader.Take();
        if (option == QLatin1String("--help") || option == QLatin1String("-h"))
            return Help(name);
        const auto missing = [&option] {
            return Refuse(QStringLiteral("%1 needs a value").arg(option));
        };
        // --timeout and --result-timeout: a wait in milliseconds.
        const auto milliseconds = [&](int& into) -> std::optional<CliParse> {
            const std::optional<QString> value = reader.Value();
            const std::optional<int> ms = value ? Number(*value, 1, kLongestWaitMs) : std::nullopt;
            if (!ms)
                return Refuse(
                    QStringLiteral("%1 takes milliseconds from 1 to %2").arg(option).arg(kLongestWaitMs));
            into = *ms;
            return std::nullopt;
        };

        if (option == QLatin1String("--timeout")) {
            if (std::optional<CliParse> refused = milliseconds(command.timeoutMs))
                return *refused;
            continue;
        }
        if (search) {
            if (option == QLatin1String("--format")) {
                const std::optional<QString> value = reader.Value();
                if (!value)
                    return missing();
                if (*value == QLatin1String("table"))
                    command.format = CliFormat::Table;
                else if (*value == QLatin1String("csv"))
                    command.format = CliFormat::Csv;
                else if (*value == QLatin1String("json"))
                    command.format = CliFormat::Json;
                else
                    return Refuse(QStringLiteral("--format is table, csv or json, not '%1'").arg(*value));
            } else if (option == QLatin1String("--cameras")) {
                onlyCameras = true;
            } else if (option == QLatin1String("--recorders")) {
                onlyRecorders = true;
            } else if (option == QLatin1String("--ipv4")) {
                onlyIpv4 = true;
            } else if (option == QLatin1String("--ipv6")) {
                onlyIpv6 = true;
            } else if (option == QLatin1String("--filter")) {
                const std::optional<QString> value = reader.Value();
                if (!value)
                    return missing();
                command.filter = *value;
            } else if (option == QLatin1String("--shared-ip")) {
                command.sharedIpOnly = true;
            } else {
                return Refuse(QStringLiteral("unknown option '%1' for search").arg(option));
            }
            continue;
        }
        if (!option.startsWith(QLatin1String("--"))) {
            if (!command.mac.isEmpty())
                return Refuse(QStringLiteral("one MAC address only, not also '%1'").arg(option));
            command.mac = option;
            continue;
        }
        if (!set)
            return Refuse(QStringLiteral("unknown option '%1' for open").arg(option));

        const auto chooseMode = [&command, &option](CliSetMode mode) -> std::optional<CliParse> {
            if (command.mode && *command.mode != mode)
                return Refuse(QStringLiteral("choose one of --auto, --static, --dhcp and --pppoe"));
            command.mode = mode;
            return std::nullopt;
        };
        const auto address = [&](Ipv4Octets& into, bool& seen) -> std::optional<CliParse> {
            const std::optional<QString> value = reader.Value();
            if (!value)
                return missing();
            const std::optional<Ipv4Octets> octets = Address(*value);
            if (!octets)
                return Refuse(
                    QStringLiteral("%1 takes an address such as 192.168.1.10, not '%2'").arg(option, *value));
            into = *octets;
            seen = true;
            return std::nullopt;
        };

        std::optional<CliParse> refused;
        const auto port = std::find(CliPortOptions().begin(), CliPortOptions().end(), option);
        if (option == QLatin1String("--password")) {
            const std::optional<QString> value = reader.Value();
            if (!value)
                return missing();
            command.password = *value;
            havePassword = true;
        } else if (option == QLatin1String("--auto")) {
            refused = chooseMode(CliSetMode::Auto);
        } else if (option == QLatin1String("--dhcp")) {
            refused = chooseMode(CliSetMode::Dhcp);
        } else if (option == QLatin1String("--pppoe")) {
            refused = chooseMode(CliSetMode::Pppoe);
        } else if (option == QLatin1String("--static")) {
            refused = chooseMode(CliSetMode::Static);
            if (!refused)
                refused = address(command.ip, haveIp);
        } else if (option == QLatin1String("--mask")) {
            refused = address(command.mask, haveMask);
        } else if (option == QLatin1String("--gateway")) {
            refused = address(command.gateway, haveGateway);
        } else if (option == QLatin1String("--result-timeout")) {
            refused = milliseconds(command.resultTimeoutMs);
        } else if (port != CliPortOptions().end()) {
            const std::optional<QString> value = reader.Value();
            // What a port field holds is checked as the dialog checks it; here only that it is a number.
            const std::optional<int> number =
                value ? Number(*value, 0, std::numeric_limits<int>::max()) : std::nullopt;
            if (!number)
                return Refuse(QStringLiteral("%1 takes a port number").arg(option));
            command.ports[static_cast<std::size_t>(port - CliPortOptions().begin())] = *number;
        } else {
            return Refuse(QStringLiteral("unknown option '%1' for set").arg(option));
        }
        if (refused)
            return *refused;
    }

    if (search) {
        if (onlyCameras && onlyRecorders)
            return Refuse(
                QStringLiteral("--cameras and --recorders exclude each other; give neither for both"));
        if (onlyIpv4 && onlyIpv6)
            return Refuse(QStringLiteral("--ipv4 and --ipv6 exclude each other; give neither for both"));
        command.cameras = !onlyRecorders;
        command.recorders = !onlyCameras;
        command.ipv4 = !onlyIpv6;
        command.ipv6 = !onlyIpv4;
        // The window's rule: recorders answer over IPv4 only.
        if (!command.ipv4 && !command.cameras)
            return Refuse(
                QStringLiteral("recorders answer over IPv4 only: --recorders and --ipv6 find nothing"));
        return {command, {}};
    }

    if (command.mac.isEmpty())
        return Refuse(QStringLiteral("the device's MAC address is missing"));
    if (!set)
        return {command, {}};

    if (!command.mode)
        return Refuse(QStringLiteral("choose one of --auto, --static IP, --dhcp and --pppoe"));
    if (!havePassword)
        return Refuse(QStringLiteral("--password is missing (an empty one is --password \"\")"));
    const bool staticMode = *command.mode == CliSetMode::Static;
    if (staticMode && (!haveMask || !haveGateway))
        return Refuse(QStringLiteral("--static needs --mask and --gateway too"));
    if (!staticMode && (haveMask || haveGateway))
        return Refuse(QStringLiteral("--mask and --gateway go with --static only"));
    if (*command.mode == CliSetMode::Auto) {
        for (std::size_t i = 0; i < command.ports.size(); ++i)
            if (command.ports[i])
                return Refuse(
                    QStringLiteral(
                        "--auto hands out the ports itself; %1 goes with --static, --dhcp or --pppoe")
                        .arg(CliPortOptions()[i]));
    }
    return {command, {}};
}

} // namespace Netrove
