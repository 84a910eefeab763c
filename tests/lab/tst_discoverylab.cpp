// Netrove's main window on the host side of a lab, simulated devices on the other: what the user
// sees in the list and the status line, and what the devices receive.

#include "app/CNetroveDlg.h"
#include "devicelist/CNetroveListCtrl.h"
#include "discovery/DiscoveryChannels.h"
#include "discovery/PacketFields.h"
#include "discovery/SearchRequests.h"
#include "tests/app/MainWindowControls.h"
#include "tests/lab/BoxAnswerer.h"
#include "tests/lab/LabFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QJsonArray>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Netrove;

namespace {

QByteArray Hex(const std::vector<std::uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toHex();
}

QStringList RowTexts(const CNetroveListCtrl& list, int row)
{
    QStringList texts;
    for (int column = 0; column < list.Rows().columnCount(); ++column)
        texts.append(list.Rows().Text(row, column));
    return texts;
}

int RowOfMac(const CNetroveListCtrl& list, const QString& mac)
{
    for (int row = 0; row < list.Rows().rowCount(); ++row)
        if (list.Rows().Text(row, 4) == mac)
            return row;
    return -1;
}

// A camera setting request addressed to a MAC text, as the setting dialogs build it.
std::vector<std::uint8_t> SettingRequest(const QString& mac, const QString& password, const QString& ip)
{
    std::vector<std::uint8_t> packet(326, 0);
    const PacketKind kind = PacketKind::KindCamera;
    WriteByte(kind, packet, PacketField::Opcode, std::uint8_t(PacketOpcode::ApplySettings));
    WriteText(kind, packet, PacketField::MacAddress, mac.toStdString());
    WriteText(kind, packet, PacketField::IpAddress, ip.toStdString());
    WriteText(kind, packet, PacketField::SubnetMask, "255.255.255.0");
    WriteText(kind, packet, PacketField::Gateway, "192.168.1.1");
    WriteText(kind, packet, PacketField::Password, password.toStdString());
    WriteU16(kind, packet, PacketField::HttpPort, 80);
    return packet;
}

const QString kThreeKinds = QStringLiteral(
    "kind=camera mac=02:00:00:00:00:01 model=NC-2100-OUTDOOR alias=\"Front door\" ip=192.168.1.101 "
    "url=http://192.168.1.101 mode=static password=door\n"
    "kind=camera6 mac=02:00:00:00:00:02 model=NC-6 alias=Roof ip=192.168.1.102 ipv6=fe80::2 mode=dhcp "
    "url=https://192.168.1.102\n"
    "kind=recorder mac=02:00:00:00:00:03 model=NVR-16 alias=Office ip=192.168.1.120 mode=pppoe "
    "url=http://192.168.1.120:8000\n");

} // namespace

class TestDiscoveryLab final : public QObject
{
    Q_OBJECT

private slots:
    void init() { g_bPasswordErrorShown = false; }

    void searchRequestsAsTheDevicesReceiveThem()
    {
        LabFixture lab;
        QVERIFY2(lab.Start(kThreeKinds), qPrintable(lab.Error()));
        CNetroveDlg dlg;
        dlg.show();
        QVERIFY2(lab.WaitForLog(
                     [&](const QList<QJsonObject>&) {
                         return lab.Received(QStringLiteral("camera")).size() >= 1 &&
                                lab.Received(QStringLiteral("recorder")).size() >= 1 &&
                                lab.Received(QStringLiteral("ipv6")).size() >= 1;
                     },
                     5000),
                 "not every channel's search arrived");
        const auto expect = [&](const QString& channel, const std::vector<std::uint8_t>& packet) {
            const QJsonObject request = lab.Received(channel).first();
            QCOMPARE(request.value(QStringLiteral("size")).toInt(), int(packet.size()));
            QCOMPARE(request.value(QStringLiteral("hex")).toString().toLatin1(), Hex(packet));
        };
        expect(QStringLiteral("camera"), BuildCameraSearch(dlg.Engine().Tag()));
        expect(QStringLiteral("recorder"), BuildRecorderSearch(dlg.Engine().Tag()));
        expect(QStringLiteral("ipv6"), BuildIPv6Search(dlg.Engine().Tag()));
        QVERIFY(std::any_of(dlg.Engine().Tag().begin() + 12, dlg.Engine().Tag().end(),
                            [](auto b) { return b != 0; }));
    }

