#include "tools/devsim/DeviceResponder.h"

#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <algorithm>
#include <cstring>

namespace Netrove::DevSim {

namespace {

constexpr std::uint8_t kSearch = static_cast<std::uint8_t>(PacketOpcode::Search);
constexpr std::uint8_t kApply = static_cast<std::uint8_t>(PacketOpcode::ApplySettings);
constexpr std::uint8_t kApplyMapping = static_cast<std::uint8_t>(PacketOpcode::ApplyPortMapping);
constexpr std::uint8_t kSearchReply = static_cast<std::uint8_t>(PacketOpcode::SearchReply);
constexpr std::uint8_t kInvalidPassword = static_cast<std::uint8_t>(PacketOpcode::InvalidPassword);

constexpr std::array<PacketField, 6> kPortFields{PacketField::HttpPort,   PacketField::DlxPort,
                                                 PacketField::TcpPort,    PacketField::UdpPort,
                                                 PacketField::UploadPort, PacketField::MulticastPort};

// Requests on the recorder channel are laid out as camera packets.
PacketKind RequestKind(Channel channel)
{
    return channel == Channel::IPv6 ? PacketKind::KindCameraIPv6 : PacketKind::KindCamera;
}

bool Answers(const SimDevice& device, Channel channel)
{
    switch (channel) {
    case Channel::Camera:
        return device.kind == SimKind::Camera || device.kind == SimKind::CameraIPv6;
    case Channel::IPv6:
        return device.kind == SimKind::CameraIPv6;
    case Channel::Recorder:
        return device.kind == SimKind::Recorder;
    }
    return false;
}

ClientTag AnswerTag(TagMode mode, const ClientTag& request)
{
    ClientTag tag{};
    switch (mode) {
    case TagMode::Echo:
        return request;
    case TagMode::Foreign:
        // Differs from the request in every byte, so it is never the requester's own tag.
        for (std::size_t i = 0; i < tag.size(); ++i)
            tag[i] = static_cast<std::uint8_t>(request[i] ^ 0xA5);
        return tag;
    case TagMode::Zero:
        return tag;
    case TagMode::ZeroFirst:
        tag[15] = 0xAB;
        tag[16] = 0xCD;
        tag[17] = 0xEF;
        return tag;
    }
    return request;
}

// A text that fills its whole field, padded with 'X', with no NUL.
void WriteFilled(PacketKind kind, std::span<std::uint8_t> packet, PacketField field, const std::string& text)
{
    const auto bytes = FieldBytes(kind, packet, field);
    if (bytes.empty())
        return;
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{'X'});
    std::memcpy(bytes.data(), text.data(), std::min(text.size(), bytes.size()));
}

std::vector<std::uint8_t> BuildPacket(const SimDevice& device, Channel channel, std::uint8_t opcode,
                                      const ClientTag& requestTag)
{
    const PacketKind kind = ChannelKind(channel);
    std::vector<std::uint8_t> packet(LongFormSize(kind), 0);
    WriteByte(kind, packet, PacketField::Opcode, opcode);
    WriteClientTag(kind, packet, AnswerTag(device.faults.tag, requestTag));
    WriteText(kind, packet, PacketField::MacAddress, device.mac);
    WriteText(kind, packet, PacketField::IpAddress, device.ip);
    WriteText(kind, packet, PacketField::SubnetMask, device.mask);
    WriteText(kind, packet, PacketField::Gateway, device.gateway);
    WriteU16(kind, packet, PacketField::WebPort, device.webPort);
    for (std::size_t i = 0; i < kPortFields.size(); ++i)
        WriteU16(kind, packet, kPortFields[i], device.ports[i]);
    WriteByte(kind, packet, PacketField::AddressMode, device.addressMode);
    WriteByte(kind, packet, PacketField::SettingAllowed, device.settingAllowed);
    // A device never tells its password; the field stays empty.
    const std::array<std::pair<PacketField, const std::string*>, 4> texts{{
        {PacketField::ModelName, &device.model},
        {PacketField::Url, &device.url},
        {PacketField::Alias, &device.alias},
        {PacketField::Ipv6Address, &device.ipv6},
    }};
    for (const auto& [field, text] : texts) {
        if (device.faults.fillTexts)
            WriteFilled(kind, packet, field, *text);
        else
            WriteText(kind, packet, field, *text);
    }

    if (device.faults.datagramSize != 0)
        packet.resize(device.faults.datagramSize, 0);
    else if (device.faults.shortReply)
        // Recorders have no short form of their own; they are cut where a camera's is.
        packet.resize(channel == Channel::IPv6 ? ShortFormSize(PacketKind::KindCameraIPv6)
                                               : ShortFormSize(PacketKind::KindCamera));
    return packet;
}

// After an address change a recorder's own web address follows it.
void FollowAddress(SimDevice& device, const std::string& oldIp)
{
    if (oldIp.empty() || oldIp == device.ip)
        return;
    const std::size_t at = device.url.find(oldIp);
    if (at != std::string::npos)
        device.url.replace(at, oldIp.size(), device.ip);
}

} // namespace

