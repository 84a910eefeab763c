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
    "  set-many give many devices addresses one after the other from a first one, and check them\n"
    "  apply    give the devices of an address plan (a saved list, edited) their addresses\n"
    "\n"
    "netrove-cli COMMAND --help tells more. Exit codes: 0 done, 1 failure, 2 refused arguments,\n"
    "settings or plan (nothing sent), 3 \"Invalid Password!\", 4 \"Port Mapping Error\", 5 \"Router\n"
    "Connect Error!\", 6 no result in time, 7 the device did not come back with what it was sent, 8 no\n"
    "device with that MAC address answered, 9 a device of set-many or apply failed otherwise.\n");

const QString kSearchHelp = QStringLiteral(
    "usage: netrove-cli search [--timeout MS] [--format table|csv|json] [--cameras|--recorders]\n"
    "                          [--ipv4|--ipv6] [--filter TEXT] [--shared-ip] [--outside-network]\n"
    "\n"
    "Searches once and prints every device that answered within the time, in the order they\n"
    "answered: kind, model, alias, mode, MAC, IP address, subnet mask, gateway, protocol, web\n"
    "address, its service ports, whether it may be set, the adapter and local address it answered\n"
    "on, the MACs of other devices that report the same IP address, and whether it lies in this\n"
    "computer's network on that adapter. When nothing answered, a line on standard error says why\n"
    "that may be.\n"
    "\n"
    "  --timeout MS     how long to listen (default 3000, at most 600000)\n"
    "  --format FORMAT  table (default), csv (RFC 4180, with a title line) or json (one object per\n"
    "                   device in an array; keys in doc/netrove-cli.md)\n"
    "  --cameras        IP cameras only; --recorders: recorders only\n"
    "  --ipv4           IPv4 only; --ipv6: IPv6 only (cameras; recorders answer over IPv4 only)\n"
    "  --filter TEXT    only the devices the window's filter field shows for TEXT: every word of it\n"
    "                   part of a column, case aside (a MAC with colons, dashes or no separator)\n"
    "  --shared-ip      only the devices whose IP address another device reports too\n"
    "  --outside-network  only the devices outside this computer's network on their adapter, whose\n"
    "                   web page will probably not open until they get an address in it\n");

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
    "camera found over IPv6, its IPv6 address); opens nothing. A device outside this computer's\n"
    "network on its adapter gets a warning on standard error, as the window asks before it opens\n"
    "the page. Exit codes: 0 printed, 1 the device has no address Netrove would open, 8 no device\n"
    "with that MAC address answered.\n");

// What set-many and apply print and how they end; both help texts end with it.
const QString kBatchOutcome = QStringLiteral(
    "  --dry-run          pings and prints the plan (the result empty), sends nothing\n"
    "  --format FORMAT    table (default), csv or json\n"
    "  --timeout MS       how long the search listens before the plan is made (default 3000)\n"
    "  --result-timeout MS  how long each device's result is awaited (default 10000)\n"
    "\n"
    "Devices that may not be set (a recorder that accepts no setting) are left out, said on standard\n"
    "error. All devices must have answered on one adapter; the requests leave on it, at most 8\n"
    "awaiting their results at once; after the first \"Invalid Password!\" nothing more is sent. Then\n"
    "one search checks every device. One line per device: MAC address, model, IP address, new IP\n"
    "address, and the result: \"now at 192.168.1.101\", \"answered with 192.168.1.64, not\n"
    "192.168.1.101\", \"did not answer after the change\", \"Invalid Password!\", \"Port Mapping\n"
    "Error\", \"Router Connect Error!\", \"Error!\", \"No result\", \"Not sent\" or \"unchanged\".\n"
    "\n"
    "Exit codes: 0 every device is at its new address (or unchanged), 1 failure, 2 the plan was\n"
    "refused (the reason on standard error; nothing sent), 3 \"Invalid Password!\", 8 a MAC address that\n"
    "no device answered with (nothing sent), 9 any device failed otherwise (its line says how).\n");

