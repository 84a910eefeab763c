#pragma once

#include <QByteArray>
#include <QHash>

#include <vector>

namespace Netrove {

// The rows listed under each IP address text. New cameras from the factory all report the same
// address; the rows that share one are found here without walking a list of thousands.
class AddressIndex final
{
public:
    // The rows of one address, in no particular order. Most addresses have one row, which costs no
    // allocation of its own.
    class Rows
    {
    public:
        int size() const { return m_first < 0 ? 0 : 1 + static_cast<int>(m_more.size()); }
        int at(int i) const { return i == 0 ? m_first : m_more[static_cast<std::size_t>(i - 1)]; }

    private:
        friend class AddressIndex;
        int m_first = -1;
        std::vector<int> m_more;
    };

    // Gives how many rows the address has now. An empty address text is no address, and is not
    // listed (0).
    int Add(const QByteArray& address, int row);
    // Gives how many rows the address has left.
    int Remove(const QByteArray& address, int row);
    // nullptr when no row has the address.
    const Rows* Find(const QByteArray& address) const;
    void Clear();
    void Reserve(qsizetype addresses) { m_rows.reserve(addresses); }

private:
    QHash<QByteArray, Rows> m_rows;
};

} // namespace Netrove
