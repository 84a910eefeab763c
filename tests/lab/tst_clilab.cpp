// netrove-cli against simulated devices: what `search` prints in each format, the requests `set`
// sends (byte for byte what the setting dialogs send the same devices in tst_autosetlab and
// tst_manualsetlab), every exit code, `open`, many devices set by `set-many` and `apply`, and the
// single-copy lock shared with the window.

#include "tests/devicelist/CsvReader.h"
#include "tests/lab/LabFixture.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Netrove;

namespace {

// The devices of the dialogs' lab tests, and one per outcome of a setting request.
const QString kDevices = QStringLiteral(
    "kind=camera mac=02:00:00:00:00:01 model=NC-1 alias=Door ip=192.168.1.101 mask=255.255.0.0 mode=dhcp "
    "password=door http=80 dlx=10000\n"
    "kind=camera mac=02:00:00:00:00:02 model=NC-2 ip=192.168.1.102 password=yard short=1\n"
    "kind=recorder mac=02:00:00:00:00:03 model=NVR-1 ip=192.168.1.120 password=rec webport=8000 http=8080 "
    "dlx=9001 tcp=9002 udp=9003 upload=9004 multicast=9005 url=http://192.168.1.120:8000\n"
    "kind=camera6 mac=02:00:00:00:00:04 model=NC-6 ip=192.168.1.104 ipv6=fe80::4 password=pw mode=pppoe\n"
    "kind=camera mac=02:00:00:00:00:05 model=NC-5 ip=192.168.1.105 password=pw result=55\n"
    "kind=camera mac=02:00:00:00:00:06 model=NC-6 ip=192.168.1.106 password=pw result=66\n"
    "kind=camera mac=02:00:00:00:00:07 model=NC-7 ip=192.168.1.107 password=pw result=none\n"
    "kind=camera mac=02:00:00:00:00:08 model=NC-8 ip=192.168.1.108 password=pw after=192.168.1.64\n"
    "kind=camera mac=02:00:00:00:00:09 model=NC-9 ip=192.168.1.109 password=pw after=none\n"
    "kind=recorder mac=02:00:00:00:00:0A model=NVR-2 ip=192.168.1.121 password=pw setting=0 "
    "url=file:///etc\n"
    // Texts a spreadsheet and a terminal would act on.
    "kind=camera mac=02:00:00:00:00:0B model=\"NC\x1b[2J\" alias=\"=HYPERLINK(\\\"http://x\\\",\\\"y\\\")\" "
    "ip=192.168.1.111\n"
    // Silent to setting requests, as 07, with a password that no argument can hold by chance.
    "kind=camera mac=02:00:00:00:00:0C model=NC-12 ip=192.168.1.112 password=s3cret-Pw result=none\n"
    // Cameras that restart to take a new address, silent for 20 s.
    "kind=camera mac=02:00:00:00:00:0D model=NC-13 ip=192.168.1.113 password=pw reboot=20\n"
    "kind=camera mac=02:00:00:00:00:0E model=NC-14 ip=192.168.1.114 password=pw reboot=20\n");
constexpr int kDeviceCount = 14;

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

QList<QJsonObject> Settings(const LabFixture& lab)
{
    QList<QJsonObject> settings;
    for (const QJsonObject& line : lab.Received())
        if (line.value(QLatin1String("kind")).toString() == QLatin1String("setting"))
            settings << line;
    return settings;
}

// How many programs searched for cameras: each sends its search several times, but always from its
// own socket.
int Searchers(const LabFixture& lab)
{
    QStringList sources;
    for (const QJsonObject& line : lab.Received(u"camera"_qs))
        if (line.value(QLatin1String("kind")).toString() == QLatin1String("search"))
            sources << line.value(QLatin1String("source")).toString();
    sources.removeDuplicates();
    return int(sources.size());
}

} // namespace

