#pragma once

#include "tools/devsim/SimOnvif.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Netrove::DevSim {

enum class SimKind
{
    Camera,     // answers IPv4 camera searches
    CameraIPv6, // also answers IPv6 searches
    Recorder,
    Onvif,   // an ONVIF camera of another maker: answers WS-Discovery probes on 3702
    WsdHost, // a WS-Discovery host that is no camera (a computer): answers every probe
};

// How the device treats the ClientTag of its answers.
enum class TagMode
{
    Echo,      // copies the request's tag, as every sound device does
    Foreign,   // another instance's tag
    Zero,      // 18 zero bytes
    ZeroFirst, // bytes 0-14 zero, 15-17 not: still accepted by the tool
};

// Misbehaviour on request; a device file sets them per device, --fault for every device.
struct SimFaults
{
    bool shortReply = false; // 262-byte search replies (and results) instead of the long form
    TagMode tag = TagMode::Echo;
    int copies = 1;              // how many times each answer is sent
    int delayMs = 0;             // before an answer leaves
    int jitterMs = 0;            // plus a random 0..jitter
    std::optional<int> result;   // answer this code to a setting request with the right password
    bool ignoreSettings = false; // a setting request with the right password gets no answer at all
    // After an applied setting: answer searches with this address instead of the one sent; or,
    // with goneAfterChange, answer no search any more.
    std::string addressAfterChange;
    bool goneAfterChange = false;
    bool fillTexts = false;       // model, url, alias (and IPv6 address) fill their fields without NUL
    std::size_t datagramSize = 0; // every answer padded (or cut) to this size; 0: its layout's size
    bool silent = false;          // answers nothing (a device that only logs)
    int lossPercent = 0;          // this share of its answers is lost on the way, at random
    int rebootSeconds = 0;        // after an applied setting, silent this long while it restarts
};

struct SimDevice
{
    SimKind kind = SimKind::Camera;
    std::string model;
    std::string alias;
    std::string mac;
    std::string ip;
    std::string mask = "255.255.255.0";
    std::string gateway = "192.168.1.1";
    std::string ipv6;
    SimOnvif onvif; // kind=onvif and kind=wsdhost
    std::string password = "admin";
    std::uint16_t webPort = 80;
    // Http, Dlx, Tcp, Udp, Upload, Multicast.
    std::array<std::uint16_t, 6> ports{80, 10000, 10030, 10020, 10010, 10050};
    std::uint8_t addressMode = 0;
    std::string url;
    std::uint8_t settingAllowed = 1; // recorders only
    int successResult = 22;          // 22 or 44
    SimFaults faults;
    // While it restarts after a change (reboot=), the device hears nothing until this moment, in
    // milliseconds of the simulator's clock.
    double restartedAtMs = 0;
};

// One device-file line, "key=value key=\"value with spaces\" ..." (doc/devsim.md). Empty and
// comment lines give nothing and no error.
struct ParsedLine
{
    std::optional<SimDevice> device;
    std::string error;
};
ParsedLine ParseDeviceLine(std::string_view line);

// Applies one "key=value" to a device; false with a reason for an unknown key or a bad value.
bool ApplyDeviceKey(SimDevice& device, std::string_view key, std::string_view value, std::string& error);

// Faults only (--fault KEY=VALUE): the keys of SimFaults.
bool ApplyFaultKey(SimFaults& faults, std::string_view key, std::string_view value, std::string& error);

struct DeviceCounts
{
    int cameras = 0;
    int recorders = 0;
    int ipv6Cameras = 0;
    std::string ip; // all at this address, as they come from the factory; empty: each its own
};

// Devices made up from counts, with distinct MACs and addresses; `firstIndex` keeps them apart
// from devices made earlier.
std::vector<SimDevice> GenerateDevices(const DeviceCounts& counts, int firstIndex = 0);

} // namespace Netrove::DevSim
