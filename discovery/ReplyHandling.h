#pragma once

#include "discovery/PacketTypes.h"

#include <cstdint>
#include <span>
#include <string>

namespace Netrove {

enum class ReplyChannel
{
    Camera,
    IPv6,
    Recorder,
};

// What the user has checked and whether a row is chosen, at the moment a datagram arrives.
struct ReplyFilter
{
    bool cameraBox = true; // "IP CAMERA"
    bool nvrBox = true;    // "NVR"
    bool ipv4 = true;
    bool ipv6 = true;
    bool rowSelected = false;
    ClientTag ownTag{};
    // A setting request of this window awaits its result. Results that nobody asked for are not
    // acted on: anyone on the network could otherwise make the window search again and again.
    bool settingOutstanding = false;
};

enum class ReplyAction
{
    Drop,
    AddRow,
    SettingApplied,     // 22 and 44: search again
    PortMappingError,   // 55
    RouterConnectError, // 66
    InvalidPassword,    // 33
    UnknownResult,      // recorders only
    UnaskedResult,      // a result while no setting request awaits one: dropped, and noted in the log
};

// The layout a channel's replies have and the address family they must come from.
PacketKind ChannelKind(ReplyChannel channel);
int ChannelFamily(ReplyChannel channel);
// The channel whose replies are stored in the layout.
ReplyChannel KindChannel(PacketKind kind);

// Decides what a received datagram leads to. The buffer holds the channel's long form, zero-filled
// past the bytes received.
ReplyAction ClassifyReply(ReplyChannel channel, std::span<const std::uint8_t> buffer, std::size_t received,
                          int senderFamily, const ReplyFilter& filter);

// The texts of a new row, columns 1 to 7.
struct DeviceRowTexts
{
    std::string model;
    std::string alias;
    std::string mode;
    std::string mac;
    std::string ip;
    std::string protocol;
    std::string url;
};

// Makes the stored reply's alias what the list shows: a full-size reply gets its alias NUL
// forced, a shorter one the alias "N/A". Then reads the row's texts.
DeviceRowTexts PrepareSearchReply(ReplyChannel channel, std::span<std::uint8_t> buffer, std::size_t received,
                                  int senderFamily);

// The texts of a row from a reply whose alias was already made what the list shows, as
// PrepareSearchReply leaves it; the protocol from the family of the address it came from.
DeviceRowTexts ReadRowTexts(PacketKind kind, std::span<const std::uint8_t> reply, int senderFamily);

std::string AddressModeText(std::uint8_t mode);

} // namespace Netrove
