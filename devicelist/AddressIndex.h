#pragma once

#include <QByteArrayView>
#include <QHash>

#include <array>
#include <cstdint>
#include <vector>

namespace Netrove {

// The rows listed under each IP address text. New cameras from the factory all report the same
// address; the rows that share one are found here without walking a list of thousands. An address
// with one row, as nearly all are, costs one small entry and no allocation of its own.
class AddressIndex final
{
public:
    // Longer texts than this (twice a 16-byte address field, each byte two in UTF-8) come from no
    // device; they are not listed, and so share with nothing.
    static constexpr qsizetype kLongestAddress = 32;

    // The rows of one address, in no particular order; valid until the index changes.
    class Rows
    {
    public:
        int size() const { return m_first < 0 ? 0 : 1 + (m_more ? static_cast<int>(m_more->size()) : 0); }
        int at(int i) const { return i == 0 ? m_first : (*m_more)[static_cast<std::size_t>(i - 1)]; }

    private:
        friend class AddressIndex;
        int m_first = -1;
        const std::vector<int>* m_more = nullptr;
    };

    // Each gives how many rows the address has afterwards. An empty address text is no address, and
    // is not listed (0).
    int Add(QByteArrayView address, int row);
    int Remove(QByteArrayView address, int row);
    Rows Find(QByteArrayView address) const;
    void Clear();
    void Reserve(qsizetype addresses) { m_entries.reserve(addresses); }

private:
    struct Key
    {
        std::array<char, kLongestAddress> text{};
        std::uint8_t size = 0;

        QByteArrayView View() const { return {text.data(), size}; }
        friend bool operator==(const Key& a, const Key& b) { return a.View() == b.View(); }
        friend size_t qHash(const Key& key, size_t seed = 0) noexcept { return qHash(key.View(), seed); }
    };
    struct Entry
    {
        int first = -1;
        int more = -1; // into m_more, for the second row on
    };

    static bool MakeKey(QByteArrayView address, Key& key);
    void ReleaseMore(Entry& entry);

    QHash<Key, Entry> m_entries;
    std::vector<std::vector<int>> m_more;
    std::vector<int> m_freeMore;
};

} // namespace Netrove
