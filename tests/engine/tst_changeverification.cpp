// The check of a change: which answer confirms it, which one tells of another address, and the
// texts the window's status line and the command line show.

#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "engine/ChangeVerification.h"

#include <QTest>

using namespace Netrove;

Q_DECLARE_METATYPE(Netrove::ChangeOutcome)

class TestChangeVerification final : public QObject
{
    Q_OBJECT

private slots:
    void readsTheRequest()
    {
        constexpr PacketKind k = kSettingRequestLayout;
        std::vector<std::uint8_t> request(ShortFormSize(k), 0);
        WriteText(k, request, PacketField::MacAddress, "00:1A:2B:00:00:01");
        WriteText(k, request, PacketField::IpAddress, "192.168.1.252");
        WriteByte(k, request, PacketField::AddressMode, 1);
        const std::optional<SettingChange> change = ReadSettingChange(request);
        QVERIFY(change);
        QCOMPARE(change->mac, u"00:1A:2B:00:00:01"_qs);
        QCOMPARE(change->ipAddress, u"192.168.1.252"_qs);
        QCOMPARE(change->addressMode, 1);
        // Too short to name a device: nothing to check.
        request.resize(ShortFormSize(k) - 1);
        QVERIFY(!ReadSettingChange(request));
    }

    void answers_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("replyMac");
        QTest::addColumn<QString>("replyIp");
        QTest::addColumn<bool>("concerns"); // the answer is from the changed device
        QTest::addColumn<Netrove::ChangeOutcome>("outcome");
        QTest::addColumn<QString>("text");
        const QString mac = u"00:1A:2B:00:00:01"_qs;
        QTest::newRow("static, the address sent")
            << 0 << mac << u"192.168.1.252"_qs << true << ChangeOutcome::NowAt
            << u"00:1A:2B:00:00:01 now at 192.168.1.252"_qs;
        QTest::newRow("static, the same numbers written otherwise")
            << 0 << mac << u"192.168.001.252"_qs << true << ChangeOutcome::NowAt
            << u"00:1A:2B:00:00:01 now at 192.168.001.252"_qs;
        QTest::newRow("static, another address")
            << 0 << mac << u"192.168.1.64"_qs << true << ChangeOutcome::AnsweredWithOther
            << u"00:1A:2B:00:00:01 answered with 192.168.1.64, not 192.168.1.252"_qs;
        QTest::newRow("DHCP, any address") << 1 << mac << u"10.1.2.3"_qs << true << ChangeOutcome::NowAt
                                           << u"00:1A:2B:00:00:01 now at 10.1.2.3"_qs;
        QTest::newRow("PPPoE, any address") << 2 << mac << u"0.0.0.0"_qs << true << ChangeOutcome::NowAt
                                            << u"00:1A:2B:00:00:01 now at 0.0.0.0"_qs;
        QTest::newRow("another device") << 0 << u"00:1A:2B:00:00:02"_qs << u"192.168.1.252"_qs << false
                                        << ChangeOutcome::NoAnswer << QString();
        // The MAC text is compared as the list compares it: exactly.
        QTest::newRow("MAC in other letters") << 0 << u"00:1a:2b:00:00:01"_qs << u"192.168.1.252"_qs << false
                                              << ChangeOutcome::NoAnswer << QString();
    }

    void answers()
    {
        QFETCH(int, mode);
        QFETCH(QString, replyMac);
        QFETCH(QString, replyIp);
        QFETCH(bool, concerns);
        QFETCH(Netrove::ChangeOutcome, outcome);
        QFETCH(QString, text);
        const SettingChange change{u"00:1A:2B:00:00:01"_qs, std::uint8_t(mode), u"192.168.1.252"_qs};
        const std::optional<ChangeVerdict> verdict = CheckAnswer(change, replyMac, replyIp);
        QCOMPARE(verdict.has_value(), concerns);
        if (!verdict)
            return;
        QCOMPARE(verdict->outcome, outcome);
        QCOMPARE(verdict->Confirmed(), outcome == ChangeOutcome::NowAt);
        QCOMPARE(ChangeVerdictText(*verdict), text);
    }

    void noAnswer()
    {
        const ChangeVerdict verdict = NoAnswerVerdict({u"00:1A:2B:00:00:01"_qs, 0, u"192.168.1.252"_qs});
        QVERIFY(!verdict.Confirmed());
        QCOMPARE(ChangeVerdictText(verdict), u"00:1A:2B:00:00:01 did not answer after the change"_qs);
    }
};

QTEST_GUILESS_MAIN(TestChangeVerification)

#include "tst_changeverification.moc"
