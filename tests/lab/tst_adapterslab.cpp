// A computer on two links (lab0 192.168.1.10/24 and lab1 10.0.5.7/16) with simulated devices on
// each: every adapter is searched, every row knows its adapter, setting requests leave on the
// adapter their device answered on, a device outside its adapter's network is marked, and a search
// that heard nothing says why.

#include "app/CNetroveDlg.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListExport.h"
#include "devicelist/RowTooltips.h"
#include "discovery/DiscoveryChannels.h"
#include "discovery/PacketFields.h"
#include "discovery/SearchRequests.h"
#include "tests/app/MainWindowControls.h"
#include "tests/devicelist/BrowserStandIn.h"
#include "tests/lab/BoxAnswerer.h"
#include "tests/lab/LabFixture.h"
#include "tests/lab/LinkCapture.h"

#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QProcess>
#include <QTest>

#include <net/if.h>

using namespace Netrove;

namespace {

const QString kFirstLink =
    QStringLiteral("kind=camera mac=02:00:00:00:0A:01 model=NC-A ip=192.168.1.101 password=pw\n"
                   "kind=camera6 mac=02:00:00:00:0A:02 model=NC-A6 ip=192.168.1.102 ipv6=fe80::a2\n"
                   "kind=recorder mac=02:00:00:00:0A:03 model=NVR-A ip=192.168.1.120 password=pw\n");
const QString kSecondLink =
    QStringLiteral("kind=camera mac=02:00:00:00:0B:01 model=NC-B ip=10.0.5.101 password=pw\n"
                   "kind=camera6 mac=02:00:00:00:0B:02 model=NC-B6 ip=10.0.5.102 ipv6=fe80::b2\n"
                   "kind=recorder mac=02:00:00:00:0B:03 model=NVR-B ip=10.0.5.120 password=pw\n");
const QStringList kAllMacs{QStringLiteral("02:00:00:00:0A:01"), QStringLiteral("02:00:00:00:0A:02"),
                           QStringLiteral("02:00:00:00:0A:03"), QStringLiteral("02:00:00:00:0B:01"),
                           QStringLiteral("02:00:00:00:0B:02"), QStringLiteral("02:00:00:00:0B:03")};

QByteArray Hex(const std::vector<std::uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toHex();
}

int RowOfMac(const CNetroveListCtrl& list, const QString& mac)
{
    for (int row = 0; row < list.Rows().rowCount(); ++row)
        if (list.Rows().Text(row, ColumnMac) == mac)
            return row;
    return -1;
}

QStringList ListedMacs(const CNetroveListCtrl& list)
{
    QStringList macs;
    for (int row = 0; row < list.Rows().rowCount(); ++row)
        macs.append(list.Rows().Text(row, ColumnMac));
    macs.sort();
    return macs;
}

// A setting request addressed to a MAC text, as the setting dialogs build it.
std::vector<std::uint8_t> SettingRequest(const QString& mac, const QString& password,
                                         const char* ip = "10.0.5.150")
{
    std::vector<std::uint8_t> packet(326, 0);
    const PacketKind kind = PacketKind::KindCamera;
    WriteByte(kind, packet, PacketField::Opcode, std::uint8_t(PacketOpcode::ApplySettings));
    WriteText(kind, packet, PacketField::MacAddress, mac.toStdString());
    WriteText(kind, packet, PacketField::IpAddress, ip);
    WriteText(kind, packet, PacketField::SubnetMask, "255.255.0.0");
    WriteText(kind, packet, PacketField::Gateway, "10.0.5.1");
    WriteText(kind, packet, PacketField::Password, password.toStdString());
    return packet;
}

QList<QJsonObject> OfKind(const QList<QJsonObject>& received, const char* kind)
{
    QList<QJsonObject> found;
    for (const QJsonObject& line : received)
        if (line.value(QStringLiteral("kind")).toString() == QLatin1String(kind))
            found.append(line);
    return found;
}

// What a cell's tooltip says, as a screen reader is given it (the tooltip shows it escaped).
QString CellTip(const CNetroveListCtrl& list, int row, int column, int role = Qt::AccessibleDescriptionRole)
{
    return list.Rows().index(row, column).data(role).toString();
}

bool Marked(const CNetroveListCtrl& list, int row)
{
    return list.Rows().index(row, ColumnIp).data(Qt::ForegroundRole).isValid();
}

// The test runs on the host side, so `ip` changes the host side's adapters.
bool Ip(const QStringList& arguments)
{
    QProcess ip;
    ip.setProcessChannelMode(QProcess::ForwardedChannels);
    ip.start(QStringLiteral("ip"), arguments);
    return ip.waitForFinished(10000) && ip.exitStatus() == QProcess::NormalExit && ip.exitCode() == 0;
}

} // namespace

