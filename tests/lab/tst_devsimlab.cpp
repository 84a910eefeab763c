// The simulated devices over a real (lab) network: what they answer to searches and setting
// requests on each channel, byte for byte, their faults, and the pings the lab answers. This
// client plays the tool's part from the host side of the lab.

#include "discovery/PacketFields.h"
#include "discovery/SearchRequests.h"
#include "tests/lab/LabFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QNetworkDatagram>
#include <QTest>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <netinet/ip.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <numeric>
#include <set>

using namespace Netrove;

namespace {

constexpr quint16 kCameraPort = 7701;
constexpr quint16 kCameraReplyPort = 7711;
constexpr quint16 kRecorderPort = 7603;
constexpr quint16 kRecorderReplyPort = 7613;

QString Mac(int n)
{
    return QStringLiteral("02:00:00:00:01:%1").arg(n, 2, 16, QLatin1Char('0')).toUpper();
}

// One device per case the tool must cope with; the MAC's last byte names the case.
QString MainDeviceFile()
{
    const QString common = QStringLiteral(" ip=192.168.1.1%1 password=pw%1 model=NC-210 alias=\"Cam %1\"");
    QString file;
    auto add = [&](int n, const QString& rest) {
        file += QStringLiteral("mac=%1").arg(Mac(n)) + common.arg(n, 2, 10, QLatin1Char('0')) +
                QLatin1Char(' ') + rest + QLatin1Char('\n');
    };
    file += QStringLiteral("# the lab test's devices\n\n");
    add(1, QStringLiteral("kind=camera webport=8080 http=8080 dlx=9000 tcp=9001 udp=9002 upload=9003 "
                          "multicast=9004 mode=pppoe url=https://cam1"));
    add(2, QStringLiteral("kind=camera short=1"));
    add(3, QStringLiteral("kind=camera6 ipv6=fe80::2:3"));
    add(4, QStringLiteral("kind=camera tag=foreign"));
    add(5, QStringLiteral("kind=camera tag=zero"));
    add(6, QStringLiteral("kind=camera copies=2"));
    add(7, QStringLiteral("kind=camera delay=300 jitter=100"));
    add(8, QStringLiteral("kind=camera fill=1"));
    add(9, QStringLiteral("kind=camera size=400"));
    add(10, QStringLiteral("kind=camera size=65507"));
    add(11, QStringLiteral("kind=camera result=55"));
    add(12, QStringLiteral("kind=camera result=66"));
    add(13, QStringLiteral("kind=camera result=99"));
    add(14, QStringLiteral("kind=camera success=44"));
    add(15, QStringLiteral("kind=recorder url=http://192.168.1.115:8000"));
    add(16, QStringLiteral("kind=recorder setting=0"));
    return file;
}

ClientTag TestTag()
{
    ClientTag tag{};
    std::iota(tag.begin(), tag.end(), std::uint8_t{0x41});
    return tag;
}

QByteArray Bytes(const std::vector<std::uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

std::span<const std::uint8_t> Span(const QByteArray& b)
{
    return {reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<std::size_t>(b.size())};
}

struct Reply
{
    QByteArray data;
    QHostAddress from;
    qint64 ms = 0; // after the request left
};

// Reads until `window` ms passed or `enough` replies came.
QList<Reply> Collect(QUdpSocket& socket, const QElapsedTimer& since, int window, int enough = -1)
{
    QList<Reply> replies;
    QDeadlineTimer deadline(window);
    while (!deadline.hasExpired() && (enough < 0 || replies.size() < enough)) {
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(int(deadline.remainingTime())))
            continue;
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram d = socket.receiveDatagram();
            replies.append({d.data(), d.senderAddress(), since.elapsed()});
        }
    }
    return replies;
}

// The clock the simulator's log times are given on (see "monotonic_ms" in doc/devsim.md).
double MonotonicMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Forgets answers that a previous case left behind.
void Drain(QUdpSocket& socket)
{
    while (socket.hasPendingDatagrams())
        socket.receiveDatagram();
}

