// Ten thousand hostile datagrams from the devices side at the window's three receive sockets, while
// no setting request of the window awaits an answer: the window sends nothing in return, opens no
// message box, lists only the well-formed search replies among them (each as it arrived), and
// still finds the real devices on the next search.

#include "app/CNetroveDlg.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListColumns.h"
#include "discovery/DiscoveryChannels.h"
#include "engine/DeviceEngine.h"
#include "tests/app/MainWindowControls.h"
#include "tests/lab/BoxAnswerer.h"
#include "tests/lab/DevicesSide.h"
#include "tests/lab/HostileDatagrams.h"
#include "tests/lab/LabFixture.h"
#include "tests/lab/LinkCapture.h"

#include <QApplication>
#include <QCheckBox>
#include <QHash>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include <atomic>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Netrove;

namespace {

constexpr int kFloodSize = 10000;
// Datagrams sent back to back before the sender pauses for a millisecond: a flood, yet one that the
// window's sockets take in whole unless the machine is busy elsewhere (the kernel counts what it
// drops, and the window with it).
constexpr int kFloodStride = 10;

const QString kDevices =
    QStringLiteral("kind=camera mac=02:00:00:00:00:01 model=NC-1 ip=192.168.1.101\n"
                   "kind=camera6 mac=02:00:00:00:00:02 model=NC-6 ip=192.168.1.102 "
                   "ipv6=fe80::2\n"
                   "kind=recorder mac=02:00:00:00:00:03 model=NVR-16 ip=192.168.1.120\n");

QSet<QString> ListedMacs(const CNetroveListCtrl& list)
{
    QSet<QString> macs;
    for (int row = 0; row < list.Rows().rowCount(); ++row)
        macs.insert(list.Rows().Text(row, ColumnMac));
    return macs;
}

// The devices side's two sockets, closed with their owner.
struct FloodSockets
{
    int ipv4 = -1;
    int ipv6 = -1;
    ~FloodSockets()
    {
        for (const int fd : {ipv4, ipv6}) {
            if (fd >= 0)
                ::close(fd);
        }
    }
};

// Sends the flood from the devices side; how many datagrams left whole.
int SendFlood(const std::vector<FloodDatagram>& flood, const FloodSockets& sockets,
              const sockaddr_in6& ipv6Socket)
{
    sockaddr_in host{};
    host.sin_family = AF_INET;
    ::inet_pton(AF_INET, "192.168.1.10", &host.sin_addr);
    sockaddr_in broadcast = host;
    broadcast.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    int sent = 0;
    for (std::size_t i = 0; i < flood.size(); ++i) {
        const FloodDatagram& datagram = flood[i];
        sockaddr_in to = datagram.broadcast ? broadcast : host;
        ssize_t result = -1;
        switch (datagram.port) {
        case FloodPort::Camera:
            to.sin_port = htons(DiscoveryChannels::kCameraReplyPort);
            break;
        case FloodPort::Recorder:
            to.sin_port = htons(DiscoveryChannels::kRecorderReplyPort);
            break;
        case FloodPort::IPv6OverIPv4:
            to.sin_port = ipv6Socket.sin6_port;
            break;
        case FloodPort::IPv6:
            result = ::sendto(sockets.ipv6, datagram.bytes.data(), datagram.bytes.size(), 0,
                              reinterpret_cast<const sockaddr*>(&ipv6Socket), sizeof ipv6Socket);
            break;
        }
        if (datagram.port != FloodPort::IPv6)
            result = ::sendto(sockets.ipv4, datagram.bytes.data(), datagram.bytes.size(), 0,
                              reinterpret_cast<const sockaddr*>(&to), sizeof to);
        sent += result == ssize_t(datagram.bytes.size()) ? 1 : 0;
        if (i % kFloodStride == kFloodStride - 1)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return sent;
}

} // namespace

class TestFloodLab final : public QObject
{
    Q_OBJECT

private slots:
    void hostileFloodIsNeitherAnsweredNorListed()
    {
        LabFixture lab;
        QVERIFY2(lab.Start(kDevices), qPrintable(lab.Error()));
        LinkCapture capture;
        const QString noCapture = capture.Start();
        QVERIFY2(noCapture.isEmpty(), qPrintable(noCapture));
        BoxAnswerer boxes;
        auto ownSockets = std::make_unique<DiscoveryChannels>();
        const DiscoveryChannels& channels = *ownSockets;
        CNetroveDlg dlg(std::move(ownSockets));
        dlg.show();
        QTRY_COMPARE_WITH_TIMEOUT(MainWindow::Rows(dlg)->rowCount(), 3, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(MainWindow::CameraBox(dlg)->isEnabled(), 5000);
        QTest::qWait(300); // the dual camera's second answer
        const QSet<QString> devices = ListedMacs(*MainWindow::List(dlg));
        QCOMPARE(devices.size(), 3);

        // What anyone on the link heard of the window's searches is all the flood knows.
        QTRY_VERIFY(capture.SearchTag() && capture.IPv6SearchSender());
        QVERIFY(*capture.SearchTag() == dlg.Engine().Tag());
        QVERIFY(!dlg.Engine().SettingRequestOutstanding());
        const std::vector<FloodDatagram> flood = MakeHostileFlood(*capture.SearchTag(), kFloodSize, 7711);
        QCOMPARE(int(flood.size()), kFloodSize);

        FloodSockets sockets;
        const QString noSockets = RunOnDevicesSide([&sockets] {
            sockets.ipv4 = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            sockets.ipv6 = ::socket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            const int on = 1;
            ::setsockopt(sockets.ipv4, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
        });
        QVERIFY2(noSockets.isEmpty(), qPrintable(noSockets));
        QVERIFY(sockets.ipv4 >= 0 && sockets.ipv6 >= 0);

        const LinkCapture::Counts before = capture.Taken();
        const std::uint64_t droppedBefore = channels.DroppedDatagrams();
        std::atomic<int> sent{-1};
        std::thread sender([&] { sent = SendFlood(flood, sockets, *capture.IPv6SearchSender()); });
        while (sent < 0)
            QTest::qWait(20);
        sender.join();
        QTest::qWait(1500); // the window takes in what waits, and its timers run
        const LinkCapture::Counts after = capture.Taken();

        QHash<QString, FloodRow> wellFormed;
        for (const FloodDatagram& datagram : flood) {
            if (datagram.row)
                wellFormed.insert(datagram.row->mac, *datagram.row);
        }
        const int programSent = after.Program() - before.Program();
        QStringList kinds;
        for (const auto& [kind, count] : CountKinds(flood))
            kinds << QStringLiteral("%1 %2").arg(count).arg(QString::fromStdString(kind));
        qInfo("flood: %d datagrams sent (%s)", int(sent), qPrintable(kinds.join(QStringLiteral(", "))));
        qInfo("the window sent %d packets back (%d datagrams, %d echo requests); the host's kernel %d frames "
              "(ARP, neighbour discovery, ICMP errors); %d rows listed for %d well-formed replies; dropped "
              "on the window's sockets %llu, by the capture %llu",
              programSent, after.programDatagrams - before.programDatagrams,
              after.programEchoes - before.programEchoes, after.kernelFrames - before.kernelFrames,
              MainWindow::Rows(dlg)->rowCount() - int(devices.size()), int(wellFormed.size()),
              static_cast<unsigned long long>(channels.DroppedDatagrams() - droppedBefore),
              static_cast<unsigned long long>(capture.Dropped()));

        QCOMPARE(int(sent), kFloodSize);
        QCOMPARE(capture.Dropped(), std::uint64_t(0)); // else the count below could miss a packet
        QCOMPARE(programSent, 0);
        QVERIFY2(boxes.Texts().isEmpty(), qPrintable(boxes.Texts().join(QStringLiteral(" | "))));
        const std::uint64_t dropped = channels.DroppedDatagrams() - droppedBefore;

        QStringList wrong;
        QSet<QString> listed;
        for (int row = 0; row < MainWindow::Rows(dlg)->rowCount(); ++row) {
            const QString mac = MainWindow::Rows(dlg)->Text(row, ColumnMac);
            listed.insert(mac);
            if (devices.contains(mac))
                continue;
            const auto expected = wellFormed.constFind(mac);
            const QStringList shown{mac, MainWindow::Rows(dlg)->Text(row, ColumnDeviceName),
                                    MainWindow::Rows(dlg)->Text(row, ColumnAlias),
                                    MainWindow::Rows(dlg)->Text(row, ColumnIp),
                                    MainWindow::Rows(dlg)->Text(row, ColumnProtocol)};
            if (expected == wellFormed.constEnd()) {
                wrong << QStringLiteral("listed, not a well-formed reply: [%1]")
                             .arg(shown.join(QLatin1Char('|')));
                continue;
            }
            const QStringList sentTexts{expected->mac, expected->model, expected->alias, expected->ip,
                                        expected->protocol};
            if (shown != sentTexts)
                wrong << QStringLiteral("listed as [%1], sent as [%2]")
                             .arg(shown.join(QLatin1Char('|')), sentTexts.join(QLatin1Char('|')));
        }
        // A well-formed reply may be among what a busy machine dropped, and only then missing.
        QStringList missing;
        for (const QString& mac : wellFormed.keys()) {
            if (!listed.contains(mac))
                missing << mac;
        }
        if (std::uint64_t(missing.size()) > dropped)
            wrong << QStringLiteral("well-formed replies not listed: %1; dropped: %2")
                         .arg(missing.join(QLatin1Char(' ')))
                         .arg(dropped);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
        QCOMPARE(MainWindow::Rows(dlg)->rowCount(), devices.size() + wellFormed.size() - missing.size());

        // The next search is heard on the link, so the count above could have caught one, and every
        // real device answers it.
        MainWindow::SearchButton(dlg)->click();
        QTRY_VERIFY(capture.Taken().programDatagrams >= after.programDatagrams + 3);
        QTRY_VERIFY_WITH_TIMEOUT(MainWindow::CameraBox(dlg)->isEnabled(), 5000);
        QTRY_COMPARE(ListedMacs(*MainWindow::List(dlg)), devices);
        QCOMPARE(MainWindow::Rows(dlg)->rowCount(), 3);
        QVERIFY2(boxes.Texts().isEmpty(), qPrintable(boxes.Texts().join(QStringLiteral(" | "))));
    }
};

NETROVE_LAB_TEST_MAIN(TestFloodLab, QApplication)

#include "tst_floodlab.moc"