const QString kSetManyHelp =
    QStringLiteral(
        "usage: netrove-cli set-many (MAC... | --all | --shared-ip | --filter TEXT)\n"
        "                            --from A.B.C.D --password P [--mask M] [--gateway G] [--dhcp]\n"
        "                            [--dry-run] [--format table|csv|json] [--timeout MS]\n"
        "                            [--result-timeout MS]\n"
        "\n"
        "Searches, then gives the devices fixed addresses from the first one upwards, one each, in the\n"
        "order of the MACs given or else in the order the devices answered, as the window's Batch Setting\n"
        "dialog does: every candidate is pinged at once and skipped when it answers or this computer knows\n"
        "its hardware address, as are this computer's addresses, the network and broadcast addresses of\n"
        "the adapter's network, and the addresses the other devices report. Each device keeps its own\n"
        "ports.\n"
        "\n"
        "  MAC...             the devices with these MAC addresses (letters in any case)\n"
        "  --all              every device that answered\n"
        "  --shared-ip        the devices whose IP address another device reports too\n"
        "  --filter TEXT      the devices the window's filter field shows for TEXT (with --shared-ip: both)\n"
        "  --from A.B.C.D     the first new address, in the network of the devices' adapter\n"
        "  --password P       the devices' password (at most 19 characters, a recorder's 9)\n"
        "  --mask M           the subnet mask sent (default: the mask of the adapter's network)\n"
        "  --gateway G        the gateway sent (default: the first address of the adapter's network, .1)\n"
        "  --dhcp             the address from a DHCP server instead (no --from, --mask or --gateway)\n") +
    kBatchOutcome;

const QString kApplyHelp =
    QStringLiteral(
        "usage: netrove-cli apply PLAN.csv --password P [--dry-run] [--format table|csv|json]\n"
        "                         [--timeout MS] [--result-timeout MS]\n"
        "\n"
        "Searches, then gives each device of the address plan the address its line names. A plan is CSV\n"
        "with the header of the window's Save List (and of search --format csv): the columns \"MAC\n"
        "Address\" and \"IP Address\" are required, \"Subnet Mask\", \"Gateway\" and \"Mode\" (Static or\n"
        "Dynamic) are used when present, every other column is ignored. A line whose address and mode are\n"
        "the device's present ones is left alone (\"unchanged\"). Where a line gives no mask or gateway,\n"
        "those of the adapter's network are sent (its mask, its first address). A line that cannot be\n"
        "read, a MAC address that no device answered with, or two devices with one address is refused\n"
        "with its line number, and a plan with an address that answers a ping is refused too (a device's\n"
        "own present address is not pinged). Each device keeps its own ports.\n"
        "\n"
        "  --password P       the devices' password (at most 19 characters, a recorder's 9)\n") +
    kBatchOutcome;

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
    if (topic == QLatin1String("set-many"))
        return kSetManyHelp;
    if (topic == QLatin1String("apply"))
        return kApplyHelp;
    return kOverview;
}

