#include "BrowserStandIn.h"
#include "devicelist/CDlgIPv6Info.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListColumns.h"
#include "devicelist/DeviceWebPage.h"
#include "devicelist/WebAddress.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <QApplication>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

using namespace Netrove;

namespace {

struct Device
{
    PacketKind kind;
    const char* mac;
    const char* ip;
    const char* url;
    std::uint16_t webPort;
    std::uint16_t httpPort;
    const char* ipv6 = "";
};

// The rows of the list, in order; each kind as the reply handling lists it.
const std::vector<Device> kDevices{
    {PacketKind::KindCamera, "00:00:00:00:00:01", "192.168.1.100", "http://cam", 8080, 80},
    {PacketKind::KindRecorder, "00:00:00:00:00:02", "192.168.1.20", "http://192.168.1.20:8000/web/index.html",
     80, 80},
    {PacketKind::KindCameraIPv6, "00:00:00:00:00:03", "192.168.1.30", "http://cam", 80, 80, "fe80::3"},
    {PacketKind::KindRecorder, "00:00:00:00:00:04", "192.168.1.21", "file:///etc/passwd", 80, 80},
    {PacketKind::KindRecorder, "00:00:00:00:00:05", "192.168.1.22", "", 80, 80},
};
enum Row
{
    RowCamera,
    RowRecorder,
    RowIPv6Camera,
    RowRecorderFileUrl,
    RowRecorderEmptyUrl,
};

NewDeviceRow MakeRow(const Device& device)
{
    NewDeviceRow row;
    row.entry = std::make_unique<DeviceEntry>();
    row.entry->kind = device.kind;
    std::vector<std::uint8_t>& reply = row.entry->reply;
    reply.assign(LongFormSize(device.kind), 0);
    WriteText(device.kind, reply, PacketField::MacAddress, device.mac);
    WriteText(device.kind, reply, PacketField::IpAddress, device.ip);
    WriteText(device.kind, reply, PacketField::Url, device.url);
    WriteU16(device.kind, reply, PacketField::WebPort, device.webPort);
    WriteU16(device.kind, reply, PacketField::HttpPort, device.httpPort);
    if (device.kind == PacketKind::KindCameraIPv6)
        WriteText(device.kind, reply, PacketField::Ipv6Address, device.ipv6);
    row.texts[ColumnMac] = QString::fromLatin1(device.mac);
    row.texts[ColumnIp] = QString::fromLatin1(device.ip);
    row.texts[ColumnProtocol] =
        device.kind == PacketKind::KindCameraIPv6 ? QStringLiteral("IPv6") : QStringLiteral("IPv4");
    row.texts[ColumnUrl] = QString::fromLatin1(device.url);
    return row;
}

void Fill(CNetroveListCtrl& list)
{
    // The first row alone, the others as one batch, as the reply handling lists them.
    list.Rows().InsertDeviceRow(0, MakeRow(kDevices.front()));
    std::vector<NewDeviceRow> batch;
    for (std::size_t i = 1; i < kDevices.size(); ++i)
        batch.push_back(MakeRow(kDevices[i]));
    list.Rows().AddReplies(std::move(batch));
}

// What happened while the double-click ran: the dialog it opened (if any), what it showed, and
// whether the browser had been asked before the user chose.
struct Outcome
{
    bool dialogSeen = false;
    QWidget* dialogParent = nullptr;
    QString shownAddress;
    int openedWhileAsking = 0;
    bool timedOut = false;
};

// Double-clicks the row; a dialog that comes up is seen and then acted on from inside its loop.
Outcome DoubleClick(QWidget& owner, CNetroveListCtrl& list, int row, const BrowserStandIn& browser,
                    const std::function<void(QWidget*)>& act)
{
    Outcome out;
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        auto* dialog = qobject_cast<CDlgIPv6Info*>(QApplication::activeModalWidget());
        if (dialog != nullptr && !out.dialogSeen && dialog->isVisible()) {
            out.dialogSeen = true;
            out.dialogParent = dialog->parentWidget();
            out.shownAddress = dialog->findChild<QLineEdit*>(QStringLiteral("editAddress"))->text();
            out.openedWhileAsking = int(browser.opened.size());
            act(dialog);
        } else if (dialog != nullptr && elapsed.elapsed() > 5000) {
            out.timedOut = true;
            dialog->reject();
        }
    });
    poll.start(10);
    OnDblClickList(&owner, list, row);
    return out;
}

void Press(QWidget* dialog, const char* button)
{
    QTest::mouseClick(dialog->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
}

// A double-click as the mouse sends it: a click, then the second press.
void MouseDoubleClick(QWidget* viewport, const QPoint& at)
{
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
}

} // namespace

class TestDblClickList final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void opensAtOnce_data();
    void opensAtOnce();
    void ipv6CameraAsksFirst_data();
    void ipv6CameraAsksFirst();
    void dialogOutlivesTheRows();
    void mouseDoubleClicks();

