// netrove-cli's arguments: what each command accepts, and what it refuses before anything is sent.

#include "cli/CliArguments.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <cstdio>
#include <memory>

using namespace Netrove;

namespace {

// Every --option a text names, the manual page's roff escapes aside.
QSet<QString> OptionsNamed(QString text)
{
    text.replace(u"\\-"_qs, u"-"_qs).remove(QRegularExpression(u"\\\\f."_qs));
    static const QRegularExpression option(u"(?<![\\w-])--[a-z][a-z0-9-]*"_qs);
    QSet<QString> names;
    for (const QRegularExpressionMatch& match : option.globalMatch(text))
        names.insert(match.captured());
    return names;
}

QSet<QString> Declared(const QString& command)
{
    QSet<QString> names;
    for (const CliOption& option : CliOptionsOf(command))
        names.insert(QString::fromLatin1(option.name));
    return names;
}

// What a command's usage lines name: its options but --help, which the overview's stands for.
QSet<QString> InUsage(const QString& command)
{
    QSet<QString> names = Declared(command);
    if (!command.isEmpty())
        names.remove(u"--help"_qs);
    return names;
}

QString Listed(const QSet<QString>& names)
{
    QStringList sorted(names.begin(), names.end());
    sorted.sort();
    return sorted.join(u' ');
}

QString SourceFile(const QString& path)
{
    QFile file(QStringLiteral(NETROVE_SOURCE_DIR "/") + path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The options each synopsis names, by command ("" for netrove-cli alone): a synopsis begins with a
// line that starts with netrove-cli (after ".B " or an indentation) and ends at an empty line or a
// roff request for a new paragraph or section.
QHash<QString, QSet<QString>> SynopsisOptions(const QString& text)
{
    static const QRegularExpression start(u"^(?:\\.B |    )netrove\\\\?-cli(?: ([a-z\\\\-]+))?"_qs);
    static const QRegularExpression end(u"^(\\s*|\\.PP|\\.S[HS].*)$"_qs);
    QHash<QString, QSet<QString>> options;
    QString command;
    bool inside = false;
    for (const QString& line : text.split(u'\n')) {
        if (const QRegularExpressionMatch match = start.match(line); match.hasMatch()) {
            // The manual page writes a command's dash as \-.
            const QString name = match.captured(1).remove(u'\\');
            command = CliCommandNames().contains(name) ? name : QString();
            inside = true;
        } else if (end.match(line).hasMatch()) {
            inside = false;
        }
        if (inside)
            options[command] += OptionsNamed(line);
    }
    return options;
}

} // namespace

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
        QTest::newRow("both password options")
            << u"set M --password x --password-stdin --dhcp"_qs << u"not both"_qs;
        QTest::newRow("version after a command")
            << u"search --version"_qs << u"unknown option '--version' for search"_qs;
        QTest::newRow("password from input for open")
            << u"open M --password-stdin"_qs << u"unknown option '--password-stdin' for open"_qs;
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

    void passwordFrom_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("from");
        QTest::newRow("given") << u"set M --dhcp --password x"_qs << int(CliPasswordFrom::Argument);
        QTest::newRow("standard input")
            << u"set M --password-stdin --dhcp"_qs << int(CliPasswordFrom::StandardInput);
        QTest::newRow("no option: asked for") << u"set M --dhcp"_qs << int(CliPasswordFrom::Ask);
        QTest::newRow("set-many, standard input")
            << u"set-many --all --from 10.0.0.9 --password-stdin"_qs << int(CliPasswordFrom::StandardInput);
        QTest::newRow("apply, asked for") << u"apply plan.csv --dry-run"_qs << int(CliPasswordFrom::Ask);
    }

    void passwordFrom()
    {
        QFETCH(QString, arguments);
        QFETCH(int, from);
        const CliParse parsed = ParseCliArguments(arguments.split(u' '));
        QVERIFY2(parsed.command, qPrintable(parsed.error));
        QCOMPARE(int(parsed.command->passwordFrom), from);
    }

