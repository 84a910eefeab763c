#pragma once

#include <QByteArray>
#include <QString>

namespace Netrove {

// What a probe asks for: cameras answer one of the two, some only one, so a search sends both.
enum class OnvifProbeType
{
    NetworkVideoTransmitter, // dn:NetworkVideoTransmitter
    Device,                  // tds:Device
};

// A fresh message identifier, "uuid:" and a random UUID: the answers to a probe name it, so
// every probe needs its own.
QString MakeOnvifMessageId();

// The WS-Discovery probe for one type, to be multicast to port 3702; its answers name messageId
// as the message they relate to.
QByteArray BuildOnvifProbe(const QString& messageId, OnvifProbeType type);

} // namespace Netrove
