#include "devicelist/DeviceWebPage.h"

#include "devicelist/CDlgIPv6Info.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListColumns.h"
#include "devicelist/OpenInBrowser.h"
#include "devicelist/WebAddress.h"

namespace Netrove {

void OnDblClickList(QWidget* owner, const CNetroveListCtrl& list, int row)
{
    const DeviceListModel& rows = list.Rows();
    if (row < 0 || row >= rows.rowCount())
        return;
    const DeviceEntry* entry = rows.EntryAt(row);
    const WebPageChoice choice = ChooseWebPage(rows.Text(row, ColumnProtocol), entry);
    switch (choice.action) {
    case WebPageAction::Nothing:
        break;
    case WebPageAction::OpenAddress:
        OpenInBrowser(choice.address);
        break;
    case WebPageAction::ChooseIPv6OrIPv4: {
        // The dialog copies the reply: a search may empty the list while it is open.
        CDlgIPv6Info dialog(owner);
        dialog.SetReply(entry->reply);
        dialog.exec();
        break;
    }
    }
}

} // namespace Netrove
