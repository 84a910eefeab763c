#pragma once

#include "devicelist/DeviceEntry.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace Netrove {

// One listed device as the saved list, the clipboard and the command line print it: what its row
// shows and what its reply says beyond that, in the order of DeviceRecordTitles(). Texts are the
// device's single-byte texts as the list shows them.
struct DeviceRecord
{
    // The service ports in column order: HTTP (a "Service Port" model's one port too), DLX, TCP, UDP,
    // upload, multicast.
    enum Port
    {
        PortHttp,
        PortDlx,
        PortTcp,
        PortUdp,
        PortUpload,
        PortMulticast,
        PortCount,
    };

    PacketKind kind = PacketKind::KindCamera;
    QString kindText; // "IP CAMERA", "NVR" or "ONVIF", as the family check boxes say
    QString model;    // "Device Name", at most 10 characters
    QString alias;    // "N/A" for a camera that sent the short reply
    QString mode;     // "Static", "Dynamic", "PPPoE", or empty
    QString mac;
    QString ip;
    QString subnetMask;
    QString gateway;
    QString protocol; // "IPv4" or "IPv6"
    // What a double-click opens (a camera found over IPv6: its IPv6 address); empty when Netrove
    // would open nothing, as for a recorder whose address is not a plain http or https one.
    QString webAddress;
    // Only the ports the device's model has, as the Manual Setting dialog shows them; a recorder's
    // "Port(TCP)" is its TCP port.
    std::array<std::optional<std::uint16_t>, PortCount> ports{};
    bool mayBeSet = false; // "Auto Set" and "Manual Set" are offered for it
    QString adapter;       // the adapter its answer came in on; empty while not known
    QString localAddress;  // this computer's address on that adapter
    // Whether the device lies in this computer's network on that adapter (its web page opens without
    // a router); nothing when the adapter has no IPv4 address or is not known.
    std::optional<bool> inNetwork;
    // MACs of the other listed devices that report its IP address, in list order: the first 16 of
    // them, and how many there are in all.
    QStringList sameIpAddressAs;
    qsizetype sameIpAddressCount = 0;
    // When the device last answered (milliseconds since 1970; 0 when not known), and whether it still
    // does (see kMissedSearchesNotAnswering).
    qint64 lastSeenMs = 0;
    bool answering = true;
    // Another maker's camera heard by ONVIF: its endpoint address (empty for a device of ours).
    QString endpoint;
};

// "2026-12-10T10:42:13+01:00": the time of a device's last answer, this computer's offset from UTC
// with it; empty when not known.
QString LastSeenText(qint64 lastSeenMs);

// Builds the record of a row's entry. `sameIpAddressAs` is the caller's, since one row cannot know
// the others (see FillSameIpAddress); a longer list is cut to its first 16 and counted.
DeviceRecord MakeDeviceRecord(const DeviceEntry& entry, QStringList sameIpAddressAs = {});

// Whether two devices, each by its IP address and MAC text, share an address, as the list marks
// them: a device without one (an empty text) shares none, nor do two answers of one device.
bool ShareIpAddress(const QString& ip, const QString& mac, const QString& otherIp, const QString& otherMac);

// Fills every record's sameIpAddressAs from the others, each other device named once. It costs the
// same per record however many devices share one address, as thousands of cameras fresh from the
// factory do.
void FillSameIpAddress(std::vector<DeviceRecord>& records);

// The column titles and a record's texts in the same order: a port the model lacks is empty, ports
// are decimal, mayBeSet and inNetwork are "Yes" or "No" (inNetwork empty when not known), the shared
// MACs are separated by spaces and end with "and N more" when they were cut. "In Network" and "Last
// Seen" come last, so that the columns that were there before keep their places; "Last Seen" says
// "(not answering)" after the time for a device that stopped answering. "Endpoint" follows, empty but
// for another maker's camera.
QStringList DeviceRecordTitles();
QStringList DeviceRecordFields(const DeviceRecord& record);

} // namespace Netrove