class TestAdaptersLab final : public QObject
{
    Q_OBJECT

private slots:
    void init() { g_bPasswordErrorShown = false; }

    void everyAdapterIsSearched()
    {
        LabFixture first;
        LabFixture second(LabFixture::Side::Devices2);
        QVERIFY2(first.Start(kFirstLink), qPrintable(first.Error()));
        QVERIFY2(second.Start(kSecondLink), qPrintable(second.Error()));
        CNetroveDlg dlg;
        dlg.show();
        QTRY_COMPARE_WITH_TIMEOUT(ListedMacs(*MainWindow::List(dlg)), kAllMacs, 5000);
        QTRY_VERIFY(MainWindow::IPv4Box(dlg)->isEnabled());

        // One search: each link heard each request at every send of the search, byte for byte what a
        // one-adapter computer sends.
        QTRY_VERIFY(!dlg.Engine().SearchSending());
        QTest::qWait(100);
        const int sends = dlg.Engine().SearchSends();
        const QList<QPair<QString, QByteArray>> requests{
            {QStringLiteral("camera"), Hex(BuildCameraSearch(dlg.Engine().Tag()))},
            {QStringLiteral("recorder"), Hex(BuildRecorderSearch(dlg.Engine().Tag()))},
            {QStringLiteral("ipv6"), Hex(BuildIPv6Search(dlg.Engine().Tag()))}};
        for (LabFixture* lab : {&first, &second}) {
            for (const auto& [channel, hex] : requests) {
                const QList<QJsonObject> heard = lab->Received(channel);
                QVERIFY2(
                    heard.size() == sends,
                    qPrintable(QStringLiteral("%1: %2 of %3").arg(channel).arg(heard.size()).arg(sends)));
                for (const QJsonObject& request : heard)
                    QCOMPARE(request.value(QStringLiteral("hex")).toString().toLatin1(), hex);
            }
        }

        // Each row knows the adapter its answer came in on, and this computer's address there.
        for (const QString& mac : kAllMacs) {
            const DeviceEntry* entry = MainWindow::Rows(dlg)->EntryAt(RowOfMac(*MainWindow::List(dlg), mac));
            QVERIFY(entry != nullptr);
            const bool onSecond = mac.contains(QStringLiteral(":0B:"));
            QCOMPARE(entry->arrival.name, onSecond ? QStringLiteral("lab1") : QStringLiteral("lab0"));
            QCOMPARE(entry->arrival.interfaceIndex, int(::if_nametoindex(onSecond ? "lab1" : "lab0")));
            if (entry->kind == PacketKind::KindCameraIPv6)
                QVERIFY2(entry->arrival.localAddress.startsWith(QStringLiteral("fe80:")),
                         qPrintable(entry->arrival.localAddress));
            else
                QCOMPARE(entry->arrival.localAddress,
                         onSecond ? QStringLiteral("10.0.5.7") : QStringLiteral("192.168.1.10"));
            // The row's tooltip names them, on every cell.
            const int row = RowOfMac(*MainWindow::List(dlg), mac);
            const QString tip = entry->arrival.name + QStringLiteral(", ") + entry->arrival.localAddress;
            for (int column = 0; column < ColumnCount; ++column)
                QCOMPARE(CellTip(*MainWindow::List(dlg), row, column), tip);
            QVERIFY(!Marked(*MainWindow::List(dlg), row));
        }

        // Over IPv6 alone, the cameras of both links answer on their own adapters.
        MainWindow::SetBox(MainWindow::IPv4Box(dlg), false);
        dlg.OnBnClickedSearch();
        QTRY_COMPARE(ListedMacs(*MainWindow::List(dlg)),
                     (QStringList{QStringLiteral("02:00:00:00:0A:02"), QStringLiteral("02:00:00:00:0B:02")}));
        for (int row = 0; row < 2; ++row) {
            const DeviceEntry* entry = MainWindow::Rows(dlg)->EntryAt(row);
            QCOMPARE(MainWindow::Rows(dlg)->Text(row, ColumnProtocol), QStringLiteral("IPv6"));
            QVERIFY2(CellTip(*MainWindow::List(dlg), row, ColumnMac)
                         .startsWith(entry->arrival.name + QStringLiteral(", fe80:")),
                     qPrintable(CellTip(*MainWindow::List(dlg), row, ColumnMac)));
            QCOMPARE(entry->arrival.name,
                     MainWindow::Rows(dlg)->Text(row, ColumnMac).contains(QStringLiteral(":0B:"))
                         ? QStringLiteral("lab1")
                         : QStringLiteral("lab0"));
        }
        QTRY_VERIFY(!dlg.Engine().SearchSending());
        QTRY_COMPARE(first.Received(QStringLiteral("ipv6")).size(), sends + dlg.Engine().SearchSends());
        QTRY_COMPARE(second.Received(QStringLiteral("ipv6")).size(), sends + dlg.Engine().SearchSends());
    }