class TestCliLab final : public QObject
{
    Q_OBJECT

private:
    LabFixture m_lab;
    // A runtime directory of our own: the lock and its socket are the test's, never a real copy's.
    QTemporaryDir m_runtime;
    // As under sudo, no runtime directory at all: Qt then makes one in TMPDIR, here the test's own.
    bool m_bNoRuntimeDir = false;

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (m_bNoRuntimeDir) {
            environment.remove(u"XDG_RUNTIME_DIR"_qs);
            environment.insert(u"TMPDIR"_qs, m_runtime.path());
        } else {
            environment.insert(u"XDG_RUNTIME_DIR"_qs, m_runtime.path());
        }
        environment.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
        return environment;
    }

    void Start(QProcess& process, const QString& program, const QStringList& arguments) const
    {
        process.setProcessEnvironment(Environment());
        process.start(program, arguments);
        QVERIFY2(process.waitForStarted(5000), qPrintable(process.errorString()));
    }

    // `input`, when given, is all of standard input; otherwise it stays open and empty, as no terminal.
    Run Cli(const QStringList& arguments, const QByteArray& input = {}) const
    {
        QProcess process;
        Start(process, QStringLiteral(NETROVE_CLI), arguments);
        if (!input.isNull()) {
            process.write(input);
            process.closeWriteChannel();
        }
        Run run;
        // A change is watched for up to 90 s; the devices here are back within 25 s.
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            run.err = u"did not finish"_qs;
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    static QString Describe(const Run& run)
    {
        return QStringLiteral("exit %1\nstdout: %2\nstderr: %3").arg(run.exitCode).arg(run.out, run.err);
    }

private slots:
    void init()
    {
        m_bNoRuntimeDir = false;
        QVERIFY(m_runtime.isValid());
        QVERIFY2(m_lab.Start(kDevices), qPrintable(m_lab.Error()));
    }

    void cleanup() { m_lab.Stop(); }

    void searchAsJson()
    {
        const Run run = Cli({u"search"_qs, u"--format"_qs, u"json"_qs});
        QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
        QVERIFY2(document.isArray(), qPrintable(error.errorString()));
        QHash<QString, QJsonObject> byMac;
        for (const QJsonValue& device : document.array())
            byMac.insert(device[u"mac"_qs].toString(), device.toObject());
        QCOMPARE(byMac.size(), kDeviceCount);

        const QJsonObject camera = byMac[u"02:00:00:00:00:01"_qs];
        const QJsonObject expected{
            {u"kind"_qs, u"IP CAMERA"_qs},
            {u"model"_qs, u"NC-1"_qs},
            {u"alias"_qs, u"Door"_qs},
            {u"mode"_qs, u"Dynamic"_qs},
            {u"mac"_qs, u"02:00:00:00:00:01"_qs},
            {u"ip"_qs, u"192.168.1.101"_qs},
            {u"subnet_mask"_qs, u"255.255.0.0"_qs},
            {u"gateway"_qs, u"192.168.1.1"_qs},
            {u"protocol"_qs, u"IPv4"_qs},
            {u"web_address"_qs, u"http://192.168.1.101:80"_qs},
            {u"ports"_qs, QJsonObject{{u"http"_qs, 80},
                                      {u"dlx"_qs, 10000},
                                      {u"tcp"_qs, QJsonValue::Null},
                                      {u"udp"_qs, QJsonValue::Null},
                                      {u"upload"_qs, QJsonValue::Null},
                                      {u"multicast"_qs, QJsonValue::Null}}},
            {u"may_be_set"_qs, true},
            {u"adapter"_qs, u"lab0"_qs},
            {u"local_address"_qs, u"192.168.1.10"_qs},
            {u"same_ip_address_as"_qs, QJsonArray()},
            {u"same_ip_address_count"_qs, 0},
            {u"in_network"_qs, true},
            {u"answering"_qs, true},
            {u"endpoint"_qs, QJsonValue::Null},
        };
        // When it answered: a moment ago, with this computer's offset from UTC.
        QJsonObject answered = camera;
        const QDateTime lastSeen =
            QDateTime::fromString(answered.take(u"last_seen"_qs).toString(), Qt::ISODate);
        QVERIFY(lastSeen.isValid());
        QVERIFY(QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d$"_qs)
                    .match(camera[u"last_seen"_qs].toString())
                    .hasMatch());
        QVERIFY(qAbs(lastSeen.secsTo(QDateTime::currentDateTime())) < 30);
        QCOMPARE(answered, expected);

        const QJsonObject shortReply = byMac[u"02:00:00:00:00:02"_qs];
        QCOMPARE(shortReply[u"alias"_qs].toString(), u"N/A"_qs);
        QCOMPARE(shortReply[u"mode"_qs].toString(), u"Static"_qs);

        const QJsonObject recorder = byMac[u"02:00:00:00:00:03"_qs];
        QCOMPARE(recorder[u"kind"_qs].toString(), u"NVR"_qs);
        QCOMPARE(recorder[u"web_address"_qs].toString(), u"http://192.168.1.120:8000"_qs);
        QCOMPARE(recorder[u"ports"_qs][u"http"_qs].toInt(), 8080);
        QCOMPARE(recorder[u"ports"_qs][u"tcp"_qs].toInt(), 9001); // its Port(TCP)
        QVERIFY(recorder[u"ports"_qs][u"dlx"_qs].isNull());
        QCOMPARE(recorder[u"may_be_set"_qs].toBool(), true);

        const QJsonObject refusing = byMac[u"02:00:00:00:00:0A"_qs];
        QCOMPARE(refusing[u"may_be_set"_qs].toBool(), false);
        QCOMPARE(refusing[u"web_address"_qs].toString(), QString()); // not an address to open

        QCOMPARE(byMac[u"02:00:00:00:00:04"_qs][u"mode"_qs].toString(), u"PPPoE"_qs);
        QCOMPARE(byMac[u"02:00:00:00:00:0B"_qs][u"model"_qs].toString(), u"NC\x1b[2J"_qs);
    }

    void searchNarrowed()
    {
        const Run run =
            Cli({u"search"_qs, u"--format"_qs, u"json"_qs, u"--ipv6"_qs, u"--timeout"_qs, u"1500"_qs});
        QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
        const QJsonArray devices = QJsonDocument::fromJson(run.out.toUtf8()).array();
        QCOMPARE(devices.size(), 1);
        const QJsonObject camera6 = devices.first().toObject();
        QCOMPARE(camera6[u"mac"_qs].toString(), u"02:00:00:00:00:04"_qs);
        QCOMPARE(camera6[u"protocol"_qs].toString(), u"IPv6"_qs);
        QCOMPARE(camera6[u"web_address"_qs].toString(), u"http://[fe80::4]:80"_qs);
        QCOMPARE(camera6[u"may_be_set"_qs].toBool(), false);
        QCOMPARE(Searchers(m_lab), 0); // no IPv4 search went out

        const Run recorders =
            Cli({u"search"_qs, u"--format"_qs, u"json"_qs, u"--recorders"_qs, u"--timeout"_qs, u"1000"_qs});
        QCOMPARE(QJsonDocument::fromJson(recorders.out.toUtf8()).array().size(), 2);
    }

    void searchAsTableAndCsv()
    {
        const Run table = Cli({u"search"_qs});
        QVERIFY2(table.exitCode == 0, qPrintable(Describe(table)));
        const QStringList lines = table.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), kDeviceCount + 1);
        QVERIFY(lines.first().startsWith(u"Device Type"_qs));
        const qsizetype macColumn = lines.first().indexOf(u"MAC Address"_qs);
        QStringList macs;
        for (const QString& line : lines.mid(1))
            macs << line.mid(macColumn, 17);
        macs.sort();
        QCOMPARE(macs.first(), u"02:00:00:00:00:01"_qs);
        QCOMPARE(macs.last(), u"02:00:00:00:00:0E"_qs);
        QVERIFY2(!table.out.contains(u'\x1b') && table.out.contains(u"NC?[2J"_qs), qPrintable(table.out));

        const Run csv = Cli({u"search"_qs, u"--format"_qs, u"csv"_qs});
        QVERIFY2(csv.exitCode == 0, qPrintable(Describe(csv)));
        const QStringList rows = csv.out.split(u"\r\n"_qs, Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), kDeviceCount + 1);
        QCOMPARE(
            rows.first().split(u','),
            (QStringList{u"Device Type"_qs, u"Device Name"_qs, u"Alias"_qs,         u"Mode"_qs,
                         u"MAC Address"_qs, u"IP Address"_qs,  u"Subnet Mask"_qs,   u"Gateway"_qs,
                         u"Protocol"_qs,    u"Web Address"_qs, u"HTTP Port"_qs,     u"DLX Port"_qs,
                         u"TCP Port"_qs,    u"UDP Port"_qs,    u"Upload Port"_qs,   u"Multicast Port"_qs,
                         u"Can Be Set"_qs,  u"Adapter"_qs,     u"Local Address"_qs, u"Same IP Address As"_qs,
                         u"In Network"_qs,  u"Last Seen"_qs,   u"Endpoint"_qs}));
        // Then when it answered, and no endpoint: it is one of ours.
        QVERIFY(std::any_of(rows.begin(), rows.end(), [](const QString& row) {
            return row.startsWith(
                       u"IP CAMERA,NC-2,N/A,Static,02:00:00:00:00:02,192.168.1.102,255.255.255.0,192.168.1.1,"
                       "IPv4,http://192.168.1.102:80,80,10000,,,,,Yes,lab0,192.168.1.10,,Yes,"_qs) &&
                   !row.endsWith(u"Yes,,"_qs) && row.endsWith(u","_qs);
        }));
        QList<QStringList> saved;
        QString error;
        QVERIFY2(Test::ReadCsv(csv.out.toUtf8(), saved, error), qPrintable(error));
        QVERIFY(std::any_of(saved.begin(), saved.end(), [](const QStringList& fields) {
            return fields.value(2) == u"'=HYPERLINK(\"http://x\",\"y\")"_qs;
        }));
    }

    // The request each mode sends, as the dialogs send it to the same devices, and the check after it.
    void setSendsWhatTheDialogsSend_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("channel");
        QTest::addColumn<int>("size");
        QTest::addColumn<QVariantMap>("fields");
        QTest::addColumn<QString>("confirmed");

        QTest::newRow("auto, camera")
            << QStringList{u"02:00:00:00:00:01"_qs, u"--password"_qs, u"door"_qs, u"--auto"_qs}
            << u"camera"_qs << 326
            << QVariantMap{{u"opcode"_qs, 2},
                           {u"ip"_qs, u"192.168.1.254"_qs},
                           {u"mask"_qs, u"255.255.0.0"_qs},
                           {u"gateway"_qs, u"192.168.1.1"_qs},
                           {u"password"_qs, u"door"_qs},
                           {u"webport"_qs, 10000},
                           {u"http"_qs, 10000},
                           {u"dlx"_qs, 10001},
                           {u"tcp"_qs, 10002},
                           {u"udp"_qs, 10003},
                           {u"upload"_qs, 10004},
                           {u"multicast"_qs, 10005},
                           {u"mode"_qs, 0}}
            << u"02:00:00:00:00:01 now at 192.168.1.254"_qs;
        QTest::newRow("auto, recorder keeps its ports")
            << QStringList{u"02:00:00:00:00:03"_qs, u"--password"_qs, u"rec"_qs, u"--auto"_qs}
            << u"recorder"_qs << 262
            << QVariantMap{{u"webport"_qs, 8000},   {u"http"_qs, 8080}, {u"dlx"_qs, 9001},
                           {u"tcp"_qs, 9002},       {u"udp"_qs, 9003},  {u"upload"_qs, 9004},
                           {u"multicast"_qs, 9005}, {u"mode"_qs, 0},    {u"ip"_qs, u"192.168.1.254"_qs}}
            << u"02:00:00:00:00:03 now at 192.168.1.254"_qs;
        QTest::newRow("static, camera") << QStringList{u"02:00:00:00:00:01"_qs,
                                                       u"--password"_qs,
                                                       u"door"_qs,
                                                       u"--static"_qs,
                                                       u"192.168.1.150"_qs,
                                                       u"--mask"_qs,
                                                       u"255.255.255.0"_qs,
                                                       u"--gateway"_qs,
                                                       u"192.168.1.1"_qs,
                                                       u"--http"_qs,
                                                       u"8081"_qs,
                                                       u"--dlx"_qs,
                                                       u"9000"_qs}
                                        << u"camera"_qs << 326
                                        << QVariantMap{{u"opcode"_qs, 2},
                                                       {u"ip"_qs, u"192.168.1.150"_qs},
                                                       {u"mask"_qs, u"255.255.255.0"_qs},
                                                       {u"gateway"_qs, u"192.168.1.1"_qs},
                                                       {u"password"_qs, u"door"_qs},
                                                       {u"http"_qs, 8081},
                                                       {u"webport"_qs, 8081},
                                                       {u"dlx"_qs, 9000},
                                                       {u"tcp"_qs, 0},
                                                       {u"udp"_qs, 0},
                                                       {u"upload"_qs, 0},
                                                       {u"multicast"_qs, 0},
                                                       {u"mode"_qs, 0}}
                                        << u"02:00:00:00:00:01 now at 192.168.1.150"_qs;
        QTest::newRow("DHCP, camera that answered short")
            << QStringList{u"02:00:00:00:00:02"_qs, u"--password"_qs, u"yard"_qs, u"--dhcp"_qs}
            << u"camera"_qs << 262
            << QVariantMap{{u"http"_qs, 80},
                           {u"webport"_qs, 80},
                           {u"dlx"_qs, 10000},
                           {u"mode"_qs, 1},
                           {u"ip"_qs, u"192.168.1.102"_qs},
                           {u"password"_qs, u"yard"_qs}}
            << u"02:00:00:00:00:02 now at 192.168.1.102"_qs;
        QTest::newRow("PPPoE kept, MAC in small letters")
            << QStringList{u"02:00:00:00:00:04"_qs.toLower(), u"--password"_qs, u"pw"_qs, u"--pppoe"_qs}
            << u"camera"_qs << 326
            << QVariantMap{{u"mac"_qs, u"02:00:00:00:00:04"_qs},
                           {u"mode"_qs, 2},
                           {u"ip"_qs, u"192.168.1.104"_qs}}
            << u"02:00:00:00:00:04 now at 192.168.1.104"_qs;
        QTest::newRow("static, a camera silent for 20 s while it restarts")
            << QStringList{u"02:00:00:00:00:0D"_qs, u"--password"_qs,    u"pw"_qs,
                           u"--static"_qs,          u"192.168.1.150"_qs, u"--mask"_qs,
                           u"255.255.255.0"_qs,     u"--gateway"_qs,     u"192.168.1.1"_qs}
            << u"camera"_qs << 326 << QVariantMap{{u"ip"_qs, u"192.168.1.150"_qs}}
            << u"02:00:00:00:00:0D now at 192.168.1.150"_qs;
    }

    void setSendsWhatTheDialogsSend()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, channel);
        QFETCH(int, size);
        QFETCH(QVariantMap, fields);
        QFETCH(QString, confirmed);

        const Run run = Cli(QStringList{u"set"_qs} + arguments);
        QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
        QVERIFY2(run.out.trimmed().endsWith(confirmed), qPrintable(Describe(run)));
        const QList<QJsonObject> settings = Settings(m_lab);
        QCOMPARE(settings.size(), 1);
        const QJsonObject request = settings.first();
        QCOMPARE(request[u"channel"_qs].toString(), channel);
        QCOMPARE(request[u"size"_qs].toInt(), size);
        QCOMPARE(request[u"outcome"_qs].toString(), u"applied"_qs);
        if (!fields.contains(u"mac"_qs))
            QCOMPARE(request[u"fields"_qs][u"mac"_qs].toString(), arguments.first());
        for (auto field = fields.cbegin(); field != fields.cend(); ++field)
            QVERIFY2(request[u"fields"_qs][field.key()].toVariant() == field.value(),
                     qPrintable(field.key() + u": "_qs +
                                request[u"fields"_qs][field.key()].toVariant().toString()));
        if (arguments.contains(u"--auto"_qs))
            QVERIFY2(run.out.startsWith(u"Proposed for "_qs), qPrintable(run.out));
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // on standard error
        QTest::addColumn<bool>("sent");
        const QStringList statics{u"--static"_qs,      u"192.168.1.252"_qs, u"--mask"_qs,
                                  u"255.255.255.0"_qs, u"--gateway"_qs,     u"192.168.1.1"_qs};
        QTest::newRow("1, accepts no setting")
            << QStringList{u"02:00:00:00:00:0A"_qs, u"--password"_qs, u"pw"_qs, u"--dhcp"_qs} << 1
            << u"cannot be set"_qs << false;
        QTest::newRow("2, the dialog's check")
            << QStringList{u"02:00:00:00:00:01"_qs, u"--password"_qs,    u"door"_qs,
                           u"--static"_qs,          u"192.168.1.252"_qs, u"--mask"_qs,
                           u"255.0.255.0"_qs,       u"--gateway"_qs,     u"192.168.1.1"_qs}
            << 2 << u"Invalid Subnet Mask"_qs << false;
        QTest::newRow("2, no password and no terminal")
            << QStringList{u"02:00:00:00:00:01"_qs, u"--dhcp"_qs} << 2
            << u"a password is needed: --password-stdin or --password"_qs << false;
        QTest::newRow("3") << QStringList{u"02:00:00:00:00:03"_qs, u"--password"_qs, u"wrong"_qs,
                                          u"--dhcp"_qs}
                           << 3 << u"Invalid Password!"_qs << true;
        QTest::newRow("4") << QStringList{u"02:00:00:00:00:05"_qs, u"--password"_qs, u"pw"_qs} + statics << 4
                           << u"Port Mapping Error"_qs << true;
        QTest::newRow("5") << QStringList{u"02:00:00:00:00:06"_qs, u"--password"_qs, u"pw"_qs} + statics << 5
                           << u"Router Connect Error!"_qs << true;
        QTest::newRow("6") << QStringList{u"02:00:00:00:00:07"_qs, u"--password"_qs, u"pw"_qs,
                                          u"--result-timeout"_qs, u"700"_qs} +
                                  statics
                           << 6 << u"02:00:00:00:00:07 sent no result within 700 ms"_qs << true;
        QTest::newRow("7, another address")
            << QStringList{u"02:00:00:00:00:08"_qs, u"--password"_qs, u"pw"_qs, u"--wait"_qs, u"4"_qs} +
                   statics
            << 7 << u"02:00:00:00:00:08 answered with 192.168.1.64, not 192.168.1.252"_qs << true;
        QTest::newRow("7, gone") << QStringList{u"02:00:00:00:00:09"_qs,
                                                u"--password"_qs,
                                                u"pw"_qs,
                                                u"--dhcp"_qs,
                                                u"--wait"_qs,
                                                u"4"_qs}
                                 << 7 << u"02:00:00:00:00:09 did not answer after the change"_qs << true;
        QTest::newRow("8") << QStringList{u"02:00:00:00:00:FF"_qs, u"--password"_qs, u"pw"_qs, u"--dhcp"_qs,
                                          u"--timeout"_qs,         u"700"_qs}
                           << 8 << u"No device with MAC address 02:00:00:00:00:FF answered"_qs << false;
    }

    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(bool, sent);
        const Run run = Cli(QStringList{u"set"_qs} + arguments);
        QVERIFY2(run.exitCode == exitCode, qPrintable(Describe(run)));
        QVERIFY2(run.err.contains(message), qPrintable(Describe(run)));
        QCOMPARE(Settings(m_lab).size(), sent ? 1 : 0);
    }

    // set-many and apply over the devices above (password "pw" for 04 to 09): a line per device, and
    // nothing sent when the plan is refused. PLAN stands for the plan's file.
    void batches_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("plan");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");     // on standard error
        QTest::addColumn<QStringList>("results"); // "MAC result" of some lines
        QTest::addColumn<int>("sent");
        const QString header = u"MAC Address,IP Address\n"_qs;
        const QString withMode = u"MAC Address,IP Address,Mode\n"_qs; // 01 is Dynamic at 192.168.1.101
        QTest::newRow("a plan with unchanged lines")
            << QStringList{u"apply"_qs, u"PLAN"_qs}
            << withMode + u"02:00:00:00:00:04,192.168.1.160,\n02:00:00:00:00:05,192.168.1.105,\n"
                          u"02:00:00:00:00:01,192.168.1.101,Dynamic\n"_qs
            << 0 << QString()
            << QStringList{u"02:00:00:00:00:04 now at 192.168.1.160"_qs, u"02:00:00:00:00:05 unchanged"_qs,
                           u"02:00:00:00:00:01 unchanged"_qs}
            << 1;
        QTest::newRow("9, a silent device and others failing")
            << QStringList{u"set-many"_qs,
                           u"02:00:00:00:00:05"_qs,
                           u"02:00:00:00:00:07"_qs,
                           u"02:00:00:00:00:08"_qs,
                           u"--from"_qs,
                           u"192.168.1.150"_qs,
                           u"--result-timeout"_qs,
                           u"700"_qs,
                           u"--wait"_qs,
                           u"4"_qs}
            << QString() << 9 << QString()
            << QStringList{u"02:00:00:00:00:05 Port Mapping Error"_qs, u"02:00:00:00:00:07 No result"_qs,
                           u"02:00:00:00:00:08 answered with 192.168.1.64, not 192.168.1.152"_qs}
            << 3;
        QTest::newRow("two cameras silent for 20 s while they restart")
            << QStringList{u"set-many"_qs, u"02:00:00:00:00:0D"_qs, u"02:00:00:00:00:0E"_qs, u"--from"_qs,
                           u"192.168.1.150"_qs}
            << QString() << 0 << QString()
            << QStringList{u"02:00:00:00:00:0D now at 192.168.1.150"_qs,
                           u"02:00:00:00:00:0E now at 192.168.1.151"_qs}
            << 2;
        QTest::newRow("dry run, a device that may not be set left out")
            << QStringList{u"set-many"_qs, u"--all"_qs, u"--from"_qs, u"192.168.1.150"_qs, u"--dry-run"_qs}
            << QString() << 0 << u"02:00:00:00:00:0A left out"_qs << QStringList{u"02:00:00:00:00:01 "_qs}
            << 0;
        QTest::newRow("8, a MAC no device answered with")
            << QStringList{u"set-many"_qs, u"02:00:00:00:00:05"_qs, u"02:00:00:00:00:ff"_qs, u"--from"_qs,
                           u"192.168.1.150"_qs}
            << QString() << 8 << u"No device with MAC address 02:00:00:00:00:ff answered"_qs << QStringList{}
            << 0;
        QTest::newRow("8, a plan's line")
            << QStringList{u"apply"_qs, u"PLAN"_qs}
            << header + u"02:00:00:00:00:04,192.168.1.160\n02:00:00:00:00:FF,192.168.1.161\n"_qs << 8
            << u"Line 3: no device with MAC address 02:00:00:00:00:FF answered"_qs << QStringList{} << 0;
        QTest::newRow("2, two devices planned one address")
            << QStringList{u"apply"_qs, u"PLAN"_qs}
            << header + u"02:00:00:00:00:04,192.168.1.160\n02:00:00:00:00:05,192.168.1.160\n"_qs << 2
            << u"Line 3: 192.168.1.160 is planned for the device of line 2 too"_qs << QStringList{} << 0;
        QTest::newRow("2, a Dynamic line given a new address")
            << QStringList{u"apply"_qs, u"PLAN"_qs}
            << withMode + u"02:00:00:00:00:04,192.168.1.160,\n02:00:00:00:00:01,192.168.1.230,Dynamic\n"_qs
            << 2
            << u"Line 3: 02:00:00:00:00:01 is Dynamic, so it takes its address from a DHCP server; "
               u"write Static in its Mode cell to give it 192.168.1.230"_qs
            << QStringList{} << 0;
        QTest::newRow("2, outside the network")
            << QStringList{u"set-many"_qs, u"--all"_qs, u"--from"_qs, u"10.0.0.5"_qs} << QString() << 2
            << u"10.0.0.5 is not in this computer's network 192.168.1.0/24"_qs << QStringList{} << 0;
    }

    void batches()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, plan);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(QStringList, results);
        QFETCH(int, sent);
        QTemporaryDir dir;
        QFile file(dir.filePath(u"plan.csv"_qs));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(plan.toUtf8()) == plan.toUtf8().size());
        file.close();
        arguments.replaceInStrings(u"PLAN"_qs, file.fileName());
        const Run run = Cli(arguments + QStringList{u"--password"_qs, u"pw"_qs, u"--format"_qs, u"json"_qs,
                                                    u"--timeout"_qs, u"700"_qs});
        QVERIFY2(run.exitCode == exitCode && run.err.contains(message), qPrintable(Describe(run)));
        QStringList lines;
        for (const QJsonValue& line : QJsonDocument::fromJson(run.out.toUtf8()).array())
            lines << line[u"mac"_qs].toString() + u' ' + line[u"result"_qs].toString();
        for (const QString& result : results)
            QVERIFY2(lines.contains(result), qPrintable(Describe(run)));
        QCOMPARE(Settings(m_lab).size(), sent);
    }

    // Thirty cameras out of their boxes at one address: a wrong password stops the batch, the right
    // one gives each an address of its own, never one that answers a ping or a listed device's.
    void thirtyFactoryNewCameras()
    {
        QVERIFY2(m_lab.Start(u"kind=camera mac=02:00:00:00:00:01 ip=192.168.1.102\n"_qs,
                             {u"--cameras"_qs, u"30"_qs, u"--ip"_qs, u"192.168.1.64"_qs}),
                 qPrintable(m_lab.Error()));
        QVERIFY(m_lab.Occupy({u"192.168.1.104"_qs}));
        const QStringList setMany{u"set-many"_qs,  u"--shared-ip"_qs, u"--from"_qs,   u"192.168.1.100"_qs,
                                  u"--timeout"_qs, u"1000"_qs,        u"--format"_qs, u"csv"_qs};
        const auto results = [](const Run& run) {
            QList<QStringList> csv;
            QString error;
            Test::ReadCsv(run.out.toUtf8(), csv, error);
            QStringList last;
            for (const QStringList& fields : csv.mid(1))
                last << fields.value(4);
            return last;
        };

        const Run wrong = Cli(setMany + QStringList{u"--password"_qs, u"wrong"_qs});
        QVERIFY2(wrong.exitCode == 3, qPrintable(Describe(wrong)));
        const QStringList refused = results(wrong);
        QCOMPARE(refused.count(u"Invalid Password!"_qs), 8);
        QCOMPARE(refused.count(u"Not sent"_qs), 22);
        QCOMPARE(Settings(m_lab).size(), 8);

        const Run right = Cli(setMany + QStringList{u"--password"_qs, u"admin"_qs});
        QVERIFY2(right.exitCode == 0, qPrintable(Describe(right)));
        QVERIFY(right.out.startsWith(u"MAC Address,Device Name,IP Address,New IP Address,Result\r\n"_qs));
        QStringList confirmed = results(right);
        QCOMPARE(confirmed.size(), 30);
        confirmed.removeDuplicates();
        QCOMPARE(confirmed.size(), 30);
        for (const QString& result : confirmed)
            QVERIFY2(result.startsWith(u"now at 192.168.1."_qs), qPrintable(result));
        QVERIFY(confirmed.contains(u"now at 192.168.1.131"_qs));
        QVERIFY(!confirmed.contains(u"now at 192.168.1.102"_qs) &&
                !confirmed.contains(u"now at 192.168.1.104"_qs));
        QCOMPARE(Settings(m_lab).size(), 8 + 30);
    }

    // The password piped in makes the request --password makes, and never shows in the process list.
    void passwordFromStandardInput()
    {
        const QByteArray secret = "s3cret-Pw";
        // A device that sends no result: netrove-cli waits for it, long enough to be looked at.
        const QStringList arguments{u"set"_qs,
                                    u"02:00:00:00:00:0C"_qs,
                                    u"--static"_qs,
                                    u"192.168.1.252"_qs,
                                    u"--mask"_qs,
                                    u"255.255.255.0"_qs,
                                    u"--gateway"_qs,
                                    u"192.168.1.1"_qs,
                                    u"--result-timeout"_qs,
                                    u"3000"_qs};
        const Run given = Cli(arguments + QStringList{u"--password"_qs, QString::fromLatin1(secret)});
        QVERIFY2(given.exitCode == 6, qPrintable(Describe(given)));

        QProcess piped;
        Start(piped, QStringLiteral(NETROVE_CLI), arguments + QStringList{u"--password-stdin"_qs});
        piped.write(secret + "\n");
        piped.closeWriteChannel();
        QTRY_VERIFY_WITH_TIMEOUT(Settings(m_lab).size() == 2, 10000);
        QFile commandLine(u"/proc/%1/cmdline"_qs.arg(piped.processId()));
        QVERIFY(commandLine.open(QIODevice::ReadOnly));
        const QByteArray seen = commandLine.readAll();
        QVERIFY2(seen.contains("--password-stdin") && !seen.contains(secret), seen.constData());
        QVERIFY(piped.waitForFinished(10000));
        QCOMPARE(piped.exitCode(), 6);
        // The same request but for the tag, which is each process's own.
        std::array<QJsonObject, 2> requests;
        for (std::size_t i = 0; i < requests.size(); ++i) {
            requests[i] = Settings(m_lab)[int(i)][u"fields"_qs].toObject();
            requests[i].remove(u"tag"_qs);
        }
        QCOMPARE(requests[1], requests[0]);
        QCOMPARE(requests[1][u"password"_qs].toString(), QString::fromLatin1(secret));

        // A device that checks the password takes the one piped in.
        const Run accepted =
            Cli({u"set"_qs, u"02:00:00:00:00:01"_qs, u"--password-stdin"_qs, u"--dhcp"_qs}, "door\r\n");
        QVERIFY2(accepted.exitCode == 0, qPrintable(Describe(accepted)));
        QCOMPARE(Settings(m_lab).size(), 3);
    }

    void openPrintsTheWebAddress()
    {
        const Run camera = Cli({u"open"_qs, u"02:00:00:00:00:01"_qs, u"--timeout"_qs, u"1000"_qs});
        QVERIFY2(camera.exitCode == 0, qPrintable(Describe(camera)));
        QCOMPARE(camera.out, u"http://192.168.1.101:80\n"_qs);
        const Run refused = Cli({u"open"_qs, u"02:00:00:00:00:0A"_qs, u"--timeout"_qs, u"1000"_qs});
        QVERIFY2(refused.exitCode == 1 && refused.out.isEmpty(), qPrintable(Describe(refused)));
        QCOMPARE(Cli({u"open"_qs, u"02:00:00:00:00:FF"_qs, u"--timeout"_qs, u"500"_qs}).exitCode, 8);
    }

    // watch: each device's events as they happen, one JSON line each, until SIGTERM ends it with 0.
    void watchTellsWhatHappens()
    {
        const QString first = u"kind=camera mac=02:00:00:00:0F:01 model=NC-1 ip=192.168.1.131\n"_qs;
        const QString second = u"kind=camera mac=02:00:00:00:0F:02 model=NC-2 ip=192.168.1.132\n"_qs;
        QVERIFY2(m_lab.Start(first + second), qPrintable(m_lab.Error()));
        QProcess watch;
        Start(watch, QStringLiteral(NETROVE_CLI),
              {u"watch"_qs, u"--interval"_qs, u"3"_qs, u"--format"_qs, u"jsonl"_qs, u"--filter"_qs,
               u"02:00:00:00:0F"_qs});
        QStringList events; // "event MAC", and the keys that changed
        QByteArray pending;
        const auto read = [&] {
            pending += watch.readAllStandardOutput();
            while (pending.contains('\n')) {
                const QByteArray line = pending.left(pending.indexOf('\n'));
                pending.remove(0, line.size() + 1);
                const QJsonObject event = QJsonDocument::fromJson(line).object();
                QString text =
                    event[u"event"_qs].toString() + u' ' + event[u"device"_qs][u"mac"_qs].toString();
                for (const QJsonValue& key : event[u"changed"_qs].toArray())
                    text += u' ' + key.toString();
                events << text;
            }
            return events;
        };
        QTRY_COMPARE_WITH_TIMEOUT(
            read(), (QStringList{u"found 02:00:00:00:0F:01"_qs, u"found 02:00:00:00:0F:02"_qs}), 5000);

        // The first gets another address, the second goes quiet; then it is back.
        QVERIFY2(m_lab.Start(QString(first).replace(u"131"_qs, u"141"_qs)), qPrintable(m_lab.Error()));
        QTRY_VERIFY_WITH_TIMEOUT(read().contains(u"not-answering 02:00:00:00:0F:02"_qs), 20000);
        QVERIFY2(events.contains(u"changed 02:00:00:00:0F:01 ip"_qs), qPrintable(events.join(u'|')));
        QVERIFY2(m_lab.Start(QString(first).replace(u"131"_qs, u"141"_qs) + second),
                 qPrintable(m_lab.Error()));
        QTRY_VERIFY_WITH_TIMEOUT(read().contains(u"back 02:00:00:00:0F:02"_qs), 8000);
        watch.terminate();
        QVERIFY(watch.waitForFinished(5000));
        QCOMPARE(watch.exitStatus(), QProcess::NormalExit);
        QCOMPARE(watch.exitCode(), 0);
        read();
        QVERIFY2(pending.isEmpty(), pending.constData()); // every line written whole
        QCOMPARE(events.count(u"found 02:00:00:00:0F:01"_qs), 1);
    }

    // The window and the command line would take each other's answers: the second one steps back, also
    // run with sudo, where the command line still says nothing but its own.
    void oneOfWindowAndCommandLine()
    {
        m_bNoRuntimeDir = true;
        QProcess window;
        Start(window, QStringLiteral(NETROVE_APP), {});
        // The window searched as it opened and holds the lock.
        QTRY_VERIFY_WITH_TIMEOUT(Searchers(m_lab) == 1, 10000);
        const Run refused = Cli({u"search"_qs});
        QVERIFY2(refused.exitCode == 1, qPrintable(Describe(refused)));
        QCOMPARE(refused.err.trimmed(), u"Netrove is running; close it first"_qs);
        QCOMPARE(refused.out, QString());
        // The versions need neither the lock nor a display, and search nothing.
        QProcessEnvironment noDisplay = Environment();
        for (const QString& name : {u"QT_QPA_PLATFORM"_qs, u"DISPLAY"_qs, u"WAYLAND_DISPLAY"_qs})
            noDisplay.remove(name);
        for (const auto& [program, name] :
             {std::pair{NETROVE_CLI, "netrove-cli"}, {NETROVE_APP, "netrove"}}) {
            QProcess version;
            version.setProcessEnvironment(noDisplay);
            version.start(QString::fromUtf8(program), {u"--version"_qs});
            QVERIFY2(version.waitForFinished(5000), program);
            QCOMPARE(version.exitCode(), 0);
            QCOMPARE(version.readAllStandardOutput(), QByteArray(name) + " " NETROVE_VERSION "\n");
        }
        QCOMPARE(Searchers(m_lab), 1);
        window.kill();
        window.waitForFinished();

        // The command line first: a window started meanwhile says why and opens nothing.
        QProcess cli;
        Start(cli, QStringLiteral(NETROVE_CLI), {u"search"_qs, u"--timeout"_qs, u"4000"_qs});
        QTRY_VERIFY_WITH_TIMEOUT(Searchers(m_lab) == 2, 10000);
        QProcess late;
        late.setProcessChannelMode(QProcess::SeparateChannels);
        Start(late, QStringLiteral(NETROVE_APP), {});
        QByteArray told;
        QTRY_VERIFY_WITH_TIMEOUT(
            (told += late.readAllStandardError()).contains("netrove-cli is working with the devices"), 5000);
        QVERIFY(cli.waitForFinished(10000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()).count(u'\n'), kDeviceCount + 1);
        QCOMPARE(Searchers(m_lab), 2);
        late.kill();
        late.waitForFinished();
    }
};

NETROVE_LAB_TEST_MAIN(TestCliLab, QCoreApplication)

#include "tst_clilab.moc"