    void onlySelectedChannelsAreAsked_data()
    {
        QTest::addColumn<bool>("camera");
        QTest::addColumn<bool>("nvr");
        QTest::addColumn<bool>("ipv4");
        QTest::addColumn<bool>("ipv6");
        QTest::addColumn<QStringList>("asked");
        QTest::newRow("IPv6 cameras only")
            << true << true << false << true << QStringList{QStringLiteral("ipv6")};
        QTest::newRow("no cameras: no IPv6 either")
            << false << true << true << true << QStringList{QStringLiteral("recorder")};
        QTest::newRow("cameras over IPv4")
            << true << false << true << false << QStringList{QStringLiteral("camera")};
    }

    void onlySelectedChannelsAreAsked()
    {
        QFETCH(bool, camera);
        QFETCH(bool, nvr);
        QFETCH(bool, ipv4);
        QFETCH(bool, ipv6);
        QFETCH(QStringList, asked);
        LabFixture lab;
        QVERIFY2(lab.Start(kThreeKinds), qPrintable(lab.Error()));
        CNetroveDlg dlg;
        dlg.show();
        QVERIFY(lab.WaitForLog([&](const QList<QJsonObject>&) { return lab.Received().size() >= 3; }, 5000));
        QTRY_VERIFY(MainWindow::IPv4Box(dlg)->isEnabled());        // the list has settled
        QVERIFY2(lab.Start(kThreeKinds), qPrintable(lab.Error())); // a fresh log
        MainWindow::SetBox(MainWindow::IPv4Box(dlg), ipv4);
        MainWindow::SetBox(MainWindow::IPv6Box(dlg), ipv6);
        MainWindow::SetBox(MainWindow::CameraBox(dlg), camera);
        MainWindow::SetBox(MainWindow::NvrBox(dlg), nvr);
        dlg.OnBnClickedSearch();
        QTest::qWait(700);
        QStringList channels;
        for (const QJsonObject& line : lab.Received())
            channels.append(line.value(QStringLiteral("channel")).toString());
        // Each channel is asked several times (the search's repeated sends).
        channels.removeDuplicates();
        channels.sort();
        QCOMPARE(channels, asked);
    }

