#include "devicelist/AddressIndex.h"

#include <algorithm>

namespace Netrove {

int AddressIndex::Add(const QByteArray& address, int row)
{
    if (address.isEmpty())
        return 0;
    Rows& rows = m_rows[address];
    if (rows.m_first < 0)
        rows.m_first = row;
    else
        rows.m_more.push_back(row);
    return rows.size();
}

int AddressIndex::Remove(const QByteArray& address, int row)
{
    const auto found = m_rows.find(address);
    if (found == m_rows.end())
        return 0;
    Rows& rows = found.value();
    if (rows.m_first == row) {
        if (rows.m_more.empty()) {
            m_rows.erase(found);
            return 0;
        }
        rows.m_first = rows.m_more.back();
        rows.m_more.pop_back();
    } else if (const auto at = std::find(rows.m_more.begin(), rows.m_more.end(), row);
               at != rows.m_more.end()) {
        *at = rows.m_more.back();
        rows.m_more.pop_back();
    }
    if (rows.m_more.empty())
        rows.m_more.shrink_to_fit();
    return rows.size();
}

const AddressIndex::Rows* AddressIndex::Find(const QByteArray& address) const
{
    const auto found = m_rows.constFind(address);
    return found == m_rows.cend() ? nullptr : &found.value();
}

void AddressIndex::Clear()
{
    m_rows.clear();
    m_rows.squeeze();
}

} // namespace Netrove
