// Setting many devices at once, before anything is sent: the addresses each device gets, what is
// refused, and address plan files read back.

#include "batchset/AddressPlanFile.h"
#include "batchset/BatchDevices.h"
#include "batchset/BatchPlan.h"
#include "devicelist/DeviceListModel.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <QTest>

using namespace Netrove;

namespace {

Ipv4Octets Quad(const QString& text)
{
    return ParseDottedQuad(text.toStdString()).value_or(Ipv4Octets{});
}

QStringList Quads(const std::vector<Ipv4Octets>& addresses)
{
    QStringList texts;
    for (const Ipv4Octets& address : addresses)
        texts << QString::fromStdString(FormatDottedQuad(address));
    return texts;
}

// Answers a ping at the given addresses, or has no socket at all.
class FakeProber final : public AddressProber
{
public:
    QStringList answering;
    bool noSocket = false;
    int rounds = 0;
    QStringList probed;
    std::size_t largest = 0;
    std::vector<Result> Probe(std::span<const Ipv4Octets> candidates) override
    {
        ++rounds;
        largest = std::max(largest, candidates.size());
        probed << Quads(std::vector<Ipv4Octets>(candidates.begin(), candidates.end()));
        std::vector<Result> results;
        for (const Ipv4Octets& candidate : candidates) {
            const bool taken = answering.contains(QString::fromStdString(FormatDottedQuad(candidate)));
            results.push_back(noSocket ? Result::NoSocket : taken ? Result::InUse : Result::Free);
        }
        return results;
    }
};

// This computer at 192.168.1.10/24, a listed device not being set at 192.168.1.64.
BatchNetwork LabNetwork(int prefix = 24)
{
    BatchNetwork network;
    network.network.localAddress = {192, 168, 1, 10};
    network.network.prefixLength = prefix;
    network.network.ownAddresses = {{192, 168, 1, 10}};
    network.listed = {{192, 168, 1, 64}};
    return network;
}

BatchDevice Camera(const char* mac, const char* newIp, PacketKind kind = PacketKind::KindCamera)
{
    BatchDevice device;
    device.mac = QString::fromLatin1(mac);
    device.entry.kind = kind;
    device.entry.reply.assign(LongFormSize(kind), 0);
    WriteText(kind, device.entry.reply, PacketField::MacAddress, mac);
    WriteText(kind, device.entry.reply, PacketField::ModelName, "QMX-1000");
    WriteU16(kind, device.entry.reply, PacketField::HttpPort, 80);
    WriteU16(kind, device.entry.reply, PacketField::DlxPort, 10000);
    if (*newIp)
        device.newIp = Quad(QString::fromLatin1(newIp));
    return device;
}

} // namespace