QString MacOf(PacketKind kind, const QByteArray& reply)
{
    return QString::fromStdString(ReadText(kind, Span(reply), PacketField::MacAddress));
}

bool BindReplyPort(QUdpSocket& socket, quint16 port)
{
    if (!socket.bind(QHostAddress::AnyIPv4, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        return false;
    // Room for a thousand answers at once (root may exceed the system's limit).
    const int size = 8 << 20;
    return ::setsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) == 0;
}

// One ICMP echo request and a one-second wait for the echo reply from that address.
bool AnswersPing(const QString& address)
{
    const int fd = ::socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
    if (fd < 0)
        return false;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    ::inet_pton(AF_INET, qPrintable(address), &to.sin_addr);
    std::array<std::uint8_t, 12> echo{8, 0, 0, 0, 0x34, 0x12, 0x0F, 0x00, 0, 0, 0, 0};
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < echo.size(); i += 2)
        sum += echo[i] | (echo[i + 1] << 8);
    sum = (sum & 0xffff) + (sum >> 16);
    sum = (sum & 0xffff) + (sum >> 16);
    const auto checksum = static_cast<std::uint16_t>(~sum);
    echo[2] = static_cast<std::uint8_t>(checksum & 0xff);
    echo[3] = static_cast<std::uint8_t>(checksum >> 8);
    bool answered = false;
    if (::sendto(fd, echo.data(), echo.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) == 12) {
        QDeadlineTimer deadline(1000);
        while (!answered && !deadline.hasExpired()) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
                break;
            std::array<std::uint8_t, 1024> in{};
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t n =
                ::recvfrom(fd, in.data(), in.size(), 0, reinterpret_cast<sockaddr*>(&from), &length);
            const std::size_t header = n > 0 ? std::size_t(in[0] & 0x0f) * 4 : 0;
            // An echo reply (type 0) from the address asked.
            answered = n > 0 && std::size_t(n) > header && in[header] == 0 &&
                       from.sin_addr.s_addr == to.sin_addr.s_addr;
        }
    }
    ::close(fd);
    return answered;
}

} // namespace

class TestDevsimLab final : public QObject
{
    Q_OBJECT

private:
    LabFixture m_lab;
    QUdpSocket m_cameraReplies;
    QUdpSocket m_recorderReplies;
    QUdpSocket m_sender;
    QByteArray m_cameraSearch;
    QList<Reply> m_searchReplies; // the answers to one camera search, for the table below

    QList<Reply> CameraSearch(int window = 1500)
    {
        Drain(m_cameraReplies);
        QElapsedTimer since;
        since.start();
        m_sender.writeDatagram(m_cameraSearch, QHostAddress::Broadcast, kCameraPort);
        return Collect(m_cameraReplies, since, window);
    }

