// The main window's "Batch Set" button and "Apply Address Plan...": several devices given new
// addresses in one go, on the adapter they answered on.

#include "app/CNetroveDlg.h"

#include "app/AboutEntry.h"
#include "autoset/IcmpProbe.h"
#include "batchset/AddressPlanFile.h"
#include "batchset/BatchDevices.h"
#include "batchset/CDlgBatchSet.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/RowMayBeSet.h"
#include "res/MessageBoxes.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>

namespace Netrove {

void CNetroveDlg::CreateBatchActions()
{
    auto* plan = new QAction(QStringLiteral("Apply Address Plan..."), this);
    plan->setObjectName(QStringLiteral("actionApplyAddressPlan"));
    connect(plan, &QAction::triggered, this, &CNetroveDlg::OnApplyAddressPlan);
    addAction(plan);
    m_aboutEntry->AddContextMenuEntry(plan);
}

void CNetroveDlg::OnBnClickedBatchSet()
{
    g_bPasswordErrorShown = false;
    // The chosen rows that may be set, in the order shown; copies, since the list changes meanwhile.
    const DeviceListModel& rows = m_list->Rows();
    std::vector<BatchDevice> devices;
    for (const int row : m_list->SelectedRows()) {
        std::optional<BatchDevice> device = BatchDeviceOfRow(rows, row);
        if (device && RowMayBeSet(rows.Text(row, ColumnProtocol), &device->entry))
            devices.push_back(std::move(*device));
    }
    if (devices.size() < 2)
        return;
    OpenBatchDialog(std::move(devices));
}

void CNetroveDlg::OnApplyAddressPlan()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Apply Address Plan"),
                                                      QDir::homePath(), QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowApplicationMessage(
            this, QStringLiteral("The plan %1 could not be read:\n%2").arg(path, file.errorString()),
            QMessageBox::Warning);
        return;
    }
    const ResolvedPlan plan = ResolveAddressPlan(ReadAddressPlan(file.readAll()), m_list->Rows());
    if (!plan.refusal.isEmpty()) {
        ShowMessage(plan.refusal);
        return;
    }
    if (plan.devices.empty()) {
        ShowMessage(QStringLiteral("Every device of the plan has its address already (%1 unchanged)")
                        .arg(plan.unchanged.size()));
        return;
    }
    OpenBatchDialog(plan.devices);
}

void CNetroveDlg::OpenBatchDialog(std::vector<BatchDevice> devices)
{
    if (const QString refusal = SameAdapterRefusal(devices); !refusal.isEmpty()) {
        ShowMessage(refusal);
        return;
    }
    std::optional<BatchNetwork> where = BatchNetworkOf(devices, m_list->Rows());
    if (!where) {
        ShowMessage(QString::fromStdString(FreeAddressMessage({})));
        return;
    }
    IcmpProber prober;
    CDlgBatchSet dialog(*m_engine, std::move(devices), std::move(*where), prober, this);
    dialog.FillAddresses();
    dialog.exec();
}

} // namespace Netrove
