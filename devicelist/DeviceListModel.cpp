#include "devicelist/DeviceListModel.h"

#include "devicelist/RowTooltips.h"
#include "devicelist/SortKeys.h"
#include "discovery/Ipv4Network.h"
#include "discovery/PacketLayout.h"
#include "res/Strings.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace Netrove {

namespace {

QString RowNumberText(int number)
{
    return QStringLiteral("  %1").arg(number);
}

// What a cell's tooltip says: at a marked IP address, the other devices and that it lies outside
// this computer's network, one line each; elsewhere, the adapter. A device that stopped answering
// says so first, in every cell: its grey is never the only sign of it.
QString CellDescription(const DeviceListModel& rows, const QModelIndex& index)
{
    const DeviceEntry* entry = rows.EntryAt(index.row());
    QStringList lines;
    if (entry && !Answering(*entry))
        lines.append(NotAnsweringText(entry->lastSeenMs));
    if (index.column() == ColumnIp) {
        if (const QStringList others = rows.ConflictingMacs(index.row()); !others.isEmpty())
            lines.append(AddressConflictText(others));
        if (entry && rows.InNetwork(index.row()) == false)
            lines.append(OutsideNetworkText(entry->arrival));
    }
    if (entry && (lines.isEmpty() || (lines.size() == 1 && !Answering(*entry))))
        lines.append(ArrivalText(entry->arrival));
    lines.removeAll(QString());
    return lines.join(QLatin1Char('\n'));
}

} // namespace

DeviceListModel::DeviceListModel(QObject* parent)
    : QAbstractTableModel(parent)
{}

DeviceListModel::~DeviceListModel() = default;

int DeviceListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int DeviceListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DeviceListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return Text(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(kDeviceListColumns[index.column()].alignment);
    case Qt::ForegroundRole:
        // What a device no longer answering last reported is greyed, its marks too.
        if (const DeviceEntry* entry = EntryAt(index.row()); entry && !Answering(*entry))
            return m_notAnsweringForeground;
        if (index.column() == ColumnIp && HasConflict(index.row()))
            return m_warningForeground;
        return {};
    case Qt::FontRole:
        if (index.column() == ColumnIp && InNetwork(index.row()) == false)
            return m_outsideNetworkFont;
        return {};
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
        const QString text = CellDescription(*this, index);
        if (text.isEmpty())
            return {};
        // A screen reader is given the text itself; a tooltip, which Qt may take for markup, escaped.
        return role == Qt::ToolTipRole ? PlainTooltip(text) : text;
    }
    default:
        return {};
    }
}

QVariant DeviceListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return LoadString(kDeviceListColumns[section].titleId);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(kDeviceListColumns[section].alignment);
    default:
        return {};
    }
}

DeviceListModel::Row DeviceListModel::MakeRow(NewDeviceRow&& source, int position)
{
    Row row;
    row.entry = std::move(source.entry);
    // Every field of the layout must be readable, whatever size the datagram had.
    if (row.entry)
        row.entry->reply.resize(LongFormSize(row.entry->kind), 0);
    row.number = source.number > 0 ? source.number : position + 1;
    for (int column = ColumnNo + 1; column < ColumnCount; ++column) {
        row.texts += source.texts[column].toUtf8();
        const auto end = std::min<qsizetype>(row.texts.size(), std::numeric_limits<std::uint16_t>::max());
        row.texts.truncate(end);
        row.ends[column - 1] = static_cast<std::uint16_t>(end);
    }
    row.texts.squeeze();
    return row;
}

QByteArrayView DeviceListModel::TextView(const Row& row, int column)
{
    const int begin = column == ColumnNo + 1 ? 0 : row.ends[column - 2];
    const int end = row.ends[column - 1];
    return QByteArrayView(row.texts.constData() + begin, end - begin);
}

QByteArray DeviceListModel::MacKey(const Row& row)
{
    if (row.entry && row.entry->onvif)
        return OnvifRowKey(*row.entry->onvif);
    return TextView(row, ColumnMac).toByteArray();
}

QByteArray DeviceListModel::OnvifRowKey(const OnvifEntry& onvif)
{
    // Apart from every MAC text a device of ours may send.
    return QByteArrayLiteral("onvif ") + onvif.key.toUtf8();
}

