// One datagram on a WS-Discovery socket, taken the way the engine will take it: what the reader
// makes of it, whether it answers this search, whether it is a video device, and the row it
// becomes, with the web address that a double-click would open.

#include "FuzzBytes.h"
#include "FuzzRequire.h"

#include "devicelist/CheckedWebAddress.h"
#include "onvif/OnvifDevice.h"
#include "onvif/OnvifMessage.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

using namespace Netrove;
using Fuzz::Require;

namespace {

bool HasControl(const QString& text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Fuzz::FuzzBytes bytes(data, size);
    // The first byte chooses the sender; the rest is the datagram.
    static const std::array<QString, 4> kSenders{QStringLiteral("192.168.1.64"), QStringLiteral("fe80::1"),
                                                 QStringLiteral("10.0.0.1"), QString()};
    const QString& sender = kSenders[bytes.Byte() % kSenders.size()];
    const std::span<const std::uint8_t> datagram = bytes.Rest();

    const OnvifMessage message = ReadOnvifMessage(datagram);
    Require(message.matches.size() <= std::size_t(OnvifReadLimits::kMatches), "matches are bounded");
    Require(message.kind != OnvifMessageKind::None || message.matches.empty(), "nothing has no matches");
    (void)RelatesToOwnProbe(message.relatesTo, {QStringLiteral("uuid:7c3d2b1a-0f4e-4d5c-9a8b-123456789abc")});

    for (const OnvifMatch& match : message.matches) {
        Require(match.types.size() <= OnvifReadLimits::kListWords &&
                    match.scopes.size() <= OnvifReadLimits::kListWords &&
                    match.xaddrs.size() <= OnvifReadLimits::kListWords,
                "lists are bounded");
        (void)IsOnvifVideoDevice(match);
        const OnvifRow row = MakeOnvifRow(match, sender);
        Require(row.protocol == QLatin1String("ONVIF") && row.mode.isEmpty(), "an ONVIF row");
        Require(row.key.startsWith(OnvifEndpointKey(match.address)), "the row is known by its endpoint");
        for (const QString* text :
             {&row.endpoint, &row.deviceName, &row.alias, &row.mac, &row.ip, &row.url, &row.webAddress})
            Require(!HasControl(*text), "no control character reaches a row");
        Require(row.url.isEmpty() || match.xaddrs.contains(row.url), "the URL is one of the XAddrs");
        Require(row.ip.isEmpty() == row.webAddress.isEmpty(), "an address has a web page");
        Require(!sender.isEmpty() || row.ip.isEmpty() || !row.url.isEmpty(),
                "an address comes from somewhere");
        if (row.webAddress.isEmpty())
            continue;
        const CheckedWebAddress checked = CheckWebAddress(row.webAddress.toStdString());
        Require(checked.Accepted(), "the web page opens");
        Require(checked.url.userInfo().isEmpty() && checked.url.path() == QLatin1String("/"),
                "the web page is the device's own, without a user name");
        Require(checked.url.host() == row.ip, "the web page is at the row's address");
    }
    return 0;
}
