// ONVIF cameras of other makers over a real (lab) network: the simulator's cameras, in their
// dialects, and a WS-Discovery computer answer Netrove's probes, which leave from the fixed port on
// every adapter; read with the reader and the row rules, each camera is one row and the computer
// none. Debian's own ONVIF client finds the same cameras, the proof that they speak WS-Discovery.

#include "devicelist/DeviceListColumns.h"
#include "devicelist/DeviceListModel.h"
#include "devicelist/RowMayBeSet.h"
#include "engine/DeviceEngine.h"
#include "onvif/OnvifDevice.h"
#include "onvif/OnvifMessage.h"
#include "onvif/OnvifProbe.h"
#include "onvif/OnvifSockets.h"
#include "tests/lab/DevicesSide.h"
#include "tests/lab/LabFixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTest>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

using namespace Netrove;

namespace {

QString Endpoint(int n)
{
    return QStringLiteral("urn:uuid:11111111-2222-4333-8444-0000000000%1").arg(n, 2, 16, QLatin1Char('0'));
}

QString DeviceFile()
{
    return QStringLiteral(
               "kind=onvif dialect=soapenv endpoint=%1 hardware=IPC-3220 name=\"Front door\" "
               "mac=00:40:8c:00:00:01 ip=192.168.1.64 ipv6=fe80::64\n"
               "kind=onvif dialect=indented endpoint=uuid:11111111-2222-4333-8444-000000000002 name=\"Car "
               "park\" "
               "spaces=raw hello=1 ip=192.168.1.65 "
               "xaddrs=\"http://169.254.7.7/onvif/device_service http://192.168.1.65/onvif/device_service\"\n"
               "kind=onvif dialect=env endpoint=%2 types=none echo=1 name=\"Café\" ip=192.168.1.66\n"
               "kind=onvif dialect=2009 endpoint=%3 hardware=BOX-9 name=Hall ip=192.168.1.67\n"
               "kind=onvif endpoint=%4 hardware=IPC-3220 mac=00:40:8c:00:00:05 ip=192.168.1.68\n"
               "kind=onvif endpoint=%4 hardware=IPC-3220 mac=00:40:8c:00:00:06 ip=192.168.1.69\n"
               "kind=wsdhost endpoint=%5\n")
        .arg(Endpoint(1), Endpoint(3), Endpoint(4), Endpoint(5), Endpoint(0xff));
}

// Takes TCP connections on port 80 of the devices side and closes them: onvif-util asks every
// camera it found for its time and name, and crashes where nothing is there.
class DeviceServiceStandIn final
{
public:
    DeviceServiceStandIn()
    {
        m_error = RunOnDevicesSide([this] {
            m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
            const int on = 1;
            ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
            sockaddr_in local{};
            local.sin_family = AF_INET;
            local.sin_port = htons(80);
            if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
                ::listen(m_fd, 64) != 0)
                m_error = QStringLiteral("port 80 on the devices side: %1").arg(errno);
        });
        if (m_error.isEmpty())
            m_thread = std::thread([this] {
                while (!m_stop) {
                    pollfd p{m_fd, POLLIN, 0};
                    if (::poll(&p, 1, 100) > 0)
                        ::close(::accept(m_fd, nullptr, nullptr));
                }
            });
    }
    ~DeviceServiceStandIn()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    QString Error() const { return m_error; }

private:
    int m_fd = -1;
    QString m_error;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace

class TestOnvifLab final : public QObject
{
    Q_OBJECT

private:
    LabFixture m_lab;
    OnvifSockets m_sockets;
    std::vector<ReceivedDatagram> m_datagrams;
    QStringList m_probeIds;
    QString m_socketError;

    void Probe(bool ipv6)
    {
        for (const OnvifProbeType type : {OnvifProbeType::NetworkVideoTransmitter, OnvifProbeType::Device}) {
            m_probeIds.append(MakeOnvifMessageId());
            const QByteArray probe = BuildOnvifProbe(m_probeIds.last(), type);
            m_sockets.SendProbe(
                {reinterpret_cast<const std::uint8_t*>(probe.constData()), std::size_t(probe.size())},
                ipv6 ? OnvifFamily::IPv6 : OnvifFamily::IPv4);
        }
    }