    void settingRequestLeavesOnItsDevicesAdapter()
    {
        LabFixture first;
        LabFixture second(LabFixture::Side::Devices2);
        QVERIFY2(first.Start(kFirstLink), qPrintable(first.Error()));
        QVERIFY2(second.Start(kSecondLink), qPrintable(second.Error()));
        BoxAnswerer answerer;
        CNetroveDlg dlg;
        dlg.show();
        QTRY_COMPARE_WITH_TIMEOUT(ListedMacs(*MainWindow::List(dlg)), kAllMacs, 5000);

        // A camera and a recorder of the second link, with a wrong password: the result comes back
        // over the second link as well.
        auto camera = SettingRequest(QStringLiteral("02:00:00:00:0B:01"), QStringLiteral("wrong"));
        dlg.SendCameraPacket(camera);
        auto recorder = SettingRequest(QStringLiteral("02:00:00:00:0B:03"), QStringLiteral("wrong"));
        dlg.SendRecorderPacket(recorder);
        QVERIFY(second.WaitForLog(
            [&](const QList<QJsonObject>&) { return OfKind(second.Received(), "setting").size() == 2; }));
        QTRY_COMPARE(answerer.Texts(), QStringList{QStringLiteral("Invalid Password!")});

        // Chosen, then the list emptied by a search while the dialog would be open: the request
        // still leaves where its device is.
        MainWindow::List(dlg)->selectRow(
            RowOfMac(*MainWindow::List(dlg), QStringLiteral("02:00:00:00:0B:01")));
        MainWindow::Rows(dlg)->ClearDeviceList();
        g_bPasswordErrorShown = false;
        dlg.SendCameraPacket(camera);
        QVERIFY(second.WaitForLog(
            [&](const QList<QJsonObject>&) { return OfKind(second.Received(), "setting").size() == 3; }));

        // And one for the first link leaves there.
        auto near = SettingRequest(QStringLiteral("02:00:00:00:0A:01"), QStringLiteral("wrong"));
        dlg.SendCameraPacket(near);
        QVERIFY(first.WaitForLog(
            [&](const QList<QJsonObject>&) { return OfKind(first.Received(), "setting").size() == 1; }));
        QTest::qWait(300);
        QCOMPARE(OfKind(second.Received(), "setting").size(), 3);
        const QList<QJsonObject> heardFirst = OfKind(first.Received(), "setting");
        QCOMPARE(heardFirst.size(), 1);
        QCOMPARE(heardFirst.first()
                     .value(QStringLiteral("fields"))
                     .toObject()
                     .value(QStringLiteral("mac"))
                     .toString(),
                 QStringLiteral("02:00:00:00:0A:01"));
        for (const QJsonObject& request : OfKind(second.Received(), "setting"))
            QVERIFY(
                request.value(QStringLiteral("source")).toString().startsWith(QStringLiteral("10.0.5.7:")));
    }

