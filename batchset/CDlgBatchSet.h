#pragma once

#include "batchset/BatchPlan.h"

#include <QDialog>
#include <QFuture>

#include <functional>
#include <set>
#include <vector>

class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace Netrove {

class CIPAddressCtrl;
class DeviceEngine;

// "Batch Setting": several devices given new addresses in one go. The new addresses are filled in
// from "First IP Address" upwards, one per device in the list's order (see ChooseBatchAddresses); a
// "New IP Address" cell may be edited. OK checks everything (CheckBatch) before anything is sent,
// else says why and stays as it was; then the engine sends the requests and each row's "Result"
// follows its device, up to the check after the change. Cancel while applying sends nothing more.
class CDlgBatchSet final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDlgBatchSet)

public:
    enum Column
    {
        ColumnMac,
        ColumnModel,
        ColumnIp,
        ColumnNewIp,
        ColumnResult,
    };

    // `prober` pings the candidates; it must outlive the dialog.
    CDlgBatchSet(DeviceEngine& engine, std::vector<BatchDevice> devices, BatchNetwork network,
                 AddressProber& prober, QWidget* parent = nullptr);
    ~CDlgBatchSet() override;

    // The new addresses from the first one upwards, for the devices that have none yet. All
    // candidates of a round are pinged at once, which takes about a second: the pings run off the
    // dialog's thread, and OK waits for them.
    void FillAddresses();
    // Whether pings are under way (FillAddresses, or OK's pings of the given addresses).
    bool Probing() const { return m_bProbing; }

public slots:
    void reject() override;

private:
    void CreateControls();
    void OnOK();
    // What OK does once the given addresses were pinged: the checks, then the requests.
    void Apply(std::vector<BatchDevice> devices);
    // Runs `probe` on a thread of its own and then `done` on the dialog's; OK and another fill
    // pressed meanwhile wait for it.
    void RunProbe(std::function<void()> probe, std::function<void()> done);
    void OnSaveResults();
    void OnBatchChanged(int index);
    void OnBatchFinished();
    BatchSettings Settings() const;
    // The devices with the addresses their cells hold now; a refusal when a cell is no address.
    QString ReadCells(std::vector<BatchDevice>& devices) const;
    void ShowNewAddresses();
    void Refuse(const QString& why);

    DeviceEngine& m_engine;
    std::vector<BatchDevice> m_devices;
    BatchNetwork m_network;
    AddressProber& m_prober;
    std::vector<bool> m_planned; // the device came with an address of its own (a plan's)
    // What the probes found: taken, and handed out as free.
    std::set<Ipv4Octets> m_inUse;
    std::set<Ipv4Octets> m_probedFree;
    bool m_bApplying = false;
    bool m_bFinished = false;
    bool m_bProbing = false;
    bool m_bRefill = false;    // the first address changed while its pings ran
    bool m_bOkWanted = false;  // OK was pressed while pings ran
    Ipv4Octets m_filledFrom{}; // the first address the new addresses were filled from
    QFuture<void> m_probe;

    CIPAddressCtrl* m_ipFirst;
    CIPAddressCtrl* m_ipSubnetMask;
    CIPAddressCtrl* m_ipGateway;
    QRadioButton* m_radioStatic;
    QRadioButton* m_radioDhcp;
    QLineEdit* m_editPassword;
    QTableWidget* m_table;
    QPushButton* m_btnOK;
    QPushButton* m_btnCancel;
    QPushButton* m_btnSaveResults;
};

} // namespace Netrove