QByteArray DeviceListModel::KeyOf(const NewDeviceRow& row)
{
    if (row.entry && row.entry->onvif)
        return OnvifRowKey(*row.entry->onvif);
    return row.texts[ColumnMac].toUtf8();
}

bool DeviceListModel::SameDevice(const Row& a, const Row& b)
{
    const OnvifEntry* x = a.entry ? a.entry->onvif.get() : nullptr;
    const OnvifEntry* y = b.entry ? b.entry->onvif.get() : nullptr;
    if (x || y)
        return x && y && x->key == y->key;
    return TextView(a, ColumnMac) == TextView(b, ColumnMac);
}

QString DeviceListModel::DeviceName(const Row& row)
{
    const QByteArrayView mac = TextView(row, ColumnMac);
    if (mac.isEmpty() && row.entry && row.entry->onvif)
        return row.entry->onvif->endpoint;
    return QString::fromUtf8(mac.data(), mac.size());
}

QString DeviceListModel::Text(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= ColumnCount)
        return {};
    const Row& r = m_rows[static_cast<std::size_t>(row)];
    if (column == ColumnNo)
        return RowNumberText(r.number);
    const QByteArrayView text = TextView(r, column);
    return QString::fromUtf8(text.data(), text.size());
}

bool DeviceListModel::RowMatches(int row, const DeviceFilter& filter) const
{
    if (row < 0 || row >= rowCount())
        return false;
    if (!filter.IsActive())
        return true;
    const Row& r = m_rows[static_cast<std::size_t>(row)];
    std::array<QByteArrayView, ColumnCount - 1> columns;
    for (int column = ColumnNo + 1; column < ColumnCount; ++column)
        columns[std::size_t(column - 1)] = TextView(r, column);
    return filter.Matches(columns, HasConflict(row), InNetwork(row) == false);
}

std::optional<bool> DeviceListModel::InNetwork(int row) const
{
    const DeviceEntry* entry = EntryAt(row);
    if (entry == nullptr)
        return std::nullopt;
    const QByteArrayView ip = TextView(m_rows[static_cast<std::size_t>(row)], ColumnIp);
    return InIpv4Networks(std::string_view(ip.data(), std::size_t(ip.size())), entry->arrival.ipv4Networks);
}

bool DeviceListModel::HasConflict(int row) const
{
    const Row& r = m_rows[static_cast<std::size_t>(row)];
    const AddressIndex::Rows sharing = m_rowsOfIp.Find(TextView(r, ColumnIp));
    if (sharing.size() < 2)
        return false;
    for (int i = 0; i < sharing.size(); ++i) {
        if (!SameDevice(m_rows[static_cast<std::size_t>(sharing.at(i))], r))
            return true;
    }
    return false;
}

QStringList DeviceListModel::ConflictingMacs(int row) const
{
    if (row < 0 || row >= rowCount() || !HasConflict(row))
        return {};
    const Row& r = m_rows[static_cast<std::size_t>(row)];
    const AddressIndex::Rows sharing = m_rowsOfIp.Find(TextView(r, ColumnIp));
    std::vector<int> others;
    others.reserve(static_cast<std::size_t>(sharing.size()));
    for (int i = 0; i < sharing.size(); ++i)
        others.push_back(sharing.at(i));
    std::sort(others.begin(), others.end());
    QStringList macs;
    // A device listed twice is named once; thousands of factory-fresh cameras stay cheap to name.
    QSet<QString> named;
    for (const int other : others) {
        const Row& o = m_rows[static_cast<std::size_t>(other)];
        if (SameDevice(o, r))
            continue;
        // Another maker's camera that tells no MAC is named by its endpoint address.
        const QString name = DeviceName(o);
        if (named.contains(name))
            continue;
        named.insert(name);
        macs.append(name);
    }
    return macs;
}

void DeviceListModel::SetWarningForeground(const QVariant& brush)
{
    SetIpCellMark(m_warningForeground, brush, Qt::ForegroundRole);
}

void DeviceListModel::SetOutsideNetworkFont(const QVariant& font)
{
    SetIpCellMark(m_outsideNetworkFont, font, Qt::FontRole);
}

