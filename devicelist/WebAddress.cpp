#include "devicelist/WebAddress.h"

#include <QSysInfo>

#include "discovery/PacketFields.h"

namespace Netrove {

namespace {

// Zone 4, its percent sign written as "%25" so that the zone survives inside a URL.
constexpr std::string_view kZoneSuffix = "%254";

bool IsHttpsCamera(std::string_view url)
{
    return url.starts_with("https");
}

} // namespace

std::string BuildCameraWebUrl(std::string_view host, std::string_view url, std::uint16_t webPort,
                              std::uint16_t httpPort)
{
    std::string address;
    if (IsHttpsCamera(url)) {
        address.append("https://").append(host);
        if (webPort != httpPort)
            address.append(":").append(std::to_string(webPort));
    } else {
        address.append("http://").append(host).append(":").append(std::to_string(webPort));
    }
    return address;
}

std::string BuildCameraIPv6WebUrl(std::string_view ipv6Address, std::string_view url, std::uint16_t webPort,
                                  std::uint16_t httpPort, int osMajorVersion)
{
    std::string host = "[";
    host.append(ipv6Address);
    if (osMajorVersion == 5)
        host.append(kZoneSuffix);
    host.append("]");
    return BuildCameraWebUrl(host, url, webPort, httpPort);
}

std::string CameraWebUrl(PacketKind kind, std::span<const std::uint8_t> reply)
{
    return BuildCameraWebUrl(
        ReadText(kind, reply, PacketField::IpAddress), ReadText(kind, reply, PacketField::Url),
        ReadU16(kind, reply, PacketField::WebPort), ReadU16(kind, reply, PacketField::HttpPort));
}

std::string CameraIPv6WebUrl(std::span<const std::uint8_t> reply6, int osMajorVersion)
{
    constexpr PacketKind kind = PacketKind::KindCameraIPv6;
    return BuildCameraIPv6WebUrl(ReadText(kind, reply6, PacketField::Ipv6Address),
                                 ReadText(kind, reply6, PacketField::Url),
                                 ReadU16(kind, reply6, PacketField::WebPort),
                                 ReadU16(kind, reply6, PacketField::HttpPort), osMajorVersion);
}

int GetOsMajorVersion()
{
    // The operating system's own version (Debian 12 reads 12), not the kernel's: the zone suffix
    // belongs to one old system version, and a 5.x kernel must not bring it back.
    const QString version = QSysInfo::productVersion();
    bool ok = false;
    const int major = version.section(QLatin1Char('.'), 0, 0).toInt(&ok);
    return ok ? major : -1;
}

WebPageChoice ChooseWebPage(const QString& protocolText, const DeviceEntry* entry)
{
    if (entry == nullptr)
        return {};
    if (entry->onvif)
        return {WebPageAction::OpenAddress, entry->onvif->webAddress.toStdString()};
    if (protocolText == QLatin1String("IPv4")) {
        if (entry->kind == PacketKind::KindCamera)
            return {WebPageAction::OpenAddress, CameraWebUrl(entry->kind, entry->reply)};
        return {WebPageAction::OpenAddress, ReadText(entry->kind, entry->reply, PacketField::Url)};
    }
    if (entry->kind == PacketKind::KindCameraIPv6)
        return {WebPageAction::ChooseIPv6OrIPv4, {}};
    return {};
}

QString WebPageWarning(const QString& protocolText, const QString& ipText, const DeviceEntry* entry)
{
    if (ChooseWebPage(protocolText, entry).action != WebPageAction::OpenAddress ||
        InIpv4Networks(ipText.toStdString(), entry->arrival.ipv4Networks) != false)
        return {};
    return QStringLiteral(
               "%1 is not in this computer's network (%2), so its web page will probably not open.")
        .arg(ipText, entry->arrival.ipv4Networks.first().NetworkText());
}

} // namespace Netrove
