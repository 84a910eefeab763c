#include "devicelist/DeviceRowFromReply.h"

namespace Netrove {

NewDeviceRow MakeDeviceRow(ReplyChannel channel, std::vector<std::uint8_t> buffer, std::size_t received,
                           int senderFamily, ArrivalAdapter arrival)
{
    const DeviceRowTexts texts = PrepareSearchReply(channel, buffer, received, senderFamily);
    NewDeviceRow row;
    row.entry = std::make_unique<DeviceEntry>();
    row.entry->kind = ChannelKind(channel);
    row.entry->reply = std::move(buffer);
    row.entry->arrival = std::move(arrival);
    row.texts = {QString(),
                 QString::fromLatin1(texts.model),
                 QString::fromLatin1(texts.alias),
                 QString::fromLatin1(texts.mode),
                 QString::fromLatin1(texts.mac),
                 QString::fromLatin1(texts.ip),
                 QString::fromLatin1(texts.protocol),
                 QString::fromLatin1(texts.url)};
    return row;
}

} // namespace Netrove
