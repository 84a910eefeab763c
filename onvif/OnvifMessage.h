#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace Netrove {

enum class OnvifMessageKind
{
    None,         // not a WS-Discovery message this reader takes, or one it refused
    Probe,        // another client's probe (heard on 3702): never listed, never answered
    ProbeMatches, // the answer to a probe
    Hello,        // a device that came onto the network
    Bye,          // a device that leaves it
};

// A type of a Types list, its prefix resolved with the message's own declarations.
struct OnvifTypeName
{
    QString namespaceUri; // empty when the prefix was declared nowhere
    QString localName;    // "NetworkVideoTransmitter"
};

// One device as a message describes it: a ProbeMatch, or the device of a Hello or Bye.
struct OnvifMatch
{
    QString address; // EndpointReference/Address: "urn:uuid:…", as written
    QList<OnvifTypeName> types;
    QStringList scopes; // percent-decoded (ReadOnvifScopes)
    QStringList xaddrs; // the device service addresses, as written
    QString metadataVersion;
};

struct OnvifMessage
{
    OnvifMessageKind kind = OnvifMessageKind::None;
    QString messageId; // as written, white space around it dropped
    QString relatesTo;
    std::vector<OnvifMatch> matches; // complete ones only; a Hello, Bye or Probe has one
};

// Bounds on what one datagram may make this reader do. Anyone on the network can send to the
// WS-Discovery ports, so a message beyond them is nothing rather than work.
struct OnvifReadLimits
{
    static constexpr std::size_t kDatagram = 65536;
    static constexpr int kDepth = 16;
    static constexpr int kElements = 256;
    static constexpr int kAttributesPerElement = 128;
    static constexpr int kAttributes = 256;
    static constexpr int kMatches = 8;
    static constexpr qsizetype kListWords = 32;
    static constexpr qsizetype kText = 8192; // characters of one list or address
    // Bytes of one run of text between two tags, and of one comment, CDATA section or processing
    // instruction: cameras write short ones, and the XML reader takes its time over long ones.
    static constexpr std::size_t kTextRun = 8192;
    static constexpr std::size_t kComment = 2048;
};

// Reads one datagram leniently: elements by their local name whatever their prefix, WS-Discovery
// 2005/04 or 2009/01. It refuses a document type declaration (and with it every entity of one),
// fetches nothing, and stops at the limits above; a message cut short gives the matches that were
// complete.
OnvifMessage ReadOnvifMessage(std::span<const std::uint8_t> datagram);

} // namespace Netrove
