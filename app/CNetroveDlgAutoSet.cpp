// The main window's "Auto Set" button: the chosen device gets a free address of this computer's
// network on the adapter the device answered on and, for a camera, a free block of ports.

#include "app/CNetroveDlg.h"

#include "autoset/CDlgAutoSet.h"
#include "devicelist/CNetroveListCtrl.h"
#include "engine/DeviceEngine.h"

namespace Netrove {

void CNetroveDlg::OnBnClickedAutoSet()
{
    g_bPasswordErrorShown = false;
    // The row of the last click and the chosen row must both still be there; a row chosen with the
    // keyboard after a click on no row, or a list emptied meanwhile, opens nothing and sends nothing.
    const DeviceEntry* clicked = m_list->Rows().EntryAt(m_nClickedItem);
    const DeviceEntry* chosen = m_list->Rows().EntryAt(m_list->SelectedRow());
    if (clicked == nullptr || chosen == nullptr)
        return;

    // The device can take an address only of the network it answered on.
    const ArrivalAdapter arrival = chosen->arrival;
    CDlgAutoSet dialog(
        *this, *chosen, m_mirror.mac,
        [arrival, taken = m_engine->OtherMakersAddresses()] {
            return DeviceEngine::FindFreeAddressFor(arrival, taken);
        },
        this);
    dialog.exec();
}

void CNetroveDlg::DisableSettingButtons()
{
    EnableSettingButtons(false);
}

} // namespace Netrove
