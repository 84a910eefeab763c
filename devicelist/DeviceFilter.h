#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <span>
#include <vector>

namespace Netrove {

// What narrows a long list to the devices an installer looks for: words typed in the filter field,
// whether only devices that share their IP address with another are wanted, and whether only those
// outside this computer's network on their adapter. Each word must be
// part of some column's text of the row, case aside: Device Name, Alias, Mode, IP Address,
// Protocol, URL, or the MAC address written with colons, with dashes or with no separator, so that
// "001a2b000005", "00-1A-2B" and "2b:00:00:05" all find 00:1A:2B:00:00:05.
class DeviceFilter
{
public:
    DeviceFilter() = default;
    // The words are the text split at spaces.
    DeviceFilter(const QString& text, bool sharedIpOnly, bool outsideNetworkOnly = false);

    // False: every row is shown.
    bool IsActive() const { return !m_words.empty() || m_bSharedIpOnly || m_bOutsideNetworkOnly; }

    // `columns` holds the texts of columns 1 to 7 as UTF-8, in the list's order; `sharedIp` tells
    // whether the row's IP address is marked as used by more than one device, `outsideNetwork`
    // whether it is marked as outside this computer's network.
    bool Matches(std::span<const QByteArrayView> columns, bool sharedIp, bool outsideNetwork) const;

private:
    struct Word
    {
        QString text;
        QByteArray asciiLower; // empty when the word is not plain ASCII
    };
    static bool Contains(QByteArrayView text, const Word& word);
    static bool ContainsInMac(QByteArrayView mac, const Word& word);

    std::vector<Word> m_words;
    bool m_bSharedIpOnly = false;
    bool m_bOutsideNetworkOnly = false;
};

} // namespace Netrove