    struct Heard
    {
        QMap<QString, OnvifRow> rows; // by row key
        QMap<QString, int> answers;   // answers of this search, by row key
        QSet<QString> refused;        // endpoint keys of answers that are no video device
        int ipv6Answers = 0;
        QList<std::pair<OnvifMessageKind, QString>> announcements; // kind, endpoint key
    };

    Heard Read() const
    {
        Heard heard;
        for (const ReceivedDatagram& datagram : m_datagrams) {
            const OnvifMessage message = ReadOnvifMessage({datagram.buffer.data(), datagram.size});
            if (message.kind == OnvifMessageKind::Hello || message.kind == OnvifMessageKind::Bye) {
                for (const OnvifMatch& match : message.matches)
                    heard.announcements.append({message.kind, OnvifEndpointKey(match.address)});
                continue;
            }
            if (message.kind != OnvifMessageKind::ProbeMatches ||
                !RelatesToOwnProbe(message.relatesTo, m_probeIds))
                continue;
            for (const OnvifMatch& match : message.matches) {
                if (!IsOnvifVideoDevice(match)) {
                    heard.refused.insert(OnvifEndpointKey(match.address));
                    continue;
                }
                const OnvifRow row = MakeOnvifRow(match, datagram.SenderText());
                heard.rows.insert(row.key, row);
                heard.answers[row.key] += 1;
                heard.ipv6Answers += datagram.family == AF_INET6 ? 1 : 0;
            }
        }
        return heard;
    }

    // Forgets what came so far and searches anew, over IPv4 (and IPv6), until `rows` rows and
    // the computer's answer came.
    bool Search(int rows, bool ipv6)
    {
        m_datagrams.clear();
        m_probeIds.clear();
        Probe(false);
        if (ipv6)
            Probe(true);
        // The cameras answer within 500 ms of each probe; more than that is not waited for, so
        // that a second answer to the same search shows.
        QTest::qWait(1200);
        const Heard heard = Read();
        return heard.rows.size() == rows && heard.refused.contains(OnvifEndpointKey(Endpoint(0xff))) &&
               (!ipv6 || heard.ipv6Answers > 0);
    }

private slots:
    void initTestCase()
    {
        OnvifChannel::Receiver receiver;
        receiver.onBatch = [this](std::vector<ReceivedDatagram>& batch) {
            for (ReceivedDatagram& datagram : batch)
                m_datagrams.push_back(std::move(datagram));
        };
        receiver.onSocketError = [this](const QString& text, int error) {
            m_socketError = text + QLatin1Char(' ') + QString::number(error);
        };
        m_sockets.Open(receiver);
        QCOMPARE(m_sockets.ReplyPort(OnvifFamily::IPv4), OnvifSockets::kOnvifReplyPort);
        QCOMPARE(m_sockets.ReplyPort(OnvifFamily::IPv6), OnvifSockets::kOnvifReplyPort);
        QVERIFY(m_sockets.HearsAnnouncements());
        QVERIFY2(m_lab.Start(DeviceFile(), {QStringLiteral("--seed"), QStringLiteral("7")}),
                 qPrintable(m_lab.Error()));
        // The camera with hello=1 says so as it starts.
        QTRY_VERIFY(Read().announcements.contains({OnvifMessageKind::Hello, OnvifEndpointKey(Endpoint(2))}));
        QVERIFY2(Search(6, true), "not every camera, the computer, or an IPv6 answer was heard");
        QVERIFY2(m_socketError.isEmpty(), qPrintable(m_socketError));
    }

