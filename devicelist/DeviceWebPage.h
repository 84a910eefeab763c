#pragma once

class QWidget;

namespace Netrove {

class CNetroveListCtrl;

// A double-click on a row of the device list opens the device's web page: a camera or recorder
// found over IPv4 at once (outside this computer's network once the user said "Yes" to
// WebPageWarning's question), a camera found over IPv6 after the user chose its IPv6 or its IPv4
// address in the IPv6 address dialog, owned by `owner`. A row that is not there (-1, or below
// the last) or that has no entry does nothing. The main window connects it as
//     connect(list, &QAbstractItemView::doubleClicked, window,
//             [=](const QModelIndex& index) { OnDblClickList(window, *list, index.row()); });
void OnDblClickList(QWidget* owner, const CNetroveListCtrl& list, int row);

} // namespace Netrove