class TestBatchPlan final : public QObject
{
    Q_OBJECT

private slots:
    void addresses_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("prefix");
        QTest::addColumn<QStringList>("answering");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("upwards, one each")
            << u"192.168.1.100"_qs << 3 << 24 << QStringList{}
            << QStringList{u"192.168.1.100"_qs, u"192.168.1.101"_qs, u"192.168.1.102"_qs} << QString();
        QTest::newRow("what answers a ping is skipped")
            << u"192.168.1.100"_qs << 2 << 24 << QStringList{u"192.168.1.100"_qs, u"192.168.1.102"_qs}
            << QStringList{u"192.168.1.101"_qs, u"192.168.1.103"_qs} << QString();
        QTest::newRow("this computer's and listed devices' addresses are skipped")
            << u"192.168.1.9"_qs << 2 << 24 << QStringList{}
            << QStringList{u"192.168.1.9"_qs, u"192.168.1.11"_qs} << QString();
        QTest::newRow("listed device skipped")
            << u"192.168.1.63"_qs << 2 << 24 << QStringList{}
            << QStringList{u"192.168.1.63"_qs, u"192.168.1.65"_qs} << QString();
        QTest::newRow("the broadcast address ends the network")
            << u"192.168.1.253"_qs << 3 << 24 << QStringList{} << QStringList{}
            << u"Not enough free IP addresses for 3 devices from 192.168.1.253"_qs;
        QTest::newRow("a /22 goes on past .255")
            << u"192.168.1.254"_qs << 3 << 22 << QStringList{}
            << QStringList{u"192.168.1.254"_qs, u"192.168.1.255"_qs, u"192.168.2.0"_qs} << QString();
        QTest::newRow("outside the network")
            << u"192.168.2.100"_qs << 1 << 24 << QStringList{} << QStringList{}
            << u"192.168.2.100 is not in this computer's network 192.168.1.0/24"_qs;
        QTest::newRow("no socket to ping with") << u"noSocket"_qs << 1 << 24 << QStringList{} << QStringList{}
                                                << u"Please start the program with admin account"_qs;
    }

    void addresses()
    {
        QFETCH(QString, first);
        QFETCH(int, count);
        QFETCH(int, prefix);
        QFETCH(QStringList, answering);
        QFETCH(QStringList, chosen);
        QFETCH(QString, refusal);
        FakeProber prober;
        prober.answering = answering;
        prober.noSocket = first == u"noSocket"_qs;
        std::set<Ipv4Octets> inUse;
        const BatchAddresses result =
            ChooseBatchAddresses(prober.noSocket ? Quad(u"192.168.1.100"_qs) : Quad(first),
                                 std::size_t(count), LabNetwork(prefix), prober, inUse);
        QCOMPARE(Quads(result.addresses), chosen);
        QVERIFY2(result.refusal.contains(refusal) && result.refusal.isEmpty() == refusal.isEmpty(),
                 qPrintable(result.refusal));
        for (const QString& taken : answering)
            QVERIFY(inUse.count(Quad(taken)) == 1 || !result.refusal.isEmpty());
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("newIps"); // one camera each, "-" for a recorder with .120
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("all well") << QStringList{u"192.168.1.100"_qs, u"192.168.1.101"_qs} << u"7517"_qs
                                  << u"192.168.1.1"_qs << QString();
        QTest::newRow("one address twice")
            << QStringList{u"192.168.1.100"_qs, u"192.168.1.100"_qs} << u"7517"_qs << u"192.168.1.1"_qs
            << u"192.168.1.100 is planned for two devices"_qs;
        QTest::newRow("an address in use")
            << QStringList{u"192.168.1.100"_qs, u"192.168.1.77"_qs} << u"7517"_qs << u"192.168.1.1"_qs
            << u"192.168.1.77 answers a ping"_qs;
        QTest::newRow("this computer's address")
            << QStringList{u"192.168.1.10"_qs} << u"7517"_qs << u"192.168.1.1"_qs
            << u"192.168.1.10 is this computer's address"_qs;
        QTest::newRow("a listed device's")
            << QStringList{u"192.168.1.64"_qs} << u"7517"_qs << u"192.168.1.1"_qs
            << u"192.168.1.64 is the address of a listed device"_qs;
        QTest::newRow("the broadcast address")
            << QStringList{u"192.168.1.255"_qs} << u"7517"_qs << u"192.168.1.1"_qs
            << u"192.168.1.255 is this computer's address or its network's own"_qs;
        QTest::newRow("outside the network") << QStringList{u"10.0.0.5"_qs} << u"7517"_qs << u"192.168.1.1"_qs
                                             << u"not in this computer's network"_qs;
        QTest::newRow("a recorder's password field is shorter")
            << QStringList{u"-"_qs} << u"0123456789"_qs << u"192.168.1.1"_qs << u"(9 characters)"_qs;
        QTest::newRow("a gateway the Manual Set rules refuse")
            << QStringList{u"192.168.1.100"_qs} << u"7517"_qs << u"10.0.0.1"_qs << u"00:1A:2B:00:00:00: "_qs;
    }

    void refusals()
    {
        QFETCH(QStringList, newIps);
        QFETCH(QString, password);
        QFETCH(QString, gateway);
        QFETCH(QString, refusal);
        std::vector<BatchDevice> devices;
        for (const QString& ip : newIps) {
            const bool recorder = ip == u"-"_qs;
            devices.push_back(Camera("00:1A:2B:00:00:00", recorder ? "192.168.1.120" : qPrintable(ip),
                                     recorder ? PacketKind::KindRecorder : PacketKind::KindCamera));
        }
        BatchSettings settings;
        settings.mask = {255, 255, 255, 0};
        settings.gateway = Quad(gateway);
        settings.password = password;
        const QString why = CheckBatch(devices, settings, LabNetwork(), {Quad(u"192.168.1.77"_qs)});
        QVERIFY2(why.contains(refusal) && why.isEmpty() == refusal.isEmpty(), qPrintable(why));
    }

    void oneAdapter()
    {
        std::vector<BatchDevice> devices{Camera("A", "192.168.1.100"), Camera("B", "192.168.1.101")};
        devices[0].entry.arrival.name = u"lab0"_qs;
        devices[1].entry.arrival.name = u"lab0"_qs;
        QVERIFY(SameAdapterRefusal(devices).isEmpty());
        devices[1].entry.arrival.name = u"lab1"_qs;
        QCOMPARE(
            SameAdapterRefusal(devices),
            u"The devices answered on different adapters (lab0, lab1): choose devices of one adapter"_qs);
    }

    // A thousand devices in a /22: never more pinged at once than the neighbour table has room for.
    void largeBatchesAreProbedInRounds()
    {
        FakeProber prober;
        std::set<Ipv4Octets> inUse;
        const BatchAddresses result =
            ChooseBatchAddresses(Quad(u"192.168.0.2"_qs), 1000, LabNetwork(22), prober, inUse);
        QVERIFY2(result.refusal.isEmpty(), qPrintable(result.refusal));
        QCOMPARE(result.addresses.size(), std::size_t(1000));
        QVERIFY(prober.largest <= kLargestProbeRound && prober.rounds == 4);
    }

    // A plan's addresses are pinged, but not a device's own: it would answer for itself.
    void givenAddressesArePinged()
    {
        std::vector<BatchDevice> devices{Camera("A", "192.168.1.101"), Camera("B", "192.168.1.150"),
                                         Camera("C", "10.0.0.5")};
        devices[0].ip = u"192.168.1.101"_qs;
        FakeProber prober;
        prober.answering = QStringList{u"192.168.1.101"_qs, u"192.168.1.150"_qs};
        std::set<Ipv4Octets> inUse;
        QVERIFY(ProbeGivenAddresses(devices, LabNetwork(), prober, inUse).isEmpty());
        QCOMPARE(prober.probed, QStringList{u"192.168.1.150"_qs});
        QCOMPARE(inUse, (std::set<Ipv4Octets>{Quad(u"192.168.1.150"_qs)}));
    }

    void planFiles_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QStringList>("lines"); // "line MAC IP mask gateway mode"
        QTest::addColumn<QString>("refusal");   // of the plan, or of it over its devices (see planFiles)
        const QByteArray header = "Device Type,MAC Address,IP Address,Subnet Mask,Gateway,Mode\r\n";
        QTest::newRow("a saved list, edited")
            << header + "IP CAMERA,00:1A:2B:00:00:01,192.168.1.101,255.255.255.0,192.168.1.1,Static\r\n"
                        "NVR,\"00:1A:2B:00:00:02\",,,,Dynamic\r\n"
            << QStringList{u"2 00:1A:2B:00:00:01 192.168.1.101 255.255.255.0 192.168.1.1 static"_qs,
                           u"3 00:1A:2B:00:00:02 - - - dhcp"_qs}
            << QString();
        QTest::newRow("only the two columns, LF lines, a guarded cell, an empty line")
            << QByteArray("IP Address,MAC Address\n192.168.1.9,'@A\n\n10.0.0.1,B\n")
            << QStringList{u"2 @A 192.168.1.9 - - -"_qs, u"4 B 10.0.0.1 - - -"_qs} << QString();
        QTest::newRow("a required column missing")
            << QByteArray("MAC Address,Gateway\r\nA,1.2.3.4\r\n") << QStringList{}
            << u"Line 1: the columns \"MAC Address\" and \"IP Address\" are required"_qs;
        QTest::newRow("no address") << header + "X,A,192.168.1.300,,,\r\n"
                                    << QStringList{} << u"Line 2: \"192.168.1.300\" is no address"_qs;
        QTest::newRow("a mode that cannot be set") << header + "X,A,192.168.1.3,,,PPPoE\r\n"
                                                   << QStringList{} << u"Line 2: the mode \"PPPoE\""_qs;
        QTest::newRow("a quote left open, its line told")
            << header + "X,A,192.168.1.3,,,\r\nX,\"B,192.168.1.4\r\n"
            << QStringList{} << u"Line 3: a quoted field is not closed"_qs;
        QTest::newRow("a Dynamic line given a new address")
            << header + "X,00:1A:2B:00:42:00,192.168.1.101,,,Dynamic\r\n"
                        "X,00:1A:2B:00:42:02,192.168.1.101,,,DHCP\r\n"
                        "X,00:1A:2B:00:42:01,192.168.1.230,,,Dynamic\r\n"
            << QStringList{u"2 00:1A:2B:00:42:00 192.168.1.101 - - dhcp"_qs,
                           u"3 00:1A:2B:00:42:02 192.168.1.101 - - dhcp"_qs,
                           u"4 00:1A:2B:00:42:01 192.168.1.230 - - dhcp"_qs}
            << u"Line 4: 00:1A:2B:00:42:01 is Dynamic, so it takes its address from a DHCP server; "
               u"write Static in its Mode cell to give it 192.168.1.230"_qs;
    }

    void planFiles()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QStringList, lines);
        QFETCH(QString, refusal);
        const AddressPlan plan = ReadAddressPlan(csv);
        // Every device the plan names answered, each Dynamic at 192.168.1.101.
        DeviceListModel listed;
        std::vector<NewDeviceRow> rows;
        for (const PlanLine& line : plan.lines) {
            NewDeviceRow row;
            row.entry = std::make_unique<DeviceEntry>(Camera(qPrintable(line.mac), "").entry);
            row.texts[ColumnMac] = line.mac;
            row.texts[ColumnMode] = u"Dynamic"_qs;
            row.texts[ColumnIp] = u"192.168.1.101"_qs;
            rows.push_back(std::move(row));
        }
        listed.AddReplies(std::move(rows));
        const QString why = ResolveAddressPlan(plan, listed).refusal;
        QVERIFY2(why.startsWith(refusal) && why.isEmpty() == refusal.isEmpty(), qPrintable(why));
        const auto text = [](const std::optional<Ipv4Octets>& address) {
            return address ? QString::fromStdString(FormatDottedQuad(*address)) : u"-"_qs;
        };
        QStringList read;
        for (const PlanLine& line : plan.lines)
            read << QStringLiteral("%1 %2 %3 %4 %5 %6")
                        .arg(line.line)
                        .arg(line.mac, text(line.ip), text(line.mask), text(line.gateway),
                             line.dhcp ? (*line.dhcp ? u"dhcp"_qs : u"static"_qs) : u"-"_qs);
        QCOMPARE(read, lines);
    }
};

QTEST_GUILESS_MAIN(TestBatchPlan)

#include "tst_batchplan.moc"
