// What one WS-Discovery datagram costs the reader and the row rules: answers as the simulator's
// cameras write them, and 64 KiB of what anyone on the network could send instead. It sends
// nothing, so it runs anywhere:
//
//     ninja -C build-bench netrove-onvif-bench && build-bench/bin/netrove-onvif-bench
//
// Each shape is read again and again for a third of a second; the figures are the median and the
// fastest of those reads, in microseconds, with what came of it.

#include "bench/BenchOutput.h"
#include "onvif/OnvifDevice.h"
#include "onvif/OnvifMessage.h"
#include "tools/devsim/OnvifResponder.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

using namespace Netrove;
using Clock = std::chrono::steady_clock;

namespace {

struct Shape
{
    const char* name;
    std::string bytes;
};

std::string Camera(const char* line)
{
    const DevSim::ParsedLine parsed = DevSim::ParseDeviceLine(line);
    return DevSim::OnvifResponder::BuildProbeMatches(*parsed.device, 1,
                                                     "uuid:7c3d2b1a-0f4e-4d5c-9a8b-123456789abc",
                                                     "urn:uuid:0c2b5f0e-96a3-4e4e-8a1d-3f0e2d1c0b0a");
}

std::string Filled(std::string head, const std::string& unit, const std::string& tail = {})
{
    while (head.size() + unit.size() + tail.size() <= 65536)
        head += unit;
    return head + tail;
}

std::vector<Shape> Shapes()
{
    const std::string envelope = "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\"><s:Body>";
    std::string random(65536, '\0');
    std::mt19937 generator(1);
    for (char& c : random)
        c = static_cast<char>(generator());
    std::string attributes = "<s:Envelope";
    for (int i = 0; i < 128; ++i)
        attributes += " xmlns:p" + std::to_string(i) + "=\"urn:x\"";
    attributes += "><s:Body";
    for (int i = 0; i < 127; ++i)
        attributes += " q" + std::to_string(i) + "=\"1\"";
    attributes += "/></s:Envelope>";
    std::string scopes;
    for (int i = 0; i < 64; ++i)
        scopes += "onvif://www.onvif.org/name/Camera%20" + std::to_string(i) + " ";
    const std::string match =
        "<d:ProbeMatch><a:EndpointReference><a:Address>urn:uuid:1</a:Address>"
        "</a:EndpointReference><d:Types>dn:NetworkVideoTransmitter</d:Types><d:Scopes>" +
        scopes + "</d:Scopes><d:XAddrs>http://192.168.1.64/onvif/device_service</d:XAddrs>" +
        "</d:ProbeMatch>";
    std::string matches = envelope + "<d:ProbeMatches>";
    for (int i = 0; i < 16; ++i)
        matches += match;
    matches += "</d:ProbeMatches></s:Body></s:Envelope>";
    return {
        {"camera, SOAP-ENV dialect",
         Camera("kind=onvif dialect=soapenv hardware=IPC-3220 name=\"Front door\" "
                "mac=00:40:8c:00:00:01 ip=192.168.1.64")},
        {"camera, indented dialect", Camera("kind=onvif dialect=indented name=\"Car park\" spaces=raw "
                                            "xaddrs=\"http://169.254.7.7/onvif/device_service "
                                            "http://192.168.1.65/onvif/device_service\"")},
        {"camera, env dialect", Camera("kind=onvif dialect=env types=none name=Gate ip=192.168.1.66")},
        {"camera, 2009/01", Camera("kind=onvif dialect=2009 hardware=BOX-9 name=Hall ip=192.168.1.67")},
        {"computer", Camera("kind=wsdhost")},
        {"16 matches of 64 scopes", matches},
        {"64 KiB of nested elements", Filled(envelope, "<a:b>")},
        {"64 KiB of random bytes", random},
        {"64 KiB of garbage after an envelope", Filled(envelope, "\xff\xfe")},
        {"64 KiB of flat elements", Filled(envelope, "<a:b/>")},
        {"64 KiB of one Scopes text",
         Filled(envelope + "<d:ProbeMatches><d:ProbeMatch><d:Scopes>", "onvif://www.onvif.org/name/x ",
                "</d:Scopes></d:ProbeMatch></d:ProbeMatches></s:Body></s:Envelope>")},
        {"64 KiB of white space", Filled(envelope, " ", "</s:Body></s:Envelope>")},
        {"64 KiB comment", Filled(envelope + "<!--", "a", "--></s:Body></s:Envelope>")},
        {"255 attributes (the limit)", attributes},
        {"64 KiB of attributes", Filled("<s:Envelope", " a=\"1\"", ">")},
        {"DTD and entities",
         "<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY a \"ha\">]>" + Filled(envelope, "&a;")},
    };
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::printf("# %s\n# load average %s\n", qPrintable(Bench::MachineText()),
                qPrintable(Bench::LoadAverage()));
    std::printf("shape,bytes,median_us,min_us,kind,matches,rows\n");
    for (const Shape& shape : Shapes()) {
        const std::span<const std::uint8_t> datagram(
            reinterpret_cast<const std::uint8_t*>(shape.bytes.data()), shape.bytes.size());
        std::vector<double> times;
        OnvifMessage message;
        int rows = 0;
        const Clock::time_point end = Clock::now() + std::chrono::milliseconds(333);
        while (Clock::now() < end || times.size() < 20) {
            const Clock::time_point start = Clock::now();
            message = ReadOnvifMessage(datagram);
            rows = 0;
            for (const OnvifMatch& match : message.matches) {
                if (IsOnvifVideoDevice(match) &&
                    !MakeOnvifRow(match, QStringLiteral("192.168.1.2")).ip.isEmpty())
                    ++rows;
            }
            times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        }
        std::sort(times.begin(), times.end());
        std::printf("%s,%zu,%.1f,%.1f,%d,%zu,%d\n", shape.name, shape.bytes.size(), times[times.size() / 2],
                    times.front(), int(message.kind), message.matches.size(), rows);
    }
    return 0;
}