    QList<Reply> RepliesFrom(const QList<Reply>& replies, const QString& mac, PacketKind kind)
    {
        QList<Reply> mine;
        for (const Reply& r : replies) {
            if (MacOf(kind, r.data) == mac)
                mine.append(r);
        }
        return mine;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_lab.Start(MainDeviceFile()), qPrintable(m_lab.Error()));
        QVERIFY(BindReplyPort(m_cameraReplies, kCameraReplyPort));
        QVERIFY(BindReplyPort(m_recorderReplies, kRecorderReplyPort));
        m_cameraSearch = Bytes(BuildCameraSearch(TestTag()));
        m_searchReplies = CameraSearch();
    }

    // The simulator logs exactly the bytes that arrived.
    void logsWhatArrived()
    {
        const QList<QJsonObject> received = m_lab.Received(QStringLiteral("camera"));
        QCOMPARE(received.size(), 1);
        const QJsonObject line = received.first();
        QCOMPARE(line.value(QLatin1String("size")).toInt(), 262);
        QCOMPARE(line.value(QLatin1String("kind")).toString(), QStringLiteral("search"));
        QCOMPARE(QByteArray::fromHex(line.value(QLatin1String("hex")).toString().toLatin1()), m_cameraSearch);
        const QJsonObject fields = line.value(QLatin1String("fields")).toObject();
        QCOMPARE(fields.value(QLatin1String("opcode")).toInt(), 1);
        QCOMPARE(fields.value(QLatin1String("http")).toInt(), 5000);
        const ClientTag tag = TestTag();
        QCOMPARE(fields.value(QLatin1String("tag")).toString(),
                 QString::fromLatin1(Bytes({tag.begin(), tag.end()}).toHex()));
        QVERIFY(line.value(QLatin1String("source")).toString().startsWith(QLatin1String("192.168.1.10:")));
    }

    void cameraSearch_data()
    {
        QTest::addColumn<int>("device");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("tag"); // echo, foreign or zero
        QTest::addColumn<int>("earliestMs");
        QTest::addColumn<int>("latestMs");
        QTest::newRow("plain camera") << 1 << 1 << 326 << "echo" << 0 << 200;
        QTest::newRow("short reply") << 2 << 1 << 262 << "echo" << 0 << 200;
        QTest::newRow("IPv6 camera answers IPv4 too") << 3 << 1 << 326 << "echo" << 0 << 200;
        QTest::newRow("foreign tag") << 4 << 1 << 326 << "foreign" << 0 << 200;
        QTest::newRow("zero tag") << 5 << 1 << 326 << "zero" << 0 << 200;
        QTest::newRow("duplicate") << 6 << 2 << 326 << "echo" << 0 << 200;
        QTest::newRow("delay with jitter") << 7 << 1 << 326 << "echo" << 290 << 600;
        QTest::newRow("filled texts") << 8 << 1 << 326 << "echo" << 0 << 200;
        QTest::newRow("oversize") << 9 << 1 << 400 << "echo" << 0 << 200;
        QTest::newRow("largest datagram") << 10 << 1 << 65507 << "echo" << 0 << 500;
        QTest::newRow("recorder is not a camera") << 15 << 0 << 0 << "" << 0 << 0;
    }
    void cameraSearch()
    {
        QFETCH(int, device);
        QFETCH(int, count);
        QFETCH(int, size);
        QFETCH(QString, tag);
        QFETCH(int, earliestMs);
        QFETCH(int, latestMs);
        const QList<Reply> mine = RepliesFrom(m_searchReplies, Mac(device), PacketKind::KindCamera);
        QCOMPARE(mine.size(), count);
        for (const Reply& r : mine) {
            QCOMPARE(r.data.size(), size);
            QCOMPARE(int(std::uint8_t(r.data[0])), 11);
            QCOMPARE(r.from, QHostAddress(QStringLiteral("192.168.1.2")));
            const ClientTag got = ReadClientTag(PacketKind::KindCamera, Span(r.data));
            const bool zero15 = std::all_of(got.begin(), got.begin() + 15, [](auto b) { return b == 0; });
            if (tag == QLatin1String("echo"))
                QVERIFY(got == TestTag());
            else if (tag == QLatin1String("zero"))
                QVERIFY(zero15);
            else
                QVERIFY(got != TestTag() && !zero15);
            QVERIFY2(r.ms >= earliestMs && r.ms <= latestMs, qPrintable(QString::number(r.ms)));
        }
    }

    // The fields of a full reply, at the offsets the tool reads.
    void cameraReplyFields()
    {
        const QList<Reply> mine = RepliesFrom(m_searchReplies, Mac(1), PacketKind::KindCamera);
        QCOMPARE(mine.size(), 1);
        const auto r = Span(mine.first().data);
        constexpr PacketKind k = PacketKind::KindCamera;
        QCOMPARE(ReadText(k, r, PacketField::IpAddress), std::string("192.168.1.101"));
        QCOMPARE(ReadText(k, r, PacketField::SubnetMask), std::string("255.255.255.0"));
        QCOMPARE(ReadText(k, r, PacketField::ModelName), std::string("NC-210"));
        QCOMPARE(ReadText(k, r, PacketField::Alias), std::string("Cam 01"));
        QCOMPARE(ReadText(k, r, PacketField::Url), std::string("https://cam1"));
        QCOMPARE(r[106], 0x90); // WebPort 8080, low byte first
        QCOMPARE(r[107], 0x1F);
        QCOMPARE(ReadU16(k, r, PacketField::MulticastPort), 9004);
        QCOMPARE(r[132], 2); // PPPoE

        const QList<Reply> filled = RepliesFrom(m_searchReplies, Mac(8), k);
        QCOMPARE(filled.size(), 1);
        QVERIFY(!filled.first().data.mid(261, 65).contains('\0'));
    }

    void recorderSearch()
    {
        Drain(m_recorderReplies);
        QElapsedTimer since;
        since.start();
        m_sender.writeDatagram(Bytes(BuildRecorderSearch(TestTag())), QHostAddress::Broadcast, kRecorderPort);
        const QList<Reply> replies = Collect(m_recorderReplies, since, 1000);
        QCOMPARE(replies.size(), 2);
        constexpr PacketKind k = PacketKind::KindRecorder;
        for (const Reply& r : replies) {
            QCOMPARE(r.data.size(), 334);
            QCOMPARE(int(std::uint8_t(r.data[4])), 11);
            QVERIFY(ReadClientTag(k, Span(r.data)) == TestTag());
            const QString mac = MacOf(k, r.data);
            QVERIFY2(mac == Mac(15) || mac == Mac(16), qPrintable(mac));
            QCOMPARE(int(std::uint8_t(r.data[265])), mac == Mac(16) ? 0 : 1);
        }
    }

    void ipv6Search()
    {
        QUdpSocket socket;
        QVERIFY(socket.bind(QHostAddress::AnyIPv6, 0));
        QElapsedTimer since;
        since.start();
        QCOMPARE(socket.writeDatagram(Bytes(BuildIPv6Search(TestTag())),
                                      QHostAddress(QStringLiteral("ff02::1111")), kCameraPort),
                 302);
        const QList<Reply> replies = Collect(socket, since, 1000);
        QCOMPARE(replies.size(), 1);
        const Reply& r = replies.first();
        constexpr PacketKind k = PacketKind::KindCameraIPv6;
        QCOMPARE(r.data.size(), 366);
        QCOMPARE(r.from.protocol(), QAbstractSocket::IPv6Protocol);
        QVERIFY(r.from.isLinkLocal());
        QCOMPARE(MacOf(k, r.data), Mac(3));
        QVERIFY(ReadClientTag(k, Span(r.data)) == TestTag());
        QCOMPARE(ReadText(k, Span(r.data), PacketField::Ipv6Address), std::string("fe80::2:3"));
        QCOMPARE(ReadText(k, Span(r.data), PacketField::Alias), std::string("Cam 03"));
    }

    void ping_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("answers");
        QTest::newRow("devices' own address") << "192.168.1.2" << true;
        QTest::newRow("occupied") << "192.168.1.254" << true;
        QTest::newRow("occupied, lower") << "192.168.1.250" << true;
        QTest::newRow("free") << "192.168.1.253" << false;
    }
    void ping()
    {
        QFETCH(QString, address);
        QFETCH(bool, answers);
        static const bool occupied =
            m_lab.Occupy({QStringLiteral("192.168.1.254"), QStringLiteral("192.168.1.250")});
        QVERIFY2(occupied, qPrintable(m_lab.Error()));
        QCOMPARE(AnswersPing(address), answers);
    }

    // A setting request broadcast for one device: the result on the channel's reply port, and
    // what the next search shows.
    void setting_data()
    {
        QTest::addColumn<bool>("recorder");
        QTest::addColumn<int>("device");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("opcode");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("result"); // -1: none
        QTest::addColumn<bool>("applied");
        QTest::newRow("applied") << false << 1 << "pw01" << 2 << 326 << 22 << true;
        QTest::newRow("short camera, short request") << false << 2 << "pw02" << 4 << 262 << 22 << true;
        QTest::newRow("wrong password") << false << 3 << "pw99" << 2 << 326 << 33 << false;
        QTest::newRow("port mapping error") << false << 11 << "pw11" << 4 << 326 << 55 << false;
        QTest::newRow("router connect error") << false << 12 << "pw12" << 4 << 326 << 66 << false;
        QTest::newRow("unknown result") << false << 13 << "pw13" << 2 << 326 << 99 << false;
        QTest::newRow("success with details") << false << 14 << "pw14" << 2 << 326 << 44 << true;
        QTest::newRow("recorder") << true << 15 << "pw15" << 2 << 262 << 22 << true;
        QTest::newRow("recorder, wrong password") << true << 16 << "nope" << 2 << 262 << -1 << false;
        QTest::newRow("recorder takes no setting") << true << 16 << "pw16" << 2 << 262 << -1 << false;
    }
    void setting()
    {
        QFETCH(bool, recorder);
        QFETCH(int, device);
        QFETCH(QString, password);
        QFETCH(int, opcode);
        QFETCH(int, size);
        QFETCH(int, result);
        QFETCH(bool, applied);
        constexpr PacketKind req = PacketKind::KindCamera;
        std::vector<std::uint8_t> request(std::size_t(size), 0);
        WriteByte(req, request, PacketField::Opcode, std::uint8_t(opcode));
        WriteClientTag(req, request, TestTag());
        WriteText(req, request, PacketField::MacAddress, Mac(device).toStdString());
        const std::string newIp = "192.168.1." + std::to_string(200 + device);
        WriteText(req, request, PacketField::IpAddress, newIp);
        WriteText(req, request, PacketField::SubnetMask, "255.255.255.0");
        WriteText(req, request, PacketField::Gateway, "192.168.1.1");
        WriteText(req, request, PacketField::Password, password.toStdString());
        WriteU16(req, request, PacketField::HttpPort, 10006);
        WriteByte(req, request, PacketField::AddressMode, 1);

        QUdpSocket& replies = recorder ? m_recorderReplies : m_cameraReplies;
        Drain(replies);
        const qsizetype logged = m_lab.Received().size();
        QElapsedTimer since;
        since.start();
        m_sender.writeDatagram(Bytes(request), QHostAddress::Broadcast,
                               recorder ? kRecorderPort : kCameraPort);
        const PacketKind answer = recorder ? PacketKind::KindRecorder : PacketKind::KindCamera;
        // Late answers to an earlier search may still arrive; only this device's count.
        const QList<Reply> got =
            RepliesFrom(Collect(replies, since, result < 0 ? 800 : 1000), Mac(device), answer);
        if (result < 0) {
            QVERIFY2(got.isEmpty(), "a device answered what it should have ignored");
        } else {
            QCOMPARE(got.size(), 1);
            const auto r = Span(got.first().data);
            QCOMPARE(r.size(),
                     recorder ? std::size_t{334} : (device == 2 ? std::size_t{262} : std::size_t{326}));
            QCOMPARE(int(ReadByte(answer, r, PacketField::Opcode)), result);
            QVERIFY(ReadClientTag(answer, r) == TestTag());
        }
        // The simulator saw exactly this request and says what it did.
        QVERIFY(
            m_lab.WaitForLog([&](const QList<QJsonObject>&) { return m_lab.Received().size() > logged; }));
        const QJsonObject line = m_lab.Received().last();
        QCOMPARE(QByteArray::fromHex(line.value(QLatin1String("hex")).toString().toLatin1()), Bytes(request));
        QCOMPARE(line.value(QLatin1String("kind")).toString(), QStringLiteral("setting"));
        QCOMPARE(line.value(QLatin1String("outcome")).toString().contains(QLatin1String("applied")), applied);

        // The next search shows the device with its new address, or its old one.
        QList<Reply> after;
        if (recorder) {
            Drain(m_recorderReplies);
            QElapsedTimer again;
            again.start();
            m_sender.writeDatagram(Bytes(BuildRecorderSearch(TestTag())), QHostAddress::Broadcast,
                                   kRecorderPort);
            after = Collect(m_recorderReplies, again, 600);
        } else {
            after = CameraSearch(600);
        }
        const QList<Reply> mine = RepliesFrom(after, Mac(device), answer);
        QVERIFY(!mine.isEmpty());
        const std::string ip = ReadText(answer, Span(mine.first().data), PacketField::IpAddress);
        if (applied) {
            QCOMPARE(ip, newIp);
            QCOMPARE(ReadU16(answer, Span(mine.first().data), PacketField::HttpPort), 10006);
            QCOMPARE(ReadByte(answer, Span(mine.first().data), PacketField::AddressMode), 1);
        } else {
            QVERIFY(ip != newIp);
        }
    }

    // A fault given for all devices reaches every one of them.
    void faultForAll()
    {
        QVERIFY2(m_lab.Start(QString(), {QStringLiteral("--cameras"), QStringLiteral("3"),
                                         QStringLiteral("--fault"), QStringLiteral("tag=zero15"),
                                         QStringLiteral("--fault"), QStringLiteral("short=1")}),
                 qPrintable(m_lab.Error()));
        const QList<Reply> replies = CameraSearch(600);
        QCOMPARE(replies.size(), 3);
        for (const Reply& r : replies) {
            QCOMPARE(r.data.size(), 262);
            const ClientTag tag = ReadClientTag(PacketKind::KindCamera, Span(r.data));
            QVERIFY(std::all_of(tag.begin(), tag.begin() + 15, [](auto b) { return b == 0; }));
            QVERIFY(tag[15] != 0);
        }
    }

    // A thousand devices answer at once and all their answers leave within a second. The times
    // of the log, placed on this side's monotonic clock, fall between the search and the end of
    // the wait for its answers.
    void burst()
    {
        QVERIFY2(m_lab.Start(QString(), {QStringLiteral("--burst"), QStringLiteral("1000")}),
                 qPrintable(m_lab.Error()));
        const double searched = MonotonicMs();
        const QList<Reply> replies = CameraSearch(3000);
        const double collected = MonotonicMs();
        std::set<QString> macs;
        qint64 last = 0;
        for (const Reply& r : replies) {
            macs.insert(MacOf(PacketKind::KindCamera, r.data));
            last = std::max(last, r.ms);
        }
        QCOMPARE(int(macs.size()), 1000);
        QVERIFY2(last < 1000, qPrintable(QString::number(last)));
        QVERIFY(m_lab.WaitForLog([](const QList<QJsonObject>& log) {
            for (const QJsonObject& line : log) {
                if (line.value(QLatin1String("event")).toString() == QLatin1String("batch"))
                    return true;
            }
            return false;
        }));
        const QList<QJsonObject> log = m_lab.Log();
        QVERIFY(!log.isEmpty() && log.first().contains(QLatin1String("monotonic_ms")));
        const double zero = log.first().value(QLatin1String("monotonic_ms")).toDouble();
        // The log rounds to a microsecond.
        auto onThisClock = [&](const QJsonObject& line, double extra) {
            const double at = zero + line.value(QLatin1String("t")).toDouble(-1e12) + extra;
            return at >= searched - 0.002 && at <= collected + 0.002;
        };
        int sent = 0;
        for (const QJsonObject& line : log) {
            const QString event = line.value(QLatin1String("event")).toString();
            if (event == QLatin1String("sent")) {
                ++sent;
                QVERIFY2(onThisClock(line, 0),
                         qPrintable(QString::number(line.value(QLatin1String("t")).toDouble())));
            } else if (event == QLatin1String("batch")) {
                QCOMPARE(line.value(QLatin1String("count")).toInt(), 1000);
                const double elapsed = line.value(QLatin1String("elapsed_ms")).toDouble();
                QVERIFY(elapsed < 1000.0);
                QVERIFY(onThisClock(line, 0));
                QVERIFY(onThisClock(line, elapsed));
            }
        }
        QCOMPARE(sent, 1000);
    }

    void cleanupTestCase()
    {
        m_lab.Stop();
        QVERIFY(!m_lab.IsRunning());
        QCOMPARE(m_lab.Log().last().value(QLatin1String("event")).toString(), QStringLiteral("stopped"));
    }
};

NETROVE_LAB_TEST_MAIN(TestDevsimLab, QCoreApplication)

#include "tst_devsimlab.moc"
