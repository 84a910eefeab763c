// Writes the seed inputs of the corpora, built with the packet helpers (and the simulator's ONVIF
// cameras) so that they are datagrams as devices send them (and address plans as the saved list
// writes them): fuzz_seeds <corpus folder>, which holds one folder per target.

#include "PlanDevices.h"

#include "autoset/IcmpEcho.h"
#include "devicelist/DeviceListExport.h"
#include "discovery/ClientTagMaker.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "onvif/OnvifProbe.h"
#include "tools/devsim/OnvifResponder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace Netrove;

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The tag fuzz_reply takes as its own.
const ClientTag kOwnTag = MakeClientTag(7, HardwareAddress{2, 0, 0, 0, 0, 1});

void Write(const fs::path& folder, const std::string& name, const Bytes& bytes)
{
    fs::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Channel byte (0 camera, 1 IPv6, 2 recorder; every box on) and the datagram.
Bytes ReplyInput(std::uint8_t channel, const Bytes& datagram)
{
    Bytes input{channel};
    input.insert(input.end(), datagram.begin(), datagram.end());
    return input;
}

Bytes SearchReply(PacketKind kind, std::size_t size, bool ownTag)
{
    Bytes packet(LongFormSize(kind), 0);
    if (kind == PacketKind::KindRecorder)
        WriteText(kind, packet, PacketField::Prefix, "NVR");
    WriteByte(kind, packet, PacketField::Opcode, 11);
    if (ownTag)
        WriteClientTag(kind, packet, kOwnTag);
    WriteText(kind, packet, PacketField::MacAddress, "02:4E:52:00:00:01");
    WriteText(kind, packet, PacketField::IpAddress, "192.168.1.101");
    WriteText(kind, packet, PacketField::SubnetMask, "255.255.255.0");
    WriteText(kind, packet, PacketField::Gateway, "192.168.1.1");
    WriteText(kind, packet, PacketField::Ipv6Address, "fe80::4e:52ff:fe00:1");
    WriteU16(kind, packet, PacketField::WebPort, 80);
    WriteText(kind, packet, PacketField::ModelName, kind == PacketKind::KindRecorder ? "NR-16" : "NC-220");
    const std::uint16_t ports[] = {80, 10001, 10002, 10003, 10004, 10005};
    const PacketField fields[] = {PacketField::HttpPort, PacketField::DlxPort,    PacketField::TcpPort,
                                  PacketField::UdpPort,  PacketField::UploadPort, PacketField::MulticastPort};
    for (std::size_t i = 0; i < 6; ++i)
        WriteU16(kind, packet, fields[i], ports[i]);
    WriteByte(kind, packet, PacketField::AddressMode, 0);
    WriteText(kind, packet, PacketField::Url,
              kind == PacketKind::KindRecorder ? "http://192.168.1.101:8080/" : "https");
    WriteByte(kind, packet, PacketField::SettingAllowed, 1);
    WriteText(kind, packet, PacketField::Alias, "Front door");
    packet.resize(size);
    return packet;
}

Bytes ResultReply(PacketKind kind, std::uint8_t opcode)
{
    Bytes packet = SearchReply(kind, LongFormSize(kind), true);
    WriteByte(kind, packet, PacketField::Opcode, opcode);
    return packet;
}

void WriteReplySeeds(const fs::path& folder)
{
    const PacketKind camera = PacketKind::KindCamera, ipv6 = PacketKind::KindCameraIPv6,
                     recorder = PacketKind::KindRecorder;
    Write(folder, "camera-326", ReplyInput(0, SearchReply(camera, 326, true)));
    Write(folder, "camera-262-short", ReplyInput(0, SearchReply(camera, 262, true)));
    Write(folder, "camera-untagged", ReplyInput(0, SearchReply(camera, 326, false)));
    Write(folder, "ipv6-366", ReplyInput(1, SearchReply(ipv6, 366, true)));
    Write(folder, "ipv6-302-short", ReplyInput(1, SearchReply(ipv6, 302, true)));
    Write(folder, "recorder-334", ReplyInput(2, SearchReply(recorder, 334, true)));
    Bytes refusing = SearchReply(recorder, 334, true);
    WriteByte(recorder, refusing, PacketField::SettingAllowed, 0);
    WriteText(recorder, refusing, PacketField::Url, "file:///etc/passwd");
    Write(folder, "recorder-refusing", ReplyInput(2, refusing));
    for (const std::uint8_t opcode : {22, 33, 44, 55, 66}) {
        const std::string suffix = "-result-" + std::to_string(opcode);
        Write(folder, "camera" + suffix, ReplyInput(0, ResultReply(camera, opcode)));
        Write(folder, "ipv6" + suffix, ReplyInput(1, ResultReply(ipv6, opcode)));
        Write(folder, "recorder" + suffix, ReplyInput(2, ResultReply(recorder, opcode)));
    }
    Write(folder, "recorder-result-77", ReplyInput(2, ResultReply(recorder, 77)));
}

void AppendInt(Bytes& input, int value)
{
    for (int i = 0; i < 4; ++i)
        input.push_back(std::uint8_t(std::uint32_t(value) >> (8 * i)));
}

void AppendText(Bytes& input, const std::string& text)
{
    input.push_back(std::uint8_t(text.size()));
    input.insert(input.end(), text.begin(), text.end());
}

Bytes ValidationInput(bool recorder, int mode, const Bytes& octets, const std::string& model,
                      const std::string& http, const std::string& second, int change)
{
    Bytes input{std::uint8_t(recorder ? 1 : 0)};
    AppendInt(input, mode);
    input.insert(input.end(), octets.begin(), octets.end());
    AppendText(input, model);
    AppendText(input, http);
    AppendText(input, second);
    AppendInt(input, change);
    AppendInt(input, std::atoi(http.c_str()));
    AppendInt(input, std::atoi(second.c_str()));
    return input;
}

void WriteValidationSeeds(const fs::path& folder)
{
    const Bytes good{192, 168, 1, 101, 255, 255, 255, 0, 192, 168, 1, 1};
    const Bytes otherNet{192, 168, 1, 101, 255, 255, 255, 0, 10, 0, 0, 1};
    const Bytes zero(12, 0);
    Write(folder, "camera-static", ValidationInput(false, 0, good, "NC-220", "80", "10001", 1));
    Write(folder, "camera-dhcp", ValidationInput(false, 1, zero, "NC-220", "80", "10001", -1));
    Write(folder, "camera-gateway-elsewhere",
          ValidationInput(false, 0, otherNet, "NC-220", "8080", "9000", 1));
    Write(folder, "camera-same-ports", ValidationInput(false, 0, good, "NC-220", " 10000", "10000", -1));
    Write(folder, "camera-long-digits", ValidationInput(false, 0, good, "NC-220", "99999999999999", "-5", 1));
    Write(folder, "recorder-static", ValidationInput(true, 0, good, "", "80", "9000", 1));
    Write(folder, "recorder-pppoe", ValidationInput(true, 2, good, "", "+80x", "abc", 0));
}

Bytes EchoReply(std::uint16_t identifier)
{
    Bytes icmp{kIcmpEchoReply,
               0,
               0,
               0,
               std::uint8_t(identifier & 0xFF),
               std::uint8_t(identifier >> 8),
               kEchoSequence[0],
               kEchoSequence[1],
               0,
               0,
               0,
               0};
    const std::uint16_t checksum = IcmpChecksum(icmp);
    icmp[2] = std::uint8_t(checksum & 0xFF);
    icmp[3] = std::uint8_t(checksum >> 8);
    return icmp;
}

Bytes WithIpv4Header(const Bytes& icmp, const Ipv4Octets& source)
{
    Bytes datagram(20, 0);
    datagram[0] = 0x45;
    datagram[3] = std::uint8_t(20 + icmp.size());
    datagram[8] = 64;
    datagram[9] = 1;
    std::copy(source.begin(), source.end(), datagram.begin() + 12);
    datagram.insert(datagram.end(), icmp.begin(), icmp.end());
    return datagram;
}

// Choice byte (bit 0: another sender follows), candidate, [sender], identifier, datagram.
Bytes IcmpInput(const Ipv4Octets& candidate, const Ipv4Octets* sender, std::uint16_t identifier,
                const Bytes& datagram)
{
    Bytes input{std::uint8_t(sender != nullptr ? 1 : 0)};
    input.insert(input.end(), candidate.begin(), candidate.end());
    if (sender != nullptr)
        input.insert(input.end(), sender->begin(), sender->end());
    input.push_back(std::uint8_t(identifier & 0xFF));
    input.push_back(std::uint8_t(identifier >> 8));
    input.insert(input.end(), datagram.begin(), datagram.end());
    return input;
}

void WriteIcmpSeeds(const fs::path& folder)
{
    const Ipv4Octets candidate{192, 168, 1, 254}, other{192, 168, 1, 2};
    const std::uint16_t id = 0x2345;
    Write(folder, "raw-reply", IcmpInput(candidate, nullptr, id, WithIpv4Header(EchoReply(id), candidate)));
    Write(folder, "ping-socket-reply", IcmpInput(candidate, nullptr, id, EchoReply(0x0777)));
    Write(folder, "raw-reply-other-sender",
          IcmpInput(candidate, &other, id, WithIpv4Header(EchoReply(id), other)));
    Bytes request = EchoReply(id);
    request[0] = kIcmpEchoRequest;
    Write(folder, "raw-echo-request", IcmpInput(candidate, nullptr, id, WithIpv4Header(request, candidate)));
    Bytes unreachable = WithIpv4Header(Bytes{3, 1, 0, 0, 0, 0, 0, 0}, candidate);
    Write(folder, "raw-unreachable", IcmpInput(candidate, nullptr, id, unreachable));
}

void WritePlan(const fs::path& folder, const std::string& name, const std::string& text)
{
    Write(folder, name, Bytes(text.begin(), text.end()));
}

// The text with its first `from` made `to`.
std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    if (const std::size_t at = text.find(from); at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// The saved list of fuzz_plan's devices, and that list as an installer may edit it.
void WritePlanSeeds(const fs::path& folder)
{
    DeviceListModel rows;
    Fuzz::ListPlanDevices(rows);
    const QByteArray saved = DeviceListCsv(DeviceListRecords(rows));
    const std::string list(saved.constData(), std::size_t(saved.size()));
    WritePlan(folder, "saved-list", list);
    WritePlan(folder, "saved-list-edited",
              Replaced(Replaced(list, "00:1A:2B:00:00:01,192.168.1.101", "00:1A:2B:00:00:01,192.168.1.150"),
                       "Dynamic,02:4E:52:00:00:05,192.168.1.64", "Static,02:4E:52:00:00:05,192.168.1.151"));
    WritePlan(folder, "saved-list-dynamic-edited",
              Replaced(list, "00:1A:2B:00:42:01,192.168.1.102", "00:1A:2B:00:42:01,192.168.1.230"));
    WritePlan(folder, "bom-crlf",
              "\xEF\xBB\xBFMAC Address,IP Address,Subnet Mask,Gateway,Mode\r\n"
              "00:1A:2B:00:00:01,192.168.1.152,255.255.255.0,192.168.1.1,Static\r\n"
              "00:1a:2b:00:42:01,,,,DHCP\r\n");
    WritePlan(folder, "quoted-cells",
              "\"Alias\",\"IP Address\",\"MAC Address\"\n"
              "\"Hall, \"\"east\"\"\nupstairs\",\"192.168.1.153\",\"00:1A:2B:00:00:03\"\n");
    WritePlan(folder, "guarded-cells",
              "MAC Address,IP Address,Alias,Gateway\n"
              "'=1+1,192.168.1.154,'=1+1,\n"
              "02:4e:52:00:00:04,'+192.168.1.155,'-2,'@192.168.1.1\n");
    WritePlan(folder, "lf-blank-lines", "IP Address,MAC Address,Mode\n\n192.168.1.64,02:4E:52:00:00:04,\n\n");
    WritePlan(folder, "one-address-twice",
              "MAC Address,IP Address\n00:1A:2B:00:00:01,192.168.1.160\n00:1A:2B:00:00:03,192.168.1.160\n");
    WritePlan(folder, "quote-left-open", "MAC Address,IP Address\n\"00:1A:2B:00:00:01,192.168.1.161\n");
    WritePlan(folder, "not-utf8", "MAC Address,IP Address\n\xFF\xFE,192.168.1.162\n");
}

// Sender byte (0: 192.168.1.64, 1: fe80::1, 2: 10.0.0.1, 3: none) and the datagram.
Bytes OnvifInput(std::uint8_t sender, const std::string& datagram)
{
    Bytes input{sender};
    input.insert(input.end(), datagram.begin(), datagram.end());
    return input;
}

void WriteOnvifSeeds(const fs::path& folder)
{
    using DevSim::OnvifResponder;
    const std::string probe = "uuid:7c3d2b1a-0f4e-4d5c-9a8b-123456789abc";
    const char* lines[] = {
        "kind=onvif dialect=soapenv hardware=IPC-3220 name=\"Front door\" mac=00:40:8c:00:00:01 "
        "ip=192.168.1.64",
        "kind=onvif dialect=indented name=\"Car park\" spaces=raw ip=192.168.1.65 "
        "xaddrs=\"http://169.254.7.7/onvif/device_service http://192.168.1.65/onvif/device_service\"",
        "kind=onvif dialect=env types=none name=\"Caf\xc3\xa9\" ip=192.168.1.66 ipv6=fe80::66",
        "kind=onvif dialect=2009 hardware=BOX-9 name=Hall endpoint=uuid:ABC "
        "xaddrs=\"https://[2001:db8::64]:443/onvif/device_service http://0.0.0.0/x XAddrs\"",
        "kind=wsdhost",
    };
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        const DevSim::ParsedLine parsed = DevSim::ParseDeviceLine(lines[i]);
        if (!parsed.device) {
            std::fprintf(stderr, "fuzz_seeds: %s\n", parsed.error.c_str());
            std::exit(1);
        }
        const DevSim::SimDevice& device = *parsed.device;
        const std::string n = std::to_string(i);
        Write(folder, "onvif-probematches-" + n,
              OnvifInput(std::uint8_t(i % 3), OnvifResponder::BuildProbeMatches(device, i, probe, probe)));
        Write(folder, "onvif-hello-" + n,
              OnvifInput(0, OnvifResponder::BuildAnnouncement(device, i, false, "urn:uuid:" + n)));
        Write(folder, "onvif-bye-" + n,
              OnvifInput(0, OnvifResponder::BuildAnnouncement(device, i, true, "uuid:" + n)));
    }
    const QByteArray own = BuildOnvifProbe(QString::fromStdString(probe), OnvifProbeType::Device);
    Write(folder, "onvif-probe", OnvifInput(3, own.toStdString()));
    Write(folder, "onvif-dtd",
          OnvifInput(0,
                     "<?xml version=\"1.0\"?><!DOCTYPE s [<!ENTITY a \"ha\">]><s:Envelope>&a;</s:Envelope>"));
    const std::string whole =
        OnvifResponder::BuildProbeMatches(*DevSim::ParseDeviceLine(lines[0]).device, 0, probe, "uuid:1");
    Write(folder, "onvif-cut-short", OnvifInput(0, whole.substr(0, whole.size() * 2 / 3)));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <corpus folder>\n");
        return 2;
    }
    const fs::path corpus(argv[1]);
    WriteReplySeeds(corpus / "fuzz_reply");
    WriteValidationSeeds(corpus / "fuzz_validation");
    WriteIcmpSeeds(corpus / "fuzz_icmp");
    WritePlanSeeds(corpus / "fuzz_plan");
    WriteOnvifSeeds(corpus / "fuzz_onvif");
    return 0;
}
