#include "discovery/ClientTagMaker.h"

#include <algorithm>
#include <random>

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>

namespace Netrove {

ClientTag MakeClientTag(std::uint32_t seed, const std::optional<HardwareAddress>& hardware)
{
    ClientTag tag{};
    std::minstd_rand random(seed);
    std::array<std::uint8_t, 12> bytes{};
    for (std::uint8_t& byte : bytes)
        byte = static_cast<std::uint8_t>(random() % 255 + 1);
    for (int i = 0; i < 12; ++i) {
        const auto a = random() % 12;
        const auto b = random() % 12;
        std::swap(bytes[a], bytes[b]);
    }
    std::copy(bytes.begin(), bytes.end(), tag.begin());
    if (hardware)
        std::copy(hardware->begin(), hardware->end(), tag.begin() + 12);
    return tag;
}

std::optional<HardwareAddress> FirstAdapterHardwareAddress()
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return std::nullopt;
    std::optional<HardwareAddress> found;
    for (const ifaddrs* entry = list; entry && !found; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_PACKET || (entry->ifa_flags & IFF_LOOPBACK))
            continue;
        const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
        if (link->sll_halen != 6)
            continue;
        HardwareAddress address{};
        std::copy(link->sll_addr, link->sll_addr + 6, address.begin());
        if (std::any_of(address.begin(), address.end(), [](std::uint8_t b) { return b != 0; }))
            found = address;
    }
    ::freeifaddrs(list);
    return found;
}

bool IsForeignPacket(const ClientTag& own, std::span<const std::uint8_t> tag)
{
    if (tag.size() < own.size())
        return true;
    if (std::equal(own.begin(), own.end(), tag.begin()))
        return false;
    return std::any_of(tag.begin(), tag.begin() + 15, [](std::uint8_t b) { return b != 0; });
}

} // namespace Netrove
