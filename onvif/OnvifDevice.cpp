#include "onvif/OnvifDevice.h"

#include "onvif/OnvifNamespaces.h"
#include "onvif/OnvifScopes.h"

#include <QUrl>

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <optional>

namespace Netrove {

namespace {

struct HostAddress
{
    int family = AF_UNSPEC;
    std::array<std::uint8_t, 16> bytes{}; // 4 for IPv4

    bool operator==(const HostAddress&) const = default;
};

// An address literal, its IPv6 zone dropped; an IPv4 address written as IPv6 ("::ffff:a.b.c.d")
// counts as the IPv4 address it is.
std::optional<HostAddress> ParseHost(QStringView text)
{
    const qsizetype zone = text.indexOf(QLatin1Char('%'));
    const QByteArray latin = (zone < 0 ? text : text.first(zone)).toLatin1();
    HostAddress host;
    if (latin.contains('\0'))
        return std::nullopt;
    if (::inet_pton(AF_INET, latin.constData(), host.bytes.data()) == 1) {
        host.family = AF_INET;
        return host;
    }
    if (::inet_pton(AF_INET6, latin.constData(), host.bytes.data()) != 1)
        return std::nullopt;
    static constexpr std::array<std::uint8_t, 12> kMapped{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (std::equal(kMapped.begin(), kMapped.end(), host.bytes.begin())) {
        std::memmove(host.bytes.data(), host.bytes.data() + 12, 4);
        std::fill(host.bytes.begin() + 4, host.bytes.end(), 0);
        host.family = AF_INET;
        return host;
    }
    host.family = AF_INET6;
    return host;
}

QString HostText(const HostAddress& host)
{
    char text[INET6_ADDRSTRLEN] = {};
    ::inet_ntop(host.family, host.bytes.data(), text, sizeof(text));
    return QString::fromLatin1(text);
}

bool IsLinkLocalOrLoopback(const HostAddress& host)
{
    const auto& b = host.bytes;
    if (host.family == AF_INET)
        return b[0] == 127 || (b[0] == 169 && b[1] == 254);
    static constexpr std::array<std::uint8_t, 16> kLoopback{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    return (b[0] == 0xfe && (b[1] & 0xc0) == 0x80) || b == kLoopback;
}

// No device has it: 0.0.0.0 or ::, a multicast group, the broadcast address.
bool IsPlaceholder(const HostAddress& host)
{
    const auto& b = host.bytes;
    if (host.family == AF_INET)
        return (b[0] == 0 && b[1] == 0 && b[2] == 0 && b[3] == 0) || b[0] >= 224;
    return std::all_of(b.begin(), b.end(), [](std::uint8_t v) { return v == 0; }) || b[0] == 0xff;
}

struct DeviceService
{
    QString url;
    HostAddress host;
};

// The XAddrs that are web addresses of a device: http or https, with an address of its own.
std::vector<DeviceService> DeviceServices(const QStringList& xaddrs)
{
    std::vector<DeviceService> services;
    for (const QString& xaddr : xaddrs) {
        const QUrl url(xaddr, QUrl::StrictMode);
        if (!url.isValid() ||
            (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
            continue;
        const std::optional<HostAddress> host = ParseHost(url.host());
        if (host && !IsPlaceholder(*host))
            services.push_back({xaddr, *host});
    }
    return services;
}

bool IsOnvifNamespace(const QString& uri)
{
    return uri.startsWith(QLatin1String(kOnvifNamespacePrefix), Qt::CaseInsensitive);
}

// 12 hex digits, with or without separators, as the list writes MAC addresses; anything else as
// the device wrote it.
QString MacText(const QString& value)
{
    QString digits;
    for (const QChar c : value) {
        if (c == QLatin1Char(':') || c == QLatin1Char('-') || c == QLatin1Char('.'))
            continue;
        if (c.unicode() > 0x7f || !std::isxdigit(static_cast<unsigned char>(c.toLatin1())))
            return value;
        digits += c.toUpper();
    }
    if (digits.size() != 12)
        return value;
    QString mac;
    for (qsizetype i = 0; i < 12; i += 2)
        mac += (i > 0 ? QStringLiteral(":") : QString()) + digits.sliced(i, 2);
    return mac;
}

// XML lets DEL and the C1 controls through: a row's texts show U+FFFD for them.
QString Shown(QString text)
{
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    }
    return text;
}

} // namespace

QString OnvifEndpointKey(QStringView address)
{
    QStringView key = address.trimmed();
    for (const char* prefix : {"urn:", "uuid:"}) {
        if (key.startsWith(QLatin1String(prefix), Qt::CaseInsensitive))
            key = key.sliced(qsizetype(std::strlen(prefix)));
    }
    return key.toString().toLower();
}

bool RelatesToOwnProbe(QStringView relatesTo, const QStringList& messageIds)
{
    const QString key = OnvifEndpointKey(relatesTo);
    return !key.isEmpty() &&
           std::any_of(messageIds.begin(), messageIds.end(),
                       [&key](const QString& messageId) { return OnvifEndpointKey(messageId) == key; });
}

bool IsOnvifVideoDevice(const OnvifMatch& match)
{
    if (match.types.isEmpty())
        return std::any_of(match.scopes.begin(), match.scopes.end(),
                           [](const QString& scope) { return IsOnvifScope(scope); });
    return std::any_of(match.types.begin(), match.types.end(), [](const OnvifTypeName& type) {
        const bool transmitter =
            type.localName.compare(QLatin1String("NetworkVideoTransmitter"), Qt::CaseInsensitive) == 0;
        const bool device = type.localName.compare(QLatin1String("Device"), Qt::CaseInsensitive) == 0;
        return (transmitter && (type.namespaceUri.isEmpty() || IsOnvifNamespace(type.namespaceUri))) ||
               (device && IsOnvifNamespace(type.namespaceUri));
    });
}

OnvifRow MakeOnvifRow(const OnvifMatch& match, const QString& sender)
{
    OnvifRow row;
    row.endpoint = Shown(match.address);
    row.deviceName = Shown(OnvifScopeValue(match.scopes, u"hardware"));
    row.alias = Shown(OnvifScopeValue(match.scopes, u"name"));
    QString mac = OnvifScopeValue(match.scopes, u"MacAddress");
    if (mac.isEmpty())
        mac = OnvifScopeValue(match.scopes, u"mac");
    row.mac = Shown(MacText(mac));
    row.protocol = QStringLiteral("ONVIF");

    const std::vector<DeviceService> services = DeviceServices(match.xaddrs);
    const std::optional<HostAddress> from = ParseHost(sender);
    auto chosen = std::find_if(services.begin(), services.end(),
                               [&from](const DeviceService& s) { return from && s.host == *from; });
    if (chosen == services.end())
        chosen = std::find_if(services.begin(), services.end(),
                              [](const DeviceService& s) { return !IsLinkLocalOrLoopback(s.host); });
    std::optional<HostAddress> host = from;
    if (chosen != services.end()) {
        host = chosen->host;
        row.url = chosen->url;
    }
    if (host) {
        row.ip = HostText(*host);
        const bool https = !match.xaddrs.isEmpty() &&
                           std::all_of(match.xaddrs.begin(), match.xaddrs.end(), [](const QString& x) {
                               return x.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
                           });
        const QString bracketed =
            host->family == AF_INET6 ? QLatin1Char('[') + row.ip + QLatin1Char(']') : row.ip;
        row.webAddress =
            (https ? QStringLiteral("https://") : QStringLiteral("http://")) + bracketed + QLatin1Char('/');
    }
    row.key = OnvifEndpointKey(match.address) + QLatin1Char('\n') + (row.mac.isEmpty() ? row.ip : row.mac);
    return row;
}

} // namespace Netrove
