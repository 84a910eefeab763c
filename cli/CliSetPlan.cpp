#include "cli/CliSetPlan.h"

#include "autoset/AutoSetRequest.h"
#include "cli/CliExitCodes.h"
#include "discovery/PacketFields.h"
#include "manualset/ManualSetPlan.h"
#include "manualset/PortBlockStepping.h"

#include <utility>

namespace Netrove {

namespace {

const std::array<const char*, 6> kPortNames = {"HTTP", "DLX", "TCP", "UDP", "upload", "multicast"};

CliSetPlan Refuse(const QString& why, int exitCode = ExitRefused)
{
    CliSetPlan plan;
    plan.refusal = why;
    plan.exitCode = exitCode;
    return plan;
}

QString Quad(const Ipv4Octets& octets)
{
    return QString::fromStdString(FormatDottedQuad(octets));
}

// The password as the dialog's field takes it (a longer one given here is refused rather than cut).
std::optional<QString> CheckPassword(const QString& password, PacketKind kind, CliSetPlan& refused)
{
    if (const std::optional<QString> why = PasswordRefusal(password, kind)) {
        refused = Refuse(*why);
        return std::nullopt;
    }
    return password;
}

} // namespace

CliSetPlan PlanManualSet(const DeviceEntry& entry, const QString& mac, const CliCommand& command)
{
    const PacketKind kind = entry.kind;
    const ManualSetReported reported = ReadManualSetReply(kind, entry.reply);
    const PortGroup group = ClassifyModel(reported.modelName);
    const PortFieldLayout layout = ManualSetPortFields(kind, group);

    CliSetPlan refused;
    const std::optional<QString> password = CheckPassword(command.password, kind, refused);
    if (!password)
        return refused;

    ManualSetInput input;
    input.mac = mac.toLatin1().toStdString();
    input.password = password->toLatin1().toStdString();
    // The addresses the dialog opens with; a text that is no address leaves its control blank.
    input.ipAddress = reported.ipAddress.value_or(Ipv4Octets{});
    input.subnetMask = reported.subnetMask.value_or(Ipv4Octets{});
    input.gateway = reported.gateway.value_or(Ipv4Octets{});
    switch (command.mode.value_or(CliSetMode::Static)) {
    case CliSetMode::Static:
        input.addressMode = static_cast<std::uint8_t>(AddressMode::Static);
        input.ipAddress = command.ip;
        input.subnetMask = command.mask;
        input.gateway = command.gateway;
        break;
    case CliSetMode::Dhcp:
        input.addressMode = static_cast<std::uint8_t>(AddressMode::Dhcp);
        break;
    case CliSetMode::Pppoe: {
        // The dialog's "PPPoE" button is never enabled: it is selected only for a device that reports
        // PPPoE (or a mode it does not know), and then confirming keeps it.
        const std::uint8_t shown = AddressModeFromModeRadio(ModeRadioFromAddressMode(reported.addressMode));
        if (shown != static_cast<std::uint8_t>(AddressMode::Pppoe))
            return Refuse(QStringLiteral("PPPoE can be kept, not chosen: %1 does not report PPPoE").arg(mac));
        input.addressMode = shown;
        break;
    }
    case CliSetMode::Auto:
        return Refuse(QStringLiteral("--auto is planned by the free address search"), ExitFailure);
    }

    // The port fields as the dialog opens them: what the device reported in those it shows, 0 in
    // the others.
    for (std::size_t i = 0; i < input.ports.size(); ++i)
        input.ports[i] = i < layout.shown ? reported.ports[i] : 0;
    // The port options by the request's fields. A recorder's Port(TCP) travels in the DLX field, and
    // the listing names it "tcp": either option sets it, so that a script may set what it read.
    std::array<std::optional<int>, 6> given = command.ports;
    constexpr std::size_t kDlx = 1, kTcp = 2;
    if (!IsCameraKind(kind) && given[kTcp]) {
        if (given[kDlx])
            return Refuse(QStringLiteral("--tcp and --dlx both name the Port(TCP) of %1: give one").arg(mac));
        given[kDlx] = std::exchange(given[kTcp], std::nullopt);
    }
    for (std::size_t i = 0; i < given.size(); ++i) {
        if (!given[i])
            continue;
        if (i >= layout.shown)
            return Refuse(QStringLiteral("%1 has no %2 port to set (%3 does not apply to it)")
                              .arg(mac, QString::fromLatin1(kPortNames[i]), CliPortOptions()[i]));
        if (!layout.typed && i > 0)
            return Refuse(QStringLiteral("The six ports of %1 move as one block: give --http only").arg(mac));
    }
    if (!layout.typed && given[0]) {
        // The block as the dialog's arrows lay it out around this first port.
        const std::array<int, 6> block = StepPortBlock(*given[0], 0);
        if (block[0] != *given[0])
            return Refuse(QStringLiteral("The six ports of %1 start at 80 or at 9995 to 59997, not at %2")
                              .arg(mac)
                              .arg(*given[0]));
        for (std::size_t i = 0; i < block.size(); ++i)
            input.ports[i] = block[i];
    } else {
        for (std::size_t i = 0; i < given.size(); ++i)
            if (given[i])
                input.ports[i] = *given[i];
    }

    if (const std::optional<std::string> failure = ValidateManualSetInput(kind, group, input))
        return Refuse(QString::fromStdString(*failure));

    CliSetPlan plan;
    plan.camera = IsCameraKind(kind);
    plan.request = BuildManualSetRequest(kind, IsCameraKind(kind) && IsShortReply(kind, entry.reply), input);
    return plan;
}

CliSetPlan PlanAutoSet(const DeviceEntry& entry, const QString& mac, const CliCommand& command,
                       const FreeAddressProposal& proposal, int basePort)
{
    if (proposal.outcome != FreeAddressOutcome::Found)
        return Refuse(QString::fromStdString(FreeAddressMessage(proposal)), ExitFailure);
    CliSetPlan refused;
    const std::optional<QString> password = CheckPassword(command.password, entry.kind, refused);
    if (!password)
        return refused;
    const AutoSetTarget target = CopyAutoSetTarget(entry.kind, entry.reply, mac.toLatin1().toStdString());
    const bool camera = IsCameraKind(entry.kind);
    if (camera && basePort < 0)
        return Refuse(QStringLiteral("No free block of service ports is left"), ExitFailure);

    AutoSetInput input;
    input.address = proposal.address;
    input.subnetMask = target.subnetMask;
    input.gateway = proposal.gateway;
    input.password = password->toLatin1().toStdString();
    input.basePort = camera ? basePort : 0;

    CliSetPlan plan;
    plan.camera = camera;
    plan.request = BuildAutoSetRequest(target, input);
    plan.proposal = QStringLiteral("Proposed for %1: IP address %2, subnet mask %3, gateway %4")
                        .arg(mac, Quad(input.address), Quad(input.subnetMask), Quad(input.gateway));
    if (camera)
        plan.proposal += QStringLiteral(", ports %1-%2").arg(basePort).arg(basePort + 5);
    return plan;
}

} // namespace Netrove
