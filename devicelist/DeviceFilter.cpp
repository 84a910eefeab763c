#include "devicelist/DeviceFilter.h"

#include "devicelist/DeviceListColumns.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace Netrove {

namespace {

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The MAC text with its separators taken out, and written anew with ':' and with '-' between
// each pair of digits; all in lower case.
struct MacForms
{
    std::array<char, 64> bare{};
    std::array<char, 96> colons{};
    std::array<char, 96> dashes{};
    qsizetype bareSize = 0;
    qsizetype separatedSize = 0;

    explicit MacForms(QByteArrayView mac)
    {
        for (const char c : mac) {
            if (c == ':' || c == '-' || bareSize == qsizetype(bare.size()))
                continue;
            bare[std::size_t(bareSize++)] = AsciiLower(c);
        }
        for (qsizetype i = 0; i < bareSize; ++i) {
            if (i > 0 && i % 2 == 0) {
                colons[std::size_t(separatedSize)] = ':';
                dashes[std::size_t(separatedSize)] = '-';
                ++separatedSize;
            }
            colons[std::size_t(separatedSize)] = bare[std::size_t(i)];
            dashes[std::size_t(separatedSize)] = bare[std::size_t(i)];
            ++separatedSize;
        }
    }
};

} // namespace

DeviceFilter::DeviceFilter(const QString& text, bool sharedIpOnly, bool outsideNetworkOnly)
    : m_bSharedIpOnly(sharedIpOnly)
    , m_bOutsideNetworkOnly(outsideNetworkOnly)
{
    for (const QString& part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        Word word{part, {}};
        const bool ascii =
            std::all_of(part.cbegin(), part.cend(), [](QChar c) { return c.unicode() < 0x80; });
        if (ascii)
            word.asciiLower = part.toLatin1().toLower();
        m_words.push_back(std::move(word));
    }
}

bool DeviceFilter::Contains(QByteArrayView text, const Word& word)
{
    if (word.asciiLower.isEmpty()) {
        // Letters beyond ASCII are compared as Qt folds their case; such texts are rare.
        return QString::fromUtf8(text.data(), text.size()).contains(word.text, Qt::CaseInsensitive);
    }
    const auto found = std::search(text.begin(), text.end(), word.asciiLower.cbegin(), word.asciiLower.cend(),
                                   [](char a, char b) { return AsciiLower(a) == b; });
    return found != text.end();
}

bool DeviceFilter::ContainsInMac(QByteArrayView mac, const Word& word)
{
    if (word.asciiLower.isEmpty())
        return false;
    const MacForms forms(mac);
    const QByteArrayView needle(word.asciiLower);
    return QByteArrayView(forms.bare.data(), forms.bareSize).contains(needle) ||
           QByteArrayView(forms.colons.data(), forms.separatedSize).contains(needle) ||
           QByteArrayView(forms.dashes.data(), forms.separatedSize).contains(needle);
}

bool DeviceFilter::Matches(std::span<const QByteArrayView> columns, bool sharedIp, bool outsideNetwork) const
{
    if ((m_bSharedIpOnly && !sharedIp) || (m_bOutsideNetworkOnly && !outsideNetwork))
        return false;
    const std::size_t macColumn = ColumnMac - 1;
    for (const Word& word : m_words) {
        bool found = false;
        for (std::size_t column = 0; column < columns.size() && !found; ++column) {
            found = column == macColumn
                        ? Contains(columns[column], word) || ContainsInMac(columns[column], word)
                        : Contains(columns[column], word);
        }
        if (!found)
            return false;
    }
    return true;
}

} // namespace Netrove
