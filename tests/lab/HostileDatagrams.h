#pragma once

// What a hostile or broken device could send the window: random bytes of every size, every
// opcode, replies cut short or too long, foreign tags, results carrying the window's own tag that
// nobody asked for, and replies meant for the IPv6 socket arriving over IPv4. Among them a few
// well-formed search replies, with the rows the window must list for them.

#include "discovery/PacketTypes.h"

#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Netrove {

// Which of the window's receive sockets a datagram is sent to.
enum class FloodPort
{
    Camera,       // 7711, over IPv4
    Recorder,     // 7613, over IPv4
    IPv6,         // the IPv6 socket, over IPv6
    IPv6OverIPv4, // the IPv6 socket's port, over IPv4
};

// A row as the list shows it.
struct FloodRow
{
    QString mac;
    QString model;
    QString alias;
    QString ip;
    QString protocol;
};

struct FloodDatagram
{
    FloodPort port = FloodPort::Camera;
    bool broadcast = false; // over IPv4: to 255.255.255.255 rather than to the host
    std::vector<std::uint8_t> bytes;
    std::string kind;            // what it is, for the counts
    std::optional<FloodRow> row; // a well-formed search reply: what the window must list
};

// `count` datagrams in a random order, the same for the same seed.
std::vector<FloodDatagram> MakeHostileFlood(const ClientTag& ownTag, int count, std::uint32_t seed);
// How many datagrams of each kind.
std::map<std::string, int> CountKinds(const std::vector<FloodDatagram>& flood);

} // namespace Netrove
