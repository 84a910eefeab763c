// The engine on its own, in a program that links no widgets (checked when it is configured): a
// search fills the rows and ends, even on a lossy network, a setting request's result counts, a
// request left unanswered is told, and a change is checked against the search after it.

#include "devicelist/DeviceListColumns.h"
#include "devicelist/DeviceListModel.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "engine/DeviceEngine.h"
#include "tests/lab/LabFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

using namespace Netrove;

Q_DECLARE_METATYPE(Netrove::ChangeVerdict)
Q_DECLARE_METATYPE(Netrove::ReplyAction)

namespace {

const QString kDevices = QStringLiteral(
    "kind=camera mac=02:00:00:00:0E:01 model=NC-1 ip=192.168.1.101 password=pw\n"
    "kind=camera6 mac=02:00:00:00:0E:02 model=NC-6 ip=192.168.1.102 ipv6=fe80::e2 password=pw\n"
    "kind=recorder mac=02:00:00:00:0E:03 model=NVR-1 ip=192.168.1.120 password=pw\n"
    "kind=camera mac=02:00:00:00:0E:04 model=NC-4 ip=192.168.1.104 password=pw result=none\n");

// A static setting request to one device, laid out as every setting request is.
std::vector<std::uint8_t> Request(const char* mac, const char* password, const char* ip)
{
    constexpr PacketKind k = kSettingRequestLayout;
    std::vector<std::uint8_t> packet(LongFormSize(k), 0);
    WriteByte(k, packet, PacketField::Opcode, std::uint8_t(PacketOpcode::ApplySettings));
    WriteText(k, packet, PacketField::MacAddress, mac);
    WriteText(k, packet, PacketField::IpAddress, ip);
    WriteText(k, packet, PacketField::SubnetMask, "255.255.255.0");
    WriteText(k, packet, PacketField::Gateway, "192.168.1.1");
    WriteText(k, packet, PacketField::Password, password);
    return packet;
}

} // namespace

class TestEngineLab final : public QObject
{
    Q_OBJECT

private:
    LabFixture m_lab;
    std::unique_ptr<DeviceEngine> m_engine;

private slots:
    void initTestCase()
    {
        qRegisterMetaType<Netrove::ChangeVerdict>();
        qRegisterMetaType<Netrove::ReplyAction>();
    }

    void init()
    {
        QVERIFY2(m_lab.Start(kDevices), qPrintable(m_lab.Error()));
        m_engine = std::make_unique<DeviceEngine>();
        m_engine->Open();
    }

    void cleanup()
    {
        m_engine.reset();
        m_lab.Stop();
    }

    void searchListsEveryDeviceOnceAndEnds()
    {
        QSignalSpy settled(m_engine.get(), &DeviceEngine::searchSettled);
        QSignalSpy finished(m_engine.get(), &DeviceEngine::searchFinished);
        QElapsedTimer clock;
        clock.start();
        m_engine->StartSearch();
        QTRY_COMPARE(m_engine->Rows().rowCount(), 4);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 4000);
        QVERIFY2(clock.elapsed() >= DeviceEngine::kSearchMs - 100,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(settled.size(), 1);
        // The camera that answers over IPv4 and IPv6 is one row, keyed by its MAC.
        QVERIFY(m_engine->Rows().FindRowByMac(u"02:00:00:00:0E:02"_qs) >= 0);
        QCOMPARE(m_engine->Rows().Text(m_engine->Rows().FindRowByMac(u"02:00:00:00:0E:03"_qs), ColumnMode),
                 u"Static"_qs);
    }

    // A fifth of the answers lost on the way, as on a poor Wi-Fi: the search asks again until it
    // hears no one new, and lists every camera. The seed makes the losses the same each run.
    void oneSearchOnALossyNetworkListsEveryCamera()
    {
        QVERIFY2(m_lab.Start(QString(), {u"--cameras"_qs, u"50"_qs, u"--fault"_qs, u"loss=20"_qs,
                                         u"--seed"_qs, u"29"_qs}),
                 qPrintable(m_lab.Error()));
        QSignalSpy finished(m_engine.get(), &DeviceEngine::searchFinished);
        m_engine->StartSearch();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
        QCOMPARE(m_engine->Rows().rowCount(), 50);
        QStringList requests;
        for (const QJsonObject& line : m_lab.Received(u"camera"_qs))
            requests << line.value(QLatin1String("hex")).toString();
        QVERIFY2(requests.size() >= SearchSchedule::kFewestSends &&
                     requests.size() <= SearchSchedule::kMostSends,
                 qPrintable(QString::number(requests.size())));
        QCOMPARE(requests.count(requests.first()), requests.size());
    }

    void resultsCountWhileARequestAwaitsThem()
    {
        QSignalSpy failed(m_engine.get(), &DeviceEngine::settingFailed);
        QSignalSpy unanswered(m_engine.get(), &DeviceEngine::settingUnanswered);
        auto wrong = Request("02:00:00:00:0E:01", "nope", "192.168.1.201");
        m_engine->SendCameraPacket(wrong);
        QTRY_COMPARE(failed.size(), 1);
        QCOMPARE(failed.first().first().value<ReplyAction>(), ReplyAction::InvalidPassword);

        // A device that keeps quiet: told once the wait is over, and nothing counts after it.
        m_engine->SetSettingAnswerMs(600);
        auto ignored = Request("02:00:00:00:0E:04", "pw", "192.168.1.204");
        m_engine->SendCameraPacket(ignored);
        QTRY_COMPARE(unanswered.size(), 1);
        QVERIFY(!m_engine->SettingRequestOutstanding());
        m_engine->SendCameraPacket(wrong);
        QTRY_COMPARE(failed.size(), 2);
        QTest::qWait(800);
        QCOMPARE(unanswered.size(), 1);
    }

    void changeIsCheckedAgainstTheNextSearch()
    {
        QSignalSpy applied(m_engine.get(), &DeviceEngine::settingApplied);
        QSignalSpy verified(m_engine.get(), &DeviceEngine::changeVerified);
        auto request = Request("02:00:00:00:0E:01", "pw", "192.168.1.201");
        m_engine->SendCameraPacket(request);
        QTRY_COMPARE(applied.size(), 1);
        // The success searched again, and the device answers that search.
        QTRY_COMPARE(verified.size(), 1);
        const auto verdict = verified.first().first().value<ChangeVerdict>();
        QCOMPARE(verdict.outcome, ChangeOutcome::NowAt);
        QCOMPARE(ChangeVerdictText(verdict), u"02:00:00:00:0E:01 now at 192.168.1.201"_qs);
        // Checked once: the next search says nothing more.
        m_engine->StartSearch();
        QTest::qWait(DeviceEngine::kSearchMs + 200);
        QCOMPARE(verified.size(), 1);
    }
};

NETROVE_LAB_TEST_MAIN(TestEngineLab, QCoreApplication)

#include "tst_enginelab.moc"
