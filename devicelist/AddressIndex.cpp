#include "devicelist/AddressIndex.h"

#include <algorithm>
#include <cstring>

namespace Netrove {

bool AddressIndex::MakeKey(QByteArrayView address, Key& key)
{
    if (address.isEmpty() || address.size() > kLongestAddress)
        return false;
    std::memcpy(key.text.data(), address.data(), static_cast<std::size_t>(address.size()));
    key.size = static_cast<std::uint8_t>(address.size());
    return true;
}

void AddressIndex::ReleaseMore(Entry& entry)
{
    if (entry.more < 0)
        return;
    std::vector<int>& more = m_more[static_cast<std::size_t>(entry.more)];
    more.clear();
    more.shrink_to_fit();
    m_freeMore.push_back(entry.more);
    entry.more = -1;
}

int AddressIndex::Add(QByteArrayView address, int row)
{
    Key key;
    if (!MakeKey(address, key))
        return 0;
    Entry& entry = m_entries[key];
    if (entry.first < 0) {
        entry.first = row;
        return 1;
    }
    if (entry.more < 0) {
        if (m_freeMore.empty()) {
            entry.more = static_cast<int>(m_more.size());
            m_more.emplace_back();
        } else {
            entry.more = m_freeMore.back();
            m_freeMore.pop_back();
        }
    }
    std::vector<int>& more = m_more[static_cast<std::size_t>(entry.more)];
    more.push_back(row);
    return 1 + static_cast<int>(more.size());
}

int AddressIndex::Remove(QByteArrayView address, int row)
{
    Key key;
    if (!MakeKey(address, key))
        return 0;
    const auto found = m_entries.find(key);
    if (found == m_entries.end())
        return 0;
    Entry& entry = found.value();
    std::vector<int>* more = entry.more < 0 ? nullptr : &m_more[static_cast<std::size_t>(entry.more)];
    if (entry.first == row) {
        if (more == nullptr || more->empty()) {
            ReleaseMore(entry);
            m_entries.erase(found);
            return 0;
        }
        entry.first = more->back();
        more->pop_back();
    } else if (more != nullptr) {
        if (const auto at = std::find(more->begin(), more->end(), row); at != more->end()) {
            *at = more->back();
            more->pop_back();
        }
    }
    if (more != nullptr && more->empty())
        ReleaseMore(entry);
    return 1 + (entry.more < 0 ? 0 : static_cast<int>(m_more[static_cast<std::size_t>(entry.more)].size()));
}

AddressIndex::Rows AddressIndex::Find(QByteArrayView address) const
{
    Rows rows;
    Key key;
    if (!MakeKey(address, key))
        return rows;
    const auto found = m_entries.constFind(key);
    if (found == m_entries.cend())
        return rows;
    rows.m_first = found->first;
    if (found->more >= 0)
        rows.m_more = &m_more[static_cast<std::size_t>(found->more)];
    return rows;
}

void AddressIndex::Clear()
{
    m_entries.clear();
    m_entries.squeeze();
    m_more.clear();
    m_more.shrink_to_fit();
    m_freeMore.clear();
    m_freeMore.shrink_to_fit();
}

} // namespace Netrove
