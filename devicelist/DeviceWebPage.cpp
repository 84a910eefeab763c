#include "devicelist/DeviceWebPage.h"

#include "devicelist/CDlgIPv6Info.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListColumns.h"
#include "devicelist/OpenInBrowser.h"
#include "devicelist/WebAddress.h"
#include "res/MessageBoxes.h"

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
        // A device outside this computer's network is asked about first: its page will probably not open.
        if (const QString warning =
                WebPageWarning(rows.Text(row, ColumnProtocol), rows.Text(row, ColumnIp), entry);
            !warning.isEmpty() &&
            !AskApplicationQuestion(owner, warning + QStringLiteral(" Open it anyway?")))
            break;
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