    // Each camera's row, whatever its dialect; the computer has none.
    void rows_data()
    {
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("alias");
        QTest::addColumn<QString>("mac");
        QTest::newRow("SOAP-ENV, over IPv4 and IPv6") << Endpoint(1) << "192.168.1.64"
                                                      << "IPC-3220"
                                                      << "Front door"
                                                      << "00:40:8C:00:00:01";
        QTest::newRow("indented, raw spaces, a link-local XAddr first") << Endpoint(2) << "192.168.1.65"
                                                                        << ""
                                                                        << "Car park"
                                                                        << "";
        QTest::newRow("env, no Types, echoing") << Endpoint(3) << "192.168.1.66"
                                                << ""
                                                << "Café"
                                                << "";
        QTest::newRow("2009/01") << Endpoint(4) << "192.168.1.67"
                                 << "BOX-9"
                                 << "Hall"
                                 << "";
        QTest::newRow("one serial, first") << Endpoint(5) << "192.168.1.68"
                                           << "IPC-3220"
                                           << ""
                                           << "00:40:8C:00:00:05";
        QTest::newRow("one serial, second") << Endpoint(5) << "192.168.1.69"
                                            << "IPC-3220"
                                            << ""
                                            << "00:40:8C:00:00:06";
    }
    void rows()
    {
        QFETCH(QString, endpoint);
        QFETCH(QString, ip);
        const Heard heard = Read();
        const auto found = std::find_if(heard.rows.begin(), heard.rows.end(), [&](const OnvifRow& row) {
            return OnvifEndpointKey(row.endpoint) == OnvifEndpointKey(endpoint) && row.ip == ip;
        });
        QVERIFY2(found != heard.rows.end(), qPrintable(QStringList(heard.rows.keys()).join(u", ")));
        QTEST(found->deviceName, "name");
        QTEST(found->alias, "alias");
        QTEST(found->mac, "mac");
        QCOMPARE(found->url, QStringLiteral("http://%1/onvif/device_service").arg(ip));
        QCOMPARE(found->webAddress, QStringLiteral("http://%1/").arg(ip));
        // Both probes, and for the first both families, were answered: many answers, one row.
        QVERIFY(heard.answers.value(found->key) >= 2);
    }

    void eachDeviceOnce()
    {
        const Heard heard = Read();
        QCOMPARE(heard.rows.size(), 6);
        QCOMPARE(heard.refused, QSet<QString>{OnvifEndpointKey(Endpoint(0xff))});
    }

    // The engine lists them beside Netrove's own devices, one row each, read-only; one of ours at the
    // address of one of theirs makes both red. Without "ONVIF" no probe leaves.
    void engineListsThemBesideOurs()
    {
        const QString ours = QStringLiteral("kind=camera mac=02:00:00:00:00:64 model=NC-1 ip=192.168.1.64\n");
        QVERIFY2(m_lab.Start(DeviceFile() + ours), qPrintable(m_lab.Error()));
        for (const bool onvif : {true, false}) {
            DeviceEngine engine;
            SearchChoice choice;
            choice.onvif = onvif;
            engine.SetSearchChoice(choice);
            engine.Open();
            bool finished = false;
            QObject::connect(&engine, &DeviceEngine::searchFinished, &engine,
                             [&finished] { finished = true; });
            const int probesBefore = int(m_lab.Received(QStringLiteral("onvif")).size());
            engine.StartSearch();
            QTRY_VERIFY_WITH_TIMEOUT(finished, 5000);
            const DeviceListModel& rows = engine.Rows();
            QCOMPARE(rows.rowCount(), onvif ? 7 : 1);
            if (!onvif) {
                QCOMPARE(m_lab.Received(QStringLiteral("onvif")).size(), probesBefore);
                continue;
            }
            const int mine = rows.FindRowByMac(QStringLiteral("02:00:00:00:00:64"));
            QVERIFY(mine >= 0);
            for (int row = 0; row < rows.rowCount(); ++row) {
                if (row == mine)
                    continue;
                QCOMPARE(rows.Text(row, ColumnProtocol), QStringLiteral("ONVIF"));
                QVERIFY(!RowMayBeSet(rows.Text(row, ColumnProtocol), rows.EntryAt(row)));
                if (rows.Text(row, ColumnIp) == QStringLiteral("192.168.1.64")) {
                    QCOMPARE(rows.ConflictingMacs(row), QStringList{QStringLiteral("02:00:00:00:00:64")});
                    QCOMPARE(rows.ConflictingMacs(mine), QStringList{rows.Text(row, ColumnMac)});
                }
            }
            QCOMPARE(engine.OtherMakersAddresses().size(), std::size_t(6));
        }
    }

