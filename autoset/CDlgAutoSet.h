#pragma once

#include "autoset/AutoSetRequest.h"
#include "autoset/FreeAddressSearch.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace Netrove {

class CIPAddressCtrl;
class SettingHost;
struct DeviceEntry;

// Gives one device a free address of the computer's network, the network's gateway and, for a
// camera, a free block of service ports; the user only types the device's password.
//
// Construct it on the stack and call exec(): exec() first searches for a free address under a
// wait cursor and only then shows the dialog. When the search cannot probe at all, exec() tells
// the user and returns Rejected without showing the dialog.
class CDlgAutoSet final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDlgAutoSet)

public:
    using FreeAddressFinder = std::function<FreeAddressProposal()>;

    // Everything the request needs of the chosen row, its MAC address text included, is copied
    // here: the row and the main window's MAC text may be gone by the time the user confirms.
    CDlgAutoSet(SettingHost& host, const DeviceEntry& entry, const QString& mac,
                FreeAddressFinder findFreeAddress, QWidget* parent = nullptr);
    ~CDlgAutoSet() override;

    int exec() override;

private:
    void CreateControls();
    // false: the dialog ends without being shown.
    bool OnInitDialog();
    void OnOK();
    void OnCancel();
    // true: the check boxes into the members; false: the other way round.
    void DoDataExchange(bool saveAndValidate);
    void ShowNoProposal();
    void ShowMessage(const QString& text);

    SettingHost& m_host;
    const AutoSetTarget m_target;
    FreeAddressFinder m_findFreeAddress;
    // Until the search has run, nothing is proposed and OK sends nothing.
    FreeAddressProposal m_proposal{FreeAddressOutcome::NoLocalAddress};
    bool m_bInitialised = false;

    // The controls, in the order of the dialog's template.
    QPushButton* m_btnOK;
    QPushButton* m_btnCancel;
    CIPAddressCtrl* m_ipAddress;
    CIPAddressCtrl* m_ipSubnetMask;
    QLineEdit* m_editPassword;
    CIPAddressCtrl* m_ipGateway;
    QCheckBox* m_checkIPSetting;
    QCheckBox* m_checkPortMapping;

    int m_bIPSetting = 0;
    int m_bPortMapping = 0;
};

} // namespace Netrove