const char* ChannelName(Channel channel)
{
    switch (channel) {
    case Channel::Camera:
        return "camera";
    case Channel::Recorder:
        return "recorder";
    case Channel::IPv6:
        return "ipv6";
    }
    return "?";
}

DeviceResponder::DeviceResponder(std::vector<SimDevice> devices)
    : m_devices(std::move(devices))
{}

std::vector<std::uint8_t> DeviceResponder::BuildSearchReply(const SimDevice& device, Channel channel,
                                                            const ClientTag& requestTag)
{
    return BuildPacket(device, channel, kSearchReply, requestTag);
}

std::vector<std::uint8_t> DeviceResponder::BuildResult(const SimDevice& device, Channel channel,
                                                       std::uint8_t code, const ClientTag& requestTag)
{
    return BuildPacket(device, channel, code, requestTag);
}

bool DeviceResponder::Queue(Handling& handling, std::size_t device, std::vector<std::uint8_t> bytes,
                            std::mt19937& random)
{
    const SimFaults& faults = m_devices[device].faults;
    bool queued = false;
    for (int copy = 0; copy < faults.copies; ++copy) {
        if (faults.lossPercent > 0 && std::uniform_int_distribution<int>(0, 99)(random) < faults.lossPercent)
            continue;
        queued = true;
        int delay = faults.delayMs;
        if (faults.jitterMs > 0)
            delay += std::uniform_int_distribution<int>(0, faults.jitterMs)(random);
        handling.answers.push_back({device, bytes, delay});
    }
    return queued || faults.copies == 0;
}

Handling DeviceResponder::Handle(Channel channel, std::span<const std::uint8_t> datagram,
                                 std::mt19937& random, double nowMs)
{
    const std::uint8_t opcode = ReadByte(RequestKind(channel), datagram, PacketField::Opcode);
    if (datagram.empty())
        return {"other", "ignored: empty datagram", {}};
    if (opcode == kSearch)
        return HandleSearch(channel, datagram, random, nowMs);
    if ((opcode == kApply || opcode == kApplyMapping) && channel != Channel::IPv6)
        return HandleSetting(channel, datagram, random, nowMs);
    return {"other",
            "ignored: opcode " + std::to_string(opcode) + " on the " + ChannelName(channel) + " port",
            {}};
}

Handling DeviceResponder::HandleSearch(Channel channel, std::span<const std::uint8_t> datagram,
                                       std::mt19937& random, double nowMs)
{
    Handling handling{"search", {}, {}};
    // Devices take only a search of the exact request size, so a malformed one shows as silence.
    const std::size_t expected = ShortFormSize(RequestKind(channel));
    if (datagram.size() != expected) {
        handling.outcome =
            "ignored: size " + std::to_string(datagram.size()) + ", expected " + std::to_string(expected);
        return handling;
    }
    const ClientTag tag = ReadClientTag(RequestKind(channel), datagram);
    int silent = 0;
    int restarting = 0;
    int lost = 0;
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        const SimDevice& device = m_devices[i];
        if (!Answers(device, channel))
            continue;
        if (device.faults.silent) {
            ++silent;
            continue;
        }
        if (nowMs < device.restartedAtMs) {
            ++restarting;
            continue;
        }
        if (!Queue(handling, i, BuildSearchReply(device, channel, tag), random))
            ++lost;
    }
    handling.outcome = "answered by " + std::to_string(handling.answers.size()) + " replies";
    if (silent > 0)
        handling.outcome += ", " + std::to_string(silent) + " silent";
    if (restarting > 0)
        handling.outcome += ", " + std::to_string(restarting) + " restarting";
    if (lost > 0)
        handling.outcome += ", " + std::to_string(lost) + " lost";
    return handling;
}

