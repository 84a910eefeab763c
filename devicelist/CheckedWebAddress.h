#pragma once

#include <QString>
#include <QUrl>

#include <string_view>

namespace Netrove {

// An address the browser may be given: a strictly well-formed http or https URL with a host and
// without user name or password. A recorder's address is whatever it sent, so anything else (a
// local file, another program's URL scheme, a text that reads as a command-line option) is
// refused, with the reason.
struct CheckedWebAddress
{
    QUrl url;        // valid only when accepted
    QString refusal; // empty when accepted

    bool Accepted() const { return refusal.isEmpty(); }
};

CheckedWebAddress CheckWebAddress(std::string_view address);

} // namespace Netrove
