#include "cli/CliArguments.h"

#include "cli/CliOptions.h"

#include <algorithm>
#include <limits>

namespace Netrove {

namespace {

constexpr int kLongestWaitMs = 600000;

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

CliParse ParseCliArguments(const QStringList& arguments)
{
    Reader reader(arguments);
    if (reader.AtEnd())
        return Refuse(QStringLiteral(
            "a command is missing (search, set, open, set-many, apply or watch; --help tells more)"));
    const QString name = reader.Take();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help"))
        return Help(reader.AtEnd() ? QString() : reader.Take());
    if (name == QLatin1String("--version")) {
        CliCommand command;
        command.kind = CliCommandKind::Version;
        return {command, {}};
    }

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
    else if (name == QLatin1String("watch"))
        command.kind = CliCommandKind::Watch;
    else
        return Refuse(
            QStringLiteral("unknown command '%1' (search, set, open, set-many, apply or watch)").arg(name));

    // Which command takes an option is its declaration's affair; these read what the rest means.
    const bool search = command.kind == CliCommandKind::Search;
    const bool set = command.kind == CliCommandKind::Set;
    const bool setMany = command.kind == CliCommandKind::SetMany;
    const bool apply = command.kind == CliCommandKind::Apply;
    const bool watch = command.kind == CliCommandKind::Watch;
    bool onlyCameras = false;
    bool onlyRecorders = false;
    bool onlyIpv4 = false;
    bool onlyIpv6 = false;
    bool haveIp = false;
    bool haveFilter = false;

    while (!reader.AtEnd()) {
        const QString option = reader.Take();
        if (option == QLatin1String("-h"))
            return Help(name);
        const CliOption* declared = FindCliOption(name, option);
        if (!declared) {
            if (search || watch || option.startsWith(QLatin1String("--")))
                return Refuse(QStringLiteral("unknown option '%1' for %2").arg(option, name));
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
        if (option == QLatin1String("--help"))
            return Help(name);
        // The declaration tells whether a value follows; nothing when the arguments ended first.
        const std::optional<QString> value = *declared->argument ? reader.Value() : std::nullopt;
        const auto missing = [&option] {
            return Refuse(QStringLiteral("%1 needs a value").arg(option));
        };
        // --timeout and --result-timeout: a wait in milliseconds.
        const auto milliseconds = [&](int& into) -> std::optional<CliParse> {
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
        const auto choosePasswordFrom = [&command](CliPasswordFrom from) -> std::optional<CliParse> {
            if (command.passwordFrom != CliPasswordFrom::Ask && command.passwordFrom != from)
                return Refuse(QStringLiteral("give --password or --password-stdin, not both"));
            command.passwordFrom = from;
            return std::nullopt;
        };
        const auto address = [&](Ipv4Octets& into, bool& seen) -> std::optional<CliParse> {
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
        if (option == QLatin1String("--timeout")) {
            refused = milliseconds(command.timeoutMs);
        } else if (option == QLatin1String("--format") && watch) {
            if (!value)
                return missing();
            if (*value == QLatin1String("text") || *value == QLatin1String("jsonl"))
                command.jsonLines = *value == QLatin1String("jsonl");
            else
                return Refuse(QStringLiteral("--format is text or jsonl, not '%1'").arg(*value));
        } else if (option == QLatin1String("--interval")) {
            const std::optional<int> seconds =
                value ? Number(*value, 3, kLongestWaitMs / 1000) : std::nullopt;
            if (!seconds)
                return Refuse(
                    QStringLiteral("--interval takes seconds from 3 to %1").arg(kLongestWaitMs / 1000));
            command.intervalMs = *seconds * 1000;
        } else if (option == QLatin1String("--format")) {
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
        } else if (option == QLatin1String("--no-onvif")) {
            command.onvif = false;
        } else if (option == QLatin1String("--recorders")) {
            onlyRecorders = true;
        } else if (option == QLatin1String("--ipv4")) {
            onlyIpv4 = true;
        } else if (option == QLatin1String("--ipv6")) {
            onlyIpv6 = true;
        } else if (option == QLatin1String("--filter")) {
            if (!value)
                return missing();
            command.filter = *value;
            haveFilter = true;
        } else if (option == QLatin1String("--shared-ip")) {
            command.sharedIpOnly = true;
        } else if (option == QLatin1String("--outside-network")) {
            command.outsideNetworkOnly = true;
        } else if (option == QLatin1String("--all")) {
            command.all = true;
        } else if (option == QLatin1String("--from")) {
            Ipv4Octets from{};
            refused = address(from, haveIp);
            command.from = from;
        } else if (option == QLatin1String("--dry-run")) {
            command.dryRun = true;
        } else if (option == QLatin1String("--password")) {
            if (!value)
                return missing();
            command.password = *value;
            refused = choosePasswordFrom(CliPasswordFrom::Argument);
        } else if (option == QLatin1String("--password-stdin")) {
            refused = choosePasswordFrom(CliPasswordFrom::StandardInput);
        } else if (option == QLatin1String("--result-timeout")) {
            refused = milliseconds(command.resultTimeoutMs);
        } else if (option == QLatin1String("--wait")) {
            const std::optional<int> seconds =
                value ? Number(*value, 1, kLongestWaitMs / 1000) : std::nullopt;
            if (!seconds)
                return Refuse(QStringLiteral("--wait takes seconds from 1 to %1").arg(kLongestWaitMs / 1000));
            command.waitMs = *seconds * 1000;
        } else if (option == QLatin1String("--dhcp")) {
            refused = chooseMode(CliSetMode::Dhcp);
        } else if (option == QLatin1String("--mask")) {
            refused = address(command.mask, command.maskGiven);
        } else if (option == QLatin1String("--gateway")) {
            refused = address(command.gateway, command.gatewayGiven);
        } else if (option == QLatin1String("--auto")) {
            refused = chooseMode(CliSetMode::Auto);
        } else if (option == QLatin1String("--pppoe")) {
            refused = chooseMode(CliSetMode::Pppoe);
        } else if (option == QLatin1String("--static")) {
            refused = chooseMode(CliSetMode::Static);
            if (!refused)
                refused = address(command.ip, haveIp);
        } else if (port != CliPortOptions().end()) {
            // What a port field holds is checked as the dialog checks it; here only that it is a number.
            const std::optional<int> number =
                value ? Number(*value, 0, std::numeric_limits<int>::max()) : std::nullopt;
            if (!number)
                return Refuse(QStringLiteral("%1 takes a port number").arg(option));
            command.ports[static_cast<std::size_t>(port - CliPortOptions().begin())] = *number;
        } else {
            // Declared for the command but read by nobody: a fault of ours, not of the user's.
            return Refuse(QStringLiteral("'%1' is not handled for %2").arg(option, name));
        }
        if (refused)
            return *refused;
    }

    if (watch)
        return {command, {}};
    if (search) {
        if (onlyCameras && onlyRecorders)
            return Refuse(
                QStringLiteral("--cameras and --recorders exclude each other; give neither for both"));
        if (onlyIpv4 && onlyIpv6)
            return Refuse(QStringLiteral("--ipv4 and --ipv6 exclude each other; give neither for both"));
        command.cameras = !onlyRecorders;
        command.recorders = !onlyCameras;
        // Other makers' cameras are cameras.
        command.onvif = command.onvif && !onlyRecorders;
        command.ipv4 = !onlyIpv6;
        command.ipv6 = !onlyIpv4;
        // The window's rule: recorders answer over IPv4 only.
        if (!command.ipv4 && !command.cameras)
            return Refuse(
                QStringLiteral("recorders answer over IPv4 only: --recorders and --ipv6 find nothing"));
        return {command, {}};
    }

    if (setMany) {
        const int choices = (command.macs.isEmpty() ? 0 : 1) + (command.all ? 1 : 0) +
                            (haveFilter || command.sharedIpOnly ? 1 : 0);
        if (choices == 0)
            return Refuse(
                QStringLiteral("choose the devices: MAC addresses, --all, --shared-ip or --filter"));
        if (choices > 1)
            return Refuse(QStringLiteral("choose the devices one way: MAC addresses, --all, or --shared-ip "
                                         "and --filter"));
        if (command.mode == CliSetMode::Dhcp && (command.from || command.maskGiven || command.gatewayGiven))
            return Refuse(QStringLiteral("--from, --mask and --gateway go with fixed addresses, not --dhcp"));
        if (command.mode != CliSetMode::Dhcp && !command.from)
            return Refuse(QStringLiteral("--from is missing: the first new IP address (or --dhcp)"));
        return {command, {}};
    }
    if (apply) {
        if (command.planPath.isEmpty())
            return Refuse(QStringLiteral("the address plan file is missing"));
        return {command, {}};
    }

    if (command.mac.isEmpty())
        return Refuse(QStringLiteral("the device's MAC address is missing"));
    if (!set)
        return {command, {}};

    if (!command.mode)
        return Refuse(QStringLiteral("choose one of --auto, --static IP, --dhcp and --pppoe"));
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