Handling DeviceResponder::HandleSetting(Channel channel, std::span<const std::uint8_t> datagram,
                                        std::mt19937& random, double nowMs)
{
    constexpr PacketKind kRequest = PacketKind::KindCamera;
    Handling handling{"setting", {}, {}};
    const std::size_t size = datagram.size();
    if (size != ShortFormSize(kRequest) && size != LongFormSize(kRequest)) {
        handling.outcome = "ignored: size " + std::to_string(size) + ", expected 262 or 326";
        return handling;
    }
    const ClientTag tag = ReadClientTag(kRequest, datagram);
    const std::string mac = ReadText(kRequest, datagram, PacketField::MacAddress);
    const std::string password = ReadText(kRequest, datagram, PacketField::Password);
    std::vector<std::string> outcomes;
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        SimDevice& device = m_devices[i];
        if (!Answers(device, channel) || device.mac != mac)
            continue;
        if (device.faults.silent) {
            outcomes.push_back("silent");
            continue;
        }
        if (nowMs < device.restartedAtMs) {
            outcomes.push_back("restarting");
            continue;
        }
        // A recorder that takes no settings ignores the request, as if it had not heard it; the
        // tool never offers to set one, so an answer would only hide that bug.
        if (device.kind == SimKind::Recorder && device.settingAllowed == 0) {
            outcomes.push_back("refused");
            continue;
        }
        if (password != device.password) {
            outcomes.push_back("wrong-password");
            Queue(handling, i, BuildResult(device, channel, kInvalidPassword, tag), random);
            continue;
        }
        if (device.faults.ignoreSettings) {
            outcomes.push_back("unanswered");
            continue;
        }
        const int code = device.faults.result.value_or(device.successResult);
        if (code == 22 || code == 44) {
            const std::string oldIp = device.ip;
            device.ip = ReadText(kRequest, datagram, PacketField::IpAddress);
            device.mask = ReadText(kRequest, datagram, PacketField::SubnetMask);
            device.gateway = ReadText(kRequest, datagram, PacketField::Gateway);
            device.webPort = ReadU16(kRequest, datagram, PacketField::WebPort);
            for (std::size_t p = 0; p < kPortFields.size(); ++p)
                device.ports[p] = ReadU16(kRequest, datagram, kPortFields[p]);
            device.addressMode = ReadByte(kRequest, datagram, PacketField::AddressMode);
            if (!device.faults.addressAfterChange.empty())
                device.ip = device.faults.addressAfterChange;
            FollowAddress(device, oldIp);
            outcomes.push_back("applied");
        } else {
            outcomes.push_back("result " + std::to_string(code));
        }
        if (!Queue(handling, i, BuildResult(device, channel, static_cast<std::uint8_t>(code), tag), random))
            outcomes.back() += " (result lost)";
        // The result still leaves; from now on the device is gone, or restarting for a while.
        if ((code == 22 || code == 44) && device.faults.goneAfterChange)
            device.faults.silent = true;
        if ((code == 22 || code == 44) && device.faults.rebootSeconds > 0)
            device.restartedAtMs = nowMs + device.faults.rebootSeconds * 1000.0;
    }
    if (outcomes.empty()) {
        handling.outcome = "no device with mac " + mac;
    } else {
        for (const std::string& outcome : outcomes)
            handling.outcome += (handling.outcome.empty() ? "" : ", ") + outcome;
    }
    return handling;
}

} // namespace Netrove::DevSim