    void rowsOfEveryKind()
    {
        LabFixture lab;
        QVERIFY2(lab.Start(kThreeKinds), qPrintable(lab.Error()));
        CNetroveDlg dlg;
        dlg.show();
        QTRY_COMPARE(MainWindow::Rows(dlg)->rowCount(), 3);
        QTest::qWait(300); // the IPv6 answer of the dual camera may still replace its IPv4 row
        QCOMPARE(MainWindow::Rows(dlg)->rowCount(), 3);

        const int camera = RowOfMac(*MainWindow::List(dlg), QStringLiteral("02:00:00:00:00:01"));
        QVERIFY(camera >= 0);
        QCOMPARE(
            RowTexts(*MainWindow::List(dlg), camera).mid(1),
            (QStringList{QStringLiteral("NC-2100-OU"), QStringLiteral("Front door"), QStringLiteral("Static"),
                         QStringLiteral("02:00:00:00:00:01"), QStringLiteral("192.168.1.101"),
                         QStringLiteral("IPv4"), QStringLiteral("http://192.168.1.101")}));
        const int recorder = RowOfMac(*MainWindow::List(dlg), QStringLiteral("02:00:00:00:00:03"));
        QCOMPARE(RowTexts(*MainWindow::List(dlg), recorder).mid(1),
                 (QStringList{QStringLiteral("NVR-16"), QStringLiteral("Office"), QStringLiteral("PPPoE"),
                              QStringLiteral("02:00:00:00:00:03"), QStringLiteral("192.168.1.120"),
                              QStringLiteral("IPv4"), QStringLiteral("http://192.168.1.120:8000")}));
        const int dual = RowOfMac(*MainWindow::List(dlg), QStringLiteral("02:00:00:00:00:02"));
        const QStringList dualTexts = RowTexts(*MainWindow::List(dlg), dual);
        QCOMPARE(dualTexts[3], QStringLiteral("Dynamic"));
        QVERIFY2(dualTexts[6] == QStringLiteral("IPv4") || dualTexts[6] == QStringLiteral("IPv6"),
                 qPrintable(dualTexts[6]));
        // Each row knows the adapter its answer came in on and this computer's address there.
        for (const int row : {camera, recorder}) {
            QCOMPARE(MainWindow::Rows(dlg)->EntryAt(row)->arrival.name, QStringLiteral("lab0"));
            QCOMPARE(MainWindow::Rows(dlg)->EntryAt(row)->arrival.localAddress,
                     QStringLiteral("192.168.1.10"));
            QVERIFY(MainWindow::Rows(dlg)->EntryAt(row)->arrival.interfaceIndex > 1);
        }
        const ArrivalAdapter& dualArrival = MainWindow::Rows(dlg)->EntryAt(dual)->arrival;
        QCOMPARE(dualArrival.name, QStringLiteral("lab0"));
        QVERIFY2(dualTexts[6] == QStringLiteral("IPv4")
                     ? dualArrival.localAddress == QStringLiteral("192.168.1.10")
                     : dualArrival.localAddress.startsWith(QStringLiteral("fe80:")),
                 qPrintable(dualArrival.localAddress));
        for (int row = 0; row < 3; ++row)
            QCOMPARE(MainWindow::Rows(dlg)->Text(row, 0), QStringLiteral("  %1").arg(row + 1));
        QCOMPARE(MainWindow::StatusLine(dlg)->text(), QStringLiteral("Scan 3 Items"));
        QTRY_VERIFY(MainWindow::CameraBox(dlg)->isEnabled()); // the list settled: boxes and header come back
        QVERIFY((&MainWindow::List(dlg)->Header())->isEnabled());
        QTest::qWait(3200);
        QCOMPARE(MainWindow::StatusLine(dlg)->text(), QStringLiteral("Scan 3 Items")); // no "Scan End"
    }

    void ipv6CameraOverIPv6Only()
    {
        LabFixture lab;
        QVERIFY2(lab.Start(kThreeKinds), qPrintable(lab.Error()));
        CNetroveDlg dlg;
        dlg.show();
        QTRY_COMPARE(MainWindow::Rows(dlg)->rowCount(), 3);
        QTRY_VERIFY(MainWindow::IPv4Box(dlg)->isEnabled());
        MainWindow::SetBox(MainWindow::IPv4Box(dlg), false);
        dlg.OnBnClickedSearch();
        QTRY_COMPARE(MainWindow::Rows(dlg)->rowCount(), 1);
        QTest::qWait(300);
        QCOMPARE(MainWindow::Rows(dlg)->rowCount(), 1);
        QCOMPARE(RowTexts(*MainWindow::List(dlg), 0).mid(4, 3),
                 (QStringList{QStringLiteral("02:00:00:00:00:02"), QStringLiteral("192.168.1.102"),
                              QStringLiteral("IPv6")}));
    }

    void repeatedAnswersKeepTheirRow()
    {
        LabFixture lab;
        QVERIFY2(lab.Start(kThreeKinds, {QStringLiteral("--fault"), QStringLiteral("copies=3")}),
                 qPrintable(lab.Error()));
        CNetroveDlg dlg;
        dlg.show();
        QTRY_COMPARE(MainWindow::Rows(dlg)->rowCount(), 3);
        QTest::qWait(500);
        QCOMPARE(MainWindow::Rows(dlg)->rowCount(), 3);
        const int before = RowOfMac(*MainWindow::List(dlg), QStringLiteral("02:00:00:00:00:03"));
        dlg.OnBnClickedSearch(); // a second search empties the list first
        QTRY_COMPARE(MainWindow::Rows(dlg)->rowCount(), 3);
        QTest::qWait(300);
        QCOMPARE(MainWindow::Rows(dlg)->rowCount(), 3);
        QVERIFY(before >= 0);
    }