void DeviceListModel::SetNotAnsweringForeground(const QVariant& brush)
{
    if (brush == m_notAnsweringForeground)
        return;
    m_notAnsweringForeground = brush;
    for (int row = 0; row < rowCount(); ++row) {
        if (!Answering(*m_rows[static_cast<std::size_t>(row)].entry))
            emit dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::ForegroundRole});
    }
}

void DeviceListModel::SetIpCellMark(QVariant& mark, const QVariant& look, int role)
{
    if (look == mark)
        return;
    mark = look;
    if (!m_rows.empty())
        emit dataChanged(index(0, ColumnIp), index(rowCount() - 1, ColumnIp), {role});
}

int DeviceListModel::IndexRow(int row)
{
    // Only the first row with a MAC counts; a later duplicate never shadows it.
    const Row& r = m_rows[static_cast<std::size_t>(row)];
    const QByteArray mac = MacKey(r);
    if (!m_rowOfMac.contains(mac))
        m_rowOfMac.insert(mac, row);
    return m_rowsOfIp.Add(TextView(r, ColumnIp), row);
}

void DeviceListModel::RebuildIndexes()
{
    m_rowOfMac.clear();
    m_rowOfMac.reserve(static_cast<qsizetype>(m_rows.size()));
    m_rowsOfIp.Clear();
    m_rowsOfIp.Reserve(static_cast<qsizetype>(m_rows.size()));
    for (int row = 0; row < rowCount(); ++row)
        IndexRow(row);
}

