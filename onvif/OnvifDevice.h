#pragma once

#include "onvif/OnvifMessage.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace Netrove {

// What a WS-Discovery device becomes in the list. Such a device is listed, never set: its row
// carries its own texts and no reply of Netrove's protocol.

// The key an endpoint address, message identifier or RelatesTo is compared by: white space
// around it, a leading "urn:" and "uuid:" and the case of its letters do not count, so that
// "urn:uuid:ABC" and "uuid:abc" are one.
QString OnvifEndpointKey(QStringView address);

// Whether an answer's RelatesTo names one of this search's probes.
bool RelatesToOwnProbe(QStringView relatesTo, const QStringList& messageIds);

// Whether a match is a video device: its Types name ONVIF's NetworkVideoTransmitter or Device
// (local names without case, in an ONVIF namespace; NetworkVideoTransmitter also under a prefix
// declared nowhere), or it has no Types and ONVIF scopes. A computer (pub:Computer), a printer
// (wsdp:Device, without ONVIF's namespace) or anything else is not.
bool IsOnvifVideoDevice(const OnvifMatch& match);

// The texts of a row hold no control character: XML lets DEL and C1 controls through, and they are
// shown as U+FFFD.
struct OnvifRow
{
    // One row per device: its endpoint key, and its MAC address or, without one, its IP address.
    // A device that answers both probes, every repeat or on two adapters keeps its row; cameras of
    // one model that report one serial, and with it one endpoint address, get a row each.
    QString key;
    QString endpoint;   // the endpoint address as written
    QString deviceName; // the "hardware" scope
    QString alias;      // the "name" scope
    QString mode;       // empty: WS-Discovery does not tell
    QString mac;        // the "MacAddress" (or "mac") scope, as XX:XX:XX:XX:XX:XX where it is one
    QString ip;
    QString protocol; // "ONVIF"
    QString url;      // the device service address the IP address was taken from; empty if none
    // The device's web page: "http://HOST/", "https://HOST/" where every XAddr is https,
    // "http://[fe80::…]/" for an IPv6 address; empty without an IP address.
    QString webAddress;
};

// The row of a match that came from `sender` (an address text, "192.168.1.64" or "fe80::1"). Its
// IP address is the XAddr host equal to the sender, else the first XAddr host that is neither
// link-local nor loopback, else the sender's: cameras list 169.254 addresses, 127.0.0.1 and
// placeholders among their XAddrs.
OnvifRow MakeOnvifRow(const OnvifMatch& match, const QString& sender);

} // namespace Netrove
