#include "BrowserStandIn.h"
#include "devicelist/CDlgIPv6Info.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "tests/AccessibleName.h"

#include <QApplication>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

using namespace Netrove;

namespace {

constexpr PacketKind kKind = PacketKind::KindCameraIPv6;

int g_osMajorVersion = 6;
int FakeOsMajorVersion()
{
    return g_osMajorVersion;
}

std::vector<std::uint8_t> MakeReply(const char* ipv6, const char* url, std::uint16_t webPort,
                                    std::uint16_t httpPort, const char* ip = "192.168.1.100")
{
    std::vector<std::uint8_t> reply(LongFormSize(kKind), 0);
    WriteText(kKind, reply, PacketField::Ipv6Address, ipv6);
    WriteText(kKind, reply, PacketField::IpAddress, ip);
    WriteText(kKind, reply, PacketField::Url, url);
    WriteU16(kKind, reply, PacketField::WebPort, webPort);
    WriteU16(kKind, reply, PacketField::HttpPort, httpPort);
    return reply;
}

template <typename Widget> Widget* Find(QWidget* dialog, const char* objectName)
{
    return dialog->findChild<Widget*>(QString::fromLatin1(objectName));
}

struct Outcome
{
    int result = -1;
    bool acted = false;
    bool timedOut = false;
};

// Runs the dialog modally and acts on it from inside its loop once it is the active modal window.
// Five seconds without getting there, or with the dialog still open after the act, close it.
Outcome Run(CDlgIPv6Info& dialog, const std::function<void(CDlgIPv6Info&)>& act)
{
    Outcome out;
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        if (!out.acted && QApplication::activeModalWidget() == &dialog && dialog.isVisible()) {
            out.acted = true;
            act(dialog);
        } else if (elapsed.elapsed() > 5000) {
            out.timedOut = true;
            dialog.done(-2);
        }
    });
    poll.start(10);
    out.result = dialog.exec();
    return out;
}

void Click(CDlgIPv6Info& dialog, const char* button)
{
    QTest::mouseClick(Find<QPushButton>(&dialog, button), Qt::LeftButton);
}

} // namespace

class TestDlgIPv6Info final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void controlsAndTitle();
    void controlsKeepTheirArrangement();
    void showsAddressAsReceived_data();
    void showsAddressAsReceived();
    void buttons_data();
    void buttons();
    void worksOnItsOwnCopyOfTheReply();
    void refusedAddressOpensNothingAndCloses();
    void enterPressesOnlyTheFocusedButton();
    void screenshot();

private:
    std::unique_ptr<BrowserStandIn> m_browser;
};

void TestDlgIPv6Info::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("netrove.web.debug=true"));
    m_browser = std::make_unique<BrowserStandIn>();
}

void TestDlgIPv6Info::init()
{
    m_browser->Clear();
    g_osMajorVersion = 6;
}

void TestDlgIPv6Info::controlsAndTitle()
{
    CDlgIPv6Info dialog(nullptr, &FakeOsMajorVersion);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("IPv6 Address Information"));
    // A caption without a close box.
    QVERIFY(dialog.windowFlags() & Qt::CustomizeWindowHint);
    QVERIFY(dialog.windowFlags() & Qt::WindowTitleHint);
    QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowSystemMenuHint));

    const std::vector<std::pair<const char*, QString>> buttons{{"buttonCancel", QStringLiteral("Cancel")},
                                                               {"buttonIPv6", QStringLiteral("IPv6")},
                                                               {"buttonIPv4", QStringLiteral("IPv4")}};
    QList<QWidget*> controls;
    for (const auto& [name, text] : buttons) {
        auto* button = Find<QPushButton>(&dialog, name);
        QVERIFY2(button != nullptr, name);
        QCOMPARE(button->text(), text);
        QCOMPARE(AccessibleName(button), text);
        QVERIFY2(!button->isDefault() && !button->autoDefault(), name);
        controls << button;
    }
    auto* edit = Find<QLineEdit>(&dialog, "editAddress");
    QVERIFY(edit != nullptr);
    QVERIFY(edit->isReadOnly());
    QCOMPARE(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(AccessibleName(edit), QStringLiteral("IPv6 Address"));
    controls.insert(2, edit);

    // Tab order: Cancel, IPv6, the address, IPv4, and round again.
    QList<QWidget*> tabOrder{controls.first()};
    for (QWidget* next = controls.first()->nextInFocusChain();
         next != controls.first() && tabOrder.size() < 10; next = next->nextInFocusChain()) {
        if (next->focusPolicy() & Qt::TabFocus)
            tabOrder << next;
    }
    QCOMPARE(tabOrder, controls);
}