void DeviceListModel::AddressesChanged(const QSet<QByteArray>& addresses)
{
    // One notice for all: the view draws the span of rows again, whatever lies between.
    int first = std::numeric_limits<int>::max();
    int last = -1;
    for (const QByteArray& address : addresses) {
        const AddressIndex::Rows rows = m_rowsOfIp.Find(address);
        for (int i = 0; i < rows.size(); ++i) {
            first = std::min(first, rows.at(i));
            last = std::max(last, rows.at(i));
        }
    }
    if (last >= 0)
        emit dataChanged(index(first, ColumnIp), index(last, ColumnIp),
                         {Qt::ForegroundRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
}

void DeviceListModel::StartRound()
{
    ++m_nRound;
    m_nHeardInRound = 0;
}

void DeviceListModel::MarkHeard(Row& row)
{
    if (row.heardInRound == m_nRound)
        return;
    row.heardInRound = m_nRound;
    ++m_nHeardInRound;
}

bool DeviceListModel::Revive(Row& row, qint64 heardAtMs)
{
    if (!row.entry)
        return false;
    const bool wasSilent = !Answering(*row.entry);
    row.entry->lastSeenMs = std::max(row.entry->lastSeenMs, heardAtMs);
    row.entry->missedSearches = 0;
    if (wasSilent)
        --m_nNotAnswering;
    return wasSilent;
}

bool DeviceListModel::SameAnswer(const DeviceEntry& listed, const DeviceEntry& reply)
{
    if (listed.kind != reply.kind || listed.arrival.name != reply.arrival.name ||
        listed.arrival.localAddress != reply.arrival.localAddress || bool(listed.onvif) != bool(reply.onvif))
        return false;
    // Another maker's camera: its row comes from its texts, compared with the row's as they are made.
    if (listed.onvif)
        return false;
    // The listed reply is padded to its long form; a shorter answer reads as if it were too.
    const std::size_t size = std::min(reply.reply.size(), listed.reply.size());
    return std::equal(reply.reply.begin(), reply.reply.begin() + std::ptrdiff_t(size),
                      listed.reply.begin()) &&
           std::all_of(listed.reply.begin() + std::ptrdiff_t(size), listed.reply.end(),
                       [](std::uint8_t byte) { return byte == 0; }) &&
           reply.reply.size() <= listed.reply.size();
}

bool DeviceListModel::SameLook(const Row& a, const Row& b)
{
    if (a.texts != b.texts || !a.entry || !b.entry)
        return a.texts == b.texts && !a.entry && !b.entry;
    const DeviceEntry& x = *a.entry;
    const DeviceEntry& y = *b.entry;
    return x.kind == y.kind && x.reply == y.reply && x.arrival.name == y.arrival.name &&
           x.arrival.localAddress == y.arrival.localAddress && Answering(x) == Answering(y);
}

int DeviceListModel::EndRound(const std::function<bool(const DeviceEntry&)>& asked)
{
    std::vector<int> silenced;
    for (int row = 0; row < rowCount(); ++row) {
        Row& r = m_rows[static_cast<std::size_t>(row)];
        if (!r.entry || r.heardInRound == m_nRound || !asked(*r.entry))
            continue;
        // Counting stops once it says "not answering"; no number grows without end.
        if (r.entry->missedSearches >= kMissedSearchesNotAnswering)
            continue;
        if (++r.entry->missedSearches == kMissedSearchesNotAnswering) {
            ++m_nNotAnswering;
            silenced.push_back(row);
        }
    }
    RowsChanged(silenced,
                {Qt::DisplayRole, Qt::ForegroundRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
    return int(silenced.size());
}

void DeviceListModel::EndpointLeft(const QString& endpointKey)
{
    std::vector<int> silenced;
    for (int row = 0; row < rowCount(); ++row) {
        DeviceEntry* entry = m_rows[static_cast<std::size_t>(row)].entry.get();
        if (!entry || !entry->onvif || entry->onvif->endpointKey != endpointKey || !Answering(*entry))
            continue;
        entry->missedSearches = kMissedSearchesNotAnswering;
        ++m_nNotAnswering;
        silenced.push_back(row);
    }
    RowsChanged(silenced,
                {Qt::DisplayRole, Qt::ForegroundRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
}

void DeviceListModel::RowsChanged(const std::vector<int>& rows, const QList<int>& roles)
{
    // One notice for each run of neighbouring rows.
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1)
            ++j;
        emit dataChanged(index(rows[i], 0), index(rows[j], ColumnCount - 1), roles);
        i = j + 1;
    }
}

int DeviceListModel::InsertDeviceRow(int position, NewDeviceRow source)
{
    const int row = std::clamp(position, 0, rowCount());
    beginInsertRows({}, row, row);
    m_rows.insert(m_rows.begin() + row, MakeRow(std::move(source), row));
    MarkHeard(m_rows[static_cast<std::size_t>(row)]);
    endInsertRows();
    int sharing = 0;
    if (row == rowCount() - 1) {
        sharing = IndexRow(row);
    } else {
        RebuildIndexes();
        sharing = m_rowsOfIp.Find(TextView(m_rows[static_cast<std::size_t>(row)], ColumnIp)).size();
    }
    if (sharing > 1)
        AddressesChanged({TextView(m_rows[static_cast<std::size_t>(row)], ColumnIp).toByteArray()});
    return row;
}

int DeviceListModel::AddReplies(std::vector<NewDeviceRow> replies, const QSet<QByteArray>& held)
{
    const int listed = rowCount();
    std::vector<Row> appended;
    // Where each MAC of this batch went among the rows appended so far.
    QHash<QByteArray, std::size_t> appendedOfMac;
    // Rows whose look changed; a row that came again as it was is not drawn again.
    std::vector<int> replaced;
    // Addresses whose rows gained or lost a device sharing them.
    QSet<QByteArray> changedAddresses;

    for (NewDeviceRow& reply : replies) {
        const QByteArray mac = KeyOf(reply);
        if (const auto listedRow = m_rowOfMac.constFind(mac); listedRow != m_rowOfMac.cend()) {
            const int row = listedRow.value();
            Row& target = m_rows[static_cast<std::size_t>(row)];
            MarkHeard(target);
            const qint64 heardAtMs = reply.entry ? reply.entry->lastSeenMs : 0;
            // The same answer again (every send of a search brings one) keeps the row as it is: no new
            // texts, no repaint, and no memory taken anew for each repeat.
            if (held.contains(mac) || (target.entry && reply.entry &&
                                       (!ReplyTakesRowOf(*target.entry, *reply.entry) ||
                                        SameAnswer(*target.entry, *reply.entry)))) {
                // The device is there; what its row shows stays as it was.
                if (Revive(target, heardAtMs))
                    replaced.push_back(row);
                continue;
            }
            const bool wasSilent = target.entry && !Answering(*target.entry);
            if (wasSilent)
                --m_nNotAnswering;
            reply.number = target.number;
            const std::uint32_t heard = target.heardInRound;
            const Row previous = std::exchange(target, MakeRow(std::move(reply), row));
            target.heardInRound = heard;
            if (wasSilent || !SameLook(previous, target))
                replaced.push_back(row);
            // A device that was given a new address leaves the devices of its old one.
            if (const QByteArrayView ip = TextView(target, ColumnIp); ip != TextView(previous, ColumnIp)) {
                // The row itself is drawn anew below; the rows it leaves or joins are marked anew.
                const QByteArrayView old = TextView(previous, ColumnIp);
                if (m_rowsOfIp.Remove(old, row) > 0)
                    changedAddresses.insert(old.toByteArray());
                if (m_rowsOfIp.Add(ip, row) > 1)
                    changedAddresses.insert(ip.toByteArray());
            }
        } else if (const auto pending = appendedOfMac.constFind(mac); pending != appendedOfMac.cend()) {
            Row& target = appended[pending.value()];
            if (target.entry && reply.entry && !ReplyTakesRowOf(*target.entry, *reply.entry))
                continue;
            reply.number = target.number;
            const std::uint32_t heard = target.heardInRound;
            target = MakeRow(std::move(reply), listed + static_cast<int>(pending.value()));
            target.heardInRound = heard;
        } else {
            appendedOfMac.insert(mac, appended.size());
            appended.push_back(MakeRow(std::move(reply), listed + static_cast<int>(appended.size())));
            MarkHeard(appended.back());
        }
    }

    std::sort(replaced.begin(), replaced.end());
    replaced.erase(std::unique(replaced.begin(), replaced.end()), replaced.end());
    RowsChanged(replaced, {});
    const int added = static_cast<int>(appended.size());
    if (added > 0) {
        beginInsertRows({}, listed, listed + added - 1);
        m_rows.insert(m_rows.end(), std::make_move_iterator(appended.begin()),
                      std::make_move_iterator(appended.end()));
        endInsertRows();
    }
    for (int row = listed; row < rowCount(); ++row) {
        if (IndexRow(row) > 1)
            changedAddresses.insert(TextView(m_rows[static_cast<std::size_t>(row)], ColumnIp).toByteArray());
    }
    AddressesChanged(changedAddresses);
    return added;
}

void DeviceListModel::RemoveDeviceRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    const QByteArray ip = TextView(m_rows[static_cast<std::size_t>(row)], ColumnIp).toByteArray();
    const Row& removed = m_rows[static_cast<std::size_t>(row)];
    if (removed.heardInRound == m_nRound)
        --m_nHeardInRound;
    if (removed.entry && !Answering(*removed.entry))
        --m_nNotAnswering;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    RebuildIndexes();
    AddressesChanged({ip});
}

void DeviceListModel::ClearDeviceList()
{
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_rowOfMac.clear();
    m_rowOfMac.squeeze();
    m_rowsOfIp.Clear();
    m_nHeardInRound = 0;
    m_nNotAnswering = 0;
    endResetModel();
}

int DeviceListModel::FindRowByMac(const QString& mac) const
{
    return m_rowOfMac.value(mac.toUtf8(), -1);
}

const DeviceEntry* DeviceListModel::EntryAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    return m_rows[static_cast<std::size_t>(row)].entry.get();
}

void DeviceListModel::SortRows(int column, int ascending)
{
    if (!IsSortableColumn(column) || m_rows.empty())
        return;

    // Each key is read once, not once per comparison.
    std::vector<std::string> keys;
    keys.reserve(m_rows.size());
    for (const Row& row : m_rows) {
        const QByteArrayView text = column == ColumnNo ? QByteArrayView() : TextView(row, column);
        keys.push_back(ColumnSortKey(column, row.entry.get(),
                                     std::string_view(text.data(), std::size_t(text.size())), row.number));
    }
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int compared =
            CompareSortKeys(keys[static_cast<std::size_t>(a)], keys[static_cast<std::size_t>(b)]);
        return ascending ? compared < 0 : compared > 0;
    });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(m_rows.size());
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    for (std::size_t at = 0; at < order.size(); ++at) {
        newRowOf[static_cast<std::size_t>(order[at])] = static_cast<int>(at);
        sorted.push_back(std::move(m_rows[static_cast<std::size_t>(order[at])]));
        sorted.back().number = static_cast<int>(at) + 1;
    }
    m_rows = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(index(newRowOf[static_cast<std::size_t>(old.row())], old.column()));
    changePersistentIndexList(before, after);
    RebuildIndexes();
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace Netrove