    // What set reads when the password is not among its arguments; `in` is a file, never a terminal.
    void readPassword_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("password"); // null: none, and `why` says so
        QTest::addColumn<QString>("why");
        const int stdinput = int(CliPasswordFrom::StandardInput);
        QTest::newRow("first line") << stdinput << QByteArray("door\nnext\n") << u"door"_qs << QString();
        QTest::newRow("CR LF") << stdinput << QByteArray("door\r\n") << u"door"_qs << QString();
        QTest::newRow("no line end") << stdinput << QByteArray(" do or") << u" do or"_qs << QString();
        QTest::newRow("empty line: an empty password") << stdinput << QByteArray("\n") << u""_qs << QString();
        QTest::newRow("nothing") << stdinput << QByteArray() << QString() << u"ended before a line"_qs;
        QTest::newRow("no line end for ever: cut, for the length check to refuse")
            << stdinput << QByteArray(100000, 'x') << QString(1024, u'x') << QString();
        QTest::newRow("ask without a terminal")
            << int(CliPasswordFrom::Ask) << QByteArray("door\n") << QString()
            << u"a password is needed: --password-stdin or --password"_qs;
    }

    void readPassword()
    {
        QFETCH(int, from);
        QFETCH(QByteArray, input);
        QFETCH(QString, password);
        QFETCH(QString, why);
        const std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::tmpfile(), &std::fclose);
        QVERIFY(in);
        std::fwrite(input.constData(), 1, static_cast<std::size_t>(input.size()), in.get());
        std::rewind(in.get());
        const CliPasswordRead read = ReadCliPassword(static_cast<CliPasswordFrom>(from), in.get());
        QCOMPARE(read.password.has_value(), !password.isNull());
        if (read.password)
            QCOMPARE(*read.password, password);
        QVERIFY2(read.error.contains(why) && read.error.isEmpty() == why.isEmpty(), qPrintable(read.error));
    }

    // --help is made from the declarations; the manual page, doc/netrove-cli.md and the completion
    // script are written by hand and must name the same options, command by command.
    void documentsNameTheDeclaredOptions()
    {
        QSet<QString> all;
        for (const QString& command : QStringList{QString()} + CliCommandNames()) {
            // The usage lines are written by hand; the option lines below them are made.
            QCOMPARE(Listed(OptionsNamed(CliHelpText(command).section(u"\n\n"_qs, 0, 0))),
                     Listed(InUsage(command)));
            all += Declared(command);
            // Each declared option is one the parser reads.
            for (const QString& option : Declared(command)) {
                if (command.isEmpty() || option == u"--help"_qs)
                    continue;
                const CliParse parsed = ParseCliArguments({command, option, u"1"_qs});
                QVERIFY2(!parsed.error.contains(u"not handled"_qs), qPrintable(parsed.error));
            }
        }

        const QString manual = SourceFile(u"doc/man/netrove-cli.1"_qs);
        const QString guide = SourceFile(u"doc/netrove-cli.md"_qs);
        QVERIFY(!manual.isEmpty() && !guide.isEmpty());
        // The manual page's sections on permissions and firewalls quote other programs' options.
        QString ownManual = manual;
        ownManual.remove(
            QRegularExpression(u"^\\.SH (NETWORK ACCESS|FIREWALL)[^\\n]*\\n(?:(?!\\.SH)[^\\n]*\\n)*"_qs,
                               QRegularExpression::MultilineOption));
        QCOMPARE(Listed(OptionsNamed(ownManual)), Listed(all));
        QCOMPARE(Listed(OptionsNamed(guide)), Listed(all));

        const QString synopsis = manual.section(u".SH SYNOPSIS"_qs, 1).section(u".SH "_qs, 0, 0);
        for (const auto& [document, synopses] : {std::pair{"manual page", SynopsisOptions(synopsis)},
                                                 {"netrove-cli.md", SynopsisOptions(guide)}}) {
            for (const QString& command : QStringList{QString()} + CliCommandNames()) {
                QVERIFY2(synopses.value(command) == InUsage(command),
                         qPrintable(u"%1, %2: %3"_qs.arg(QLatin1String(document), command,
                                                         Listed(synopses.value(command)))));
            }
        }

        // The completion script: one list of options per command.
        const QString completion = SourceFile(u"cli/netrove-cli.bash"_qs);
        static const QRegularExpression list(u"^\\s*([a-z-]+)\\) options=\"([^\"]*)\""_qs,
                                             QRegularExpression::MultilineOption);
        QSet<QString> completed;
        for (const QRegularExpressionMatch& match : list.globalMatch(completion)) {
            completed.insert(match.captured(1));
            QVERIFY2(OptionsNamed(match.captured(2)) == Declared(match.captured(1)),
                     qPrintable(match.captured(0)));
        }
        QCOMPARE(Listed(completed),
                 Listed(QSet<QString>(CliCommandNames().begin(), CliCommandNames().end())));
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
