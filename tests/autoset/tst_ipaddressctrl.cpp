#include "autoset/CIPAddressCtrl.h"
#include "tests/AccessibleName.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace Netrove;

namespace {

// The four field texts joined by '|'.
QString FieldTexts(const CIPAddressCtrl& control)
{
    QStringList texts;
    for (int i = 0; i < 4; ++i)
        texts << control.Field(i)->text();
    return texts.join(QLatin1Char('|'));
}

// Keys go where the focus is, as a person's typing does; '<' is the backspace key.
void Type(const QString& keys)
{
    for (const QChar key : keys) {
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target);
        if (key == QLatin1Char('<'))
            QTest::keyClick(target, Qt::Key_Backspace);
        else
            QTest::keyClick(target, key.toLatin1());
    }
}

} // namespace

class TestIPAddressCtrl final : public QObject
{
    Q_OBJECT

private slots:
    void setAndGet_data();
    void setAndGet();
    void typing_data();
    void typing();
    void oneTabStopAndNames();
};

void TestIPAddressCtrl::setAndGet_data()
{
    QTest::addColumn<QByteArray>("address");
    QTest::newRow("private") << QByteArray("192.168.1.254");
    QTest::newRow("zeros") << QByteArray("0.0.0.0");
    QTest::newRow("all ones") << QByteArray("255.255.255.255");
    QTest::newRow("mixed") << QByteArray("10.0.5.7");
}

void TestIPAddressCtrl::setAndGet()
{
    QFETCH(QByteArray, address);
    const Ipv4Octets octets = *ParseDottedQuad(address.toStdString());

    CIPAddressCtrl control(QStringLiteral("IP Address"));
    control.SetAddress(octets);
    QVERIFY(!control.IsBlank());
    QCOMPARE(control.GetAddress(), octets);
    QCOMPARE(FieldTexts(control).replace(QLatin1Char('|'), QLatin1Char('.')).toLatin1(), address);

    control.ClearAddress();
    QVERIFY(control.IsBlank());
    QCOMPARE(control.GetAddress(), (Ipv4Octets{0, 0, 0, 0}));
    // One field filled: the control is no longer blank, and the blank parts read as 0.
    control.Field(2)->setText(QStringLiteral("7"));
    QVERIFY(!control.IsBlank());
    QCOMPARE(control.GetAddress(), (Ipv4Octets{0, 0, 7, 0}));
}

void TestIPAddressCtrl::typing_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("fields");

    QTest::newRow("dots") << QStringLiteral("192.168.1.10") << QStringLiteral("192|168|1|10");
    QTest::newRow("three digits move on") << QStringLiteral("19216811") << QStringLiteral("192|168|11|");
    QTest::newRow("three digits then a dot")
        << QStringLiteral("192.168.001.2") << QStringLiteral("192|168|001|2");
    QTest::newRow("above 255 refused") << QStringLiteral("300.256.1") << QStringLiteral("30|25|1|");
    QTest::newRow("letters refused") << QStringLiteral("a1b.-2") << QStringLiteral("1|2||");
    QTest::newRow("no field after the last") << QStringLiteral("1.2.3.4.5") << QStringLiteral("1|2|3|45");
    QTest::newRow("backspace goes back") << QStringLiteral("12.3<<<") << QStringLiteral("1|||");
    QTest::newRow("second dot stays") << QStringLiteral("10..7") << QStringLiteral("10|7||");
}

void TestIPAddressCtrl::typing()
{
    QFETCH(QString, keys);
    QFETCH(QString, fields);

    CIPAddressCtrl control(QStringLiteral("IP Address"));
    control.show();
    control.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&control));
    control.setFocus();
    QCOMPARE(QApplication::focusWidget(), control.Field(0));

    Type(keys);
    QCOMPARE(FieldTexts(control), fields);
}

void TestIPAddressCtrl::oneTabStopAndNames()
{
    QWidget dialog;
    auto* control = new CIPAddressCtrl(QStringLiteral("Subnet Mask"), &dialog);
    QLabel label(QStringLiteral("Subnet Mask"), &dialog);
    label.setBuddy(control);
    QCOMPARE(AccessibleName(control), QStringLiteral("Subnet Mask"));
    for (int i = 0; i < 4; ++i) {
        QLineEdit* field = control->Field(i);
        QCOMPARE(AccessibleName(field), QStringLiteral("Subnet Mask field %1").arg(i + 1));
        QVERIFY2(bool(field->focusPolicy() & Qt::TabFocus) == (i == 0), qPrintable(field->objectName()));
    }
    control->setEnabled(false);
    for (int i = 0; i < 4; ++i)
        QVERIFY(!control->Field(i)->isEnabled());
}

QTEST_MAIN(TestIPAddressCtrl)
#include "tst_ipaddressctrl.moc"
