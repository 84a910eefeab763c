#pragma once

#include "devicelist/DeviceEntry.h"
#include "discovery/PacketTypes.h"

#include <QString>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace Netrove {

// A camera's web address: "https://host" when its Url text begins with "https" (exactly, in small
// letters) and its web port is its HTTP port, "https://host:port" when the two differ, and
// "http://host:port" otherwise, the port always written.
std::string BuildCameraWebUrl(std::string_view host, std::string_view url, std::uint16_t webPort,
                              std::uint16_t httpPort);

// The same address with the camera's IPv6 address in brackets. On an operating system of major
// version 5 the browser needs the zone too, so the address is followed by "%254" (zone 4).
std::string BuildCameraIPv6WebUrl(std::string_view ipv6Address, std::string_view url, std::uint16_t webPort,
                                  std::uint16_t httpPort, int osMajorVersion);

// The address of a camera reply (either camera layout) at its IPv4 address.
std::string CameraWebUrl(PacketKind kind, std::span<const std::uint8_t> reply);
// The address of an IPv6 camera reply at its IPv6 address.
std::string CameraIPv6WebUrl(std::span<const std::uint8_t> reply6, int osMajorVersion);

// The major version of the running operating system, -1 when it cannot be told.
int GetOsMajorVersion();

enum class WebPageAction
{
    Nothing,
    OpenAddress,
    // A camera found over IPv6: the user chooses between its IPv6 and IPv4 address first.
    ChooseIPv6OrIPv4,
};

struct WebPageChoice
{
    WebPageAction action = WebPageAction::Nothing;
    std::string address; // for OpenAddress
};

// What a double-click on a row leads to, from the row's "Protocol" text and its entry (none for a
// row that is not there). A row found over IPv4 opens a camera's address or a recorder's own Url
// text; a camera found over IPv6 asks which address; another maker's camera opens http://HOST/.
WebPageChoice ChooseWebPage(const QString& protocolText, const DeviceEntry* entry);

// What is said before that page opens when the device lies outside this computer's network on the
// adapter it answered on (InIpv4Networks over its IP address text): "192.0.0.64 is not in this
// computer's network (10.0.5.0/16), so its web page will probably not open." Empty when it lies in
// it, when that cannot be told, and for a camera found over IPv6, whose IPv6 address opens anyway.
QString WebPageWarning(const QString& protocolText, const QString& ipText, const DeviceEntry* entry);

} // namespace Netrove