    void aFailingAdapterDoesNotKeepTheOthersFromBeingSearched()
    {
        LabFixture first;
        LabFixture second(LabFixture::Side::Devices2);
        QVERIFY2(first.Start(kFirstLink), qPrintable(first.Error()));
        QVERIFY2(second.Start(kSecondLink), qPrintable(second.Error()));
        BoxAnswerer answerer;
        auto channels = std::make_unique<DiscoveryChannels>();
        // An adapter listed first that the system no longer has: sending on it fails.
        channels->listInterfaceAddresses = [] {
            InterfaceAddress gone;
            gone.name = QStringLiteral("gone0");
            gone.interfaceIndex = 0x7ff0;
            gone.flags = IFF_UP | IFF_BROADCAST;
            gone.family = AF_INET;
            gone.address = {10, 99, 0, 1};
            std::vector<InterfaceAddress> addresses{gone};
            for (InterfaceAddress& a : SystemInterfaceAddresses())
                addresses.push_back(std::move(a));
            return addresses;
        };
        CNetroveDlg dlg(std::move(channels));
        dlg.show();
        QTRY_COMPARE_WITH_TIMEOUT(ListedMacs(*MainWindow::List(dlg)), kAllMacs, 5000);
        // Reported as ever, once for each of the two IPv4 searches.
        QTRY_COMPARE(answerer.Texts().size(), 2);
        for (const QString& text : answerer.Texts())
            QVERIFY2(text.startsWith(QStringLiteral(
                         "[B]Can't send a packet! Check a connection or network environment. : ")),
                     qPrintable(text));
        QCOMPARE(first.Received(QStringLiteral("camera")).size(), 1);
        QCOMPARE(second.Received(QStringLiteral("recorder")).size(), 1);
    }