    void byeWhenStopped()
    {
        m_lab.Stop();
        QTRY_VERIFY(Read().announcements.contains({OnvifMessageKind::Bye, OnvifEndpointKey(Endpoint(2))}));
    }

    // Debian's ONVIF client lists what it finds as "ADDRESS (NAME HARDWARE)". It reads only the
    // first XAddr and WS-Discovery 2005/04, and crashes on an answer without XAddrs: these are
    // cameras it can read.
    void onvifUtilFindsTheCameras()
    {
        const QString util = QStringLiteral("/usr/bin/onvif-util");
        QVERIFY2(QFile::exists(util), "onvif-util is missing: apt-get install onvif-tools (tools/test does)");
        QVERIFY2(
            m_lab.Start(QStringLiteral("kind=onvif dialect=soapenv hardware=IPC-3220 name=\"Front door\" "
                                       "ip=192.168.1.64\n"
                                       "kind=onvif dialect=indented hardware=IPC-3220 ip=192.168.1.65\n"
                                       "kind=onvif dialect=env types=none name=Gate hardware=DOME-5 "
                                       "ip=192.168.1.66\n")),
            qPrintable(m_lab.Error()));
        QVERIFY2(m_lab.Occupy({u"192.168.1.64"_qs, u"192.168.1.65"_qs, u"192.168.1.66"_qs}),
                 qPrintable(m_lab.Error()));
        const DeviceServiceStandIn standIn;
        QVERIFY2(standIn.Error().isEmpty(), qPrintable(standIn.Error()));
        QProcess client;
        client.start(util, {QStringLiteral("-a")});
        QVERIFY(client.waitForFinished(30000));
        const QString output = QString::fromUtf8(client.readAllStandardOutput());
        qInfo().noquote() << "onvif-util -a:" << output;
        QVERIFY2(client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0, qPrintable(output));
        QVERIFY2(output.contains(u"Found 3 cameras"_qs), qPrintable(output));
        QVERIFY2(output.contains(u"192.168.1.64 (Front door IPC-3220)"_qs), qPrintable(output));
        QVERIFY2(output.contains(u"\n192.168.1.65 ("_qs), qPrintable(output));
        QVERIFY2(output.contains(u"192.168.1.66 (Gate DOME-5)"_qs), qPrintable(output));
    }

    // With 7712 held (here by the first sockets), a second set takes ports of the system's and
    // hears its answers there, as Netrove does beside another program on the port.
    void takenPortFallsBack()
    {
        OnvifSockets second;
        std::vector<ReceivedDatagram> heard;
        second.Open({[&heard](std::vector<ReceivedDatagram>& batch) {
                         for (ReceivedDatagram& datagram : batch)
                             heard.push_back(std::move(datagram));
                     },
                     {}});
        const std::uint16_t port = second.ReplyPort(OnvifFamily::IPv4);
        QVERIFY2(port != 0 && port != OnvifSockets::kOnvifReplyPort, qPrintable(QString::number(port)));
        const QString id = MakeOnvifMessageId();
        const QByteArray probe = BuildOnvifProbe(id, OnvifProbeType::NetworkVideoTransmitter);
        second.SendProbe(
            {reinterpret_cast<const std::uint8_t*>(probe.constData()), std::size_t(probe.size())},
            OnvifFamily::IPv4);
        QTRY_VERIFY(std::count_if(heard.begin(), heard.end(), [&id](const ReceivedDatagram& datagram) {
                        return RelatesToOwnProbe(
                            ReadOnvifMessage({datagram.buffer.data(), datagram.size}).relatesTo, {id});
                    }) == 3);
    }

    // Probes name their adapter: they leave without a route for the group, which the client above
    // needs.
    void probesNeedNoRoute()
    {
        QCOMPARE(QProcess::execute(QStringLiteral("ip"), {u"route"_qs, u"del"_qs, u"default"_qs}), 0);
        m_datagrams.clear();
        m_probeIds.clear();
        Probe(false);
        QTRY_COMPARE(Read().rows.size(), 3);
        QVERIFY2(m_socketError.isEmpty(), qPrintable(m_socketError));
    }
};

NETROVE_LAB_TEST_MAIN(TestOnvifLab, QCoreApplication)
#include "tst_onviflab.moc"
