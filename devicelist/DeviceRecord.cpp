#include "devicelist/DeviceRecord.h"

#include "devicelist/CheckedWebAddress.h"
#include "devicelist/RowMayBeSet.h"
#include "devicelist/WebAddress.h"
#include "discovery/PacketFields.h"
#include "discovery/ReplyHandling.h"
#include "manualset/PortGroup.h"
#include "res/Strings.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

#include <cstdlib>

namespace Netrove {

namespace {

// A device that many others claim the address of gets this many of their MACs in its record, the
// rest only counted: on a hostile network, thousands of devices sharing one address would otherwise
// make the saved list grow with the square of their number.
constexpr qsizetype kSameIpAddressListed = 16;

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The ports the Manual Setting dialog shows for the device: a camera's by its model's port group, a
// recorder's "HTTP Port" and "Port(TCP)".
std::array<std::optional<std::uint16_t>, DeviceRecord::PortCount> ModelPorts(const DeviceEntry& entry)
{
    const auto read = [&entry](PacketField field) -> std::optional<std::uint16_t> {
        return ReadU16(entry.kind, entry.reply, field);
    };
    std::array<std::optional<std::uint16_t>, DeviceRecord::PortCount> ports{};
    ports[DeviceRecord::PortHttp] = read(PacketField::HttpPort);
    if (entry.kind == PacketKind::KindRecorder) {
        ports[DeviceRecord::PortTcp] = read(PacketField::DlxPort);
        return ports;
    }
    switch (ClassifyModel(ReadText(entry.kind, entry.reply, PacketField::ModelName))) {
    case PortGroup::SixPortBlock:
        for (std::size_t port = 0; port < kServicePortFields.size(); ++port)
            ports[port] = read(kServicePortFields[port]);
        break;
    case PortGroup::HttpDlxPair:
        ports[DeviceRecord::PortDlx] = read(PacketField::DlxPort);
        break;
    case PortGroup::ServicePortOnly:
        break;
    }
    return ports;
}

// The address a double-click would hand to the browser, or, for a camera found over IPv6, the one
// its "IPv6" button would. Without the zone suffix of one old system: the saved list is read elsewhere.
QString WebAddressOf(const QString& protocol, const DeviceEntry& entry)
{
    const WebPageChoice choice = ChooseWebPage(protocol, &entry);
    std::string address;
    if (choice.action == WebPageAction::OpenAddress)
        address = choice.address;
    else if (choice.action == WebPageAction::ChooseIPv6OrIPv4)
        address = CameraIPv6WebUrl(entry.reply, -1);
    if (!CheckWebAddress(address).Accepted())
        return {};
    return Latin1(address);
}

void SetSameIpAddress(DeviceRecord& record, QStringList macs)
{
    record.sameIpAddressCount = macs.size();
    if (macs.size() > kSameIpAddressListed)
        macs.resize(kSameIpAddressListed);
    record.sameIpAddressAs = std::move(macs);
}

QString PortText(const std::optional<std::uint16_t>& port)
{
    return port ? QString::number(*port) : QString();
}

QString YesNo(bool yes)
{
    return yes ? QStringLiteral("Yes") : QStringLiteral("No");
}

// Another maker's camera: what its ONVIF answer said, no ports and nothing to set.
DeviceRecord MakeOnvifRecord(const DeviceEntry& entry, QStringList sameIpAddressAs);

} // namespace

DeviceRecord MakeDeviceRecord(const DeviceEntry& entry, QStringList sameIpAddressAs)
{
    if (entry.onvif)
        return MakeOnvifRecord(entry, std::move(sameIpAddressAs));
    const DeviceRowTexts texts =
        ReadRowTexts(entry.kind, entry.reply, ChannelFamily(KindChannel(entry.kind)));
    DeviceRecord record;
    record.kind = entry.kind;
    record.kindText =
        entry.kind == PacketKind::KindRecorder ? QStringLiteral("NVR") : QStringLiteral("IP CAMERA");
    record.model = Latin1(texts.model);
    record.alias = Latin1(texts.alias);
    record.mode = Latin1(texts.mode);
    record.mac = Latin1(texts.mac);
    record.ip = Latin1(texts.ip);
    record.subnetMask = Latin1(ReadText(entry.kind, entry.reply, PacketField::SubnetMask));
    record.gateway = Latin1(ReadText(entry.kind, entry.reply, PacketField::Gateway));
    record.protocol = Latin1(texts.protocol);
    record.webAddress = WebAddressOf(record.protocol, entry);
    record.ports = ModelPorts(entry);
    record.mayBeSet = RowMayBeSet(record.protocol, &entry);
    record.adapter = entry.arrival.name;
    record.localAddress = entry.arrival.localAddress;
    record.inNetwork = InIpv4Networks(texts.ip, entry.arrival.ipv4Networks);
    SetSameIpAddress(record, std::move(sameIpAddressAs));
    record.lastSeenMs = entry.lastSeenMs;
    record.answering = Answering(entry);
    return record;
}

QString LastSeenText(qint64 lastSeenMs)
{
    if (lastSeenMs <= 0)
        return {};
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(lastSeenMs);
    // The offset always written out, "+00:00" too, so that a reader never has to guess the zone.
    const int offsetMinutes = local.offsetFromUtc() / 60;
    const int minutes = std::abs(offsetMinutes);
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + (offsetMinutes < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

namespace {

DeviceRecord MakeOnvifRecord(const DeviceEntry& entry, QStringList sameIpAddressAs)
{
    const OnvifEntry& onvif = *entry.onvif;
    DeviceRecord record;
    record.kind = entry.kind;
    record.kindText = QStringLiteral("ONVIF");
    record.model = onvif.deviceName;
    record.alias = onvif.alias;
    record.mac = onvif.mac;
    record.ip = onvif.ip;
    record.protocol = QStringLiteral("ONVIF");
    record.webAddress =
        CheckWebAddress(onvif.webAddress.toStdString()).Accepted() ? onvif.webAddress : QString();
    record.mayBeSet = false;
    record.adapter = entry.arrival.name;
    record.localAddress = entry.arrival.localAddress;
    record.inNetwork = InIpv4Networks(onvif.ip.toStdString(), entry.arrival.ipv4Networks);
    SetSameIpAddress(record, std::move(sameIpAddressAs));
    record.lastSeenMs = entry.lastSeenMs;
    record.answering = Answering(entry);
    record.endpoint = onvif.endpoint;
    return record;
}

} // namespace

bool ShareIpAddress(const QString& ip, const QString& mac, const QString& otherIp, const QString& otherMac)
{
    return !ip.isEmpty() && ip == otherIp && mac != otherMac;
}

void FillSameIpAddress(std::vector<DeviceRecord>& records)
{
    // Grouped by address, each group knowing its devices, so that a record needs no more than its
    // first 16 others and a count.
    struct Group
    {
        QList<std::size_t> rows;
        QSet<QString> macs;
    };
    QHash<QString, Group> groups;
    for (std::size_t row = 0; row < records.size(); ++row) {
        if (records[row].ip.isEmpty())
            continue;
        Group& group = groups[records[row].ip];
        group.rows.append(row);
        group.macs.insert(records[row].mac);
    }
    for (DeviceRecord& record : records) {
        record.sameIpAddressAs.clear();
        record.sameIpAddressCount = 0;
        const auto group = groups.constFind(record.ip);
        if (group == groups.constEnd())
            continue;
        record.sameIpAddressCount = group->macs.size() - 1;
        for (const std::size_t row : group->rows) {
            if (record.sameIpAddressAs.size() == std::min(record.sameIpAddressCount, kSameIpAddressListed))
                break;
            const DeviceRecord& other = records[row];
            if (ShareIpAddress(record.ip, record.mac, other.ip, other.mac) &&
                !record.sameIpAddressAs.contains(other.mac))
                record.sameIpAddressAs.append(other.mac);
        }
    }
}

QStringList DeviceRecordTitles()
{
    return {QStringLiteral("Device Type"),   LoadString(IDS_COLUMN_DEVICE_NAME),
            LoadString(IDS_COLUMN_ALIAS),    LoadString(IDS_COLUMN_MODE),
            LoadString(IDS_COLUMN_MAC),      LoadString(IDS_COLUMN_IP),
            QStringLiteral("Subnet Mask"),   QStringLiteral("Gateway"),
            LoadString(IDS_COLUMN_PROTOCOL), QStringLiteral("Web Address"),
            QStringLiteral("HTTP Port"),     QStringLiteral("DLX Port"),
            QStringLiteral("TCP Port"),      QStringLiteral("UDP Port"),
            QStringLiteral("Upload Port"),   QStringLiteral("Multicast Port"),
            QStringLiteral("Can Be Set"),    QStringLiteral("Adapter"),
            QStringLiteral("Local Address"), QStringLiteral("Same IP Address As"),
            QStringLiteral("In Network"),    QStringLiteral("Last Seen"),
            QStringLiteral("Endpoint")};
}

QStringList DeviceRecordFields(const DeviceRecord& record)
{
    QStringList fields = {record.kindText, record.model,     record.alias,      record.mode,
                          record.mac,      record.ip,        record.subnetMask, record.gateway,
                          record.protocol, record.webAddress};
    for (const auto& port : record.ports)
        fields.append(PortText(port));
    fields.append(YesNo(record.mayBeSet));
    fields.append(record.adapter);
    fields.append(record.localAddress);
    QString same = record.sameIpAddressAs.join(QLatin1Char(' '));
    if (const qsizetype more = record.sameIpAddressCount - record.sameIpAddressAs.size(); more > 0)
        same += QStringLiteral(" and %1 more").arg(more);
    fields.append(same);
    fields.append(record.inNetwork ? YesNo(*record.inNetwork) : QString());
    QString lastSeen = LastSeenText(record.lastSeenMs);
    if (!record.answering)
        lastSeen += QStringLiteral(" (not answering)");
    fields.append(lastSeen.trimmed());
    fields.append(record.endpoint);
    return fields;
}

} // namespace Netrove
