#pragma once

#include "discovery/PacketTypes.h"
#include "discovery/ReplyHandling.h"
#include "tools/devsim/SimDevice.h"

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace Netrove::DevSim {

// The port a datagram came in on tells the channel.
// The simulator listens on the same three channels Netrove asks on: cameras on UDP 7701 (answers to
// port 7711), recorders on 7603 (answers to 7613), IPv6 cameras on ff02::1111 port 7701 (answers
// to the requester's address and port).
using Channel = ReplyChannel;

const char* ChannelName(Channel channel);

struct Answer
{
    std::size_t device = 0; // index into the responder's devices
    std::vector<std::uint8_t> bytes;
    int delayMs = 0;
};

struct Handling
{
    std::string request; // "search", "setting" or "other"
    std::string outcome; // what the devices made of it, for the log
    std::vector<Answer> answers;
};

// What the simulated devices do with one datagram: pure logic, no sockets, so that the rules can
// be tested without a network.
class DeviceResponder final
{
public:
    explicit DeviceResponder(std::vector<SimDevice> devices);

    // `nowMs` is the simulator's clock: a device restarting after a change hears nothing until
    // its time is up.
    Handling Handle(Channel channel, std::span<const std::uint8_t> datagram, std::mt19937& random,
                    double nowMs = 0);

    const std::vector<SimDevice>& Devices() const { return m_devices; }

    // A device's answer in the layout of the channel, its faults applied (size, tag, texts).
    static std::vector<std::uint8_t> BuildSearchReply(const SimDevice& device, Channel channel,
                                                      const ClientTag& requestTag);
    static std::vector<std::uint8_t> BuildResult(const SimDevice& device, Channel channel, std::uint8_t code,
                                                 const ClientTag& requestTag);

private:
    Handling HandleSearch(Channel channel, std::span<const std::uint8_t> datagram, std::mt19937& random,
                          double nowMs);
    Handling HandleSetting(Channel channel, std::span<const std::uint8_t> datagram, std::mt19937& random,
                           double nowMs);
    // Queues the answer with its delay and copies; false when every copy was lost on the way (loss=).
    bool Queue(Handling& handling, std::size_t device, std::vector<std::uint8_t> bytes, std::mt19937& random);

    std::vector<SimDevice> m_devices;
};

} // namespace Netrove::DevSim
