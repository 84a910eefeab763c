// Every window the program opens, as a screen reader meets it: each label and button is announced by
// the text it shows, also after that text changed, and each edit by the label beside it.

#include "app/CAboutDlg.h"
#include "app/CNetroveDlg.h"
#include "autoset/CDlgAutoSet.h"
#include "autoset/CIPAddressCtrl.h"
#include "batchset/CDlgBatchSet.h"
#include "devicelist/CDlgIPv6Info.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "engine/DeviceEngine.h"
#include "manualset/CDlgManualSet.h"
#include "manualset/CUpDownCtrl.h"
#include "tests/AccessibleName.h"
#include "tests/FakeSettingHost.h"
#include "tests/engine/FakeChannel.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

using namespace Netrove;

namespace {

DeviceEntry Device(PacketKind kind, const char* model)
{
    DeviceEntry entry;
    entry.kind = kind;
    entry.reply.assign(LongFormSize(kind), 0);
    WriteText(kind, entry.reply, PacketField::MacAddress, "00:1C:63:0A:0B:0C");
    WriteText(kind, entry.reply, PacketField::IpAddress, "192.168.1.10");
    WriteText(kind, entry.reply, PacketField::ModelName, model);
    return entry;
}

QString Shown(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
}

// The walk over one window; each fault names the control.
QStringList NamingFaults(QWidget& window)
{
    QStringList faults;
    const auto expect = [&faults](QWidget* control, const QString& name) {
        if (AccessibleName(control) != name)
            faults << QStringLiteral("%1 is announced as \"%2\", not \"%3\"")
                          .arg(control->objectName(), AccessibleName(control), name);
    };
    for (QLabel* label : window.findChildren<QLabel*>()) {
        const bool picture = label->text().isEmpty() && !label->pixmap().isNull();
        if (picture && AccessibleName(label).isEmpty())
            faults << label->objectName() + u" shows a picture without a name"_qs;
        if (!picture)
            expect(label, Shown(label->text()));
        if (label->buddy() && label->isVisibleTo(&window))
            expect(label->buddy(), Shown(label->text()));
    }
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        // The list's corner is part of the list, which has its own name.
        if (qobject_cast<QAbstractItemView*>(button->parentWidget()))
            continue;
        if (!button->text().isEmpty())
            expect(button, Shown(button->text()));
        else if (AccessibleName(button).isEmpty())
            faults << button->objectName() + u" has neither a text nor a name"_qs;
    }
    QList<QWidget*> edits;
    for (QLineEdit* edit : window.findChildren<QLineEdit*>())
        edits << edit;
    for (CIPAddressCtrl* address : window.findChildren<CIPAddressCtrl*>())
        edits << address;
    for (CUpDownCtrl* spin : window.findChildren<CUpDownCtrl*>())
        edits << spin;
    for (QWidget* edit : edits) {
        if (AccessibleName(edit).isEmpty())
            faults << edit->objectName() + u" is an edit without a name"_qs;
    }
    return faults;
}

} // namespace

class TestAccessibleNames final : public QObject
{
    Q_OBJECT

private slots:
    void everyWindow()
    {
        CNetroveDlg main(std::make_unique<FakeChannel>());
        main.OnInitDialog();
        QVERIFY2(NamingFaults(main).isEmpty(), qPrintable(NamingFaults(main).join(u'\n')));
        // The status line is announced as what it says now.
        main.SetStatusText(u"Scan 3 Items"_qs);
        QVERIFY2(NamingFaults(main).isEmpty(), qPrintable(NamingFaults(main).join(u'\n')));

        Testing::FakeSettingHost host;
        for (const auto& [kind, model] :
             {std::pair{PacketKind::KindCamera, "QMR-A4102"}, std::pair{PacketKind::KindCamera, "QMZ-4470GX"},
              std::pair{PacketKind::KindCamera, "QMX-1000"}, std::pair{PacketKind::KindRecorder, "NVR-16"}}) {
            CDlgManualSet manual(host, Device(kind, model));
            QVERIFY2(NamingFaults(manual).isEmpty(), qPrintable(NamingFaults(manual).join(u'\n')));
        }
        CDlgAutoSet automatic(host, Device(PacketKind::KindCamera, "QMX-1000"), u"00:1C:63:0A:0B:0C"_qs,
                              [] { return FreeAddressProposal{}; });
        QVERIFY2(NamingFaults(automatic).isEmpty(), qPrintable(NamingFaults(automatic).join(u'\n')));
        CDlgIPv6Info ipv6;
        QVERIFY2(NamingFaults(ipv6).isEmpty(), qPrintable(NamingFaults(ipv6).join(u'\n')));
        struct NoPings final : AddressProber
        {
            std::vector<Result> Probe(std::span<const Ipv4Octets> candidates) override
            {
                return std::vector<Result>(candidates.size(), Result::Free);
            }
        } prober;
        DeviceEngine engine(std::make_unique<FakeChannel>(), MakeSystemClock());
        std::vector<BatchDevice> devices(2);
        for (BatchDevice& device : devices)
            device.entry = Device(PacketKind::KindCamera, "QMX-1000");
        CDlgBatchSet batch(engine, devices, BatchNetwork{}, prober);
        QVERIFY2(NamingFaults(batch).isEmpty(), qPrintable(NamingFaults(batch).join(u'\n')));
        CAboutDlg about;
        QVERIFY2(NamingFaults(about).isEmpty(), qPrintable(NamingFaults(about).join(u'\n')));
    }

    // A recorder's second port field is "Port(TCP)", and is announced so.
    void aRecordersPortIsAnnouncedAsShown()
    {
        Testing::FakeSettingHost host;
        CDlgManualSet manual(host, Device(PacketKind::KindRecorder, "NVR-16"));
        auto* edit = manual.findChild<QLineEdit*>(u"editDlxPort"_qs);
        QCOMPARE(AccessibleName(edit), u"Port(TCP)"_qs);
    }
};

QTEST_MAIN(TestAccessibleNames)

#include "tst_accessiblenames.moc"