CliParse ParseCliArguments(const QStringList& arguments)
{
    Reader reader(arguments);
    if (reader.AtEnd())
        return Refuse(
            QStringLiteral("a command is missing (search, set, open, set-many or apply; --help tells more)"));
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
    else if (name == QLatin1String("set-many"))
        command.kind = CliCommandKind::SetMany;
    else if (name == QLatin1String("apply"))
        command.kind = CliCommandKind::Apply;
    else
        return Refuse(
            QStringLiteral("unknown command '%1' (search, set, open, set-many or apply)").arg(name));

    // Which commands take an option.
    const bool search = command.kind == CliCommandKind::Search;
    const bool set = command.kind == CliCommandKind::Set;
    const bool setMany = command.kind == CliCommandKind::SetMany;
    const bool apply = command.kind == CliCommandKind::Apply;
    const bool listing = search || setMany || apply; // --format
    const bool filtering = search || setMany;        // --filter, --shared-ip
    const bool setting = set || setMany || apply;    // --password, --result-timeout
    const bool addressing = set || setMany;          // --dhcp, --mask, --gateway
    bool onlyCameras = false;
    bool onlyRecorders = false;
    bool onlyIpv4 = false;
    bool onlyIpv6 = false;
    bool haveIp = false;
    bool havePassword = false;
    bool haveFilter = false;

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
        const auto chooseMode = [&command](CliSetMode mode) -> std::optional<CliParse> {
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
        const auto text = [&](QString& into) -> std::optional<CliParse> {
            const std::optional<QString> value = reader.Value();
            if (!value)
                return missing();
            into = *value;
            return std::nullopt;
        };

        if (!option.startsWith(QLatin1String("--")) && !search) {
            if (setMany) {
                command.macs << option;
            } else if (apply) {
                if (!command.planPath.isEmpty())
                    return Refuse(QStringLiteral("one address plan only, not also '%1'").arg(option));
                command.planPath = option;
            } else {
                if (!command.mac.isEmpty())
                    return Refuse(QStringLiteral("one MAC address only, not also '%1'").arg(option));
                command.mac = option;
            }
            continue;
        }

        std::optional<CliParse> refused;
        const auto port = std::find(CliPortOptions().begin(), CliPortOptions().end(), option);
        if (option == QLatin1String("--timeout")) {
            refused = milliseconds(command.timeoutMs);
        } else if (listing && option == QLatin1String("--format")) {
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
        } else if (search && option == QLatin1String("--cameras")) {
            onlyCameras = true;
        } else if (search && option == QLatin1String("--recorders")) {
            onlyRecorders = true;
        } else if (search && option == QLatin1String("--ipv4")) {
            onlyIpv4 = true;
        } else if (search && option == QLatin1String("--ipv6")) {
            onlyIpv6 = true;
        } else if (filtering && option == QLatin1String("--filter")) {
            refused = text(command.filter);
            haveFilter = true;
        } else if (filtering && option == QLatin1String("--shared-ip")) {
            command.sharedIpOnly = true;
        } else if (search && option == QLatin1String("--outside-network")) {
            command.outsideNetworkOnly = true;
        } else if (setMany && option == QLatin1String("--all")) {
            command.all = true;
        } else if (setMany && option == QLatin1String("--from")) {
            Ipv4Octets from{};
            refused = address(from, haveIp);
            command.from = from;
        } else if ((setMany || apply) && option == QLatin1String("--dry-run")) {
            command.dryRun = true;
        } else if (setting && option == QLatin1String("--password")) {
            refused = text(command.password);
            havePassword = true;
        } else if (setting && option == QLatin1String("--result-timeout")) {
            refused = milliseconds(command.resultTimeoutMs);
        } else if (addressing && option == QLatin1String("--dhcp")) {
            refused = chooseMode(CliSetMode::Dhcp);
        } else if (addressing && option == QLatin1String("--mask")) {
            refused = address(command.mask, command.maskGiven);
        } else if (addressing && option == QLatin1String("--gateway")) {
            refused = address(command.gateway, command.gatewayGiven);
        } else if (set && option == QLatin1String("--auto")) {
            refused = chooseMode(CliSetMode::Auto);
        } else if (set && option == QLatin1String("--pppoe")) {
            refused = chooseMode(CliSetMode::Pppoe);
        } else if (set && option == QLatin1String("--static")) {
            refused = chooseMode(CliSetMode::Static);
            if (!refused)
                refused = address(command.ip, haveIp);
        } else if (set && port != CliPortOptions().end()) {
            const std::optional<QString> value = reader.Value();
            // What a port field holds is checked as the dialog checks it; here only that it is a number.
            const std::optional<int> number =
                value ? Number(*value, 0, std::numeric_limits<int>::max()) : std::nullopt;
            if (!number)
                return Refuse(QStringLiteral("%1 takes a port number").arg(option));
            command.ports[static_cast<std::size_t>(port - CliPortOptions().begin())] = *number;
        } else {
            return Refuse(QStringLiteral("unknown option '%1' for %2").arg(option, name));
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

    const auto passwordMissing = [] {
        return Refuse(QStringLiteral("--password is missing (an empty one is --password \"\")"));
    };
    if (setMany) {
        const int choices = (command.macs.isEmpty() ? 0 : 1) + (command.all ? 1 : 0) +
                            (haveFilter || command.sharedIpOnly ? 1 : 0);
        if (choices == 0)
            return Refuse(
                QStringLiteral("choose the devices: MAC addresses, --all, --shared-ip or --filter"));
        if (choices > 1)
            return Refuse(QStringLiteral("choose the devices one way: MAC addresses, --all, or --shared-ip "
                                         "and --filter"));
        if (!havePassword)
            return passwordMissing();
        if (command.mode == CliSetMode::Dhcp && (command.from || command.maskGiven || command.gatewayGiven))
            return Refuse(QStringLiteral("--from, --mask and --gateway go with fixed addresses, not --dhcp"));
        if (command.mode != CliSetMode::Dhcp && !command.from)
            return Refuse(QStringLiteral("--from is missing: the first new IP address (or --dhcp)"));
        return {command, {}};
    }
    if (apply) {
        if (command.planPath.isEmpty())
            return Refuse(QStringLiteral("the address plan file is missing"));
        if (!havePassword)
            return passwordMissing();
        return {command, {}};
    }

    if (command.mac.isEmpty())
        return Refuse(QStringLiteral("the device's MAC address is missing"));
    if (!set)
        return {command, {}};

    if (!command.mode)
        return Refuse(QStringLiteral("choose one of --auto, --static IP, --dhcp and --pppoe"));
    if (!havePassword)
        return passwordMissing();
    const bool staticMode = *command.mode == CliSetMode::Static;
    if (staticMode && (!command.maskGiven || !command.gatewayGiven))
        return Refuse(QStringLiteral("--static needs --mask and --gateway too"));
    if (!staticMode && (command.maskGiven || command.gatewayGiven))
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
