// The rows under each IP address text: groups that grow, shrink, go and come back.

#include "devicelist/AddressIndex.h"

#include <QTest>

#include <algorithm>

using namespace Netrove;

namespace {

QList<int> RowsOf(const AddressIndex& index, QByteArrayView address)
{
    QList<int> rows;
    const AddressIndex::Rows found = index.Find(address);
    for (int i = 0; i < found.size(); ++i)
        rows.append(found.at(i));
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

class TestAddressIndex final : public QObject
{
    Q_OBJECT

private slots:
    void groupsGrowShrinkAndComeBack()
    {
        AddressIndex index;
        QCOMPARE(index.Add("192.168.0.100", 0), 1);
        QCOMPARE(index.Add("192.168.0.100", 3), 2);
        QCOMPARE(index.Add("10.0.0.1", 1), 1);
        QCOMPARE(index.Add("192.168.0.100", 5), 3);
        QCOMPARE(index.Add("10.0.0.1", 2), 2);
        QCOMPARE(RowsOf(index, "192.168.0.100"), (QList<int>{0, 3, 5}));
        QCOMPARE(RowsOf(index, "10.0.0.1"), (QList<int>{1, 2}));

        // The first row leaves, then one from the middle, then a row that was never there.
        QCOMPARE(index.Remove("192.168.0.100", 0), 2);
        QCOMPARE(index.Remove("192.168.0.100", 5), 1);
        QCOMPARE(index.Remove("192.168.0.100", 9), 1);
        QCOMPARE(RowsOf(index, "192.168.0.100"), QList<int>{3});
        QCOMPARE(index.Remove("10.0.0.1", 2), 1);
        QCOMPARE(index.Remove("10.0.0.1", 1), 0);
        QCOMPARE(index.Find("10.0.0.1").size(), 0);

        // Room given back is used again without mixing groups up.
        QCOMPARE(index.Add("10.0.0.2", 7), 1);
        QCOMPARE(index.Add("10.0.0.2", 8), 2);
        QCOMPARE(index.Add("192.168.0.100", 4), 2);
        QCOMPARE(RowsOf(index, "10.0.0.2"), (QList<int>{7, 8}));
        QCOMPARE(RowsOf(index, "192.168.0.100"), (QList<int>{3, 4}));

        index.Clear();
        QCOMPARE(index.Find("192.168.0.100").size(), 0);
        QCOMPARE(index.Add("192.168.0.100", 1), 1);
    }

    void whatIsNoAddress()
    {
        AddressIndex index;
        QCOMPARE(index.Add("", 0), 0);
        QCOMPARE(index.Add("", 1), 0);
        QCOMPARE(index.Find("").size(), 0);
        // The longest text a device's field can give still counts; anything longer shares nothing.
        const QByteArray longest(AddressIndex::kLongestAddress, '\xe9');
        QCOMPARE(index.Add(longest, 0), 1);
        QCOMPARE(index.Add(longest, 1), 2);
        const QByteArray longer = longest + '1';
        QCOMPARE(index.Add(longer, 2), 0);
        QCOMPARE(index.Add(longer, 3), 0);
        QCOMPARE(index.Remove(longer, 2), 0);
        // Texts that differ only past where a shorter one ends are different addresses.
        QCOMPARE(index.Add("1.0.0.1", 4), 1);
        QCOMPARE(index.Add("1.0.0.10", 5), 1);
    }
};

QTEST_GUILESS_MAIN(TestAddressIndex)
#include "tst_addressindex.moc"
