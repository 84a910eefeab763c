#pragma once

#include "devicelist/AddressIndex.h"
#include "devicelist/DeviceEntry.h"
#include "devicelist/DeviceFilter.h"
#include "devicelist/DeviceListColumns.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QSet>
#include <QString>
#include <QVariant>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Netrove {

// A row waiting to be listed: the device's reply, its number and the texts of columns 1 to 7 (the
// "No" text is always made from the number). Number 0 numbers the row by the position it takes.
struct NewDeviceRow
{
    std::unique_ptr<DeviceEntry> entry;
    int number = 0;
    std::array<QString, ColumnCount> texts; // texts[ColumnNo] is not used
};

// The rows of the device list, in the order shown. Each row owns its DeviceEntry, so an entry goes
// exactly when its row goes. A MAC index finds the row of a device without walking the list, so
// that a reply costs the same with ten rows as with ten thousand; an address index does the same for
// rows whose devices report one IP address between them. Such an address is marked in each of those
// rows (the warning colour, and a tooltip naming the other devices), so that the installer sees which
// devices still need an address of their own. Every row's tooltip names the adapter its device
// answered on. An address outside this computer's network on that adapter is marked too (in
// italics, and a tooltip saying so), since the device's web page will not open until Auto Set gives
// it one inside.
class DeviceListModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DeviceListModel)

public:
    explicit DeviceListModel(QObject* parent = nullptr);
    ~DeviceListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Inserts a row at the position (clamped to the list) and returns its index.
    int InsertDeviceRow(int position, NewDeviceRow row);
    // Each reply in turn replaces the row listed with its MAC address, in place and with that row's
    // number (unless the row's reply takes precedence: ReplyTakesRowOf), or else goes to the bottom;
    // the outcome is that of one reply at a time. All rows that go to the bottom are inserted at
    // once. Rows whose MAC texts (UTF-8) are `held` keep what they show: the user holds them. Only
    // rows whose look changed are drawn again. Every reply counts as an answer of its device (see
    // EndRound). Returns how many rows were added.
    int AddReplies(std::vector<NewDeviceRow> replies, const QSet<QByteArray>& held = {});
    // A new search round: from now on, no row counts as heard in it until its device answers.
    void StartRound();
    // Rows whose devices answered in the current round.
    int HeardInRound() const { return m_nHeardInRound; }
    // The round is over: each row whose device was `asked` and did not answer has missed one search
    // more, and
    // one that missed kMissedSearchesNotAnswering in a row is shown as not answering (greyed, and
    // said in its tooltip) until it answers again. Gives how many were newly not answering.
    int EndRound(const std::function<bool(const DeviceEntry&)>& asked);
    int NotAnsweringCount() const { return m_nNotAnswering; }
    // Another maker's camera said it leaves the network (an ONVIF Bye, by its endpoint key): its
    // rows are not answering from now on, without waiting for three searches.
    void EndpointLeft(const QString& endpointKey);
    // Removes the row together with its entry; an index outside the list is ignored.
    void RemoveDeviceRow(int row);
    // Removes every row with its entry.
    void ClearDeviceList();

    // The first row whose MAC address text equals the given one exactly; -1 if none (and for a
    // camera heard by ONVIF: its row has a key of its own).
    int FindRowByMac(const QString& mac) const;
    // nullptr for a row outside the list or one without an entry.
    const DeviceEntry* EntryAt(int row) const;
    QString Text(int row, int column) const;

    // Whether the filter shows the row; every row when it is not active.
    bool RowMatches(int row, const DeviceFilter& filter) const;
    // Whether the row's device lies in this computer's network on the adapter it answered on
    // (InIpv4Networks); nothing when that cannot be told.
    std::optional<bool> InNetwork(int row) const;

    // The MAC texts of the other devices listed with the row's IP address text, in list order; empty
    // when the row's address is its own.
    QStringList ConflictingMacs(int row) const;
    // What marked IP addresses are drawn in: a brush the view makes for its palette (see
    // WarningTextColour). The rows are kept by programs without a window too, so the model holds no
    // colour of its own; until a view gives one, a marked address is told by its tooltip alone.
    void SetWarningForeground(const QVariant& brush);
    // What IP addresses outside this computer's network are drawn in: the view's font in italics.
    // Until a view gives one, such an address is told by its tooltip alone.
    void SetOutsideNetworkFont(const QVariant& font);
    // What the rows of devices no longer answering are drawn in (the view's greyed text); until a view
    // gives one, they are told by their tooltips alone.
    void SetNotAnsweringForeground(const QVariant& brush);

    // Orders the rows by the column's sort key (see ColumnSortKey; rows whose keys are equal keep their
    // order) and numbers them anew from 1. Selections and other persistent indexes follow their rows.
    void SortRows(int column, int ascending);

private:
    struct Row
    {
        std::unique_ptr<DeviceEntry> entry;
        // Columns 1 to 7 as UTF-8, one after the other; ends[i] is where column i + 1 stops. One
        // block instead of seven strings keeps a row of ten thousand small.
        QByteArray texts;
        std::array<std::uint16_t, ColumnCount - 1> ends{};
        int number = 0;
        std::uint32_t heardInRound = 0;
    };

    static Row MakeRow(NewDeviceRow&& source, int position);
    static QByteArrayView TextView(const Row& row, int column);
    // The row's key: its MAC text, or for another maker's camera its ONVIF key.
    static QByteArray MacKey(const Row& row);
    static QByteArray OnvifRowKey(const OnvifEntry& onvif);
    static QByteArray KeyOf(const NewDeviceRow& row);
    static bool SameDevice(const Row& a, const Row& b);
    // The MAC text, or an ONVIF camera's endpoint where it tells no MAC.
    static QString DeviceName(const Row& row);
    bool HasConflict(int row) const;
    // A new look of the marked IP cells (their brush or font, as `role` says): every IP cell is drawn anew.
    void SetIpCellMark(QVariant& mark, const QVariant& look, int role);
    void RebuildIndexes();
    // Gives how many rows have the row's IP address text now.
    int IndexRow(int row);
    // The row's device answered in this round.
    void MarkHeard(Row& row);
    // The row's device answered at `heardAtMs`; true when it had been not answering.
    bool Revive(Row& row, qint64 heardAtMs);
    // The device answered exactly as its row's reply says, on the same adapter.
    static bool SameAnswer(const DeviceEntry& listed, const DeviceEntry& reply);
    // Two rows that a view would draw alike.
    static bool SameLook(const Row& a, const Row& b);
    // The rows, in ascending order, were drawn anew.
    void RowsChanged(const std::vector<int>& rows, const QList<int>& roles);
    // The IP cells of every row listed with one of these addresses have changed their mark.
    void AddressesChanged(const QSet<QByteArray>& addresses);

    std::vector<Row> m_rows;
    // MAC text (UTF-8) to the first row that shows it.
    QHash<QByteArray, int> m_rowOfMac;
    AddressIndex m_rowsOfIp;
    QVariant m_warningForeground;
    QVariant m_outsideNetworkFont;
    QVariant m_notAnsweringForeground;
    std::uint32_t m_nRound = 1;
    int m_nHeardInRound = 0;
    int m_nNotAnswering = 0;
};

} // namespace Netrove
