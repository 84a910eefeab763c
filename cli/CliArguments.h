#pragma once

#include "cli/CliOptions.h"
#include "cli/CliPassword.h"
#include "discovery/DottedQuad.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace Netrove {

enum class CliCommandKind
{
    Help,
    Version,
    Search,
    Set,
    Open,
    SetMany,
    Apply,
    Watch,
};

enum class CliFormat
{
    Table,
    Csv,
    Json,
};

enum class CliSetMode
{
    Auto,
    Static,
    Dhcp,
    Pppoe,
};

// One run of netrove-cli, as its arguments ask for it.
struct CliCommand
{
    static constexpr int kDefaultSearchMs = 3000;
    static constexpr int kDefaultResultMs = 10000;
    static constexpr int kDefaultWaitMs = 90000;

    CliCommandKind kind = CliCommandKind::Help;
    QString helpTopic; // for Help: "", or a command's name

    // search (and the search that set, set-many, apply and open begin with)
    int timeoutMs = kDefaultSearchMs;
    CliFormat format = CliFormat::Table;
    bool cameras = true;
    bool recorders = true;
    bool ipv4 = true;
    bool ipv6 = true;
    bool onvif = true; // other makers' cameras, by ONVIF WS-Discovery
    // The window's filter: its words, "Shared IP only" and "Outside network only" (search, set-many).
    QString filter;
    bool sharedIpOnly = false;
    bool outsideNetworkOnly = false;

    // watch: a search every this often; --format jsonl (one JSON object per line) instead of text
    int intervalMs = 15000;
    bool jsonLines = false;

    // set and open
    QString mac;

    // set
    CliPasswordFrom passwordFrom = CliPasswordFrom::Ask;
    QString password; // from the arguments, or once it was read
    std::optional<CliSetMode> mode;
    Ipv4Octets ip{};
    Ipv4Octets mask{};
    Ipv4Octets gateway{};
    // --http, --dlx, --tcp, --udp, --upload, --multicast, as typed (nothing when not given)
    std::array<std::optional<int>, 6> ports{};
    int resultTimeoutMs = kDefaultResultMs;
    // set, set-many, apply: how long a changed device is watched
    int waitMs = kDefaultWaitMs;

    // set-many: the devices by their MACs, or every device (or those of the filter, above); the first
    // new address (none with --dhcp). --mask and --gateway above, when given; else the adapter's.
    QStringList macs;
    bool all = false;
    std::optional<Ipv4Octets> from;
    bool maskGiven = false;
    bool gatewayGiven = false;
    // apply: the address plan file
    QString planPath;
    // set-many, apply: plan and print, send nothing
    bool dryRun = false;
};

struct CliParse
{
    std::optional<CliCommand> command;
    QString error; // why the arguments were refused; empty when `command` is set
};

// The arguments after the program's name.
CliParse ParseCliArguments(const QStringList& arguments);

// The port options in field order: "--http", "--dlx", "--tcp", "--udp", "--upload", "--multicast".
const std::array<QString, 6>& CliPortOptions();

} // namespace Netrove
