// netrove-cli's arguments: what each command accepts, and what it refuses before anything is sent.

#include "cli/CliArguments.h"

#include <QTest>

using namespace Netrove;

class TestCliArguments final : public QObject
{
    Q_OBJECT

private slots:
    void refused_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("why"); // a part of the reason
        QTest::newRow("nothing") << QString() << u"command is missing"_qs;
        QTest::newRow("unknown command") << u"scan"_qs << u"unknown command 'scan'"_qs;
        QTest::newRow("unknown search option") << u"search --verbose"_qs << u"unknown option '--verbose'"_qs;
        QTest::newRow("timeout zero") << u"search --timeout 0"_qs << u"--timeout takes milliseconds"_qs;
        QTest::newRow("timeout text") << u"search --timeout soon"_qs << u"--timeout takes milliseconds"_qs;
        QTest::newRow("timeout missing") << u"search --timeout"_qs << u"--timeout takes milliseconds"_qs;
        QTest::newRow("format") << u"search --format xml"_qs << u"--format is table, csv or json"_qs;
        QTest::newRow("both families") << u"search --cameras --recorders"_qs << u"exclude each other"_qs;
        QTest::newRow("both protocols") << u"search --ipv4 --ipv6"_qs << u"exclude each other"_qs;
        QTest::newRow("recorders over IPv6") << u"search --recorders --ipv6"_qs << u"IPv4 only"_qs;
        QTest::newRow("filter without text") << u"search --filter"_qs << u"--filter"_qs;
        QTest::newRow("set without MAC") << u"set --password x --dhcp"_qs << u"MAC address is missing"_qs;
        QTest::newRow("set without mode") << u"set 02:00:00:00:00:01 --password x"_qs << u"choose one of"_qs;
        QTest::newRow("two modes") << u"set M --password x --dhcp --auto"_qs << u"choose one of"_qs;
        QTest::newRow("no password") << u"set M --dhcp"_qs << u"--password is missing"_qs;
        QTest::newRow("static without mask")
            << u"set M --password x --static 192.168.1.5 --gateway 192.168.1.1"_qs
            << u"needs --mask and --gateway"_qs;
        QTest::newRow("mask without static")
            << u"set M --password x --dhcp --mask 255.255.255.0"_qs << u"go with --static only"_qs;
        QTest::newRow("address with five parts")
            << u"set M --password x --static 192.168.1.5.1 --mask 255.255.255.0 --gateway 192.168.1.1"_qs
            << u"takes an address"_qs;
        QTest::newRow("octet above 255")
            << u"set M --password x --static 192.168.1.256 --mask 255.255.255.0 --gateway 192.168.1.1"_qs
            << u"takes an address"_qs;
        QTest::newRow("port text") << u"set M --password x --dhcp --http eighty"_qs
                                   << u"--http takes a port"_qs;
        QTest::newRow("negative port")
            << u"set M --password x --dhcp --dlx -1"_qs << u"--dlx takes a port"_qs;
        QTest::newRow("ports with auto")
            << u"set M --password x --auto --tcp 9000"_qs << u"--auto hands out"_qs;
        QTest::newRow("two MACs") << u"open M N"_qs << u"one MAC address only"_qs;
        QTest::newRow("set option for open")
            << u"open M --password x"_qs << u"unknown option '--password'"_qs;
        QTest::newRow("set-many without devices")
            << u"set-many --from 192.168.1.100 --password x"_qs << u"choose the devices"_qs;
        QTest::newRow("set-many, devices two ways")
            << u"set-many M --all --from 192.168.1.100 --password x"_qs << u"choose the devices one way"_qs;
        QTest::newRow("set-many without --from")
            << u"set-many --all --password x"_qs << u"--from is missing"_qs;
        QTest::newRow("set-many, DHCP from an address")
            << u"set-many --all --password x --dhcp --from 192.168.1.100"_qs << u"not --dhcp"_qs;
        QTest::newRow("set-many takes no ports")
            << u"set-many --all --password x --from 192.168.1.100 --http 80"_qs
            << u"unknown option '--http' for set-many"_qs;
        QTest::newRow("apply without plan") << u"apply --password x"_qs << u"plan file is missing"_qs;
        QTest::newRow("apply takes no mask")
            << u"apply p.csv --password x --mask 255.255.255.0"_qs << u"unknown option '--mask' for apply"_qs;
    }

    void refused()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, why);
        const CliParse parsed = ParseCliArguments(arguments.split(u' ', Qt::SkipEmptyParts));
        QVERIFY(!parsed.command);
        QVERIFY2(parsed.error.contains(why), qPrintable(parsed.error));
    }

    void searchDefaultsAndNarrowing()
    {
        const CliParse plain = ParseCliArguments({u"search"_qs});
        QVERIFY2(plain.command, qPrintable(plain.error));
        QCOMPARE(plain.command->timeoutMs, 3000);
        QCOMPARE(plain.command->format, CliFormat::Table);
        QVERIFY(plain.command->cameras && plain.command->recorders && plain.command->ipv4 &&
                plain.command->ipv6);

        const CliParse narrow = ParseCliArguments(
            {u"search"_qs, u"--cameras"_qs, u"--ipv6"_qs, u"--format"_qs, u"json"_qs, u"--timeout"_qs,
             u"1500"_qs, u"--filter"_qs, u"gate 00-1a"_qs, u"--shared-ip"_qs, u"--outside-network"_qs});
        QVERIFY2(narrow.command, qPrintable(narrow.error));
        QCOMPARE(narrow.command->timeoutMs, 1500);
        QCOMPARE(narrow.command->format, CliFormat::Json);
        QVERIFY(narrow.command->cameras && !narrow.command->recorders);
        QVERIFY(!narrow.command->ipv4 && narrow.command->ipv6);
        QCOMPARE(narrow.command->filter, u"gate 00-1a"_qs);
        QVERIFY(narrow.command->sharedIpOnly && !plain.command->sharedIpOnly);
        QVERIFY(narrow.command->outsideNetworkOnly && !plain.command->outsideNetworkOnly);
    }

    void setTakesItsOptions()
    {
        const CliParse parsed = ParseCliArguments(
            {u"set"_qs, u"00:1A:2B:00:00:01"_qs, u"--password"_qs, QString(), u"--static"_qs,
             u"192.168.1.252"_qs, u"--mask"_qs, u"255.255.255.0"_qs, u"--gateway"_qs, u"192.168.1.1"_qs,
             u"--http"_qs, u"8080"_qs, u"--multicast"_qs, u"70000"_qs, u"--result-timeout"_qs, u"500"_qs});
        QVERIFY2(parsed.command, qPrintable(parsed.error));
        const CliCommand& set = *parsed.command;
        QCOMPARE(set.kind, CliCommandKind::Set);
        QCOMPARE(set.mac, u"00:1A:2B:00:00:01"_qs);
        QVERIFY(set.password.isEmpty()); // an empty password is a password
        QCOMPARE(set.mode, CliSetMode::Static);
        QCOMPARE(set.ip, (Ipv4Octets{192, 168, 1, 252}));
        QCOMPARE(set.mask, (Ipv4Octets{255, 255, 255, 0}));
        QCOMPARE(set.gateway, (Ipv4Octets{192, 168, 1, 1}));
        QCOMPARE(set.ports[0], std::optional<int>(8080));
        QVERIFY(!set.ports[1]);
        // Out of range is for the dialog's checks to say, as its field would take it.
        QCOMPARE(set.ports[5], std::optional<int>(70000));
        QCOMPARE(set.resultTimeoutMs, 500);
        QCOMPARE(set.timeoutMs, 3000);
    }

    void setManyAndApplyTakeTheirOptions()
    {
        const CliParse many = ParseCliArguments(
            {u"set-many"_qs, u"M"_qs, u"N"_qs, u"--from"_qs, u"10.0.5.100"_qs, u"--password"_qs, u"x"_qs,
             u"--mask"_qs, u"255.255.0.0"_qs, u"--dry-run"_qs, u"--format"_qs, u"csv"_qs});
        QVERIFY2(many.command, qPrintable(many.error));
        QCOMPARE(many.command->kind, CliCommandKind::SetMany);
        QCOMPARE(many.command->macs, (QStringList{u"M"_qs, u"N"_qs}));
        QCOMPARE(many.command->from, std::optional<Ipv4Octets>({10, 0, 5, 100}));
        QVERIFY(many.command->maskGiven && !many.command->gatewayGiven && many.command->dryRun);
        QCOMPARE(many.command->format, CliFormat::Csv);
        const CliParse plan = ParseCliArguments({u"apply"_qs, u"plan.csv"_qs, u"--password"_qs, QString()});
        QVERIFY2(plan.command, qPrintable(plan.error));
        QCOMPARE(plan.command->planPath, u"plan.csv"_qs);
        QVERIFY(!plan.command->dryRun);
    }

    void help_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("topic");
        QTest::newRow("--help") << u"--help"_qs << QString();
        QTest::newRow("help set") << u"help set"_qs << u"set"_qs;
        QTest::newRow("search --help") << u"search --help"_qs << u"search"_qs;
        QTest::newRow("open -h, after a MAC") << u"open M -h"_qs << u"open"_qs;
        QTest::newRow("help set-many") << u"help set-many"_qs << u"set-many"_qs;
        QTest::newRow("apply --help") << u"apply --help"_qs << u"apply"_qs;
    }

    void help()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, topic);
        const CliParse parsed = ParseCliArguments(arguments.split(u' '));
        QVERIFY2(parsed.command, qPrintable(parsed.error));
        QCOMPARE(parsed.command->kind, CliCommandKind::Help);
        QCOMPARE(parsed.command->helpTopic, topic);
        const QString usage =
            topic.isEmpty() ? u"usage: netrove-cli COMMAND"_qs : u"usage: netrove-cli "_qs + topic;
        QVERIFY(CliHelpText(topic).startsWith(usage));
    }
};

QTEST_GUILESS_MAIN(TestCliArguments)

#include "tst_cliarguments.moc"
