#pragma once

#include "tools/devsim/DeviceResponder.h"
#include "tools/devsim/SimDevice.h"

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace Netrove::DevSim {

// What the simulated WS-Discovery devices (kind=onvif, kind=wsdhost) do with a datagram on UDP
// 3702, and what they announce: pure logic, no sockets. Their answers go to the probe's source
// address and port; the sockets are the caller's.
class OnvifResponder final
{
public:
    // A device answers a probe within a random delay of up to this, as ONVIF allows it.
    static constexpr int kMaxDelayMs = 500;

    // All devices, so that an answer's device index is the same as the DeviceResponder's; only
    // the WS-Discovery ones answer here.
    explicit OnvifResponder(std::vector<SimDevice> devices);

    // A probe gets an answer from every device it matches (a camera matches either ONVIF type, a
    // camera without Types and a wsdhost every probe); over IPv6 from those with an IPv6 address.
    // Anything else is logged and ignored.
    Handling Handle(std::span<const std::uint8_t> datagram, bool ipv6, std::mt19937& random) const;

    // The Hellos (or Byes) of the devices with hello=1, of the family, to be multicast at once.
    std::vector<Answer> Announcements(bool bye, bool ipv6, std::mt19937& random) const;

    // Whether any WS-Discovery device answers over the family.
    bool AnswersOver(bool ipv6) const;

    // A device's answer to the probe with MessageID `relatesTo`; messageId is its own.
    static std::string BuildProbeMatches(const SimDevice& device, std::size_t index,
                                         const std::string& relatesTo, const std::string& messageId);
    static std::string BuildAnnouncement(const SimDevice& device, std::size_t index, bool bye,
                                         const std::string& messageId);

private:
    std::vector<SimDevice> m_devices;
};

} // namespace Netrove::DevSim