private:
    std::unique_ptr<BrowserStandIn> m_browser;
};

void TestDblClickList::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("netrove.web.debug=true"));
    m_browser = std::make_unique<BrowserStandIn>();
}

void TestDblClickList::init()
{
    m_browser->Clear();
}

void TestDblClickList::opensAtOnce_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("opened"); // empty: nothing
    QTest::addColumn<int>("logLines");

    QTest::newRow("IPv4 camera") << int(RowCamera) << "http://192.168.1.100:8080" << 0;
    QTest::newRow("recorder's own address")
        << int(RowRecorder) << "http://192.168.1.20:8000/web/index.html" << 0;
    QTest::newRow("recorder sends a file address") << int(RowRecorderFileUrl) << "" << 1;
    QTest::newRow("recorder sends no address") << int(RowRecorderEmptyUrl) << "" << 1;
    QTest::newRow("no row") << -1 << "" << 0;
    QTest::newRow("below the last row") << int(kDevices.size()) << "" << 0;
}

void TestDblClickList::opensAtOnce()
{
    QFETCH(int, row);
    QFETCH(QString, opened);
    QFETCH(int, logLines);

    QWidget owner;
    CNetroveListCtrl list(&owner);
    Fill(list);
    const Outcome out =
        DoubleClick(owner, list, row, *m_browser, [](QWidget* dialog) { Press(dialog, "buttonCancel"); });
    QVERIFY(!out.dialogSeen);
    QCOMPARE(m_browser->OpenedTexts(), opened.isEmpty() ? QStringList() : QStringList{opened});
    QCOMPARE(m_browser->webLines.size(), logLines);
}

void TestDblClickList::ipv6CameraAsksFirst_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("opened"); // empty: nothing

    QTest::newRow("Cancel") << "buttonCancel"
                            << "";
    QTest::newRow("IPv4") << "buttonIPv4"
                          << "http://192.168.1.30:80";
    QTest::newRow("IPv6") << "buttonIPv6"
                          << (GetOsMajorVersion() == 5 ? "http://[fe80::3%254]:80" : "http://[fe80::3]:80");
}

void TestDblClickList::ipv6CameraAsksFirst()
{
    QFETCH(QString, button);
    QFETCH(QString, opened);

    QWidget owner;
    CNetroveListCtrl list(&owner);
    Fill(list);
    const Outcome out = DoubleClick(owner, list, RowIPv6Camera, *m_browser,
                                    [&](QWidget* dialog) { Press(dialog, button.toLatin1().constData()); });
    QVERIFY(out.dialogSeen);
    QVERIFY(!out.timedOut);
    QCOMPARE(out.dialogParent, &owner);
    QCOMPARE(out.shownAddress, QStringLiteral("fe80::3"));
    QCOMPARE(out.openedWhileAsking, 0);
    QCOMPARE(m_browser->OpenedTexts(), opened.isEmpty() ? QStringList() : QStringList{opened});
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

void TestDblClickList::dialogOutlivesTheRows()
{
    QWidget owner;
    CNetroveListCtrl list(&owner);
    Fill(list);
    const Outcome out = DoubleClick(owner, list, RowIPv6Camera, *m_browser, [&](QWidget* dialog) {
        // A search empties the list while the dialog is open.
        list.Rows().ClearDeviceList();
        Press(dialog, "buttonIPv4");
    });
    QVERIFY(out.dialogSeen);
    QCOMPARE(list.Rows().rowCount(), 0);
    QCOMPARE(m_browser->OpenedTexts(), QStringList{QStringLiteral("http://192.168.1.30:80")});
}

void TestDblClickList::mouseDoubleClicks()
{
    QWidget owner;
    auto* list = new CNetroveListCtrl(&owner);
    Fill(*list);
    owner.resize(900, 400);
    list->setGeometry(0, 0, 900, 400);
    // The connection the main window makes.
    QObject::connect(
        list, &QAbstractItemView::doubleClicked, &owner,
        [&owner, list](const QModelIndex& index) { OnDblClickList(&owner, *list, index.row()); });
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));

    const QRect first = list->visualRect(list->model()->index(RowCamera, ColumnIp));
    MouseDoubleClick(list->viewport(), first.center());
    QCOMPARE(m_browser->OpenedTexts(), QStringList{QStringLiteral("http://192.168.1.100:8080")});

    m_browser->Clear();
    const QRect last = list->visualRect(list->model()->index(list->Rows().rowCount() - 1, ColumnIp));
    const QPoint below(last.center().x(), last.bottom() + 3 * last.height());
    QVERIFY(list->viewport()->rect().contains(below));
    QCOMPARE(list->indexAt(below).row(), -1);
    MouseDoubleClick(list->viewport(), below);
    QVERIFY(m_browser->opened.isEmpty());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

QTEST_MAIN(TestDblClickList)
#include "tst_dblclicklist.moc"