void TestDlgIPv6Info::controlsKeepTheirArrangement()
{
    CDlgIPv6Info dialog(nullptr, &FakeOsMajorVersion);
    const QRect cancel = Find<QPushButton>(&dialog, "buttonCancel")->geometry();
    const QRect ipv6 = Find<QPushButton>(&dialog, "buttonIPv6")->geometry();
    const QRect ipv4 = Find<QPushButton>(&dialog, "buttonIPv4")->geometry();
    const QRect edit = Find<QLineEdit>(&dialog, "editAddress")->geometry();

    // IPv4, IPv6, Cancel from left to right on one line below the address.
    QVERIFY(ipv4.right() < ipv6.left());
    QVERIFY(ipv6.right() < cancel.left());
    QCOMPARE(ipv4.top(), ipv6.top());
    QCOMPARE(ipv6.top(), cancel.top());
    QVERIFY(edit.bottom() < ipv4.top());
    QVERIFY(edit.width() > cancel.right() - ipv4.left());
    for (const QRect& rect : {cancel, ipv6, ipv4, edit})
        QVERIFY(dialog.rect().contains(rect));
    QVERIFY(Find<QPushButton>(&dialog, "buttonCancel")->sizeHint().width() <= cancel.width() + 8);
}

void TestDlgIPv6Info::showsAddressAsReceived_data()
{
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QString>("shown");

    QTest::newRow("link-local") << QByteArray("fe80::1") << "fe80::1";
    QTest::newRow("not an address, markup") << QByteArray("<b>cam</b> &amp;") << "<b>cam</b> &amp;";
    // A text without its NUL is read to the end of its 40-byte field, and no further.
    QTest::newRow("field full") << QByteArray(60, 'a') << QString(40, QLatin1Char('a'));
    QTest::newRow("longest form") << QByteArray("2001:0db8:85a3:0000:0000:8a2e:0370:7334")
                                  << "2001:0db8:85a3:0000:0000:8a2e:0370:7334";
    QTest::newRow("empty") << QByteArray() << "";
}

void TestDlgIPv6Info::showsAddressAsReceived()
{
    QFETCH(QByteArray, address);
    QFETCH(QString, shown);

    std::vector<std::uint8_t> reply = MakeReply("", "", 80, 80);
    const FieldPlace place = *FieldOf(kKind, PacketField::Ipv6Address);
    std::copy(address.begin(), address.end(), reply.begin() + static_cast<std::ptrdiff_t>(place.offset));

    CDlgIPv6Info dialog(nullptr, &FakeOsMajorVersion);
    dialog.SetReply(reply);
    QString seen;
    QWidget* focused = nullptr;
    const Outcome out = Run(dialog, [&](CDlgIPv6Info& shownDialog) {
        seen = Find<QLineEdit>(&shownDialog, "editAddress")->text();
        focused = shownDialog.focusWidget();
        Click(shownDialog, "buttonCancel");
    });
    QVERIFY(!out.timedOut);
    QCOMPARE(seen, shown);
    // The first control of the tab order has the focus.
    QCOMPARE(focused, Find<QWidget>(&dialog, "buttonCancel"));
    QVERIFY(m_browser->opened.isEmpty());
}

void TestDlgIPv6Info::buttons_data()
{
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<int>("webPort");
    QTest::addColumn<int>("httpPort");
    QTest::addColumn<int>("osMajorVersion");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("opened"); // empty: nothing

    const QString ipv6 = QStringLiteral("buttonIPv6");
    const QString ipv4 = QStringLiteral("buttonIPv4");
    QTest::newRow("IPv6 http, version 5")
        << QByteArray("http://cam") << 80 << 80 << 5 << ipv6 << "http://[fe80::1%254]:80";
    QTest::newRow("IPv6 http, version 6")
        << QByteArray("http://cam") << 80 << 80 << 6 << ipv6 << "http://[fe80::1]:80";
    QTest::newRow("IPv6 https same ports")
        << QByteArray("https://cam") << 443 << 443 << 10 << ipv6 << "https://[fe80::1]";
    QTest::newRow("IPv4 http") << QByteArray("http://cam") << 8080 << 80 << 5 << ipv4
                               << "http://192.168.1.100:8080";
    QTest::newRow("IPv4 https same ports")
        << QByteArray("https://cam") << 443 << 443 << 5 << ipv4 << "https://192.168.1.100";
    QTest::newRow("Cancel") << QByteArray("http://cam") << 80 << 80 << 6 << "buttonCancel"
                            << "";
    QTest::newRow("Escape") << QByteArray("http://cam") << 80 << 80 << 6 << "escape"
                            << "";
}

