#pragma once

#include "cli/CliArguments.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace Netrove {

// One device of set-many or apply, as a row of the Batch Setting dialog's table shows it.
struct BatchLine
{
    QString mac;
    QString model;
    QString ip;     // as the device reported it before
    QString newIp;  // the address planned, "DHCP", or the present one when unchanged
    QString result; // "now at ...", "Invalid Password!", "Not sent", "unchanged", ...; empty: not sent yet
};

// What set-many and apply print: a table with the dialog's column titles (control characters as "?"),
// CSV lines with the same title line (formula-like cells guarded), or a JSON array of objects with the
// keys mac, model, ip, new_ip and result. UTF-8.
QByteArray FormatBatchLines(const std::vector<BatchLine>& lines, CliFormat format);

} // namespace Netrove
