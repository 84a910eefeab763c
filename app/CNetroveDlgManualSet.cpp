// The main window's "Manual Set" button: the chosen device's settings, edited by hand.

#include "app/CNetroveDlg.h"

#include "devicelist/CNetroveListCtrl.h"
#include "manualset/CDlgManualSet.h"

namespace Netrove {

void CNetroveDlg::OnBnClickedManualSet()
{
    g_bPasswordErrorShown = false;
    // Without a chosen row there is nothing to set: nothing opens and nothing is sent.
    const DeviceEntry* chosen = m_list->Rows().EntryAt(m_list->SelectedRow());
    if (chosen == nullptr)
        return;
    CDlgManualSet dialog(*this, *chosen, this);
    dialog.exec();
}

} // namespace Netrove
