#pragma once

#include "devicelist/DeviceRecord.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace Netrove {

// What netrove-cli watch tells of a device, one line each.
struct WatchEvent
{
    enum Kind
    {
        Found,        // answered for the first time
        Changed,      // answered with another address, mode, ports, name or alias than before
        NotAnswering, // missed three searches in a row
        Back,         // answered again after that
    };
    Kind kind = Found;
    DeviceRecord device;
    QStringList changed; // Changed: the JSON keys that differ, in the record's order
};

// "found", "changed", "not-answering", "back".
QString WatchEventName(WatchEvent::Kind kind);

// The last word of every device seen, by MAC text, and the events a new word makes.
class WatchLog final
{
public:
    // The device answered; its record as the list has it now. Found the first time, Back after it
    // was not answering, and Changed (beside Back too) when what it reports differs from its last
    // answer. Nothing for a record whose answer was told already (the same lastSeenMs).
    std::vector<WatchEvent> Answered(const DeviceRecord& record);
    // The list says the device stopped answering: NotAnswering, once until it is back.
    std::vector<WatchEvent> Silent(const DeviceRecord& record);

private:
    struct Seen
    {
        DeviceRecord record;
        bool answering = true;
    };
    QHash<QString, Seen> m_seen;
};

} // namespace Netrove
