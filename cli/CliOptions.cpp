#include "cli/CliOptions.h"

#include <array>

namespace Netrove {

namespace {

constexpr CliOption kHelp{"--help", "", "this text (-h as well)"};

constexpr std::array kOverviewOptions{
    CliOption{"--help", "", "this overview; netrove-cli COMMAND --help tells more"},
    CliOption{"--version", "", "the version of netrove-cli"},
};

constexpr std::array kSearchOptions{
    CliOption{"--timeout", "MS", "how long to listen (default 3000, at most 600000)"},
    CliOption{"--format", "FORMAT",
              "table (default), csv (RFC 4180, with a title line) or json (one object per device in an "
              "array; keys in doc/netrove-cli.md)"},
    CliOption{"--cameras", "", "IP cameras only"},
    CliOption{"--recorders", "", "recorders only"},
    CliOption{"--ipv4", "", "IPv4 only"},
    CliOption{"--ipv6", "", "IPv6 only (cameras; recorders answer over IPv4 only)"},
    CliOption{"--no-onvif", "",
              "no cameras of other makers: sends no ONVIF WS-Discovery probe (with --recorders none is sent "
              "either)"},
    CliOption{"--filter", "TEXT",
              "only the devices the window's filter field shows for TEXT: every word of it part of a "
              "column, case aside (a MAC with colons, dashes or no separator)"},
    CliOption{"--shared-ip", "", "only the devices whose IP address another device reports too"},
    CliOption{"--outside-network", "",
              "only the devices outside this computer's network on their adapter, whose web page will "
              "probably not open until they get an address in it"},
    kHelp,
};

// The password options of every command that sends a setting.
constexpr CliOption kPasswordStdin{"--password-stdin", "",
                                   "the password is the first line of standard input. With no password "
                                   "option netrove-cli asks for it on the terminal, without echo"};
constexpr CliOption kPasswordArgument{"--password", "P",
                                      "the password (at most 19 characters, a recorder's 9). Other "
                                      "users of this computer can read it in the process list: prefer "
                                      "--password-stdin"};

// How long a changed device is watched, for every command that sends a setting.
constexpr CliOption kWait{"--wait", "SECONDS",
                          "how long to wait for the device to answer with what it was sent, searching "
                          "again every 3 s, as it may restart to take it (default 90, at most 600)"};

constexpr std::array kSetOptions{
    kPasswordStdin,
    kPasswordArgument,
    CliOption{"--auto", "",
              "the highest free address from .254 down to .241 of this computer's network on the "
              "device's adapter, its .1 as gateway, the mask the device reported, and a camera's six "
              "ports from 10000; prints what it proposed"},
    CliOption{"--static", "IP", "a fixed address, with --mask and --gateway"},
    CliOption{"--mask", "M", "the subnet mask that goes with --static"},
    CliOption{"--gateway", "G", "the gateway that goes with --static"},
    CliOption{"--dhcp", "", "the address from a DHCP server (the device's current addresses are sent)"},
    CliOption{"--pppoe", "", "keeps PPPoE, for a device that reports it (the window offers no more)"},
    CliOption{"--http", "N",
              "with --static, --dhcp or --pppoe: the HTTP port, and the five below, as the Manual "
              "Setting dialog shows them for the device's model (default: what the device reported). A "
              "model whose six ports move as a block takes --http only: 80, or 9995 to 59997, the other "
              "five following it."},
    CliOption{"--dlx", "N", "the DLX port"},
    CliOption{"--tcp", "N", "the TCP port (a recorder's Port(TCP), which --dlx names too)"},
    CliOption{"--udp", "N", "the UDP port"},
    CliOption{"--upload", "N", "the upload port"},
    CliOption{"--multicast", "N", "the multicast port"},
    CliOption{"--timeout", "MS", "how long the first search waits for the device (default 3000)"},
    CliOption{"--result-timeout", "MS", "how long to wait for the device's result (default 10000)"},
    kWait,
    kHelp,
};

// What set-many and apply share after their own options.
constexpr CliOption kDryRun{"--dry-run", "", "pings and prints the plan (the result empty), sends nothing"};
constexpr CliOption kBatchFormat{"--format", "FORMAT", "table (default), csv or json"};
constexpr CliOption kBatchTimeout{"--timeout", "MS",
                                  "how long the search listens before the plan is made (default 3000)"};
constexpr CliOption kBatchResultTimeout{"--result-timeout", "MS",
                                        "how long each device's result is awaited (default 10000)"};

constexpr std::array kSetManyOptions{
    CliOption{"--all", "", "every device that answered"},
    CliOption{"--shared-ip", "", "the devices whose IP address another device reports too"},
    CliOption{"--filter", "TEXT",
              "the devices the window's filter field shows for TEXT (with --shared-ip: both)"},
    CliOption{"--from", "A.B.C.D", "the first new address, in the network of the devices' adapter"},
    kPasswordStdin,
    kPasswordArgument,
    CliOption{"--mask", "M", "the subnet mask sent (default: the mask of the adapter's network)"},
    CliOption{"--gateway", "G", "the gateway sent (default: the first address of the adapter's network, .1)"},
    CliOption{"--dhcp", "", "the address from a DHCP server instead (no --from, --mask or --gateway)"},
    kDryRun,
    kBatchFormat,
    kBatchTimeout,
    kBatchResultTimeout,
    kWait,
    kHelp,
};

constexpr std::array kApplyOptions{
    kPasswordStdin, kPasswordArgument,   kDryRun, kBatchFormat,
    kBatchTimeout,  kBatchResultTimeout, kWait,   kHelp,
};

constexpr std::array kWatchOptions{
    CliOption{"--interval", "SECONDS", "how often to search (default 15, at least 3)"},
    CliOption{"--format", "FORMAT",
              "text (default: one line per event) or jsonl (one JSON object per line: event, time, "
              "device, and for changed the keys that changed)"},
    CliOption{"--filter", "TEXT", "only the events of the devices the window's filter field shows for TEXT"},
    CliOption{"--shared-ip", "", "only the events of devices whose IP address another device reports too"},
    CliOption{"--outside-network", "", "only the events of devices outside this computer's network"},
    kHelp,
};

constexpr std::array kOpenOptions{
    CliOption{"--timeout", "MS", "how long the search waits for the device (default 3000)"},
    kHelp,
};

const char* const kOverviewUsage =
    "usage: netrove-cli COMMAND [OPTIONS]\n"
    "       netrove-cli [COMMAND] --help\n"
    "       netrove-cli --version\n"
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
    "  watch    keep searching and print a line whenever a device appears, changes, stops answering\n"
    "           or is back\n";

const char* const kOverviewEnd =
    "Exit codes: 0 done, 1 failure, 2 refused arguments or settings (nothing sent), 3 \"Invalid\n"
    "Password!\", 4 \"Port Mapping Error\", 5 \"Router Connect Error!\", 6 no result in time, 7 the device\n"
    "did not come back with what it was sent, 8 no device with that MAC address answered, 9 a device of\n"
    "set-many or apply failed otherwise.\n";

const char* const kSearchUsage =
    "usage: netrove-cli search [--timeout MS] [--format table|csv|json] [--cameras|--recorders]\n"
    "                          [--ipv4|--ipv6] [--no-onvif] [--filter TEXT] [--shared-ip]\n"
    "                          [--outside-network]\n"
    "\n"
    "Searches once and prints every device that answered within the time, in the order they\n"
    "answered: kind, model, alias, mode, MAC, IP address, subnet mask, gateway, protocol, web\n"
    "address, its service ports, whether it may be set, the adapter and local address it answered\n"
    "on, the MACs of other devices that report the same IP address, whether it lies in this\n"
    "computer's network on that adapter, and when it last answered. Cameras of other makers that\n"
    "answer ONVIF WS-Discovery are listed too (kind ONVIF, with their endpoint address); they cannot\n"
    "be set. When nothing answered, a line on standard error says why that may be.\n";

const char* const kSetUsage =
    "usage: netrove-cli set MAC [--password-stdin | --password P]\n"
    "                       (--auto | --static IP --mask M --gateway G | --dhcp | --pppoe)\n"
    "                       [--http N] [--dlx N] [--tcp N] [--udp N] [--upload N] [--multicast N]\n"
    "                       [--timeout MS] [--result-timeout MS] [--wait SECONDS]\n"
    "\n"
    "Searches for the device with this MAC address, sends it the setting request the Auto Setting\n"
    "or Manual Setting dialog would send, after the same checks, waits for its result and searches\n"
    "again every 3 s until the device answers with the address it was sent (with --dhcp or --pppoe:\n"
    "until it answers again at all), or the wait ends: it ends with 0 only when the device came\n"
    "back. While it waits, a line on a terminal's standard error says for how long.\n";

const char* const kSetEnd =
    "Exit codes: 0 the device is at the address it was sent, 1 failure, 2 refused (no password, or\n"
    "the dialog's message; nothing sent), 3 \"Invalid Password!\", 4 \"Port Mapping Error\", 5 \"Router\n"
    "Connect Error!\", 6 no result in time, 7 the device did not come back with that address, 8 no\n"
    "device with that MAC address.\n";

const char* const kOpenUsage =
    "usage: netrove-cli open MAC [--timeout MS]\n"
    "\n"
    "Searches and prints the web address a double-click on the device's row would open (for a\n"
    "camera found over IPv6, its IPv6 address); opens nothing. A device outside this computer's\n"
    "network on its adapter gets a warning on standard error, as the window asks before it opens\n"
    "the page. Exit codes: 0 printed, 1 the device has no address Netrove would open, 8 no device\n"
    "with that MAC address answered.\n";

const char* const kSetManyUsage =
    "usage: netrove-cli set-many (MAC... | --all | --shared-ip | --filter TEXT)\n"
    "                            --from A.B.C.D [--password-stdin | --password P] [--mask M]\n"
    "                            [--gateway G] [--dhcp] [--dry-run] [--format table|csv|json]\n"
    "                            [--timeout MS] [--result-timeout MS] [--wait SECONDS]\n"
    "\n"
    "Searches, then gives the devices fixed addresses from the first one upwards, one each, in the\n"
    "order of the MACs given (letters in any case) or else in the order the devices answered, as the\n"
    "window's Batch Setting dialog does: every candidate is pinged at once and skipped when it answers\n"
    "or this computer knows its hardware address, as are this computer's addresses, the network and\n"
    "broadcast addresses of the adapter's network, and the addresses the other devices report. Each\n"
    "device keeps its own ports.\n";

const char* const kApplyUsage =
    "usage: netrove-cli apply PLAN.csv [--password-stdin | --password P] [--dry-run]\n"
    "                         [--format table|csv|json] [--timeout MS] [--result-timeout MS]\n"
    "                         [--wait SECONDS]\n"
    "\n"
    "Searches, then gives each device of the address plan the address its line names. A plan is CSV\n"
    "with the header of the window's Save List (and of search --format csv): the columns \"MAC\n"
    "Address\" and \"IP Address\" are required, \"Subnet Mask\", \"Gateway\" and \"Mode\" (Static or\n"
    "Dynamic) are used when present, every other column is ignored. A line whose address and mode are\n"
    "the device's present ones is left alone (\"unchanged\"). Where a line gives no mask or gateway,\n"
    "those of the adapter's network are sent (its mask, its first address). A line that cannot be\n"
    "read, a MAC address that no device answered with, or two devices with one address is refused\n"
    "with its line number, and a plan with an address that answers a ping is refused too (a device's\n"
    "own present address is not pinged). Each device keeps its own ports.\n";

const char* const kWatchUsage =
    "usage: netrove-cli watch [--interval SECONDS] [--format text|jsonl] [--filter TEXT] [--shared-ip]\n"
    "                         [--outside-network]\n"
    "\n"
    "Searches, then again every --interval seconds without forgetting what it heard, and prints one\n"
    "line per event until it is stopped (Ctrl+C, SIGINT or SIGTERM; exit code 0): found (a device\n"
    "answered for the first time), changed (its address, mode, ports, name or alias differ from its\n"
    "last answer; the line names what changed), not-answering (three searches in a row without it),\n"
    "back (it answered again). Each line is written out at once, so that a pipe sees it as it\n"
    "happens.\n";

// What set-many and apply print and how they end.
const char* const kBatchEnd =
    "Devices that may not be set (a recorder that accepts no setting) are left out, said on standard\n"
    "error. All devices must have answered on one adapter; the requests leave on it, at most 8\n"
    "awaiting their results at once; after the first \"Invalid Password!\" nothing more is sent. Then\n"
    "the devices are searched for every 3 s until each answers with its new address, or the wait\n"
    "ends. One line per device: MAC address, model, IP address, new IP address, and the result:\n"
    "\"now at 192.168.1.101\", \"answered with 192.168.1.64, not 192.168.1.101\", \"did not answer\n"
    "after the change\", \"Invalid Password!\", \"Port Mapping Error\", \"Router Connect Error!\",\n"
    "\"Error!\", \"No result\", \"Not sent\" or \"unchanged\".\n"
    "\n"
    "Exit codes: 0 every device is at its new address (or unchanged), 1 failure, 2 the plan was\n"
    "refused (the reason on standard error; nothing sent), 3 \"Invalid Password!\", 8 a MAC address that\n"
    "no device answered with (nothing sent), 9 any device failed otherwise (its line says how).\n";

struct CommandHelp
{
    const char* name;
    const char* usage; // the usage lines and what the command does
    std::span<const CliOption> options;
    const char* end; // after the options
};

const std::array<CommandHelp, 7> kCommands{{
    {"", kOverviewUsage, kOverviewOptions, kOverviewEnd},
    {"search", kSearchUsage, kSearchOptions, ""},
    {"set", kSetUsage, kSetOptions, kSetEnd},
    {"open", kOpenUsage, kOpenOptions, ""},
    {"set-many", kSetManyUsage, kSetManyOptions, kBatchEnd},
    {"apply", kApplyUsage, kApplyOptions, kBatchEnd},
    {"watch", kWatchUsage, kWatchOptions, ""},
}};

const CommandHelp* FindCommand(const QString& name)
{
    for (const CommandHelp& command : kCommands)
        if (name == QLatin1String(command.name))
            return &command;
    return nullptr;
}

// "  --name ARG" in a column of its own, its help wrapped beside it.
QString OptionLines(std::span<const CliOption> options)
{
    constexpr qsizetype kHelpColumn = 22;
    constexpr qsizetype kWidth = 100;
    QString text;
    for (const CliOption& option : options) {
        QString line = QStringLiteral("  ") + QLatin1String(option.name);
        if (*option.argument)
            line += QLatin1Char(' ') + QLatin1String(option.argument);
        line = line.size() + 2 > kHelpColumn ? line + QStringLiteral("  ") : line.leftJustified(kHelpColumn);
        bool lineHasWords = false;
        for (const QString& word : QString::fromUtf8(option.help).split(u' ', Qt::SkipEmptyParts)) {
            if (lineHasWords && line.size() + 1 + word.size() > kWidth) {
                text += line + QLatin1Char('\n');
                line = QString(kHelpColumn, u' ');
                lineHasWords = false;
            }
            line += (lineHasWords ? QStringLiteral(" ") : QString()) + word;
            lineHasWords = true;
        }
        text += line + QLatin1Char('\n');
    }
    return text;
}

} // namespace

const QStringList& CliCommandNames()
{
    static const QStringList names{u"search"_qs,   u"set"_qs,   u"open"_qs,
                                   u"set-many"_qs, u"apply"_qs, u"watch"_qs};
    return names;
}

std::span<const CliOption> CliOptionsOf(const QString& command)
{
    const CommandHelp* found = FindCommand(command);
    return found ? found->options : std::span<const CliOption>();
}

const CliOption* FindCliOption(const QString& command, const QString& name)
{
    for (const CliOption& option : CliOptionsOf(command))
        if (name == QLatin1String(option.name))
            return &option;
    return nullptr;
}

QString CliHelpText(const QString& topic)
{
    const CommandHelp* command = FindCommand(topic);
    if (!command)
        command = &kCommands.front();
    QString text =
        QString::fromUtf8(command->usage) + QStringLiteral("\noptions:\n") + OptionLines(command->options);
    if (*command->end)
        text += QLatin1Char('\n') + QString::fromUtf8(command->end);
    return text;
}

} // namespace Netrove