    void adaptersThatComeOrGoCountAtTheNextSearch()
    {
        LabFixture first;
        LabFixture second(LabFixture::Side::Devices2);
        QVERIFY2(first.Start(kFirstLink), qPrintable(first.Error()));
        QVERIFY2(second.Start(kSecondLink), qPrintable(second.Error()));
        BoxAnswerer answerer;
        CNetroveDlg dlg;
        dlg.show();
        QTRY_COMPARE_WITH_TIMEOUT(ListedMacs(*MainWindow::List(dlg)), kAllMacs, 5000);
        QTRY_VERIFY(MainWindow::IPv4Box(dlg)->isEnabled());

        // The second adapter goes: it is not searched, and nothing is reported about it.
        QVERIFY(Ip(
            {QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lab1"), QStringLiteral("down")}));
        const int heard = second.Received().size();
        dlg.OnBnClickedSearch();
        QTRY_COMPARE(MainWindow::Rows(dlg)->rowCount(), 3);
        QTRY_VERIFY(MainWindow::IPv4Box(dlg)->isEnabled());
        QCOMPARE(second.Received().size(), heard);
        QCOMPARE(ListedMacs(*MainWindow::List(dlg)), kAllMacs.mid(0, 3));

        // It comes back: the next search finds its devices again.
        QVERIFY(Ip(
            {QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lab1"), QStringLiteral("up")}));
        Ip({QStringLiteral("addr"), QStringLiteral("replace"), QStringLiteral("10.0.5.7/16"),
            QStringLiteral("dev"), QStringLiteral("lab1")});
        QTest::qWait(300); // the link-local address of lab1 is back (no duplicate detection in the lab)
        const int heardIPv6 = int(second.Received(QStringLiteral("ipv6")).size());
        dlg.OnBnClickedSearch();
        QTRY_COMPARE_WITH_TIMEOUT(ListedMacs(*MainWindow::List(dlg)), kAllMacs, 5000);
        QTRY_VERIFY(MainWindow::IPv4Box(dlg)->isEnabled());
        QTRY_VERIFY(!dlg.Engine().SearchSending());
        QTRY_COMPARE(second.Received(QStringLiteral("ipv6")).size(), heardIPv6 + dlg.Engine().SearchSends());
        QVERIFY2(answerer.Texts().isEmpty(), qPrintable(answerer.Texts().join(QLatin1Char('|'))));
    }

    void sharedAddressesAreMarkedUntilGivenOwnOnes()
    {
        // Three cameras fresh from the factory, two of them behind the second adapter.
        LabFixture first;
        LabFixture second(LabFixture::Side::Devices2);
        QVERIFY2(first.Start(QStringLiteral("kind=camera mac=00:1A:2B:00:00:01 ip=192.168.0.100 password=pw\n"
                                            "kind=camera mac=00:1A:2B:00:00:09 ip=192.168.1.109\n")),
                 qPrintable(first.Error()));
        QVERIFY2(
            second.Start(QStringLiteral("kind=camera mac=00:1A:2B:00:00:02 ip=192.168.0.100 password=pw\n"
                                        "kind=camera mac=00:1A:2B:00:00:03 ip=192.168.0.100 password=pw\n")),
            qPrintable(second.Error()));
        BoxAnswerer answerer;
        CNetroveDlg dlg;
        dlg.show();
        QTRY_COMPARE(MainWindow::Rows(dlg)->rowCount(), 4);
        const auto tip = [&](const char* mac, int role = Qt::AccessibleDescriptionRole) {
            return CellTip(*MainWindow::List(dlg), RowOfMac(*MainWindow::List(dlg), QString::fromLatin1(mac)),
                           ColumnIp, role);
        };
        const auto marked = [&](const char* mac) {
            return Marked(*MainWindow::List(dlg), RowOfMac(*MainWindow::List(dlg), QString::fromLatin1(mac)));
        };
        QVERIFY(marked("00:1A:2B:00:00:01") && marked("00:1A:2B:00:00:02") && marked("00:1A:2B:00:00:03"));
        QVERIFY(!marked("00:1A:2B:00:00:09"));
        // Fresh from the factory, they lie outside both networks too: a second line says so.
        const auto outside = [](const char* network) {
            return QStringLiteral(
                       "Not in this computer's network (%1): use Auto Set to give it an address there")
                .arg(QLatin1String(network));
        };
        // Each names the other two, in list order (which answered first is not known here).
        const auto others = [&](const char* mac) {
            QString text = tip(mac).section(QLatin1Char('\n'), 0, 0);
            const QString prefix = QStringLiteral("IP address also used by ");
            if (!text.startsWith(prefix))
                return QStringList{text};
            QStringList macs = text.mid(prefix.size()).split(QStringLiteral(", "));
            macs.sort();
            return macs;
        };
        QCOMPARE(others("00:1A:2B:00:00:01"),
                 (QStringList{QStringLiteral("00:1A:2B:00:00:02"), QStringLiteral("00:1A:2B:00:00:03")}));
        QCOMPARE(others("00:1A:2B:00:00:02"),
                 (QStringList{QStringLiteral("00:1A:2B:00:00:01"), QStringLiteral("00:1A:2B:00:00:03")}));
        QCOMPARE(tip("00:1A:2B:00:00:03", Qt::ToolTipRole), PlainTooltip(tip("00:1A:2B:00:00:03")));
        QCOMPARE(tip("00:1A:2B:00:00:09"), QStringLiteral("lab0, 192.168.1.10"));

        // The installer gives one of them an address; it answers, and the list is searched again.
        auto request =
            SettingRequest(QStringLiteral("00:1A:2B:00:00:02"), QStringLiteral("pw"), "10.0.5.102");
        dlg.SendCameraPacket(request);
        QTRY_VERIFY_WITH_TIMEOUT(
            MainWindow::Rows(dlg)->rowCount() == 4 &&
                MainWindow::Rows(dlg)->Text(
                    RowOfMac(*MainWindow::List(dlg), QStringLiteral("00:1A:2B:00:00:02")), ColumnIp) ==
                    QStringLiteral("10.0.5.102"),
            5000);
        QVERIFY(!marked("00:1A:2B:00:00:02"));
        QCOMPARE(tip("00:1A:2B:00:00:02"), QStringLiteral("lab1, 10.0.5.7"));
        QCOMPARE(tip("00:1A:2B:00:00:01"),
                 u"IP address also used by 00:1A:2B:00:00:03\n"_qs + outside("lab0, 192.168.1.10/24"));
        QCOMPARE(tip("00:1A:2B:00:00:03"),
                 u"IP address also used by 00:1A:2B:00:00:01\n"_qs + outside("lab1, 10.0.5.7/16"));

        // And another: no address is shared any more.
        auto last = SettingRequest(QStringLiteral("00:1A:2B:00:00:03"), QStringLiteral("pw"), "10.0.5.103");
        dlg.SendCameraPacket(last);
        QTRY_VERIFY_WITH_TIMEOUT(
            MainWindow::Rows(dlg)->rowCount() == 4 &&
                MainWindow::Rows(dlg)->Text(
                    RowOfMac(*MainWindow::List(dlg), QStringLiteral("00:1A:2B:00:00:03")), ColumnIp) ==
                    QStringLiteral("10.0.5.103"),
            5000);
        for (const char* mac :
             {"00:1A:2B:00:00:01", "00:1A:2B:00:00:02", "00:1A:2B:00:00:03", "00:1A:2B:00:00:09"})
            QVERIFY2(!marked(mac), mac);
        QCOMPARE(tip("00:1A:2B:00:00:01"), outside("lab0, 192.168.1.10/24"));
        // Both requests left on the second link only.
        QCOMPARE(OfKind(first.Received(), "setting").size(), 0);
        QCOMPARE(OfKind(second.Received(), "setting").size(), 2);
        QVERIFY2(answerer.Texts().isEmpty(), qPrintable(answerer.Texts().join(QLatin1Char('|'))));
    }

    // A camera at a factory address outside lab1's 10.0.5.0/16, next to one inside it.
    void aDeviceOutsideTheNetworkIsMarked()
    {
        LabFixture second(LabFixture::Side::Devices2);
        QVERIFY2(
            second.Start(QStringLiteral("kind=camera mac=02:00:00:00:0C:01 ip=192.0.0.64 password=pw\n"
                                        "kind=camera mac=02:00:00:00:0C:02 ip=10.0.5.101 password=pw\n")),
            qPrintable(second.Error()));
        BoxAnswerer answerer;
        BrowserStandIn browser;
        CNetroveDlg dlg;
        dlg.show();
        CNetroveListCtrl& list = *MainWindow::List(dlg);
        QTRY_COMPARE(list.Rows().rowCount(), 2);
        const int outside = RowOfMac(list, QStringLiteral("02:00:00:00:0C:01"));
        const int inside = RowOfMac(list, QStringLiteral("02:00:00:00:0C:02"));
        QCOMPARE(
            CellTip(list, outside, ColumnIp),
            QStringLiteral("Not in this computer's network (lab1, 10.0.5.7/16): use Auto Set to give it an "
                           "address there"));
        QVERIFY(list.Rows().index(outside, ColumnIp).data(Qt::FontRole).value<QFont>().italic());
        QCOMPARE(CellTip(list, inside, ColumnIp), QStringLiteral("lab1, 10.0.5.7"));
        QVERIFY(!list.Rows().index(inside, ColumnIp).data(Qt::FontRole).isValid());

        // The question before the browser: "No" opens nothing, "Yes" opens the page.
        const QPoint at = list.visualRect(list.ShownIndex(outside, ColumnDeviceName)).center();
        answerer.Answer(QMessageBox::No);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(answerer.Texts(),
                 QStringList{
                     QStringLiteral("192.0.0.64 is not in this computer's network (10.0.0.0/16), so its web "
                                    "page will probably not open. Open it anyway?")});
        QVERIFY(browser.opened.isEmpty());
        answerer.Answer(QMessageBox::Yes);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(browser.OpenedTexts(), QStringList{QStringLiteral("http://192.0.0.64:80")});

        // "Outside network only" shows it alone; the saved list says "No" for it, "Yes" for the other.
        dlg.findChild<QCheckBox*>(QStringLiteral("checkOutsideNetwork"))->click();
        QCOMPARE(list.model()->rowCount(), 1);
        const QStringList csv = QString::fromUtf8(DeviceListCsv(DeviceListRecords(list.Rows())))
                                    .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        const qsizetype inNetwork = csv[0].split(u',').indexOf(QStringLiteral("In Network"));
        QVERIFY2(inNetwork > 0, qPrintable(csv[0]));
        QCOMPARE(csv[1 + outside].split(u',').value(inNetwork), QStringLiteral("No"));
        QCOMPARE(csv[1 + inside].split(u',').value(inNetwork), QStringLiteral("Yes"));
    }

    // Nobody answers: the status line keeps "Scan End", the line under the list names the adapters
    // asked, and nothing but the searches left the computer.
    void anEmptySearchSaysWhy()
    {
        LinkCapture capture;
        const QString noCapture = capture.Start();
        QVERIFY2(noCapture.isEmpty(), qPrintable(noCapture));
        CNetroveDlg dlg;
        dlg.show();
        auto* hint = dlg.findChild<QLabel*>(QStringLiteral("staticHint"));
        QTRY_VERIFY_WITH_TIMEOUT(!hint->text().isEmpty(), 5000);
        QCOMPARE(hint->text(),
                 QStringLiteral("Nothing answered on lab0 (192.168.1.10), lab1 (10.0.5.7). Check the "
                                "cable, the switch and that the devices are on."));
        QCOMPARE(MainWindow::StatusLine(dlg)->text(), QStringLiteral("Scan End"));
        QVERIFY(hint->isVisible() && hint->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard));
        QCOMPARE(AccessibleName(hint), hint->text());
        // The camera, recorder and IPv6 searches on lab0, the IPv6 one from the port a firewall opens,
        // and the two ONVIF probes on each family; each sent three times, as nobody new answered
        // after the third.
        QCOMPARE(dlg.Engine().SearchSends(), 3);
        QCOMPARE(capture.Taken().Program(), 3 * (3 + 2 * 2));
        QVERIFY(capture.IPv6SearchSender());
        QCOMPARE(ntohs(capture.IPv6SearchSender()->sin6_port), 7711);
        dlg.OnBnClickedSearch();
        QVERIFY(hint->text().isEmpty() && !hint->isVisible());
    }
};

NETROVE_LAB_TEST_MAIN(TestAdaptersLab, QApplication)

#include "tst_adapterslab.moc"
