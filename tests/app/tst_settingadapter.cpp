// Which adapter a setting request leaves on: the one its device's row came in on, also after the
// list was emptied while the setting dialog was open.

#include "app/SettingAdapter.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <QTest>

using namespace Netrove;

namespace {

ArrivalAdapter Adapter(int index, const char* name, const char* address)
{
    return {index, QString::fromLatin1(name), QString::fromLatin1(address)};
}

NewDeviceRow Row(const QString& mac, const ArrivalAdapter& arrival)
{
    NewDeviceRow row;
    row.entry = std::make_unique<DeviceEntry>();
    row.entry->reply.assign(LongFormSize(PacketKind::KindCamera), 0);
    row.entry->arrival = arrival;
    row.texts[ColumnMac] = mac;
    return row;
}

QString Describe(const ArrivalAdapter& a)
{
    return QStringLiteral("%1 %2 %3").arg(a.interfaceIndex).arg(a.name, a.localAddress);
}

} // namespace

class TestSettingAdapter final : public QObject
{
    Q_OBJECT

private slots:
    void adapterOfTheRequestedDevice()
    {
        const ArrivalAdapter lab0 = Adapter(2, "lab0", "192.168.1.10");
        const ArrivalAdapter lab1 = Adapter(3, "lab1", "10.0.5.7");
        DeviceListModel rows;
        std::vector<NewDeviceRow> replies;
        replies.push_back(Row(QStringLiteral("02:00:00:00:00:01"), lab0));
        replies.push_back(Row(QStringLiteral("02:00:00:00:00:02"), lab1));
        rows.AddReplies(std::move(replies));

        // The mirror was last filled from the first device; a request may name another (Auto Set
        // takes the MAC text of the mirror, Manual Set that of the row it opened for).
        SelectionMirror mirror;
        mirror.adapterMac = QStringLiteral("02:00:00:00:00:01");
        mirror.adapter = lab0;

        QCOMPARE(Describe(SettingRequestAdapter(QStringLiteral("02:00:00:00:00:02"), rows, mirror)),
                 Describe(lab1));
        QCOMPARE(Describe(SettingRequestAdapter(QStringLiteral("02:00:00:00:00:01"), rows, mirror)),
                 Describe(lab0));

        // A search emptied the list while the dialog was open: the chosen device's adapter still counts,
        // and no other device inherits it.
        rows.ClearDeviceList();
        QCOMPARE(Describe(SettingRequestAdapter(QStringLiteral("02:00:00:00:00:01"), rows, mirror)),
                 Describe(lab0));
        QCOMPARE(SettingRequestAdapter(QStringLiteral("02:00:00:00:00:02"), rows, mirror).interfaceIndex, 0);
        // A request without a MAC text is for no row in particular.
        SelectionMirror empty;
        QCOMPARE(SettingRequestAdapter(QString(), rows, empty).interfaceIndex, 0);
    }
};

QTEST_GUILESS_MAIN(TestSettingAdapter)
#include "tst_settingadapter.moc"
