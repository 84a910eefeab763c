#include "tools/devsim/OnvifResponder.h"

#include "onvif/OnvifMessage.h"
#include "onvif/OnvifNamespaces.h"

#include <QString>

#include <algorithm>
#include <cstdio>

namespace Netrove::DevSim {

namespace {

constexpr char kAnonymous2004[] = "http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous";
constexpr char kAnonymous2005[] = "http://www.w3.org/2005/08/addressing/anonymous";
constexpr char kDiscovery2009To[] = "urn:docs-oasis-open-org:ws-dd:ns:discovery:2009:01";
constexpr char kComputerNamespace[] = "http://schemas.microsoft.com/windows/pub/2005/07";

// The prefixes and habits of one dialect.
struct Style
{
    const char* envelope; // SOAP's prefix
    const char* addressing;
    const char* discovery;
    const char* network;   // the prefix of ONVIF's NetworkVideoTransmitter
    const char* separator; // between the words of a list
    const char* breakLine; // between elements
    const char* nameCategory;
    const char* hardwareCategory;
    const char* macCategory;
    bool junkScope;
    bool oasis;
};

Style StyleOf(OnvifDialect dialect)
{
    switch (dialect) {
    case OnvifDialect::SoapEnv:
        return {"SOAP-ENV", "wsa", "d", "dn", " ", "", "name", "hardware", "mac", false, false};
    case OnvifDialect::Indented:
        return {"s", "a", "wsdd", "dn", "\n\t\t\t", "\n  ", "Name", "Hardware", "MacAddress", false, false};
    case OnvifDialect::Env:
        return {"env", "wsadis", "dn", "tdn", " ", "", "name", "hardware", "MacAddress", true, false};
    case OnvifDialect::Oasis2009:
        return {"s", "a", "d", "dn", " ", "\n", "name", "hardware", "mac", false, true};
    }
    return {};
}

std::string Escape(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

// A scope value as most cameras write it: every byte but letters, digits and -._~ escaped.
std::string PercentEncode(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            out += escaped;
        }
    }
    return out;
}

std::string RandomUuid(std::mt19937& random)
{
    std::uniform_int_distribution<unsigned> hex(0, 15);
    std::string uuid = "xxxxxxxx-xxxx-4xxx-8xxx-xxxxxxxxxxxx";
    for (char& c : uuid) {
        if (c == 'x')
            c = "0123456789abcdef"[hex(random)];
    }
    return uuid;
}

std::string EndpointOf(const SimDevice& device, std::size_t index)
{
    if (!device.onvif.endpoint.empty())
        return device.onvif.endpoint;
    char text[64];
    std::snprintf(text, sizeof text, "urn:uuid:4e52f00d-0000-4000-8000-%012zx", index);
    return text;
}

std::vector<std::string> XAddrsOf(const SimDevice& device)
{
    if (device.kind == SimKind::WsdHost)
        return device.onvif.xaddrs;
    if (!device.onvif.xaddrs.empty())
        return device.onvif.xaddrs;
    std::vector<std::string> xaddrs;
    if (!device.ip.empty())
        xaddrs.push_back("http://" + device.ip + "/onvif/device_service");
    if (!device.ipv6.empty())
        xaddrs.push_back("http://[" + device.ipv6 + "]/onvif/device_service");
    return xaddrs;
}

std::string ScopesOf(const SimDevice& device, const Style& style)
{
    const std::string prefix = kOnvifScopePrefix;
    std::vector<std::string> scopes{prefix + "type/video_encoder", prefix + "Profile/Streaming"};
    const auto value = [&device](const std::string& text) {
        return device.onvif.rawSpaces ? text : PercentEncode(text);
    };
    if (!device.model.empty())
        scopes.push_back(prefix + style.hardwareCategory + "/" + value(device.model));
    if (!device.alias.empty())
        scopes.push_back(prefix + style.nameCategory + "/" + value(device.alias));
    if (!device.mac.empty())
        scopes.push_back(prefix + style.macCategory + "/" + value(device.mac));
    if (style.junkScope)
        scopes.push_back(prefix);
    scopes.push_back(prefix + "location/city/lab");
    std::string list;
    for (const std::string& scope : scopes)
        list += (list.empty() ? "" : style.separator) + Escape(scope);
    return list;
}

std::string Declarations(const Style& style, const SimDevice& device)
{
    std::string xml = std::string(" xmlns:") + style.envelope + "=\"" + kSoap12Namespace + "\"";
    xml += std::string(" xmlns:") + style.addressing + "=\"" +
           (style.oasis ? kAddressing2005Namespace : kAddressingNamespace) + "\"";
    xml += std::string(" xmlns:") + style.discovery + "=\"" +
           (style.oasis ? kDiscovery2009Namespace : kDiscoveryNamespace) + "\"";
    if (device.kind == SimKind::WsdHost)
        return xml + " xmlns:pub=\"" + kComputerNamespace + "\"";
    xml += std::string(" xmlns:") + style.network + "=\"" + kOnvifNetworkNamespace + "\"";
    return xml + " xmlns:tds=\"" + kOnvifDeviceNamespace + "\"";
}

// The device as a ProbeMatch, Hello or Bye describes it.
std::string Description(const SimDevice& device, std::size_t index, const Style& style, bool bye)
{
    const std::string a = style.addressing, d = style.discovery;
    std::string xml = "<" + a + ":EndpointReference><" + a + ":Address>" + Escape(EndpointOf(device, index)) +
                      "</" + a + ":Address></" + a + ":EndpointReference>";
    if (bye)
        return xml;
    if (device.kind == SimKind::WsdHost)
        xml += "<" + d + ":Types>pub:Computer</" + d + ":Types>";
    else if (!device.onvif.noTypes)
        xml += "<" + d + ":Types>" + style.network + ":NetworkVideoTransmitter tds:Device</" + d + ":Types>";
    if (device.kind != SimKind::WsdHost)
        xml += "<" + d + ":Scopes>" + ScopesOf(device, style) + "</" + d + ":Scopes>";
    const std::vector<std::string> xaddrs = XAddrsOf(device);
    if (!xaddrs.empty()) {
        xml += "<" + d + ":XAddrs>";
        for (std::size_t i = 0; i < xaddrs.size(); ++i)
            xml += (i > 0 ? style.separator : "") + Escape(xaddrs[i]);
        xml += "</" + d + ":XAddrs>";
    }
    return xml + "<" + d + ":MetadataVersion>1</" + d + ":MetadataVersion>";
}

std::string Envelope(const SimDevice& device, const Style& style, const std::string& header,
                     const std::string& body)
{
    const std::string e = style.envelope;
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + style.breakLine + "<" + e +
           ":Envelope" + Declarations(style, device) + ">" + style.breakLine + "<" + e + ":Header>" + header +
           "</" + e + ":Header>" + style.breakLine + "<" + e + ":Body>" + body + "</" + e + ":Body>" +
           style.breakLine + "</" + e + ":Envelope>" + style.breakLine;
}

std::string Action(const Style& style, const char* name)
{
    return std::string(style.oasis ? kDiscovery2009Actions : kDiscoveryActions) + name;
}

bool IsWsDiscovery(const SimDevice& device)
{
    return device.kind == SimKind::Onvif || device.kind == SimKind::WsdHost;
}

bool AnswersFamily(const SimDevice& device, bool ipv6)
{
    return IsWsDiscovery(device) && (!ipv6 || !device.ipv6.empty());
}

// Whether a device answers a probe for these types (local names; none: any device).
bool Matches(const SimDevice& device, const QList<OnvifTypeName>& types)
{
    if (types.isEmpty() || device.kind == SimKind::WsdHost || device.onvif.noTypes)
        return true;
    for (const OnvifTypeName& type : types) {
        for (const char* own : {"NetworkVideoTransmitter", "Device"}) {
            if (type.localName.compare(QLatin1String(own), Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

std::vector<std::uint8_t> Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

} // namespace

OnvifResponder::OnvifResponder(std::vector<SimDevice> devices)
    : m_devices(std::move(devices))
{}

bool OnvifResponder::AnswersOver(bool ipv6) const
{
    return std::any_of(m_devices.begin(), m_devices.end(),
                       [ipv6](const SimDevice& device) { return AnswersFamily(device, ipv6); });
}

std::string OnvifResponder::BuildProbeMatches(const SimDevice& device, std::size_t index,
                                              const std::string& relatesTo, const std::string& messageId)
{
    const Style style = StyleOf(device.onvif.dialect);
    const std::string a = style.addressing, d = style.discovery;
    std::string header = "<" + a + ":MessageID>" + Escape(messageId) + "</" + a + ":MessageID>";
    header += "<" + a + ":RelatesTo>" + Escape(relatesTo) + "</" + a + ":RelatesTo>";
    header += "<" + a + ":To>" + (style.oasis ? kAnonymous2005 : kAnonymous2004) + "</" + a + ":To>";
    header += "<" + a + ":Action>" + Action(style, "ProbeMatches") + "</" + a + ":Action>";
    const std::string body = "<" + d + ":ProbeMatches><" + d + ":ProbeMatch>" +
                             Description(device, index, style, false) + "</" + d + ":ProbeMatch></" + d +
                             ":ProbeMatches>";
    return Envelope(device, style, header, body);
}

std::string OnvifResponder::BuildAnnouncement(const SimDevice& device, std::size_t index, bool bye,
                                              const std::string& messageId)
{
    const Style style = StyleOf(device.onvif.dialect);
    const std::string a = style.addressing, d = style.discovery;
    const char* element = bye ? "Bye" : "Hello";
    std::string header = "<" + a + ":MessageID>" + Escape(messageId) + "</" + a + ":MessageID>";
    header += "<" + a + ":To>" + (style.oasis ? kDiscovery2009To : kDiscoveryTo) + "</" + a + ":To>";
    header += "<" + a + ":Action>" + Action(style, element) + "</" + a + ":Action>";
    header += "<" + d + ":AppSequence InstanceId=\"1\" MessageNumber=\"" + (bye ? "2" : "1") + "\"/>";
    const std::string body = "<" + d + ":" + element + ">" + Description(device, index, style, bye) + "</" +
                             d + ":" + element + ">";
    return Envelope(device, style, header, body);
}

Handling OnvifResponder::Handle(std::span<const std::uint8_t> datagram, bool ipv6, std::mt19937& random) const
{
    const OnvifMessage message = ReadOnvifMessage(datagram);
    if (message.kind != OnvifMessageKind::Probe || message.matches.empty())
        return {"other", "ignored: not a probe", {}};
    Handling handling{"probe", {}, {}};
    const OnvifMatch& probe = message.matches.front();
    const std::string probeId = message.messageId.toStdString();
    int silent = 0;
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        const SimDevice& device = m_devices[i];
        if (!AnswersFamily(device, ipv6) || !Matches(device, probe.types))
            continue;
        if (device.faults.silent) {
            ++silent;
            continue;
        }
        for (int copy = 0; copy < device.faults.copies; ++copy) {
            const std::string id = device.onvif.echo ? probeId : "urn:uuid:" + RandomUuid(random);
            const int delay =
                device.faults.delayMs + std::uniform_int_distribution<int>(0, kMaxDelayMs)(random);
            handling.answers.push_back({i, Bytes(BuildProbeMatches(device, i, probeId, id)), delay});
        }
    }
    std::string types;
    for (const OnvifTypeName& type : probe.types) {
        if (!types.empty())
            types += ' ';
        types += type.localName.toStdString();
    }
    handling.outcome = "probe for " + (types.empty() ? std::string("any type") : types) + ": answered by " +
                       std::to_string(handling.answers.size()) + " replies";
    if (silent > 0)
        handling.outcome += ", " + std::to_string(silent) + " silent";
    return handling;
}

std::vector<Answer> OnvifResponder::Announcements(bool bye, bool ipv6, std::mt19937& random) const
{
    std::vector<Answer> announcements;
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        const SimDevice& device = m_devices[i];
        if (AnswersFamily(device, ipv6) && device.onvif.hello && !device.faults.silent)
            announcements.push_back(
                {i, Bytes(BuildAnnouncement(device, i, bye, "urn:uuid:" + RandomUuid(random))), 0});
    }
    return announcements;
}

} // namespace Netrove::DevSim