void TestDlgIPv6Info::buttons()
{
    QFETCH(QByteArray, url);
    QFETCH(int, webPort);
    QFETCH(int, httpPort);
    QFETCH(int, osMajorVersion);
    QFETCH(QString, action);
    QFETCH(QString, opened);

    g_osMajorVersion = osMajorVersion;
    CDlgIPv6Info dialog(nullptr, &FakeOsMajorVersion);
    dialog.SetReply(MakeReply("fe80::1", url.constData(), static_cast<std::uint16_t>(webPort),
                              static_cast<std::uint16_t>(httpPort)));
    const Outcome out = Run(dialog, [&](CDlgIPv6Info& shown) {
        if (action == QLatin1String("escape"))
            QTest::keyClick(shown.focusWidget(), Qt::Key_Escape);
        else
            Click(shown, action.toLatin1().constData());
    });
    QVERIFY(out.acted);
    QVERIFY2(!out.timedOut, "the dialog stayed open");
    QCOMPARE(out.result, int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(m_browser->OpenedTexts(), opened.isEmpty() ? QStringList() : QStringList{opened});
    QVERIFY(m_browser->webLines.isEmpty());
}

void TestDlgIPv6Info::worksOnItsOwnCopyOfTheReply()
{
    CDlgIPv6Info dialog(nullptr, &FakeOsMajorVersion);
    {
        std::vector<std::uint8_t> rowReply = MakeReply("fe80::1", "https://cam", 443, 443, "192.168.1.100");
        dialog.SetReply(rowReply);
        // The row's reply changes and goes (a new search empties the list) before the dialog opens.
        rowReply = MakeReply("fe80::dead", "http://x", 1, 2, "10.0.0.1");
    }
    QString shown;
    const Outcome out = Run(dialog, [&](CDlgIPv6Info& shownDialog) {
        shown = Find<QLineEdit>(&shownDialog, "editAddress")->text();
        Click(shownDialog, "buttonIPv4");
    });
    QVERIFY(!out.timedOut);
    QCOMPARE(shown, QStringLiteral("fe80::1"));
    QCOMPARE(m_browser->OpenedTexts(), QStringList{QStringLiteral("https://192.168.1.100")});
}

void TestDlgIPv6Info::refusedAddressOpensNothingAndCloses()
{
    CDlgIPv6Info dialog(nullptr, &FakeOsMajorVersion);
    dialog.SetReply(MakeReply("fe80::1 --new-window", "http://cam", 80, 80));
    const Outcome out = Run(dialog, [](CDlgIPv6Info& shown) { Click(shown, "buttonIPv6"); });
    QVERIFY(!out.timedOut);
    QCOMPARE(out.result, int(QDialog::Rejected));
    QVERIFY(m_browser->opened.isEmpty());
    QCOMPARE(m_browser->webLines.size(), 1);
}

void TestDlgIPv6Info::enterPressesOnlyTheFocusedButton()
{
    CDlgIPv6Info dialog(nullptr, &FakeOsMajorVersion);
    dialog.SetReply(MakeReply("fe80::1", "http://cam", 80, 80));
    bool openAfterEnterOnAddress = false;
    const Outcome out = Run(dialog, [&](CDlgIPv6Info& shown) {
        auto* edit = Find<QLineEdit>(&shown, "editAddress");
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        openAfterEnterOnAddress = shown.isVisible();
        auto* ipv4 = Find<QPushButton>(&shown, "buttonIPv4");
        ipv4->setFocus();
        QTest::keyClick(ipv4, Qt::Key_Return);
    });
    QVERIFY(!out.timedOut);
    QVERIFY2(openAfterEnterOnAddress, "Enter on the address closed the dialog");
    QCOMPARE(m_browser->OpenedTexts(), QStringList{QStringLiteral("http://192.168.1.100:80")});
}

void TestDlgIPv6Info::screenshot()
{
    const QString path = qEnvironmentVariable("NETROVE_SCREENSHOT");
    if (path.isEmpty())
        QSKIP("NETROVE_SCREENSHOT names the file to write");
    CDlgIPv6Info dialog(nullptr, &FakeOsMajorVersion);
    dialog.SetReply(MakeReply("fe80::21c:63ff:fe0a:b0c", "http://cam", 80, 80));
    bool saved = false;
    const Outcome out = Run(dialog, [&](CDlgIPv6Info& shown) {
        saved = shown.grab().save(path);
        Click(shown, "buttonCancel");
    });
    QVERIFY(!out.timedOut);
    QVERIFY2(saved, qPrintable(path));
}

QTEST_MAIN(TestDlgIPv6Info)
#include "tst_dlgipv6info.moc"
