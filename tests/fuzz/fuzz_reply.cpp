// One datagram on one of the three search channels, taken the way the main window takes it: what
// it leads to, the row it becomes, what choosing that row and double-clicking it read, the setting
// requests both dialogs would build from it, the row saved to a file and copied, and every way its
// texts leave Netrove.

#include "FuzzBytes.h"
#include "FuzzRequire.h"

#include "autoset/AutoSetRequest.h"
#include "devicelist/CheckedWebAddress.h"
#include "devicelist/DeviceListExport.h"
#include "devicelist/DeviceListModel.h"
#include "devicelist/DeviceRowFromReply.h"
#include "devicelist/WebAddress.h"
#include "discovery/ClientTagMaker.h"
#include "discovery/DottedQuad.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "discovery/ReplyHandling.h"
#include "manualset/ManualSetRequest.h"
#include "tests/devicelist/CsvReader.h"
#include "tests/devicelist/TextsLeaveAsData.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <sys/socket.h>

using namespace Netrove;
using Fuzz::Require;

namespace {

const ClientTag kOwnTag = MakeClientTag(7, HardwareAddress{2, 0, 0, 0, 0, 1});

void RequireRequestSize(const std::vector<std::uint8_t>& request)
{
    Require(request.size() == ShortFormSize(PacketKind::KindCamera) ||
                request.size() == LongFormSize(PacketKind::KindCamera),
            "a setting request is a camera packet of either form");
}

void CheckAddress(const std::string& address)
{
    const CheckedWebAddress checked = CheckWebAddress(address);
    if (!checked.Accepted())
        return;
    const QString scheme = checked.url.scheme();
    Require(scheme == QLatin1String("http") || scheme == QLatin1String("https"), "only web addresses open");
    Require(checked.url.userInfo().isEmpty(), "no user name or password opens");
    Require(!checked.url.host().isEmpty(), "an opened address has a host");
}

// What choosing the row copies into the main window's mirror.
void ReadLikeSelectionMirror(const DeviceEntry& entry)
{
    const PacketKind kind = entry.kind;
    for (const PacketField field : {PacketField::IpAddress, PacketField::SubnetMask, PacketField::Gateway}) {
        const std::optional<Ipv4Octets> octets = ParseDottedQuad(ReadText(kind, entry.reply, field));
        if (octets)
            Require(ParseDottedQuad(FormatDottedQuad(*octets)) == octets, "an address reads back as written");
    }
    unsigned sum = 0;
    for (const PacketField field : {PacketField::HttpPort, PacketField::TcpPort, PacketField::UdpPort,
                                    PacketField::DlxPort, PacketField::UploadPort})
        sum += ReadU16(kind, entry.reply, field);
    Require(sum <= 5u * 0xFFFFu, "ports are 16 bits");
}

void BuildSettingRequests(const DeviceEntry& entry, const QString& macText)
{
    const AutoSetTarget target = CopyAutoSetTarget(entry.kind, entry.reply, macText.toLatin1().toStdString());
    const ManualSetReported reported = ReadManualSetReply(entry.kind, entry.reply);

    AutoSetInput autoInput;
    autoInput.address = reported.ipAddress.value_or(Ipv4Octets{192, 168, 1, 254});
    autoInput.subnetMask = target.subnetMask;
    autoInput.gateway = reported.gateway.value_or(Ipv4Octets{192, 168, 1, 1});
    autoInput.password = "0123456789abcdefghijklmnop";
    for (const bool portMapping : {false, true}) {
        autoInput.portMapping = portMapping;
        autoInput.basePort = 10000;
        RequireRequestSize(BuildAutoSetRequest(target, autoInput));
    }

    const bool camera = IsCameraKind(entry.kind);
    ManualSetInput manualInput;
    manualInput.addressMode = AddressModeFromModeRadio(ModeRadioFromAddressMode(reported.addressMode));
    manualInput.mac = reported.mac;
    manualInput.ipAddress = reported.ipAddress.value_or(Ipv4Octets{});
    manualInput.subnetMask = reported.subnetMask.value_or(Ipv4Octets{});
    manualInput.gateway = reported.gateway.value_or(Ipv4Octets{});
    manualInput.password = autoInput.password;
    for (std::size_t i = 0; i < manualInput.ports.size(); ++i)
        manualInput.ports[i] = reported.ports[i];
    const bool shortForm = camera && IsShortReply(entry.kind, entry.reply);
    const std::vector<std::uint8_t> request = BuildManualSetRequest(entry.kind, shortForm, manualInput);
    RequireRequestSize(request);
    Require(request.size() == LongFormSize(PacketKind::KindCamera) || shortForm || !camera,
            "a camera that sent the long form is set with the long form");
}

// The saved list reads back field for field, and the copied row stays one row of as many fields.
void SaveAndCopy(const DeviceListModel& model)
{
    const std::vector<DeviceRecord> records = DeviceListRecords(model);
    Require(records.size() == 1, "one row, one record");
    const QStringList fields = DeviceRecordFields(records.front());
    Require(records.front().mac == model.Text(0, ColumnMac), "the record shows the row's MAC");
    if (!records.front().webAddress.isEmpty())
        CheckAddress(records.front().webAddress.toLatin1().toStdString());

    QList<QStringList> read;
    QString error;
    Require(Test::ReadCsv(DeviceListCsv(records), read, error), "the saved list is RFC 4180");
    Require(read.size() == 2 && read[0] == DeviceRecordTitles() && read[1].size() == fields.size(),
            "the saved list reads back as written");

    const QString copied = DeviceRowClipboardText(records.front());
    Require(copied.split(QLatin1Char('\t')).size() == fields.size(), "the copied row keeps its columns");
    Require(
        std::none_of(copied.begin(), copied.end(),
                     [](QChar c) { return c != QLatin1Char('\t') && c.category() == QChar::Other_Control; }),
        "the copied row holds no control character but its tabs");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Fuzz::FuzzBytes bytes(data, size);
    // Low bits: the channel. The others switch a box off, choose a row or make the sender the other
    // address family, so that a zero first byte is the usual case of a search with everything on.
    const std::uint8_t control = bytes.Byte();
    const ReplyChannel channel =
        std::array{ReplyChannel::Camera, ReplyChannel::IPv6, ReplyChannel::Recorder}[(control & 0x03) % 3];
    ReplyFilter filter;
    filter.cameraBox = (control & 0x04) == 0;
    filter.nvrBox = (control & 0x08) == 0;
    filter.ipv4 = (control & 0x10) == 0;
    filter.ipv6 = (control & 0x20) == 0;
    filter.rowSelected = (control & 0x40) != 0;
    filter.ownTag = kOwnTag;
    const int ownFamily = ChannelFamily(channel);
    const int senderFamily = (control & 0x80) == 0 ? ownFamily : (ownFamily == AF_INET ? AF_INET6 : AF_INET);

    const std::span<const std::uint8_t> datagram = bytes.Rest();
    const PacketKind kind = ChannelKind(channel);
    // The reader refuses a datagram longer than the channel's long form before anyone reads it.
    if (datagram.size() > LongFormSize(kind))
        return 0;
    std::vector<std::uint8_t> buffer(LongFormSize(kind), 0);
    std::copy(datagram.begin(), datagram.end(), buffer.begin());

    const ReplyAction action = ClassifyReply(channel, buffer, datagram.size(), senderFamily, filter);
    if (action != ReplyAction::AddRow)
        return 0;

    NewDeviceRow row = MakeDeviceRow(channel, std::move(buffer), datagram.size(), senderFamily);
    const QString mac = row.texts[ColumnMac];
    std::vector<NewDeviceRow> rows;
    rows.push_back(std::move(row));

    DeviceListModel model;
    Require(model.AddReplies(std::move(rows)) == 1, "a reply to an empty list adds its row");
    Require(model.rowCount() == 1, "one reply, one row");
    for (int column = 0; column < ColumnCount; ++column)
        (void)model.Text(0, column).size();
    Require(model.Text(0, ColumnMac) == mac, "the row shows the MAC it was given");

    const DeviceEntry* entry = model.EntryAt(0);
    Require(entry != nullptr && entry->reply.size() == LongFormSize(kind),
            "the row keeps the full long form");
    ReadLikeSelectionMirror(*entry);

    const WebPageChoice choice = ChooseWebPage(model.Text(0, ColumnProtocol), entry);
    if (choice.action == WebPageAction::OpenAddress)
        CheckAddress(choice.address);
    if (kind == PacketKind::KindCameraIPv6) {
        for (const int osMajor : {5, 6, -1})
            CheckAddress(CameraIPv6WebUrl(entry->reply, osMajor));
        CheckAddress(CameraWebUrl(kind, entry->reply));
    }

    BuildSettingRequests(*entry, model.Text(0, ColumnMac));
    SaveAndCopy(model);
    const QString broken = Test::TextsLeaveAsData(model);
    Require(broken.isEmpty(), qPrintable(broken));
    return 0;
}
