#pragma once

#include "manualset/ManualSetRequest.h"
#include "manualset/PortGroup.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <vector>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace Netrove {

class CIPAddressCtrl;
class CUpDownCtrl;
class SettingHost;
struct DeviceEntry;

// Lets the user give one device every network setting by hand: addressing mode, IP address, subnet
// mask, gateway, service ports and password. It opens with what the device reported, refuses wrong
// input with a message and sends one setting request on "OK".
//
// Construct it on the stack and call exec().
class CDlgManualSet final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDlgManualSet)

public:
    // Everything the dialog shows and sends is copied from the chosen row here: a search while the
    // dialog is open frees the row.
    CDlgManualSet(SettingHost& host, const DeviceEntry& entry, QWidget* parent = nullptr);
    ~CDlgManualSet() override;

    // The mode byte of a packet to the radio buttons, and back from the button that is selected.
    void SetAddressingMode(std::uint8_t addressMode);
    std::uint8_t GetAddressingMode();

private:
    void CreateControls();
    void OnInitDialog();
    void FillFromCameraReply();
    void FillFromRecorderReply();
    // The address part both kinds share.
    void FillAddresses(const ManualSetReported& reported);
    // HTTP (or service), DLX (or Port(TCP)), TCP, UDP, upload and multicast port.
    std::array<QLineEdit*, 6> PortFields() const;
    void OnOK();
    void OnCancel();
    void OnBnClickedStatic();
    void OnBnClickedDhcp();
    void OnBnClickedPppoe();
    void EnableAddressControls(bool enable);
    void OnDeltaposSpinPorts(int change);
    // true: the radio buttons into m_nModeRadio; false: the other way round.
    void DoDataExchange(bool saveAndValidate);
    // Shows the first rule the input breaks, if any; changes nothing in the dialog.
    bool Validate();
    // What the dialog shows now, as the request would carry it.
    ManualSetInput CollectInput();
    std::vector<std::uint8_t> BuildRequest();
    int PortNumber(const QLineEdit* field) const;
    void ShowMessage(const QString& text);

    SettingHost& m_host;

    // The controls the dialog reads and writes.
    CUpDownCtrl* m_spinPorts = nullptr;
    QLineEdit* m_editMulticastPort = nullptr;
    CIPAddressCtrl* m_ipSubnetMask = nullptr;
    CIPAddressCtrl* m_ipAddress = nullptr;
    CIPAddressCtrl* m_ipGateway = nullptr;
    QLineEdit* m_editUploadPort = nullptr;
    QLineEdit* m_editTcpPort = nullptr;
    QLineEdit* m_editUdpPort = nullptr;
    QLineEdit* m_editHttpPort = nullptr;
    // "DLX Port" of a camera, "Port(TCP)" of a recorder.
    QLineEdit* m_editDlxPort = nullptr;
    QLineEdit* m_editMac = nullptr;
    QLineEdit* m_editPassword = nullptr;

    QRadioButton* m_radioPppoe = nullptr;
    QRadioButton* m_radioDhcp = nullptr;
    QRadioButton* m_radioStatic = nullptr;
    QButtonGroup* m_groupMode = nullptr;
    QPushButton* m_btnOK = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QLabel* m_labelServicePort = nullptr;
    QLabel* m_labelHttpPort = nullptr;
    QLabel* m_labelDlxPort = nullptr;
    QLabel* m_labelTcpPort = nullptr;
    QLabel* m_labelUdpPort = nullptr;
    QLabel* m_labelUploadPort = nullptr;
    QLabel* m_labelMulticastPort = nullptr;

    // Index of the selected radio button: 0 "PPPoE", 1 "DHCP", 2 "STATIC", -1 none. Only the data
    // exchange moves it between the buttons and here.
    int m_nModeRadio = 0;
    // The chosen row's reply, in the layout of its kind.
    const std::vector<std::uint8_t> m_reply;
    // A camera that answered with the short form gets the short request.
    const bool m_bShortForm;
    const PacketKind m_nKind;
    // Which port fields a camera has; decided once, from the model name in the reply.
    const PortGroup m_portGroup;
};

} // namespace Netrove
