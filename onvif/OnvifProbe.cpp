#include "onvif/OnvifProbe.h"

#include "onvif/OnvifNamespaces.h"

#include <QUuid>

namespace Netrove {

QString MakeOnvifMessageId()
{
    return QStringLiteral("uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QByteArray BuildOnvifProbe(const QString& messageId, OnvifProbeType type)
{
    const bool transmitter = type == OnvifProbeType::NetworkVideoTransmitter;
    const QByteArray typePrefix = transmitter ? "dn" : "tds";
    QByteArray probe;
    probe.reserve(1024);
    probe += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
             "<s:Envelope xmlns:s=\"";
    probe += kSoap12Namespace;
    probe += "\" xmlns:a=\"";
    probe += kAddressingNamespace;
    probe += "\" xmlns:d=\"";
    probe += kDiscoveryNamespace;
    probe += "\" xmlns:" + typePrefix + "=\"";
    probe += transmitter ? kOnvifNetworkNamespace : kOnvifDeviceNamespace;
    probe += "\"><s:Header><a:MessageID>";
    // A message identifier is ours, but it is escaped all the same: the probe stays XML whatever it is.
    probe += messageId.toHtmlEscaped().toUtf8();
    probe += "</a:MessageID><a:To s:mustUnderstand=\"1\">";
    probe += kDiscoveryTo;
    probe += "</a:To><a:Action s:mustUnderstand=\"1\">";
    probe += kDiscoveryActions;
    probe += "Probe</a:Action></s:Header><s:Body><d:Probe><d:Types>" + typePrefix + ":";
    probe += transmitter ? "NetworkVideoTransmitter" : "Device";
    probe += "</d:Types></d:Probe></s:Body></s:Envelope>";
    return probe;
}

} // namespace Netrove
