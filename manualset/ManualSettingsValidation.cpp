#include "manualset/ManualSettingsValidation.h"

#include "manualset/SubnetTerms.h"

#include <algorithm>
#include <array>

namespace Netrove {

namespace {

constexpr int kStaticMode = 0;

constexpr int kLowestHttpPort = 80;
constexpr int kHighestPort = 65535;
// Below this only HTTP 80 is open to a camera.
constexpr int kFirstCameraPort = 1024;
// A recorder's Port(TCP) is the first of four consecutive ports.
constexpr int kRecorderBlockSize = 4;
constexpr int kHighestRecorderBlockStart = kHighestPort - (kRecorderBlockSize - 1);

// Ports a recorder keeps for services of its own.
constexpr std::array<int, 6> kReservedPorts = {22, 111, 123, 1812, 1813, 9923};

constexpr const char* kBadIpFirstOctet = "The first octet value of IP Address must be from 1 to 223";
constexpr const char* kBadGatewayFirstOctet = "The first octet value of Gateway must be from 1 to 223";
constexpr const char* kBadMask = "Invalid Subnet Mask";
constexpr const char* kIpIsGateway = "IP Address and Gateway should not have the same values";
constexpr const char* kDifferentNetworks = "IP Address and Gateway have to be on the same network";
constexpr const char* kUnusableIp = "Invalid IP Address with that Subnet Mask";
constexpr const char* kUnusableGateway = "Invalid Gateway with that Subnet Mask";
constexpr const char* kBadHttpPort = "Invalid HTTP Port";
constexpr const char* kBadDlxPort = "Invalid DLX Port";
constexpr const char* kHttpIsDlx = "Invalid HTTP & DLX Port";
constexpr const char* kBadTcpPort = "Invalid Port(TCP)";
constexpr const char* kHttpInTcpBlock = "Invalid HTTP & Port(TCP)";

bool IsUnicastFirstOctet(std::uint32_t address)
{
    const std::uint8_t first = FirstOctet(address);
    return first >= 1 && first <= 223;
}

bool IsReservedPort(int port)
{
    return std::find(kReservedPorts.begin(), kReservedPorts.end(), port) != kReservedPorts.end();
}

// The address rules both kinds share. staticRules are the ones that check the addresses about to be
// set; sharedRules the ones a camera applies in every mode, to the values its disabled controls show.
std::optional<std::string> AddressFailure(const ManualSettingValues& values, bool staticRules,
                                          bool sharedRules)
{
    const std::uint32_t ip = PackIpv4(values.ip);
    const std::uint32_t mask = PackIpv4(values.mask);
    const std::uint32_t gateway = PackIpv4(values.gateway);
    if (staticRules && !IsUnicastFirstOctet(ip))
        return kBadIpFirstOctet;
    if (sharedRules && !IsUnicastFirstOctet(gateway))
        return kBadGatewayFirstOctet;
    if (sharedRules && !IsContiguousMask(mask))
        return kBadMask;
    if (sharedRules && ip == gateway)
        return kIpIsGateway;
    if (staticRules && (ip & mask) != (gateway & mask))
        return kDifferentNetworks;
    if (staticRules && !IsUsableAddress(ip, mask))
        return kUnusableIp;
    if (staticRules && !IsUsableAddress(gateway, mask))
        return kUnusableGateway;
    return std::nullopt;
}

std::optional<std::string> CameraFailure(const ManualSettingValues& values)
{
    if (auto failure = AddressFailure(values, values.mode == kStaticMode, true))
        return failure;
    // A six-port block holds only what the device reported or the stepping gave; the lone service
    // port is sent as typed.
    if (values.group != PortGroup::HttpDlxPair)
        return std::nullopt;
    if (values.http != kLowestHttpPort && (values.http < kFirstCameraPort || values.http > kHighestPort))
        return kBadHttpPort;
    if (values.second < kFirstCameraPort || values.second > kHighestPort)
        return kBadDlxPort;
    if (values.http == values.second)
        return kHttpIsDlx;
    return std::nullopt;
}

std::optional<std::string> RecorderFailure(const ManualSettingValues& values)
{
    const bool isStatic = values.mode == kStaticMode;
    if (auto failure = AddressFailure(values, isStatic, isStatic))
        return failure;
    if (values.http < kLowestHttpPort || values.http > kHighestPort)
        return kBadHttpPort;
    if (values.second < 1 || values.second > kHighestRecorderBlockStart)
        return kBadTcpPort;
    // From here the block's ports are known to lie within 1 to 65535.
    const int blockEnd = values.second + kRecorderBlockSize - 1;
    if (values.http >= values.second && values.http <= blockEnd)
        return kHttpInTcpBlock;
    for (int port = values.second; port <= blockEnd; ++port) {
        if (IsReservedPort(port))
            return kBadTcpPort;
    }
    if (IsReservedPort(values.http))
        return kBadHttpPort;
    return std::nullopt;
}

} // namespace

std::optional<std::string> ValidateManualSettings(const ManualSettingValues& values)
{
    return values.kind == SettingKind::Camera ? CameraFailure(values) : RecorderFailure(values);
}

} // namespace Netrove