    void tagsAndShortReplies_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("alias");
        QTest::newRow("short replies") << QStringLiteral("short=1") << 1 << QStringLiteral("N/A");
        QTest::newRow("all-zero tag accepted") << QStringLiteral("tag=zero") << 1 << QStringLiteral("Lobby");
        QTest::newRow("foreign tag dropped") << QStringLiteral("tag=foreign") << 0 << QString();
        // The alias is padded to its whole field; the list shows it up to the forced NUL.
        QTest::newRow("texts fill their fields")
            << QStringLiteral("fill=1") << 1 << QStringLiteral("Lobby") + QString(58, QLatin1Char('X'));
        QTest::newRow("oversize datagrams dropped") << QStringLiteral("size=400") << 0 << QString();
        QTest::newRow("largest datagrams dropped") << QStringLiteral("size=65507") << 0 << QString();
    }

    void tagsAndShortReplies()
    {
        QFETCH(QString, fault);
        QFETCH(int, rows);
        QFETCH(QString, alias);
        LabFixture lab;
        QVERIFY2(lab.Start(QStringLiteral("kind=camera mac=02:00:00:00:00:09 alias=Lobby model=NC-9\n"),
                           {QStringLiteral("--fault"), fault}),
                 qPrintable(lab.Error()));
        CNetroveDlg dlg;
        dlg.show();
        if (rows > 0) {
            QTRY_COMPARE(MainWindow::Rows(dlg)->rowCount(), rows);
            QCOMPARE(MainWindow::Rows(dlg)->Text(0, 2), alias);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(MainWindow::StatusLine(dlg)->text(), QStringLiteral("Scan End"), 5000);
            QCOMPARE(MainWindow::Rows(dlg)->rowCount(), 0);
        }
    }

    void nothingFoundEndsTheScan()
    {
        LabFixture lab;
        QVERIFY2(lab.Start(QStringLiteral("kind=camera mac=02:00:00:00:00:0A silent=1\n"),
                           {QStringLiteral("--fault"), QStringLiteral("silent=1")}),
                 qPrintable(lab.Error()));
        CNetroveDlg dlg;
        dlg.show();
        QCOMPARE(MainWindow::StatusLine(dlg)->text(), QStringLiteral("Scan Start..."));
        QTest::qWait(2700);
        QCOMPARE(MainWindow::StatusLine(dlg)->text(), QStringLiteral("Scan Start..."));
        QTRY_COMPARE_WITH_TIMEOUT(MainWindow::StatusLine(dlg)->text(), QStringLiteral("Scan End"), 1500);
    }

    void noRowChangesWhileOneIsSelected()
    {
        LabFixture lab;
        QVERIFY2(lab.Start(QStringLiteral("kind=camera mac=02:00:00:00:00:21 alias=First\n")),
                 qPrintable(lab.Error()));
        auto sockets = std::make_unique<DiscoveryChannels>();
        DiscoveryChannels* channels = sockets.get();
        CNetroveDlg dlg(std::move(sockets));
        dlg.show();
        QTRY_COMPARE(MainWindow::Rows(dlg)->rowCount(), 1);
        MainWindow::List(dlg)->selectRow(0);
        // New devices appear and the first one changes its alias; the chosen row must stay as it is.
        QVERIFY2(lab.Start(QStringLiteral("kind=camera mac=02:00:00:00:00:21 alias=Changed\n"
                                          "kind=camera mac=02:00:00:00:00:22 alias=Second\n")),
                 qPrintable(lab.Error()));
        // A search request that empties nothing, as another copy's search would draw answers.
        channels->SendSearch(DiscoveryChannel::Camera, BuildCameraSearch(dlg.Engine().Tag()));
        QVERIFY(lab.WaitForLog([&](const QList<QJsonObject>&) { return !lab.Received().isEmpty(); }));
        QTest::qWait(500);
        QCOMPARE(MainWindow::Rows(dlg)->rowCount(), 1);
        QCOMPARE(MainWindow::Rows(dlg)->Text(0, 2), QStringLiteral("First"));
        // Nor are they added later, once the row is let go.
        MainWindow::List(dlg)->clearSelection();
        QTest::qWait(300);
        QCOMPARE(MainWindow::Rows(dlg)->rowCount(), 1);
    }

    // Keep searching: a device that stops answering is greyed and says since when; back, it is as
    // before. The list is never emptied meanwhile, and the chosen row stays chosen.
    void keepSearchingTellsWhoStoppedAnswering()
    {
        const QString both =
            QStringLiteral("kind=camera mac=02:00:00:00:0F:01 model=NC-1 ip=192.168.1.131\n"
                           "kind=camera mac=02:00:00:00:0F:02 model=NC-2 ip=192.168.1.132\n");
        LabFixture lab;
        QVERIFY2(lab.Start(both), qPrintable(lab.Error()));
        CNetroveDlg dlg;
        dlg.SetKeepSearchingIntervalMs(3000);
        dlg.show();
        QTRY_COMPARE(MainWindow::Rows(dlg)->rowCount(), 2);
        auto* keep = dlg.findChild<QCheckBox*>(QStringLiteral("checkKeepSearching"));
        QVERIFY(keep && !keep->isChecked());
        QTest::mouseClick(keep, Qt::LeftButton, {}, QPoint(6, keep->height() / 2));
        QVERIFY(keep->isChecked());
        MainWindow::List(dlg)->selectRow(0);

        QVERIFY2(lab.Start(both.section(u'\n', 0, 0) + u'\n'), qPrintable(lab.Error()));
        const int gone = MainWindow::Rows(dlg)->FindRowByMac(QStringLiteral("02:00:00:00:0F:02"));
        const auto description = [&] {
            return MainWindow::Rows(dlg)->index(gone, 0).data(Qt::AccessibleDescriptionRole).toString();
        };
        QTRY_VERIFY_WITH_TIMEOUT(description().startsWith(QLatin1String("Not answering since ")), 20000);
        QVERIFY(MainWindow::Rows(dlg)->index(gone, 0).data(Qt::ForegroundRole).isValid());
        QTRY_VERIFY(MainWindow::StatusLine(dlg)->text().endsWith(QLatin1String(", 1 not answering")));
        QCOMPARE(MainWindow::Rows(dlg)->rowCount(), 2);
        QCOMPARE(MainWindow::List(dlg)->SelectedRow(), 0);

        QVERIFY2(lab.Start(both), qPrintable(lab.Error()));
        QTRY_VERIFY_WITH_TIMEOUT(!description().startsWith(QLatin1String("Not answering")), 8000);
        QVERIFY(!MainWindow::Rows(dlg)->index(gone, 0).data(Qt::ForegroundRole).isValid());
        QCOMPARE(MainWindow::List(dlg)->SelectedRow(), 0);
    }

    void settingResults_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("boxes");
        const QString camera =
            QStringLiteral("kind=camera mac=02:00:00:00:00:0B password=good ip=192.168.1.111");
        QTest::newRow("invalid password")
            << camera << QStringLiteral("bad") << QStringLiteral("Invalid Password!")
            << QStringList{QStringLiteral("Invalid Password!")};
        QTest::newRow("port mapping error")
            << camera + QStringLiteral(" result=55") << QStringLiteral("good")
            << QStringLiteral("Port Mapping Error") << QStringList{QStringLiteral("Port Mapping Error")};
        QTest::newRow("router connect error")
            << camera + QStringLiteral(" result=66") << QStringLiteral("good")
            << QStringLiteral("Router Connect Error!")
            << QStringList{QStringLiteral("Router Connect Error!")};
        QTest::newRow("camera unknown result")
            << camera + QStringLiteral(" result=99") << QStringLiteral("good")
            << QStringLiteral("Scan 1 Item") << QStringList{};
    }

    void settingResults()
    {
        QFETCH(QString, device);
        QFETCH(QString, password);
        QFETCH(QString, status);
        QFETCH(QStringList, boxes);
        LabFixture lab;
        QVERIFY2(lab.Start(device + QLatin1Char('\n')), qPrintable(lab.Error()));
        BoxAnswerer answerer;
        CNetroveDlg dlg;
        dlg.show();
        QTRY_COMPARE(MainWindow::Rows(dlg)->rowCount(), 1);
        auto request =
            SettingRequest(QStringLiteral("02:00:00:00:00:0B"), password, QStringLiteral("192.168.1.150"));
        dlg.SendCameraPacket(request);
        if (boxes.isEmpty()) {
            QVERIFY(lab.WaitForLog([&](const QList<QJsonObject>&) {
                return lab.Received(QStringLiteral("camera")).size() >= 2;
            }));
            QTest::qWait(300);
        } else {
            QTRY_COMPARE(answerer.Texts(), boxes);
        }
        QCOMPARE(MainWindow::StatusLine(dlg)->text(), status);
    }

    void oneInvalidPasswordBoxForManyAnswers()
    {
        LabFixture lab;
        QVERIFY2(lab.Start(QStringLiteral("kind=camera mac=02:00:00:00:00:0C password=good\n"),
                           {QStringLiteral("--fault"), QStringLiteral("copies=2")}),
                 qPrintable(lab.Error()));
        BoxAnswerer answerer;
        CNetroveDlg dlg;
        dlg.show();
        QTRY_COMPARE(MainWindow::Rows(dlg)->rowCount(), 1);
        auto request = SettingRequest(QStringLiteral("02:00:00:00:00:0C"), QStringLiteral("bad"), {});
        dlg.SendCameraPacket(request);
        QTRY_COMPARE(answerer.Texts().size(), 1);
        QTest::qWait(400);
        QCOMPARE(answerer.Texts(), QStringList{QStringLiteral("Invalid Password!")});
    }

    void appliedSettingSearchesAgain()
    {
        LabFixture lab;
        QVERIFY2(
            lab.Start(QStringLiteral("kind=camera mac=02:00:00:00:00:0D password=good ip=192.168.1.113\n")),
            qPrintable(lab.Error()));
        CNetroveDlg dlg;
        dlg.show();
        QTRY_COMPARE(MainWindow::Rows(dlg)->rowCount(), 1);
        auto request = SettingRequest(QStringLiteral("02:00:00:00:00:0D"), QStringLiteral("good"),
                                      QStringLiteral("192.168.1.200"));
        dlg.SendCameraPacket(request);
        QVERIFY(lab.WaitForLog([&](const QList<QJsonObject>&) {
            const auto cameras = lab.Received(QStringLiteral("camera"));
            return cameras.size() >= 2 &&
                   cameras[1].value(QStringLiteral("outcome")).toString() == QStringLiteral("applied");
        }));
        // The request carried our tag in bytes 1-18.
        const QByteArray hex =
            lab.Received(QStringLiteral("camera"))[1].value(QStringLiteral("hex")).toString().toLatin1();
        const std::vector<std::uint8_t> tag(dlg.Engine().Tag().begin(), dlg.Engine().Tag().end());
        QCOMPARE(hex.mid(2, 36), Hex(tag));
        QTRY_VERIFY(MainWindow::Rows(dlg)->rowCount() == 1 &&
                    MainWindow::Rows(dlg)->Text(0, 5) == QStringLiteral("192.168.1.200"));
    }

    void forgedResultIsNotActedOn()
    {
        LabFixture lab;
        QVERIFY2(lab.Start(kThreeKinds), qPrintable(lab.Error()));
        BoxAnswerer answerer;
        CNetroveDlg dlg;
        dlg.show();
        QTRY_COMPARE(MainWindow::Rows(dlg)->rowCount(), 3);
        QTRY_VERIFY(MainWindow::CameraBox(dlg)->isEnabled());
        const int searches = lab.Received().size();
        const QString status = MainWindow::StatusLine(dlg)->text();

        // Anyone who heard a search knows the tag: "applied", "invalid password" and a recorder's
        // unknown result, all carrying it, while no setting request of this window awaits one.
        const int sender = ::socket(AF_INET, SOCK_DGRAM, 0);
        QVERIFY(sender >= 0);
        const auto forge = [&](std::uint16_t port, std::size_t size, std::size_t opAt, std::uint8_t op) {
            std::vector<std::uint8_t> datagram(size, 0);
            datagram[opAt] = op;
            std::copy(dlg.Engine().Tag().begin(), dlg.Engine().Tag().end(),
                      datagram.begin() + std::ptrdiff_t(opAt) + 1);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(port);
            to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            return ::sendto(sender, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to),
                            sizeof(to)) == ssize_t(size);
        };
        QVERIFY(forge(7711, 326, 0, 22));
        QVERIFY(forge(7711, 326, 0, 33));
        QVERIFY(forge(7613, 334, 4, 44));
        QVERIFY(forge(7613, 334, 4, 99));
        QTest::qWait(800);
        ::close(sender);

        QCOMPARE(lab.Received().size(), searches); // no new search went out
        QCOMPARE(MainWindow::Rows(dlg)->rowCount(), 3);
        QCOMPARE(MainWindow::StatusLine(dlg)->text(), status);
        QVERIFY2(answerer.Texts().isEmpty(), qPrintable(answerer.Texts().join(QLatin1Char('|'))));

        // A request of this window makes its results count again.
        auto request = SettingRequest(QStringLiteral("02:00:00:00:00:01"), QStringLiteral("bad"), {});
        dlg.SendCameraPacket(request);
        QTRY_COMPARE(answerer.Texts(), QStringList{QStringLiteral("Invalid Password!")});
    }

    void ipv6ReplyOverIPv4IsNotListed()
    {
        LabFixture lab;
        QVERIFY2(lab.Start(kThreeKinds), qPrintable(lab.Error()));
        CNetroveDlg dlg;
        dlg.show();
        QTRY_COMPARE(MainWindow::Rows(dlg)->rowCount(), 3);
        QTRY_VERIFY(MainWindow::CameraBox(dlg)->isEnabled());
        // The port the IPv6 search left from, where the IPv6 cameras answer.
        const QList<QJsonObject> searches = lab.Received(QStringLiteral("ipv6"));
        QVERIFY(!searches.isEmpty());
        const QString source = searches.first().value(QStringLiteral("source")).toString();
        const std::uint16_t port = std::uint16_t(source.section(QLatin1Char(':'), -1).toUInt());
        QVERIFY2(port != 0, qPrintable(source));

        // A reply in the IPv6 layout with our tag, but sent over IPv4 to that port.
        std::vector<std::uint8_t> reply(366, 0);
        const PacketKind kind = PacketKind::KindCameraIPv6;
        WriteByte(kind, reply, PacketField::Opcode, std::uint8_t(PacketOpcode::SearchReply));
        WriteClientTag(kind, reply, dlg.Engine().Tag());
        WriteText(kind, reply, PacketField::MacAddress, "02:00:00:00:00:66");
        const int sender = ::socket(AF_INET, SOCK_DGRAM, 0);
        QVERIFY(sender >= 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(
            ::sendto(sender, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof(to)),
            ssize_t(reply.size()));
        ::close(sender);
        QTest::qWait(500);
        QCOMPARE(RowOfMac(*MainWindow::List(dlg), QStringLiteral("02:00:00:00:00:66")), -1);
        QCOMPARE(MainWindow::Rows(dlg)->rowCount(), 3);
    }

    void takenReplyPortIsReported()
    {
        // Someone holds port 7711 without sharing it.
        const int holder = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(7711);
        QVERIFY(::bind(holder, reinterpret_cast<sockaddr*>(&local), sizeof(local)) == 0);

        LabFixture lab;
        QVERIFY2(lab.Start(kThreeKinds), qPrintable(lab.Error()));
        BoxAnswerer answerer;
        CNetroveDlg dlg;
        dlg.show();
        QTRY_VERIFY(!answerer.Texts().isEmpty());
        QCOMPARE(answerer.Texts().first(), QStringLiteral("bind() Failure! : %1").arg(EADDRINUSE));
        // The other channels still work: the recorder and the IPv6 camera are found.
        QTRY_VERIFY(RowOfMac(*MainWindow::List(dlg), QStringLiteral("02:00:00:00:00:03")) >= 0);
        QTRY_VERIFY(RowOfMac(*MainWindow::List(dlg), QStringLiteral("02:00:00:00:00:02")) >= 0);
        ::close(holder);
    }
};

NETROVE_LAB_TEST_MAIN(TestDiscoveryLab, QApplication)

#include "tst_discoverylab.moc"
