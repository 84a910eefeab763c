#pragma once

#include "discovery/PacketTypes.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>

namespace Netrove {

// What a setting request asked a device to become, read back from the request itself: which device
// (its MAC text), the addressing mode and the address it was sent.
struct SettingChange
{
    QString mac;
    std::uint8_t addressMode = 0;
    QString ipAddress;
};

// A setting request in the camera layout every request has; nothing for a buffer too short to
// name a device.
std::optional<SettingChange> ReadSettingChange(std::span<const std::uint8_t> request);

enum class ChangeOutcome
{
    NowAt,             // the device answered with the address it was sent (DHCP, PPPoE: answered at all)
    AnsweredWithOther, // a static address was sent and the device reports another
    NoAnswer,          // the search after the change ended without the device
};

struct ChangeVerdict
{
    ChangeOutcome outcome = ChangeOutcome::NoAnswer;
    QString mac;
    QString sentAddress;     // what the request carried
    QString reportedAddress; // what the device answered with; empty for NoAnswer

    bool Confirmed() const { return outcome == ChangeOutcome::NowAt; }
};

// A search reply after the change: nothing when it is from another device. A device given a static
// address must report exactly that address (compared as four numbers, so that "192.168.001.5" is
// 192.168.1.5); one told to take its address by DHCP or PPPoE only has to answer.
std::optional<ChangeVerdict> CheckAnswer(const SettingChange& change, const QString& replyMac,
                                         const QString& replyAddress);

ChangeVerdict NoAnswerVerdict(const SettingChange& change);

// "00:1A:2B:00:00:01 now at 192.168.1.252", "00:1A:2B:00:00:01 answered with 192.168.1.64, not
// 192.168.1.252", "00:1A:2B:00:00:01 did not answer after the change".
QString ChangeVerdictText(const ChangeVerdict& verdict);
// The same without the MAC: "now at 192.168.1.252", as a device's line of a batch says it.
QString ChangeOutcomeText(const ChangeVerdict& verdict);

} // namespace Netrove
