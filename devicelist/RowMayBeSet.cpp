#include "devicelist/RowMayBeSet.h"

#include "discovery/PacketFields.h"

namespace Netrove {

bool RowMayBeSet(const QString& protocolText, const DeviceEntry* entry)
{
    if (protocolText == QLatin1String("IPv6") || (entry != nullptr && entry->onvif))
        return false;
    return entry == nullptr || entry->kind != PacketKind::KindRecorder ||
           ReadByte(entry->kind, entry->reply, PacketField::SettingAllowed) != 0;
}

} // namespace Netrove
